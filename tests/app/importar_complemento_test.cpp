// The federal-complement price rows: the arithmetic, percentage 0, and the
// guard against a procedure listed twice.
#include <fstream>
#include <sstream>

#include "app/importar/passos.h"
#include "importar_fixture.h"

namespace fpo {
namespace {

namespace key = rt::term::key;

TEST(ValorComplemento, WorkedExamples) {
  struct Caso {
    double total, pct, sa;
  };
  for (const Caso& c : {Caso{123.45, 37, 45.67}, Caso{10.01, 15, 1.50}, Caso{8.55, 33, 2.82}, Caso{250.00, 20, 50.00},
                        Caso{0.50, 1, 0.00}, Caso{-123.45, 37, -45.67}}) {
    EXPECT_DOUBLE_EQ(importar::VALOR_COMPLEMENTO(c.total, c.pct), c.sa) << c.total << " " << c.pct;
  }
}

class ImportarComplemento : public test::ImportarTest {
 protected:
  std::string bytes(const std::string& name) {
    std::ifstream in(z(name), std::ios::binary);
    std::ostringstream o;
    o << in.rdbuf();
    return o.str();
  }
};

TEST_F(ImportarComplemento, PercentageZeroRemovesTheMonthsRows) {
  passo("440", "0");
  keys().add(key::kEnter);
  ASSERT_EQ(importar(), -1);
  int mesTipo1 = 0;
  for (const auto& r : linhas("S_VPA.DBF")) {
    const std::string cmp = campo("S_VPA.DBF", r, "VPA_CMP");
    if (cmp == "202211" && campo("S_VPA.DBF", r, "VPA_TIPO") == "1") ++mesTipo1;
    if (cmp >= "201208") {
      EXPECT_EQ(campo("S_VPA.DBF", r, "VPA_MUN"), "230440") << cmp;
      EXPECT_EQ(campo("S_VPA.DBF", r, "VPA_MVM"), cmp);
    } else {
      EXPECT_EQ(campo("S_VPA.DBF", r, "VPA_MUN"), "230270") << cmp;
    }
  }
  EXPECT_EQ(mesTipo1, 0);
  EXPECT_EQ(linhas("S_VPA.DBF").size(), 5u);
}

// A procedure listed twice among the month's elective ones stops the
// program with the message, before S_VPA is touched.
TEST_F(ImportarComplemento, DuplicateProcedureStopsBeforeAnyChange) {
  auto pa = test::readTable(z("S_PA.DBF"));
  std::vector<test::Row> rows;
  for (const auto& r : pa) {
    test::Row row;
    for (std::size_t i = 0; i < r.fields.size(); ++i)
      row.push_back(i == 4 ? test::N(std::stod(r.fields[i])) : rt::Value(r.fields[i]));
    rows.push_back(row);
  }
  rows.push_back({test::C("0202010503"), test::C("DE NOVO"), test::C("202211"), test::C("S"), test::N(9),
                  test::C("N")});
  test::makeTable(z("S_PA.DBF"), test::zoz::kPa, rows);
  const std::string antes = bytes("S_VPA.DBF");

  passo("440", "37");
  keys().add(key::kEnter);  // the message
  EXPECT_EQ(importar(), 0);
  EXPECT_EQ(keys().pending(), 0u);
  // 76 characters: the box breaks the line before "<ENTER>"
  EXPECT_TRUE(shows(keys().atKeys.back(), "Problema na Geracao do Valor Complemento Federal - Cancelado. Tecle"));
  EXPECT_TRUE(shows(keys().atKeys.back(), "<ENTER>"));
  EXPECT_TRUE(keys().tones().empty());
  s.rt.db.closeAll();  // as the program's end does
  EXPECT_EQ(bytes("S_VPA.DBF"), antes);
  EXPECT_FALSE(std::filesystem::exists(z("INSVPA.NTX")));
}

}  // namespace
}  // namespace fpo
