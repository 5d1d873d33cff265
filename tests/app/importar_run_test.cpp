// A whole import of the fixture's package for FORTALEZA (0440) at 37%,
// then every table it wrote.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "importar_fixture.h"
#include "rt/text/cp860.h"
#include "rt/text/date.h"
#include "rt/text/strings.h"
#include "support/read_dbf.h"

namespace fpo {
namespace {

using test::fieldNames;
using test::readTable;
using test::Record;
using test::zoz::U;

class ImportarRun : public test::ImportarTest {
 protected:
  void SetUp() override {
    passo("440", "37");
    keys().add(rt::term::key::kEnter);  // "Processo Concluído"
    ASSERT_EQ(importar(), -1);
    ASSERT_EQ(keys().pending(), 0u);
  }
};

TEST_F(ImportarRun, PromptsAndTheEnd) {
  EXPECT_TRUE(viu("Confirma Cod. Município: 0440"));
  EXPECT_TRUE(viu("Confirma Percentual de Complemento:  37%"));
  const auto& fim = keys().atKeys.back();
  EXPECT_TRUE(shows(fim, "Processo Concluído"));
  EXPECT_TRUE(shows(fim, "Ok!"));
  EXPECT_EQ(text(12, 1, 78), rt::text::toUtf8(rt::text::padC("Realizando a  importacao  dos  arquivos", 78)));
  EXPECT_EQ(text(24), rt::text::toUtf8(rt::text::padC("Atualizando VPA para Gestao Municipal", 80)));
  for (int r = 1; r <= 6; ++r) EXPECT_FALSE(s.rt.db.area(r).used()) << r;
}

TEST_F(ImportarRun, UnitTableInTheNewLayout) {
  // name:type:width of the 44 fields
  const char* const kLayout =
      "UPS_ID:C:7 UPS_UF:C:2 UPS_RZSC:C:35 UPS_NMFN:C:35 UPS_IN_ATV:C:1 UPS_IN_FJ:C:1 UPS_CGCCPF:C:14 "
      "UPS_IR:C:1 "
      "UPS_LOGR:C:30 UPS_NUM:C:10 UPS_COMPL:C:15 UPS_BAIRRO:C:15 UPS_DDD:C:5 UPS_TELE:C:7 UPS_CEP:C:8 "
      "UPS_MN:C:6 "
      "UPS_DS:C:3 UPS_RS:C:3 UPS_AB:C:6 UPS_NU_CC:C:14 UPS_IN_MN:C:1 UPS_NU_CT:C:8 UPS_DT_IN:D:8 "
      "UPS_DT_CT:D:8 "
      "UPS_DT_PR:D:8 UPS_TUP:C:2 UPS_TP:C:2 UPS_QT_CM:N:3 UPS_QT_EO:N:3 UPS_QT_SG:N:2 UPS_QT_SPC:N:2 "
      "UPS_QT_SCA:N:2 "
      "UPS_TA:C:2 UPS_FC:C:2 UPS_CNES:C:7 UPS_IDANT:C:7 UPS_NH:C:2 UPSATUCNES:C:1 UPS_BANCO:C:3 UPS_MNT:C:14 "
      "UPS_NATJUR:C:4 UNIDADE_ID:C:31 UPS_LOCNAC:C:1 UPS_CHKSM:C:6";
  for (const char* tabela : {"S_UPS.DBF", "UPS1.DBF"}) {
    auto t = rt::db::Table::open(z(tabela), s.rt.errors);
    ASSERT_TRUE(t) << tabela;
    std::string layout;
    for (const auto& f : t->fields())
      layout += (layout.empty() ? "" : " ") + f.name + ":" + f.type + ":" + std::to_string(f.width);
    EXPECT_EQ(layout, kLayout) << tabela;
  }
  const auto ups = linhas("S_UPS.DBF");
  ASSERT_EQ(ups.size(), 3u);  // the deleted unit is gone
  auto f = [&](int row, const char* name) {
    return campo("S_UPS.DBF", ups[static_cast<std::size_t>(row)], name);
  };
  EXPECT_EQ(f(0, "UPS_ID"), U(1));
  EXPECT_EQ(f(1, "UPS_ID"), U(2));
  EXPECT_EQ(f(2, "UPS_ID"), U(4));
  EXPECT_EQ(f(0, "UPS_RZSC"), "HOSPITAL GERAL DE FORTALEZA DR CESA");  // cut to 35
  EXPECT_EQ(f(0, "UPS_DT_IN"), "19980115");
  EXPECT_EQ(f(0, "UPS_QT_CM"), "120");
  EXPECT_EQ(f(2, "UPS_MN"), "230270");
  EXPECT_EQ(f(0, "UPS_IDANT"), "0012345");
  EXPECT_EQ(f(0, "UPS_CNES"), "2497654");
  EXPECT_EQ(f(0, "UPS_CHKSM"), "");  // missing before
  EXPECT_EQ(f(0, "UPS_QT_EO"), "");
  EXPECT_EQ(readTable(z("UPS1.DBF")).size(), 3u);
}

TEST_F(ImportarRun, BudgetRowsOfTheMonthReplaced) {
  std::vector<std::string> got;
  for (const Record& r : readTable(z("S_IPU.DBF"))) {
    EXPECT_FALSE(r.deleted);
    std::string line;
    for (const auto& v : r.fields) line += v + "|";
    got.push_back(line);
  }
  const std::vector<std::string> want = {
      U(1) + "|001|0701000|01|202210|10.00|8|80.00|202210|N|",
      U(4) + "|001|0701000|01|202210|10.00|6|60.00|202210|N|",
      U(1) + "|001|0701000|01|202211|15.00|10|150.00|202211|N|",
      U(2) + "|001|0702000|01|202211|20.00|4|80.00|202211|N|",
      U(1) + "|001|0703000|01|202211|10.50|3|31.50|202211|N|",
  };
  for (std::size_t i = 0; i < got.size(); ++i) got[i].erase(0, got[i].find_first_not_of(' '));
  EXPECT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
    // numbers are right-aligned in their fields: compare without the blanks
    std::string g = got[i], w = want[i];
    std::erase(g, ' ');
    EXPECT_EQ(g, w) << i;
  }
}

TEST_F(ImportarRun, CrossReferenceOneRowPerUnit) {
  const auto c = readTable(z("S_CNESIA.DBF"));
  EXPECT_EQ(fieldNames(z("S_CNESIA.DBF")), (std::vector<std::string>{"COD_CNES", "COD_ZOZ", "GESTAO"}));
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].fields, (std::vector<std::string>{U(1), "0012345", "230440"}));
  EXPECT_EQ(c[1].fields, (std::vector<std::string>{U(2), "0012346", "230440"}));
  EXPECT_EQ(c[2].fields, (std::vector<std::string>{U(4), "0022222", "230270"}));
}

TEST_F(ImportarRun, ControlRowUpdatedInPlace) {
  const auto ctl = linhas("CTL.DBF");
  ASSERT_EQ(ctl.size(), 2u);  // the month's row existed: no new one
  const Record& r = ctl[1];
  EXPECT_EQ(campo("CTL.DBF", r, "DATREF"), "202211");
  EXPECT_EQ(campo("CTL.DBF", r, "CODMNC"), " 440");
  EXPECT_EQ(campo("CTL.DBF", r, "DATATU"), rt::Date::today().dtos());
  EXPECT_EQ(campo("CTL.DBF", r, "DATSES"), "20221122");  // the critique's fields stay
  EXPECT_EQ(campo("CTL.DBF", r, "STASES"), "E");
  EXPECT_EQ(campo("CTL.DBF", ctl[0], "DATATU"), "20221105");

  // The key of the row: the period, a blank and 440.
  rt::db::Workspace ws(s.rt.errors);
  ASSERT_TRUE(ws.use(z("CTL.DBF").string(), "CTL"));
  ASSERT_TRUE(ws.current().orderListAdd(z("I01CTL.NTX").string()));
  EXPECT_TRUE(ws.current().seek(rt::Value(std::string("202211 440")), false));
  EXPECT_EQ(ws.current().recNo(), 2u);
}

TEST_F(ImportarRun, InstallationRecords) {
  const auto ss = linhas("S_SS.DBF");
  ASSERT_EQ(ss.size(), 1u);
  EXPECT_EQ(campo("S_SS.DBF", ss[0], "SS_CONDIC"), "PM");
  EXPECT_EQ(campo("S_SS.DBF", ss[0], "SS_DPCNES"), "04.19");
  const auto ctr = linhas("S_CTR.DBF");
  ASSERT_EQ(ctr.size(), 1u);
  EXPECT_EQ(campo("S_CTR.DBF", ctr[0], "CTR_VERSAO"), "");
  EXPECT_EQ(campo("S_CTR.DBF", ctr[0], "CTR_CNES"), "XYZ");
  EXPECT_FALSE(std::filesystem::exists(z("CTR1.DBF")));
}

TEST_F(ImportarRun, ComplementRows) {
  std::vector<std::string> got;
  for (const Record& r : readTable(z("S_VPA.DBF"))) {
    EXPECT_FALSE(r.deleted);
    std::string line;
    for (auto v : r.fields) {
      v.erase(0, v.find_first_not_of(' '));
      line += v + "|";
    }
    got.push_back(line);
  }
  const std::vector<std::string> want = {
      // earlier rows; the month's complement rows and the deleted row are gone
      "202211|0301010072|0|123.45|0.00|||202211|230440|",
      "202210|0301010072|1|120.00|8.00|04|040066|202210|230440|",
      "201207|0301010072|1|100.00|5.00|04|040066|201207|230270|",
      "201208|0301010072|0|100.00|0.00|||201208|230440|",
      "202210|0202010503|0|10.00|0.00|||202210|230440|",
      // one complement row per elective procedure of the month
      "202211|0301010072|1|123.45|45.67|04|040066|202211|230440|",
      "202211|0202010503|1|10.01|3.70|04|040066|202211|230440|",
      "202211|0303010037|1|8.55|3.16|04|040066|202211|230440|",
      "202211|0401010066|1|250.00|92.50|04|040066|202211|230440|",
      "202211|0211020036|1|0.50|0.18|04|040066|202211|230440|",
  };
  EXPECT_EQ(got, want);
}

TEST_F(ImportarRun, IndexFilesLeft) {
  EXPECT_EQ(indices(),
            (std::vector<std::string>{"I01CTL.NTX", "I01IPU.NTX", "I01UPS.NTX", "I02UPS.NTX", "INSVPA.NTX"}));
}

// A package without budget rows of the month: the month's installed rows go
// and none come back; the other months stay.
class ImportarPacote : public test::ImportarTest {};

TEST_F(ImportarPacote, WithoutTheMonthsBudgetRows) {
  test::makeTable(
      z("S_IPU.211"), test::zoz::kIpu,
      {{test::C(U(1).c_str()), test::C("001"), test::C("0701000"), test::C("01"), test::C("202210"),
        test::N(10), test::N(9), test::N(90), test::C("202210"), test::C("N")}});
  passo("440", "37");
  keys().add(rt::term::key::kEnter);
  ASSERT_EQ(importar(), -1);
  std::vector<std::string> meses;
  for (const Record& r : readTable(z("S_IPU.DBF"))) meses.push_back(campo("S_IPU.DBF", r, "IPU_CMP"));
  EXPECT_EQ(meses, (std::vector<std::string>{"202210", "202210"}));
}

// (The reader runs beside the Linux build; the tables of fpo.exe meet it in
// the smoke test of fpo.exe.)
#ifndef _WIN32
// The tables the import wrote, read by Debian's python3-dbfread.
TEST_F(ImportarRun, IndependentReaderAgrees) {
  if (!test::haveDbfread()) GTEST_SKIP() << "python3-dbfread missing";
  std::vector<std::filesystem::path> tabelas;
  for (const char* t : {"S_UPS.DBF", "UPS1.DBF", "S_IPU.DBF", "S_CNESIA.DBF", "CTL.DBF", "S_VPA.DBF",
                        "S_SS.DBF", "S_CTR.DBF"})
    tabelas.push_back(z(t));
  bool ok = false;
  const std::string out = test::dbfread("rows", tabelas, &ok);
  ASSERT_TRUE(ok) << out;
  EXPECT_EQ(out, test::rowsReadHere(tabelas, s.rt.errors));
}
#endif

}  // namespace
}  // namespace fpo
