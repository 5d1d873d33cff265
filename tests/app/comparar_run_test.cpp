// Whole critiques of FORTALEZA (0440) for 2022/11: the report of a month
// without differences byte for byte, the control-table row, a second run,
// the national files on drive A:, the printing question.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "rt/term/keys.h"
#include "rt/text/cp860.h"
#include "rt/text/date.h"
#include "rt/text/strings.h"
#include "support/cri_fixture.h"
#include "support/read_dbf.h"
#include "support/zoz_fixture.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;
using test::cri::Mes;

class CompararRun : public test::cri::CriticaTest {};

// One page of a section without errors, as the report holds it.
std::string paginaSemErros(int pag, int tracos, const std::string& colunas, const std::string& titulo) {
  const std::string regra = std::string(8, ' ') + std::string(static_cast<std::size_t>(tracos), '-');
  std::string p = "\r\n";
  p += "ESTADO DO LUMEA" + std::string(54, ' ') + "PAG.: 00" + std::to_string(pag) + "\r\n";
  p += "KOVA/ZEB/GT-MORVEN" + std::string(52, ' ') + rt::text::dtoc(rt::Date::today()) + "\r\n";
  p += "RELATORIO DE ERROS DE CADASTROS E PROGRAMACAO DE MUNICIPIOS EM GESTAO\r\n";
  p += std::string(78, '-') + "\r\n";
  p += rt::text::padC("DERES: 01  MUNICIPIO: 0440-0 FORTALEZA", 78) + "\r\n";
  p += rt::text::padC("COMPETENCIA: NOVEMBRO / 2.022", 78) + "\r\n";
  p += regra + "\r\n" + colunas + "\r\n" + regra + "\r\n\r\n";
  p += rt::text::padC(titulo, 78) + "\r\n\r\n\r\n";
  p += rt::text::padC("# CRITICA SEM ERROS #", 78) + "\f\r";
  return p;
}

TEST_F(CompararRun, MonthWithoutDifferences) {
  critica(Mes::limpo());
  const std::string esperado =
      paginaSemErros(1, 67, "        | REG. | DER | MUNI. |       CGC       | AGENC.  |      C/C       |",
                     "*** MANTENEDORAS ***") +
      paginaSemErros(2, 72,
                     "        | REG.|DER|MUNI. | UNI. |      CGC       |PR|TP| AGENC.|    CONTA      |",
                     "*** UNIDADES ***") +
      paginaSemErros(3, 43, "        | REG.| UNIDADE | SERVICO | CLASSIFICACAO |", "*** SERVICOS ***") +
      paginaSemErros(4, 53, "        | REG.| UNIDADE | ESPECIALIDADE | QTDE | QTDE HORAS |",
                     "*** ESPECIALIDADES ***") +
      paginaSemErros(5, 59, "        | REG.| DATREF | UNIDADE | ITEM | QTDE PRG. |  VALOR PRG. |",
                     "*** ORCAMENTO ***");
  EXPECT_EQ(relatorio(), esperado);

  const auto linhas = ctl();
  ASSERT_EQ(linhas.size(), 1u);
  EXPECT_EQ(linhas[0].DATREF, "202211");
  EXPECT_EQ(linhas[0].CODMNC, " 440");
  EXPECT_EQ(linhas[0].DATSES, rt::Date::today().dtos());
  EXPECT_EQ(linhas[0].STASES, "C");
  EXPECT_EQ(linhas[0].DATATU, "");

  EXPECT_TRUE(viu("Escolha a unidade"));
  EXPECT_TRUE(viu("Confirma Cod. Município: 0440"));
  const auto& fim = keys().atKeys.back();
  EXPECT_TRUE(shows(fim, "Crítica sem erros."));
  EXPECT_TRUE(shows(fim, "Imprimir?"));
  EXPECT_EQ(texto(fim, 24), rt::text::toUtf8(rt::text::padC("Atualizando CTL.DBF", 80)));
  for (int a = 1; a <= 20; ++a) EXPECT_FALSE(s.rt.db.area(a).used()) << a;
  for (const char* f :
       {"MAN_COMP.DBF", "UPS_COMP.DBF", "SRV_COMP.DBF", "SRV2_COMP.DBF", "ESP_COMP.DBF", "ESP2_COMP.DBF",
        "AFO_COMP.DBF", "UPS.DBF", "I01CTRL.NTX", "I02CTRL.NTX", "I01CTL.NTX"})
    EXPECT_TRUE(fs::exists(zoz() / f)) << f;
  for (int i = 1; i <= 11; ++i) {
    const std::string ntx = "I" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "KOVA.NTX";
    EXPECT_TRUE(fs::exists(zoz() / ntx)) << ntx;
  }
}

// A local table with deleted records ends its pass before the count, so
// its gauge stays on the screen with the last counter text; a table
// without them leaves nothing.
TEST_F(CompararRun, GaugeLeftByDeletedLocalRecords) {
  Mes m = Mes::limpo();
  critica(m);
  EXPECT_FALSE(shows(s.term().screen(), "Aguarde Processo"));

  m.emuApagados = {2};  // S_EMU: records 1 and 3 of 3 are seen
  critica(m);
  const auto& tela = s.term().screen();
  EXPECT_EQ(texto(tela, 9, 30, 18), " Aguarde Processo ");
  EXPECT_EQ(texto(tela, 14, 18, 43), rt::text::padC(" Registro Corrente: 2 de 3 ", 43));
  for (int c = 18; c < 18 + 43; ++c) EXPECT_EQ(tela.attr(14, c), 0x70) << c;  // 0/W
  int cheias = 0;
  for (int c = 14; c <= 63; ++c) cheias += tela.attr(12, c) == 0x00;
  EXPECT_EQ(cheias, 33);  // 50 x 2 / 3
}

// The national files' month and the report's extension come from the
// month list, whatever the package's extension: the month of the list's
// first row by number (0001, last by name) names FMANLM03.TXT ...; the
// chosen municipality's row, of 2002/12, names CRI0440.212 and heads its
// pages with DEZEMBRO / 2.002.
TEST_F(CompararRun, NamesFromTheMonthList) {
  Mes m = Mes::limpo();
  for (auto& r : m.ctrl) r[4] = test::C("200212");
  m.ctrl.push_back({test::N(1), test::C("ZULU"), test::N(9), test::C("PM"), test::C("200203")});
  test::cri::grava(zoz(), zoz(), m);
  for (const char* stem : {"FMANLM", "FUPSLM", "FSRVLM", "FESPLM", "FAFOLM"})
    fs::rename(zoz() / (std::string(stem) + "11.TXT"), zoz() / (std::string(stem) + "03.TXT"));
  roteiro();
  ASSERT_EQ(comparar(), -1);
  EXPECT_EQ(keys().pending(), 0u);
  EXPECT_FALSE(fs::exists(zoz() / "CRI0440.211"));
  EXPECT_FALSE(fs::exists(zoz() / "CRI0440.203"));
  const auto p = paginas("CRI0440.212");
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[0][6], rt::text::padC("COMPETENCIA: DEZEMBRO / 2.002", 78));
  EXPECT_EQ(ctl()[0].DATREF, "202211");  // the row is the reference period's
}

// The national files on drive A:, none in \ZOZ.
TEST_F(CompararRun, NationalFilesOnDriveA) {
  test::cri::grava(zoz(), disquete(), Mes::limpo());
  roteiro('A');
  ASSERT_EQ(comparar(), -1);
  EXPECT_EQ(paginas().size(), 5u);
  ASSERT_EQ(ctl().size(), 1u);
  EXPECT_EQ(ctl()[0].STASES, "C");
  EXPECT_TRUE(fs::exists(disquete() / "FUPSLM11.TXT"));
  EXPECT_FALSE(fs::exists(zoz() / "FUPSLM11.TXT"));
}

// A row the import wrote keeps its import date; a second critique of the
// same month and municipality overwrites the first one's date, status and
// report.
TEST_F(CompararRun, SecondCritiqueUpdatesTheSameRow) {
  test::makeTable(zoz() / "CTL.DBF", test::zoz::kCtl,
                  {{rt::Value(), test::N(270), test::N(202211), test::D("20221120")},
                   {rt::Value(), test::N(440), test::N(202211), test::D("20221121")}});
  Mes m = Mes::limpo();
  m.fman.clear();  // every local maintainer of 0440 becomes "D"
  critica(m);
  const std::string primeiro = relatorio();
  auto linhas = ctl();
  ASSERT_EQ(linhas.size(), 2u);
  EXPECT_EQ(linhas[1].STASES, "E");
  EXPECT_EQ(linhas[1].DATATU, "20221121");
  EXPECT_EQ(linhas[1].DATSES, rt::Date::today().dtos());
  EXPECT_EQ(linhas[0].STASES, "");
  EXPECT_TRUE(shows(keys().atKeys.back(), "Crítica com erros."));
  EXPECT_NE(texto(keys().atKeys.back(), 24), rt::text::toUtf8(rt::text::padC("Atualizando CTL.DBF", 80)));

  critica(Mes::limpo());
  linhas = ctl();
  ASSERT_EQ(linhas.size(), 2u);
  EXPECT_EQ(linhas[1].STASES, "C");
  EXPECT_EQ(linhas[1].DATATU, "20221121");
  EXPECT_EQ(paginas().size(), 5u);
  EXPECT_NE(relatorio(), primeiro);
}

// "Sim" copies the report to Lpt1 and asks again; a printer that is not
// ready is told, without the tone, and the question comes again; Esc there
// ends like "Não".
TEST_F(CompararRun, PrintingQuestion) {
  test::cri::grava(zoz(), zoz(), Mes::limpo());
  keys().add({'\\', '4', '4', '0', key::kEnter, key::kEnter});
  keys().add({'S', key::kEnter, key::kEsc});  // not ready: the notice, then Esc
  ASSERT_EQ(comparar(), -1);
  EXPECT_EQ(keys().pending(), 0u);
  EXPECT_TRUE(viu("Impressora sem papel"));
  EXPECT_TRUE(viu("ou destivada."));
  EXPECT_TRUE(keys().tones().empty());
  EXPECT_FALSE(fs::exists(impressora()));

  fs::create_directories(impressora().parent_path());
  keys().add({'\\', '4', '4', '0', key::kEnter, key::kEnter});
  keys().add({'S', 'S', 'N'});  // two copies
  ASSERT_EQ(comparar(), -1);
  EXPECT_EQ(keys().pending(), 0u);
  std::ifstream in(impressora(), std::ios::binary);
  const std::string impresso((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(impresso, relatorio() + relatorio());
}

// A report file that cannot be made (a folder has its name): the error
// policy's box, and after "Default" the run goes on to its end; "Sim" then
// prints nothing (the open error is quiet) and the question comes again.
TEST_F(CompararRun, ReportThatCannotBeMade) {
  test::cri::grava(zoz(), zoz(), Mes::limpo());
  fs::create_directories(zoz() / "CRI0440.211");
  fs::create_directories(impressora().parent_path());
  keys().add({'\\', '4', '4', '0', key::kEnter, key::kEnter, 'D', 'S', 'N'});
  ASSERT_EQ(comparar(), -1);
  EXPECT_EQ(keys().pending(), 0u);
  EXPECT_TRUE(viu("CRI0440.211"));
  EXPECT_TRUE(shows(keys().atKeys.back(), "Imprimir?"));
  EXPECT_TRUE(shows(keys().atKeys[keys().atKeys.size() - 2], "Imprimir?"));
  EXPECT_EQ(fs::exists(impressora()) ? fs::file_size(impressora()) : 0u, 0u);
  ASSERT_EQ(ctl().size(), 1u);
  EXPECT_EQ(ctl()[0].STASES, "C");
}

// (The reader runs beside the Linux build; the tables of fpo.exe meet it in
// the smoke test of fpo.exe.)
#ifndef _WIN32
// The work tables, read back by Debian's python3-dbfread.
TEST_F(CompararRun, IndependentReaderReadsTheWorkTables) {
  if (!test::haveDbfread()) GTEST_SKIP() << "python3-dbfread missing";
  critica(Mes::limpo());
  std::vector<fs::path> tabelas;
  for (const char* t : {"MAN_COMP.DBF", "UPS_COMP.DBF", "SRV_COMP.DBF", "SRV2_COMP.DBF", "ESP_COMP.DBF",
                        "ESP2_COMP.DBF", "AFO_COMP.DBF", "UPS.DBF", "CTL.DBF"})
    tabelas.push_back(zoz() / t);
  bool ok = false;
  const std::string lido = test::dbfread("rows", tabelas, &ok);
  ASSERT_TRUE(ok) << lido;
  EXPECT_EQ(lido, test::rowsReadHere(tabelas, s.rt.errors));
  EXPECT_NE(lido.find("# 3 CODEST CODUPS CODSRV CODCLS"), std::string::npos);  // three service items
}
#endif

}  // namespace
}  // namespace fpo
