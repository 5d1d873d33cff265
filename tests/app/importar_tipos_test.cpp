// The import over tables whose fields have other types than ZOZ's: the
// error policy's alert naming the field, and "Quit" ends the program.
#include "importar_fixture.h"

namespace fpo {
namespace {

namespace key = rt::term::key;
using rt::db::FieldSpec;
using test::C;
using test::N;

class ImportarTipos : public test::ImportarTest {};

TEST_F(ImportarTipos, FieldsOfOtherTypes) {
  struct Caso {
    const char* tabela;
    std::vector<FieldSpec> campos;
    std::vector<test::Row> linhas;
    const char* erro;  // in the error output
  };
  const std::vector<FieldSpec> vpa = {
      {"VPA_CMP", 'C', 6, 0},    {"VPA_PA", 'C', 10, 0}, {"VPA_TIPO", 'C', 1, 0},
      {"VPA_TOTAL", 'N', 12, 2}, {"VPA_SA", 'N', 12, 2}, {"VPA_CTF", 'C', 2, 0},
      {"VPA_RUB", 'C', 6, 0},    {"VPA_MVM", 'C', 6, 0}, {"VPA_MUN", 'N', 6, 0}};
  const Caso casos[] = {
      {"ZOZ_CTRL.211",
       {{"CODMNC", 'C', 4, 0}, {"NMEMNC", 'C', 30, 0}, {"CODGES", 'C', 2, 0}, {"DATREF", 'C', 6, 0}},
       {{C("0440"), C("FORTALEZA"), C("PM"), C("202211")}},
       "Data type error in CTRL->CODMNC (the value sought has another type than the key): "
       "\\ZOZ\\ZOZ_CTRL.211"},
      {"S_PA.DBF",
       {{"PA_ID", 'C', 10, 0}, {"PA_CMP", 'C', 6, 0}, {"PA_ELETIVA", 'C', 1, 0}, {"PA_TOTAL", 'C', 12, 0}},
       {{C("0301010072"), C("202211"), C("S"), C("12.50")}},
       "Data type error in VPA_TOTAL: \\ZOZ\\S_VPA.DBF"},
      {"S_VPA.DBF",
       vpa,
       {{C("202211"), C("0301010072"), C("0"), N(1), N(0), C(""), C(""), C(""), N(0)}},
       "Data type error in VPA_MUN: \\ZOZ\\S_VPA.DBF"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.tabela);
    for (const auto& e : std::filesystem::directory_iterator(drive().zoz()))
      std::filesystem::remove_all(e.path());
    test::zoz::build(drive().zoz());
    test::makeTable(z(c.tabela), c.campos, c.linhas);
    keys().atKeys.clear();
    s.rt.errors.takeErrOutput();
    passo("440", "37");
    keys().add(key::kEnter);  // "Quit"
    EXPECT_EQ(importar(), 1);
    EXPECT_EQ(keys().pending(), 0u);
    EXPECT_NE(s.rt.errors.errOutput().find(c.erro), std::string::npos) << s.rt.errors.errOutput();
    s.rt.db.closeAll();
    for (const char* t : {"S_UPS.DBF", "S_IPU.DBF", "S_VPA.DBF", "CTL.DBF"})
      EXPECT_NO_THROW(test::readTable(z(t))) << t;
  }
}

}  // namespace
}  // namespace fpo
