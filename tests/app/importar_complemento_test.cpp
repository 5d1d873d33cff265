// The federal-complement price rows: the arithmetic, the price table against
// the same steps done with the table layer's plain commands, percentage 0,
// and the guard against a procedure listed twice.
#include "app/importar/passos.h"
#include "importar_fixture.h"
#include "rt/text/number.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;

TEST(ValorComplemento, WorkedExamples) {
  struct Caso {
    double total, pct, sa;
  };
  for (const Caso& c : {Caso{123.45, 37, 45.67}, Caso{10.01, 15, 1.50}, Caso{8.55, 33, 2.82},
                        Caso{250.00, 20, 50.00}, Caso{0.50, 1, 0.00}, Caso{-123.45, 37, -45.67}}) {
    EXPECT_DOUBLE_EQ(importar::valorComplemento(c.total, c.pct), c.sa) << c.total << " " << c.pct;
  }
}

class ImportarComplemento : public test::ImportarTest {
 protected:
  // The month of the fixture's procedures of 2022/11 changed.
  void mesDosProcedimentos(const std::string& mes) {
    auto t = rt::db::Table::open(z("S_PA.DBF"), s.rt.errors);
    ASSERT_TRUE(t);
    const int cmp = t->fieldIndex("PA_CMP");
    for (std::uint32_t r = 1; r <= t->lastRec(); ++r) {
      t->load(r);
      if (t->raw(cmp) == "202211") t->put(cmp, rt::Value(mes));
    }
    ASSERT_TRUE(t->close());
  }

  // S_PA and S_VPA in the folder `dir` brought where the import's steps take
  // them, one after the other: the month's complement rows marked deleted
  // and packed, the index made, a seek before each append, then the marks
  // written in the index's order.
  void passosDoComplemento(const fs::path& dir, const std::string& periodo, double pct,
                           const std::string& mun) {
    rt::db::Workspace ws(s.rt.errors);
    ws.settings().deleted = true;
    ASSERT_TRUE(ws.use((dir / "S_PA.DBF").string(), "SPA"));
    rt::db::Area& spa = ws.current();
    ASSERT_TRUE(ws.use((dir / "S_VPA.DBF").string(), "SVPA"));
    rt::db::Area& vpa = ws.current();
    const auto t = [](rt::db::Area& a, const char* f) { return a.get(f).string(); };
    for (vpa.goTop(); !vpa.eof(); vpa.skip(1))
      if (t(vpa, "VPA_CMP") == periodo && t(vpa, "VPA_TIPO") == "1") vpa.deleteRecord();
    ASSERT_TRUE(vpa.pack());
    ASSERT_TRUE(vpa.indexOn("vpa_cmp + vpa_pa + vpa_tipo", (dir / "INSVPA.NTX").string()));
    const std::string excluidos = "040505009,040505010,040505011,040505037";
    for (spa.goTop(); !spa.eof(); spa.skip(1)) {
      if (pct == 0 || excluidos.find(t(spa, "PA_ID").substr(0, 9)) != std::string::npos) continue;
      if (t(spa, "PA_CMP") != periodo || t(spa, "PA_ELETIVA") != "S") continue;
      EXPECT_FALSE(vpa.seek(rt::Value(t(spa, "PA_CMP") + t(spa, "PA_ID") + "1"), false));
      const rt::Value total = spa.get("PA_TOTAL");
      ASSERT_TRUE(vpa.appendBlank());
      vpa.put("VPA_PA", spa.get("PA_ID"));
      vpa.put("VPA_CMP", spa.get("PA_CMP"));
      vpa.put("VPA_TOTAL", total);
      vpa.put("VPA_SA", rt::Value::number(importar::valorComplemento(total.num(), pct)));
      vpa.put("VPA_TIPO", rt::Value(std::string("1")));
      vpa.put("VPA_CTF", rt::Value(std::string("04")));
      vpa.put("VPA_RUB", rt::Value(std::string("040066")));
      vpa.put("VPA_MVM", spa.get("PA_CMP"));
    }
    for (vpa.goTop(); !vpa.eof(); vpa.skip(1)) {
      if (t(vpa, "VPA_CMP") < "201208") continue;
      vpa.put("VPA_MUN", rt::Value(mun));
      vpa.put("VPA_MVM", vpa.get("VPA_CMP"));
    }
    ASSERT_TRUE(ws.commitAll());
    ws.closeAll();
  }
};

// The import's S_VPA and insvpa are, byte for byte, what its steps done one
// after the other give: rows before 2012/08 untouched, complement rows of
// other months kept, rows marked deleted gone.
TEST_F(ImportarComplemento, PriceTableAsTheStepsGiveIt) {
  struct Caso {
    int ano, mes;
    const char* percentual;
  };
  for (const Caso& c :
       {Caso{2022, 11, "37"}, Caso{2022, 11, "0"}, Caso{2012, 7, "15"}, Caso{2012, 8, "100"}}) {
    const std::string periodo = rt::text::strZero(c.ano, 4) + rt::text::strZero(c.mes, 2);
    SCOPED_TRACE(periodo + " " + c.percentual);
    for (const auto& e : fs::directory_iterator(drive().zoz())) fs::remove_all(e.path());
    test::zoz::build(drive().zoz());
    if (periodo != "202211") {
      mudaPeriodo(c.ano, c.mes);
      mesDosProcedimentos(periodo);
    }
    const fs::path dir = drive().root() / "PASSOS";
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* t : {"S_PA.DBF", "S_VPA.DBF"}) fs::copy_file(z(t), dir / t);

    keys().atKeys.clear();
    passo("440", c.percentual);
    keys().add(key::kEnter);
    ASSERT_EQ(importar(), -1);
    ASSERT_TRUE(viu("Processo Concluído"));
    passosDoComplemento(dir, periodo, std::stod(c.percentual), "230440");

    const auto esperado = test::readTable(dir / "S_VPA.DBF");
    const auto obtido = test::readTable(z("S_VPA.DBF"));
    ASSERT_EQ(obtido.size(), esperado.size());
    for (std::size_t i = 0; i < esperado.size(); ++i) EXPECT_EQ(obtido[i].fields, esperado[i].fields) << i;
    EXPECT_EQ(bytes("S_VPA.DBF"), test::ImportarTest::lerArquivo(dir / "S_VPA.DBF"));
    EXPECT_EQ(bytes("INSVPA.NTX"), test::ImportarTest::lerArquivo(dir / "INSVPA.NTX"));
  }
}

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
  rows.push_back(
      {test::C("0202010503"), test::C("DE NOVO"), test::C("202211"), test::C("S"), test::N(9), test::C("N")});
  test::makeTable(z("S_PA.DBF"), test::zoz::kPa, rows);
  const std::string antes = bytes("S_VPA.DBF");

  passo("440", "37");
  keys().add(key::kEnter);  // the message
  EXPECT_EQ(importar(), 0);
  EXPECT_EQ(keys().pending(), 0u);
  // 76 characters: the box breaks the line before "<ENTER>"
  EXPECT_TRUE(
      shows(keys().atKeys.back(), "Problema na Geracao do Valor Complemento Federal - Cancelado. Tecle"));
  EXPECT_TRUE(shows(keys().atKeys.back(), "<ENTER>"));
  EXPECT_TRUE(keys().tones().empty());
  s.rt.db.closeAll();  // as the program's end does
  EXPECT_EQ(bytes("S_VPA.DBF"), antes);
  EXPECT_FALSE(std::filesystem::exists(z("INSVPA.NTX")));
}

}  // namespace
}  // namespace fpo
