// Whole critiques of FORTALEZA (0440) for 2022/11: the report of a month
// without differences byte for byte, the control-table row, a second run,
// the national files on drive A:, the printing question.
#include <fstream>

#include "rt/term/keys.h"
#include "rt/text/cp860.h"
#include "rt/text/date.h"
#include "rt/text/strings.h"
#include "support/cri_fixture.h"

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
      paginaSemErros(2, 72, "        | REG.|DER|MUNI. | UNI. |      CGC       |PR|TP| AGENC.|    CONTA      |",
                     "*** UNIDADES ***") +
      paginaSemErros(3, 43, "        | REG.| UNIDADE | SERVICO | CLASSIFICACAO |", "*** SERVICOS ***") +
      paginaSemErros(4, 53, "        | REG.| UNIDADE | ESPECIALIDADE | QTDE | QTDE HORAS |", "*** ESPECIALIDADES ***") +
      paginaSemErros(5, 59, "        | REG.| DATREF | UNIDADE | ITEM | QTDE PRG. |  VALOR PRG. |", "*** ORCAMENTO ***");
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
  for (const char* f : {"MAN_COMP.DBF", "UPS_COMP.DBF", "SRV_COMP.DBF", "SRV2_COMP.DBF", "ESP_COMP.DBF",
                        "ESP2_COMP.DBF", "AFO_COMP.DBF", "UPS.DBF", "I01CTRL.NTX", "I02CTRL.NTX", "I01CTL.NTX"})
    EXPECT_TRUE(fs::exists(zoz() / f)) << f;
  for (int i = 1; i <= 11; ++i) {
    const std::string ntx = "I" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "KOVA.NTX";
    EXPECT_TRUE(fs::exists(zoz() / ntx)) << ntx;
  }
}

}  // namespace
}  // namespace fpo
