// The spare period and code routines: scrambler, widening, period texts,
// the message picker and the two period checks.
#include "app/errorsys/Errorsys.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "support/app_fixture.h"
#include "support/tables.h"

namespace fpo {
namespace {

using test::C;
using test::D;
using test::N;

std::string bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s.push_back(static_cast<char>(c));
  return s;
}

TEST(SparePeriodo, Codigo) {
  struct Caso {
    const char* texto;
    const char* acao;
    std::optional<std::string> esperado;
  };
  const Caso casos[] = {
      {"abc", "C", bytes({168, 182, 190, 127, 96, 80, 72})},
      {"", "C", CODIGO("       ", "C")},
      {"ABCDEFGHIJ", "C", CODIGO("ABCDEFG", "C")},             // only the first 7 count
      {"\xFF", "C", bytes({175, 248, 156, 110, 87, 76, 70})},  // codes past 255 keep their low 8 bits
      {"abc", "X", std::nullopt},
      {"abc", "", std::nullopt},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(std::string(c.texto) + "/" + c.acao);
    EXPECT_EQ(CODIGO(c.texto, c.acao), c.esperado);
  }
  for (const char* t : {"abc", "SENHA12", "Z", "1234567"}) {
    SCOPED_TRACE(t);
    std::string padded(t);
    padded.resize(7, ' ');
    EXPECT_EQ(CODIGO(*CODIGO(t, "C"), "D"), padded);
  }
}

TEST(SparePeriodo, Ordelem) {
  struct Caso {
    rt::Value valor;
    double esperado;
  };
  const Caso casos[] = {
      {N(35), 3500},
      {N(3999), 399900},
      {N(4000), 4000},
      {N(123456), 123456},
      {rt::Value::number(12.5, -1, 1), 12.5},
      {N(12.5), 12.5},  // decimals the value does not declare
      {N(-5), -500},
      {N(0), 0},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.valor.num());
    const rt::Value r = ORDELEM(c.valor);
    ASSERT_TRUE(r.isNumber());
    EXPECT_DOUBLE_EQ(r.num(), c.esperado);
  }
}

TEST(SparePeriodo, PeriodoAndReferencia) {
  struct Caso {
    double yymm;
    const char* esperado;
  };
  const Caso casos[] = {
      {9711, "NOVEMBRO / 1.997"},
      {101, "JANEIRO / 1.901"},
      {9403, "MARCO / 1.994"},
      {9913, " / 1.999"},  // no month 13
  };
  for (const Caso& c : casos) EXPECT_EQ(PERIODO(c.yymm), c.esperado) << c.yymm;
  EXPECT_EQ(REFERENCIA("11", "97"), "NOVEMBRO / 1.997");
  EXPECT_EQ(REFERENCIA("1", "5"), "JANEIRO / 1.905");
  EXPECT_EQ(REFERENCIA("12", "105"), "DEZEMBRO / 2.005");
}

class SparePeriodoTela : public test::AppTest {
 protected:
  SparePeriodoTela() { ERRORSYS(s); }
};

TEST_F(SparePeriodoTela, PeriodChecks) {
  struct Caso {
    const char* var;
    bool intfun2;  // with INT1 "9705"
    int ultima;    // the last key before the check
    bool valido;
  };
  const Caso casos[] = {
      {"9413", false, rt::term::key::kEnter, false}, {"9312", false, rt::term::key::kEnter, false},
      {"9401", false, rt::term::key::kEnter, true},  {"9400", false, rt::term::key::kEsc, true},
      {"9700", false, rt::term::key::kEnter, false}, {"9704", true, rt::term::key::kEnter, false},
      {"9705", true, rt::term::key::kEnter, true},   {"9801", true, rt::term::key::kEnter, true},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.var);
    keys().atKeys.clear();
    if (!c.valido) keys().add(' ');
    term().setLastKey(c.ultima);
    EXPECT_EQ(c.intfun2 ? INTFUN2(s, c.var, "9705") : INTFUN1(s, c.var), c.valido);
    EXPECT_EQ(keys().pending(), 0u);
    EXPECT_EQ(!keys().atKeys.empty() && shows(keys().atKeys[0], "Referência Inválida"), !c.valido);
  }
}

TEST_F(SparePeriodoTela, IdMens) {
  struct Caso {
    const char* smp;  // DATSMP, "" empty
    const char* psf;  // DATPSF
    double ipr;
    const char* cpc;
    const char* ano;
    int entrada;  // 0: none
  };
  const std::vector<Caso> casos = {
      {"19960105", "", 18, "M", "96", 4}, {"19960105", "19960101", 18, "M", "97", 3},
      {"19960105", "", 17, "M", "90", 3}, {"", "19960101", 1, "", "97", 3},
      {"", "19960101", 2, "B", "97", 3},  {"", "19960101", 2, "A", "97", 1},
      {"", "19960101", 3, "", "90", 1},   {"", "19960101", 6, "", "90", 1},
      {"", "19960101", 17, "", "98", 1},  {"", "19960101", 18, "O", "96", 1},
      {"", "19960101", 4, "", "97", 4},   {"", "19960101", 4, "", "96", 0},
      {"", "19960101", 5, "", "90", 2},   {"", "19960101", 18, "M", "96", 4},
      {"", "19960101", 18, "X", "97", 1}, {"", "19960101", 18, "X", "96", 0},
      {"", "", 1, "", "90", 2},           {"", "", 2, "B", "90", 2},
      {"", "", 5, "", "99", 2},           {"", "", 18, "M", "96", 4},
      {"", "", 4, "", "97", 4},           {"", "", 4, "", "96", 1},
      {"", "", 2, "M", "90", 1},
  };
  std::vector<test::Row> mnc, pid;
  for (const Caso& c : casos) {
    mnc.push_back({*c.smp ? D(c.smp) : rt::Value(), *c.psf ? D(c.psf) : rt::Value()});
    pid.push_back({N(c.ipr), C(c.cpc)});
  }
  test::makeTable(drive().zoz() / "MNC.DBF", {{"DATSMP", 'D', 8, 0}, {"DATPSF", 'D', 8, 0}}, mnc);
  test::makeTable(drive().zoz() / "PID.DBF", {{"CODIPR", 'N', 2, 0}, {"CODCPC", 'C', 1, 0}}, pid);
  auto& db = s.rt.db;
  ASSERT_TRUE(db.use("MNC", "MNC", true));
  ASSERT_TRUE(db.use("PID", "PID", true));
  const std::vector<std::string> VT_MENS = {"um", "dois", "tres", "quatro"};
  for (std::size_t i = 0; i < casos.size(); ++i) {
    const Caso& c = casos[i];
    SCOPED_TRACE(i + 1);
    db.find("MNC")->goTo(static_cast<std::uint32_t>(i + 1));
    db.find("PID")->goTo(static_cast<std::uint32_t>(i + 1));
    const auto r = ID_MENS(s, VT_MENS, c.ano);
    if (c.entrada == 0) {
      EXPECT_EQ(r, std::nullopt);
    } else {
      EXPECT_EQ(r, VT_MENS[static_cast<std::size_t>(c.entrada - 1)]);
      // A list too short for the entry chosen gives none.
      EXPECT_EQ(ID_MENS(s, std::vector<std::string>(VT_MENS.begin(), VT_MENS.begin() + c.entrada - 1), c.ano),
                std::nullopt);
    }
  }
}

}  // namespace
}  // namespace fpo
