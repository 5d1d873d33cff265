// The production report: its bytes for a small folder, the page breaks, an
// empty production table and the printing question.
#include "app/pabfae/Pabfae.h"

#include <fstream>
#include <functional>
#include <sstream>

#include "app/errorsys/Errorsys.h"
#include "app/funcoes/Funcoes.h"
#include "app/menu/Menu.h"
#include "rt/os/os.h"
#include "rt/term/keys.h"
#include "rt/text/date.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"
#include "support/app_fixture.h"
#include "support/tables.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;
using test::C;
using test::N;
using test::Row;

const std::vector<rt::db::FieldSpec> kMn = {{"MN_IBGE", 'C', 6, 0}, {"MN_NOME", 'C', 30, 0}};
const std::vector<rt::db::FieldSpec> kUps = {
    {"UPS_ID", 'C', 7, 0}, {"UPS_RZSC", 'C', 35, 0}, {"UPS_NMFN", 'C', 35, 0}, {"UPS_MN", 'C', 6, 0}};
const std::vector<rt::db::FieldSpec> kPa = {
    {"PA_ID", 'C', 10, 0}, {"PA_CMP", 'C', 6, 0}, {"PA_PAB", 'C', 1, 0}};
const std::vector<rt::db::FieldSpec> kVpa = {
    {"VPA_CMP", 'C', 6, 0}, {"VPA_PA", 'C', 10, 0}, {"VPA_TOTAL", 'N', 12, 2}};
const std::vector<rt::db::FieldSpec> kPrd = {
    {"PRD_UID", 'C', 7, 0}, {"PRD_CMP", 'C', 6, 0}, {"PRD_PA", 'C', 10, 0}, {"PRD_QT_A", 'N', 8, 0}};

std::string id(int n) { return rt::text::strZero(n, 6) + std::to_string(CALDIGUPS(n)); }
rt::Value V(const std::string& s) { return rt::Value(s); }

const std::string kTracos(80, '-');
const std::string kTitulo =
    "|         UNIDADE DE SAUDE               |    PAB     |   OUTROS   |   TOTAL   |";

// A value as the report prints it: right-aligned in 12 columns.
std::string v12(const char* t) { return rt::text::padL(t, 12); }

std::string cabecalho(int pagina, const std::string& municipio) {
  return std::string("ESTADO DO LUMEA") + std::string(56, ' ') + "PAG.: " + rt::text::strZero(pagina, 3) +
         "\r\nKOVA/ZEB/GT-MORVEN" + std::string(52, ' ') + rt::text::dtoc(rt::text::Date::today()) +
         "\r\nRELATORIO DE PRODUCAO DOS MUNICIPIOS EM GESTAO" + std::string(34, ' ') + "\r\n" + kTracos +
         "\r\n" + rt::text::padC(municipio, 80) + "\r\n" +
         rt::text::padC("COMPETENCIA: NOVEMBRO / 2.022", 80) + "\r\n" + kTracos + "\r\n" + kTitulo + "\r\n" +
         kTracos;
}

std::string totais(const char* pab, const char* outros, const char* total) {
  return std::string(28, ' ') + "TOTAIS -----> " + v12(pab) + " " + v12(outros) + " " + v12(total);
}

class Pabfae : public test::AppTest {
 protected:
  Pabfae() {
    ERRORSYS(s);
    s.rt.db.settings().deleted = true;
    test::makeTable(z("S_CTR.DBF"), {{"CTR_MVM", 'C', 6, 0}}, {{C("202211")}});
    test::makeTable(z("S_MN.DBF"), kMn, {{C("230440"), C("FORTALEZA")}, {C("230270"), C("CAUCAIA")}});
    test::makeTable(z("S_PA.DBF"), kPa,
                    {{C("0101010010"), C("202211"), C("S")},
                     {C("0301010072"), C("202211"), C("N")},
                     {C("0101010010"), C("202210"), C("S")}});
    test::makeTable(z("S_VPA.DBF"), kVpa,
                    {{C("202211"), C("0101010010"), N(10)},
                     {C("202211"), C("0301010072"), N(1234.5)},
                     {C("202210"), C("0101010010"), N(7)}});
  }

  fs::path z(const std::string& name) const { return drive().zoz() / name; }

  static std::string bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream o;
    o << in.rdbuf();
    return o.str();
  }

  // Units 1..n of FORTALEZA with one PAB row of 10,00 each; unit `falta`
  // is missing from S_UPS.
  void unidades(int n, int falta = 0) {
    std::vector<Row> ups, prd;
    for (int i = 1; i <= n; ++i) {
      if (i != falta) ups.push_back({V(id(i)), C(""), V("UNIDADE " + std::to_string(i)), C("230440")});
      prd.push_back({V(id(i)), C("202211"), C("0101010010"), N(1)});
    }
    test::makeTable(z("S_UPS.DBF"), kUps, ups);
    test::makeTable(z("S_PRD.DBF"), kPrd, prd);
  }

  // Runs the report and answers the printing question with Esc.
  std::string relatorio() {
    keys().add(key::kEsc);
    PABFAE(s);
    EXPECT_EQ(keys().pending(), 0u);
    return bytes(z("PABFAE.PRN"));
  }

  static std::vector<std::string> paginas(const std::string& b) {
    std::vector<std::string> out;
    std::size_t at = 0, ff;
    while ((ff = b.find("\f\r", at)) != std::string::npos) {
      out.push_back(b.substr(at, ff - at));
      at = ff + 2;
    }
    EXPECT_EQ(at, b.size()) << "the report ends with an eject";
    return out;
  }
  static std::vector<std::string> linhas(const std::string& pagina) {
    std::vector<std::string> out;
    std::size_t at = 0, nl;
    while ((nl = pagina.find("\r\n", at)) != std::string::npos) {
      out.push_back(pagina.substr(at, nl - at));
      at = nl + 2;
    }
    out.push_back(pagina.substr(at));
    return out;
  }
};

TEST_F(Pabfae, ValuesGroupsAndTotals) {
  test::makeTable(z("S_UPS.DBF"), kUps,
                  {{V(id(1)), C("HGF"), C("HOSPITAL GERAL DE FORTALEZA DR CESAR CALS"), C("230440")},
                   {V(id(2)), C("PC"), C("POSTO CENTRO"), C("230440")},
                   {V(id(3)), C("PN"), C("POSTO NORTE"), C("230270")}});
  test::makeTable(
      z("S_PRD.DBF"), kPrd,
      {
          {V(id(1)), C("202211"), C("0101010999"), N(3)},  // only 7 characters of the code count
          {V(id(2)), C("202211"), C("0301010072"), N(2)},  // PA_PAB "N": other
          {V(id(1)), C("202211"), C("0301010072"), N(1)},
          {V(id(1)), C("202210"), C("0101010010"), N(2)},       // the month before: one group with 2022/11
          {V(id(2)), C("202211"), C("0909090909"), N(5)},       // neither procedure nor price: 0
          {V(id(3)), C("202211"), C("0101010010"), N(0)},       // zero values: blanks
          {V(id(999999)), C("202211"), C("0101010010"), N(1)},  // no such unit
      });

  const std::string d1 = std::to_string(CALDIGUPS(1)), d2 = std::to_string(CALDIGUPS(2)),
                    d3 = std::to_string(CALDIGUPS(3));
  const std::string esperado =
      "\r\n" + cabecalho(1, "0440-" + std::to_string(CALDIGMNC(440)) + " FORTALEZA") + "\r\n" + " 0001-" +
      d1 + " HOSPITAL GERAL DE FORTALEZA DR CE " + v12("44,00") + " " + v12("1.234,50") + " " +
      v12("1.278,50") + "\r\n" + " 0002-" + d2 + " " + rt::text::padR("POSTO CENTRO", 33) + " " + v12("") +
      " " + v12("2.469,00") + " " + v12("2.469,00") + "\r\n" + " 0003-" + d3 + " " +
      rt::text::padR("POSTO NORTE", 33) + " " + v12("") + " " + v12("") + " " + v12("") + "\r\n" +
      "     -  " + std::string(33, ' ') + " " + v12("10,00") + " " + v12("") + " " + v12("10,00") + "\r\n" +
      kTracos + "\r\n" + totais("54,00", "3.703,50", "3.757,50") + "\r\n" + kTracos + "\f\r";
  EXPECT_EQ(relatorio(), esperado);

  // Indexes rebuilt in the current directory; every table closed.
  for (const char* ntx : {"I01MN.NTX", "I01UPS.NTX", "I01PA.NTX", "I01VPA.NTX", "I01PRD.NTX"})
    EXPECT_TRUE(fs::exists(z(ntx))) << ntx;
  EXPECT_EQ(s.rt.db.find("PRD"), nullptr);
  EXPECT_EQ(s.rt.db.find("CTR"), nullptr);
  EXPECT_EQ(term().device(), rt::term::Terminal::Device::Screen);
  EXPECT_FALSE(term().printer().isOpen());
}

TEST_F(Pabfae, DeletedProductionRowsLeftOut) {
  test::makeTable(
      z("S_UPS.DBF"), kUps,
      {{V(id(1)), C(""), C("POSTO UM"), C("230440")}, {V(id(2)), C(""), C("POSTO DOIS"), C("230440")}});
  test::makeTable(z("S_PRD.DBF"), kPrd,
                  {{V(id(1)), C("202211"), C("0101010010"), N(1)},
                   {V(id(1)), C("202211"), C("0301010072"), N(9)},  // deleted: inside the unit's rows
                   {V(id(2)), C("202211"), C("0101010010"), N(3)},  // deleted: the unit's only row
                   {V(id(1)), C("202211"), C("0101010010"), N(2)}},
                  {2, 3});
  const std::string esperado =
      "\r\n" + cabecalho(1, "0440-" + std::to_string(CALDIGMNC(440)) + " FORTALEZA") + "\r\n" + " 0001-" +
      std::to_string(CALDIGUPS(1)) + " " + rt::text::padR("POSTO UM", 33) + " " + v12("30,00") + " " +
      v12("") + " " + v12("30,00") + "\r\n" + kTracos + "\r\n" + totais("30,00", "", "30,00") + "\r\n" +
      kTracos + "\f\r";
  EXPECT_EQ(relatorio(), esperado);
}

TEST_F(Pabfae, EmptyProduction) {
  unidades(0);
  EXPECT_EQ(relatorio(), "\r\n" + kTracos + "\r\n" + totais("", "", "") + "\r\n" + kTracos + "\f\r");
}

TEST_F(Pabfae, PageBreaks) {
  const std::string fortaleza = "0440-" + std::to_string(CALDIGMNC(440)) + " FORTALEZA";
  const auto unidade = [](int n) {
    return " " + id(n).substr(2, 4) + "-" + id(n).substr(6) + " " +
           rt::text::padR("UNIDADE " + std::to_string(n), 33) + " " + v12("10,00") + " " + v12("") + " " +
           v12("10,00");
  };
  // 51 units fill rows 10 to 60; the dash line on row 61 closes the page.
  unidades(51);
  auto p = paginas(relatorio());
  ASSERT_EQ(p.size(), 2u);
  auto l = linhas(p[0]);
  ASSERT_EQ(l.size(), 62u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(p[0].substr(2, 80 * 9 + 2 * 8), cabecalho(1, fortaleza));
  EXPECT_EQ(l[10], unidade(1));
  EXPECT_EQ(l[60], unidade(51));
  EXPECT_EQ(l[61], kTracos);
  // The totals then open the next page on row 1, without a header.
  EXPECT_EQ(linhas(p[1]), (std::vector<std::string>{"", kTracos, totais("510,00", "", "510,00"), kTracos}));

  // A 52nd unit, missing from S_UPS, opens page 2 with its own header.
  s.rt.db.closeAll();
  unidades(52, 52);
  p = paginas(relatorio());
  ASSERT_EQ(p.size(), 2u);
  l = linhas(p[1]);
  ASSERT_EQ(l.size(), 14u);
  EXPECT_EQ(p[1].substr(2, 80 * 9 + 2 * 8), cabecalho(2, "    -2 "));
  EXPECT_EQ(l[10],
            "     -  " + std::string(33, ' ') + " " + v12("10,00") + " " + v12("") + " " + v12("10,00"));
  EXPECT_EQ(l[11], kTracos);
  EXPECT_EQ(l[12], totais("520,00", "", "520,00"));
}

// A system whose printer Lpt1 is a file.
struct ComImpressora {
  explicit ComImpressora(const fs::path& root, const fs::path& lpt1,
                         test::RecordingBackend* teclado = new test::RecordingBackend)
      : backend(teclado),
        runtime(std::unique_ptr<rt::term::Backend>(backend), rt::dos::Config{root, {}, {}, lpt1.string()}),
        s(runtime) {
    ERRORSYS(s);
  }
  test::RecordingBackend* backend;
  rt::Runtime runtime;
  Sistema s;
};

#ifdef _WIN32
// Keys for a run whose disk fills up when the printing question is asked.
struct DiscoCheioAoImprimir : test::RecordingBackend {
  int readKey(int timeoutMs) override {
    if (timeoutMs != 0 && test::AppTest::shows(shown, "Imprimir?")) rt::os::limitFileSize(1);
    return RecordingBackend::readKey(timeoutMs);
  }
};
#endif

TEST_F(Pabfae, Printing) {
  unidades(3);
  enum Lpt1 { kPronta, kAusente, kCheia };  // a file; a folder that is missing; a device that takes nothing
  struct Caso {
    const char* nome;
    Lpt1 lpt1;
    std::vector<int> teclas;
    bool impresso;
    bool aviso;  // "Impressora sem papel;ou destivada." shown
  };
  const Caso casos[] = {
      {"Sim prints once", kPronta, {key::kEnter}, true, false},
      {"Não", kPronta, {key::kRight, key::kEnter}, false, false},
      {"Esc", kPronta, {key::kEsc}, false, false},
      {"printer not ready, then Não", kAusente, {key::kEnter, ' ', 'N'}, false, true},
      {"a copy that failed is reported, then Esc", kCheia, {key::kEnter, ' ', key::kEsc}, false, true},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
#ifdef _WIN32
    // No device that takes nothing: Lpt1 is a file on a disk that is full
    // by the time the report is printed.
    const fs::path cheia = drive().root() / "printer.out";
    auto* teclado = c.lpt1 == kCheia ? new DiscoCheioAoImprimir : new test::RecordingBackend;
#else
    const fs::path cheia = "/dev/full";
    auto* teclado = new test::RecordingBackend;
#endif
    const fs::path lpt1 = c.lpt1 == kPronta    ? drive().root() / "printer.out"
                          : c.lpt1 == kAusente ? drive().root() / "missing" / "printer.out"
                                               : cheia;
    if (c.lpt1 == kPronta) fs::remove(lpt1);
    ComImpressora p(drive().root(), lpt1, teclado);
    p.backend->add(c.teclas);
    PABFAE(p.s);
    EXPECT_EQ(p.backend->pending(), 0u);
    EXPECT_TRUE(shows(p.backend->atKeys.at(0), "Relatório concluído."));
    EXPECT_TRUE(shows(p.backend->atKeys.at(0), "Imprimir?"));
    bool aviso = false;
    for (const auto& sc : p.backend->atKeys) aviso = aviso || shows(sc, "Impressora sem papel");
    EXPECT_EQ(aviso, c.aviso);
    if (c.lpt1 == kPronta) {
      EXPECT_EQ(fs::exists(lpt1), c.impresso);
      if (c.impresso) {
        EXPECT_EQ(bytes(lpt1), bytes(z("PABFAE.PRN")));
      }
    }
    EXPECT_TRUE(p.backend->tones().empty());
    EXPECT_EQ(p.s.rt.db.find("PRD"), nullptr);
    rt::os::limitFileSize(0);
  }
}

// Values are summed unrounded and rounded half away from zero only when
// printed, with the run-time's allowance for a value one rounding error
// below the half.
TEST_F(Pabfae, ValuesRoundedOnlyWhenPrinted) {
  struct Caso {
    const char* nome;
    double preco;  // of the PAB procedure 0101010010, three decimals stored
    std::vector<double> quantidades;
    const char* pab;
  };
  const Caso casos[] = {
      {"a stored 1.005 rounds up", 1.005, {1}, "1,01"},
      {"three rows of 0.004 print one cent", 0.004, {1, 1, 1}, "0,01"},
      {"quantity times price", 12.345, {3}, "37,04"},
      {"thousands", 1234.5, {1}, "1.234,50"},
      {"too large for the picture", 5000000, {2}, "*********,**"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    s.rt.db.closeAll();
    test::makeTable(z("S_VPA.DBF"),
                    {{"VPA_CMP", 'C', 6, 0}, {"VPA_PA", 'C', 10, 0}, {"VPA_TOTAL", 'N', 14, 3}},
                    {{C("202211"), C("0101010010"), N(c.preco)}});
    test::makeTable(z("S_UPS.DBF"), kUps, {{V(id(1)), C(""), C("UNIDADE 1"), C("230440")}});
    std::vector<Row> prd;
    for (double q : c.quantidades) prd.push_back({V(id(1)), C("202211"), C("0101010010"), N(q)});
    test::makeTable(z("S_PRD.DBF"), kPrd, prd);
    const auto l = linhas(paginas(relatorio()).at(0));
    ASSERT_GE(l.size(), 12u);
    EXPECT_EQ(l[10].substr(42), v12(c.pab) + " " + v12("") + " " + v12(c.pab));
    EXPECT_EQ(l[12], totais(c.pab, "", c.pab));
  }
}

// A PRD_PA that is not a text field adds nothing to the key (a field is
// read as text only when it is one): the competence alone is sought, and
// its first procedure and price answer.
TEST_F(Pabfae, ProcedureCodeOfAnotherType) {
  test::makeTable(z("S_UPS.DBF"), kUps, {{V(id(1)), C(""), C("UNIDADE 1"), C("230440")}});
  test::makeTable(
      z("S_PRD.DBF"),
      {{"PRD_UID", 'C', 7, 0}, {"PRD_CMP", 'C', 6, 0}, {"PRD_PA", 'N', 10, 0}, {"PRD_QT_A", 'N', 8, 0}},
      {{V(id(1)), C("202211"), N(301010072), N(2)}});
  const auto l = linhas(paginas(relatorio()).at(0));
  ASSERT_GE(l.size(), 13u);
  EXPECT_EQ(l[12], totais("20,00", "", "20,00"));
}

// The header's period comes from S_CTR's CTR_MVM.
TEST_F(Pabfae, PeriodOfTheHeader) {
  unidades(1);
  // A month outside 1 to 12 has no name.
  const std::pair<const char*, const char*> casos[] = {
      {"202201", "COMPETENCIA: JANEIRO / 2.022"},  {"202203", "COMPETENCIA: MARCO / 2.022"},
      {"202209", "COMPETENCIA: SETEMBRO / 2.022"}, {"199912", "COMPETENCIA: DEZEMBRO / 1.999"},
      {"202213", "COMPETENCIA:  / 2.022"},         {"", "COMPETENCIA:  /  .   "},
  };
  for (const auto& [mvm, esperado] : casos) {
    SCOPED_TRACE(mvm);
    s.rt.db.closeAll();
    test::makeTable(z("S_CTR.DBF"), {{"CTR_MVM", 'C', 6, 0}}, {{C(mvm)}});
    const auto l = linhas(paginas(relatorio()).at(0));
    ASSERT_GE(l.size(), 7u);
    EXPECT_EQ(l[6], rt::text::padC(esperado, 80));
  }
}

// Control bytes in the tables' texts print as blanks; the seeks use the
// stored values.
TEST_F(Pabfae, ControlBytesPrintAsBlanks) {
  test::makeTable(z("S_MN.DBF"), kMn, {{C("230440"), C("FORT\nALEZA\t")}});
  test::makeTable(z("S_UPS.DBF"), kUps,
                  {{C("00\x01"
                      "0010"),
                    C(""), C("POSTO\aCENTRO\r"), C("230440")}});
  test::makeTable(z("S_PRD.DBF"), kPrd,
                  {{C("00\x01"
                      "0010"),
                    C("202211"), C("0101010010"), N(1)}});
  const std::string b = relatorio();
  const auto l = linhas(paginas(b).at(0));
  ASSERT_GE(l.size(), 11u);
  EXPECT_EQ(l[5], rt::text::padC("0440-" + std::to_string(CALDIGMNC(440)) + " FORT ALEZA", 80));
  EXPECT_EQ(l[10], "  001-0 " + rt::text::padR("POSTO CENTRO", 33) + " " + v12("10,00") + " " + v12("") +
                       " " + v12("10,00"));
  for (char ch : b) {
    if (static_cast<unsigned char>(ch) < 32) {
      EXPECT_NE(std::string("\r\n\f").find(ch), std::string::npos) << int(ch);
    }
  }
}

// A report that did not reach its file whole is not offered for printing.
TEST_F(Pabfae, ReportNotWrittenWhole) {
  // A disk that fills up while the report is written: the indexes (2 KB
  // each) fit, the report (4 KB) does not.
  unidades(40);
  rt::os::limitFileSize(3 * 1024);
  keys().add({key::kRight, key::kEnter});  // Default in the error policy's alert
  PABFAE(s);
  rt::os::limitFileSize(0);
  EXPECT_EQ(keys().pending(), 0u);
  ASSERT_EQ(keys().atKeys.size(), 2u);
  EXPECT_TRUE(shows(keys().atKeys[0], "Write error"));
  for (const auto& sc : keys().atKeys) EXPECT_FALSE(shows(sc, "Imprimir?"));
  EXPECT_EQ(term().device(), rt::term::Terminal::Device::Screen);
  EXPECT_FALSE(term().printer().isOpen());
  EXPECT_EQ(s.rt.db.find("PRD"), nullptr);
}

TEST_F(Pabfae, MissingTableGoesToTheErrorPolicy) {
  unidades(1);
  fs::remove(z("S_PRD.DBF"));
  keys().add(key::kEnter);  // Quit in the error policy's alert
  try {
    PABFAE(s);
    ADD_FAILURE() << "the report went on without S_PRD";
  } catch (const rt::err::ProgramExit& e) {
    EXPECT_EQ(e.code(), 1);
  }
  EXPECT_FALSE(fs::exists(z("PABFAE.PRN")));
}

// A table that cannot be opened: the index built on the empty work area is
// the error shown; after Default the report goes back to the menu without a
// report. S_CTR is first needed by the page header.
TEST_F(Pabfae, MissingTables) {
  for (const char* tabela : {"S_MN.DBF", "S_UPS.DBF", "S_PA.DBF", "S_VPA.DBF", "S_PRD.DBF"}) {
    SCOPED_TRACE(tabela);
    s.rt.db.closeAll();
    keys().atKeys.clear();
    unidades(1);
    test::makeTable(z("S_MN.DBF"), kMn, {{C("230440"), C("FORTALEZA")}});
    test::makeTable(z("S_PA.DBF"), kPa, {{C("0101010010"), C("202211"), C("S")}});
    test::makeTable(z("S_VPA.DBF"), kVpa, {{C("202211"), C("0101010010"), N(10)}});
    fs::remove(z("PABFAE.PRN"));
    fs::remove(z(tabela));
    keys().add({key::kRight, key::kEnter});  // Default
    PABFAE(s);
    EXPECT_EQ(keys().pending(), 0u);
    ASSERT_EQ(keys().atKeys.size(), 2u);
    EXPECT_TRUE(shows(keys().atKeys[0], "Workarea not in use"));
    EXPECT_FALSE(fs::exists(z("PABFAE.PRN")));
    EXPECT_EQ(s.rt.db.find("MN"), nullptr);
    EXPECT_EQ(term().device(), rt::term::Terminal::Device::Screen);
  }
}

TEST_F(Pabfae, MissingControlRecordAtTheHeader) {
  unidades(1);
  fs::remove(z("S_CTR.DBF"));
  keys().add(key::kEnter);  // Quit
  try {
    PABFAE(s);
    ADD_FAILURE() << "the header was printed without S_CTR";
  } catch (const rt::err::ProgramExit& e) {
    EXPECT_EQ(e.code(), 1);
  }
  ASSERT_EQ(keys().atKeys.size(), 1u);
  EXPECT_TRUE(shows(keys().atKeys[0], "Alias does not exist: CTR"));
}

// Cut off at each write of its run, the earlier PABFAE.PRN is whole: as it
// was, or as the whole run makes it.
TEST_F(Pabfae, CutOffAtEveryWrite) {
  unidades(60);
  const std::string antes = "an earlier report\r\n\f\r";
  std::ofstream(z("PABFAE.PRN"), std::ios::binary) << antes;
  keys().add(key::kEsc);
  rt::os::faults::arm(rt::os::faults::Kind::Count);
  PABFAE(s);
  const long total = rt::os::faults::count();
  rt::os::faults::arm(rt::os::faults::Kind::Off);
  const std::string depois = bytes(z("PABFAE.PRN"));
  ASSERT_EQ(paginas(depois).size(), 2u);
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE("cut off at write " + std::to_string(n) + " of " + std::to_string(total));
    std::ofstream(z("PABFAE.PRN"), std::ios::binary) << antes;
    keys().atKeys.clear();
    EXPECT_EXIT(
        {
          keys().add(key::kEsc);
          rt::os::faults::arm(rt::os::faults::Kind::Crash, n);
          PABFAE(s);
          std::_Exit(0);
        },
        ::testing::ExitedWithCode(86), "");
    test::waitUnlocked(drive().zoz());
    const std::string agora = bytes(z("PABFAE.PRN"));
    EXPECT_TRUE(agora == antes || agora == depois);
    EXPECT_EQ(recuperaImportacao(s).outcome, rt::db::Switch::Recovery::Outcome::Nothing);
    EXPECT_EQ(test::dotFiles(drive().zoz()), std::vector<std::string>{});
  }
}

// A link where the report goes is replaced, what it names left as it was;
// a folder or a device there is the error policy's create error naming the
// report, and nothing is offered for printing.
TEST_F(Pabfae, ReportPathTaken) {
  const fs::path fora = drive().root() / "FORA.TXT";
  struct Caso {
    const char* nome;
    std::function<bool(const fs::path&)> poe;  // false: not on this system
    bool escrito;
  };
  const std::vector<Caso> casos = {
      {"link",
       [&](const fs::path& p) {
         std::error_code ec;
         fs::create_symlink(fora, p, ec);
         return !ec;
       },
       true},
      {"folder", [](const fs::path& p) { return fs::create_directory(p); }, false},
#ifndef _WIN32
      {"device (a named pipe)", [](const fs::path& p) { return mkfifo(p.c_str(), 0644) == 0; }, false},
#endif
  };
  unidades(2);
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    fs::remove_all(z("PABFAE.PRN"));
    std::ofstream(fora, std::ios::binary) << "outside";
    if (!c.poe(z("PABFAE.PRN"))) continue;
    keys().atKeys.clear();
    keys().add(c.escrito ? key::kEsc : 'D');  // the printing question, or "Default"
    PABFAE(s);
    EXPECT_EQ(keys().pending(), 0u);
    ASSERT_EQ(keys().atKeys.size(), 1u);
    EXPECT_EQ(shows(keys().atKeys[0], "Create error: \\ZOZ\\PABFAE.PRN"), !c.escrito);
    EXPECT_EQ(shows(keys().atKeys[0], "Imprimir?"), c.escrito);
    EXPECT_EQ(bytes(fora), "outside");
    EXPECT_EQ(fs::is_regular_file(fs::symlink_status(z("PABFAE.PRN"))), c.escrito);
    EXPECT_FALSE(term().printer().isOpen());
  }
}

}  // namespace
}  // namespace fpo
