// Fields read by name: what each reader gives for each field type, and how
// often a missing field is told to the error policy.
#include "app/campos.h"

#include <vector>

#include "support/app_fixture.h"
#include "support/tables.h"

namespace fpo {
namespace {

class Campos : public test::AppTest {
 protected:
  Campos() {
    test::makeTable(drive().zoz() / "CAMPOS.DBF",
                    {{"CODIGO", 'C', 6, 0}, {"QTD", 'N', 5, 1}, {"DATA", 'D', 8, 0}, {"OK", 'L', 1, 0}},
                    {{test::C("0123"), test::N(2.5), test::D("20240131"), rt::Value(true)}});
    s.rt.errors.install([this](const rt::err::Error& e) {
      erros.push_back(e.operation);
      return rt::err::Answer::byDefault();
    });
    EXPECT_TRUE(s.rt.db.use("\\ZOZ\\CAMPOS", "CAMPOS", true));
  }
  rt::db::Area& area() { return *s.rt.db.find("CAMPOS"); }

  std::vector<std::string> erros;
};

TEST_F(Campos, EachReaderByFieldType) {
  const struct {
    const char* campo;
    const char* bruto;  // any type as stored
    const char* texto;  // text fields only
    double numero;      // number fields only
    const char* c;      // any type as text
    double n;           // number fields, and text ones by Val
  } casos[] = {
      {"CODIGO", "0123  ", "0123  ", 0, "0123  ", 123},
      {"QTD", "  2.5", "", 2.5, "  2.5", 2.5},
      {"DATA", "20240131", "", 0, "20240131", 0},
      {"OK", "T", "", 0, "", 0},
  };
  Tabela tabela(s, "CAMPOS");
  for (const auto& k : casos) {
    EXPECT_EQ(bruto(area(), k.campo), k.bruto) << k.campo;
    EXPECT_EQ(texto(area(), k.campo), k.texto) << k.campo;
    EXPECT_EQ(numero(area(), k.campo), k.numero) << k.campo;
    EXPECT_EQ(tabela.c(k.campo), k.c) << k.campo;
    EXPECT_EQ(tabela.v(k.campo), k.c) << k.campo;
    EXPECT_EQ(tabela.n(k.campo), k.n) << k.campo;
  }
  EXPECT_TRUE(erros.empty());
}

// A read on its own tells each time; a table tells once.
TEST_F(Campos, MissingFieldTold) {
  EXPECT_EQ(texto(area(), "FALTA"), "");
  EXPECT_EQ(numero(area(), "FALTA"), 0);
  EXPECT_EQ(bruto(area(), "FALTA"), "");
  EXPECT_EQ(campo(area(), "FALTA"), -1);
  EXPECT_EQ(erros.size(), 4u);

  erros.clear();
  Tabela tabela(s, "CAMPOS");
  EXPECT_EQ(tabela.c("FALTA"), "");
  EXPECT_EQ(tabela.n("FALTA"), 0);
  EXPECT_EQ(tabela.v("FALTA"), "");
  EXPECT_EQ(erros, std::vector<std::string>{"FALTA"});
}

// The alias opened again on a table of another layout, in the same work
// area or in another: the fields are found again in the new one.
TEST_F(Campos, AliasReopenedOnAnotherLayout) {
  test::makeTable(drive().zoz() / "OUTRA.DBF", {{"QTD", 'N', 3, 0}, {"CODIGO", 'C', 2, 0}},
                  {{test::N(7), test::C("XY")}});
  Tabela tabela(s, "CAMPOS");
  ASSERT_EQ(tabela.v("CODIGO"), "0123  ");
  ASSERT_EQ(tabela.n("QTD"), 2.5);
  for (const bool mesmaArea : {true, false}) {
    area().close();
    if (!mesmaArea) s.rt.db.select(0);
    ASSERT_TRUE(s.rt.db.use("\\ZOZ\\OUTRA", "CAMPOS", true));
    EXPECT_EQ(tabela.v("CODIGO"), "XY") << mesmaArea;
    EXPECT_EQ(tabela.n("QTD"), 7) << mesmaArea;
    EXPECT_EQ(tabela.c("QTD"), "  7") << mesmaArea;
  }
  EXPECT_TRUE(erros.empty());
}

}  // namespace
}  // namespace fpo
