// The fixture's \ZOZ folder written: the package, the installed tables, the
// control and installation records and the month's elective procedures.
#include "support/zoz_fixture.h"

#include <fstream>

#include "app/funcoes/Funcoes.h"
#include "rt/text/number.h"
#include "support/tables.h"

namespace fpo::test::zoz {

namespace fs = std::filesystem;
using rt::db::FieldSpec;

const std::vector<FieldSpec> kSs = {{"SS_GESTAO", 'C', 6, 0}, {"SS_CONDIC", 'C', 2, 0},
                                    {"SS_UFIBGE", 'C', 2, 0}, {"SS_UFSIGL", 'C', 2, 0},
                                    {"SS_DPCNES", 'C', 5, 0}, {"SS_NOME", 'C', 30, 0}};

namespace {

// Older unit layouts: the installed one lacks the last fields of the
// 44-field layout, has UPS_RZSC 40 wide and an extra field; the package's
// is shorter still.
const std::vector<FieldSpec> kUpsInstalado = {
    {"UPS_ID", 'C', 7, 0},    {"UPS_UF", 'C', 2, 0},     {"UPS_RZSC", 'C', 40, 0},
    {"UPS_NMFN", 'C', 35, 0}, {"UPS_IN_ATV", 'C', 1, 0}, {"UPS_CGCCPF", 'C', 14, 0},
    {"UPS_MN", 'C', 6, 0},    {"UPS_DT_IN", 'D', 8, 0},  {"UPS_QT_CM", 'N', 3, 0},
    {"UPS_IDANT", 'C', 7, 0}, {"UPS_VELHO", 'C', 12, 0}, {"UPS_CNES", 'C', 7, 0}};
const std::vector<FieldSpec> kUpsPacote = {{"UPS_ID", 'C', 7, 0},      {"UPS_RZSC", 'C', 35, 0},
                                           {"UPS_CGCCPF", 'C', 14, 0}, {"UPS_MN", 'C', 6, 0},
                                           {"UPS_IDANT", 'C', 7, 0},   {"UPS_EXTRA", 'C', 5, 0}};

Row ipu(const std::string& uid, const char* pa, const char* cmp, double qt, double vl) {
  return {C(uid.c_str()), C("001"), C(pa), C("01"), C(cmp), N(vl / qt), N(qt), N(vl), C(cmp), C("N")};
}

}  // namespace

std::string unidade(int numero) { return rt::text::strZero(numero, 6) + std::to_string(CALDIGUPS(numero)); }

std::string U(int n) { return unidade(234560 + n); }

void writeCtr(const fs::path& folder, const std::string& mvm, const std::string& flags, int rows) {
  std::vector<Row> r;
  for (int i = 0; i < rows; ++i) {
    Row row{rt::Value(mvm)};
    for (char f : flags) row.push_back(rt::Value(std::string(1, f)));
    row.push_back(C("XYZ"));
    row.push_back(C("3.10"));
    r.push_back(row);
  }
  makeTable(folder / "S_CTR.DBF", kCtr, r);
}

void writeSs(const fs::path& folder, const std::string& gestao, const std::string& uf,
             const std::string& sigla, int rows) {
  std::vector<Row> r(static_cast<std::size_t>(rows), Row{rt::Value(gestao), C("ZZ"), rt::Value(uf),
                                                         rt::Value(sigla), C(""), C("SECRETARIA MUNICIPAL")});
  makeTable(folder / "S_SS.DBF", kSs, r);
}

std::vector<Procedimento> eletivasDoMes() {
  return {{"0301010072", 123.45},
          {"0202010503", 10.01},
          {"0303010037", 8.55},
          {"0401010066", 250.00},
          {"0211020036", 0.50}};
}

void build(const fs::path& f, const Options& o) {
  const char* m = "202211";
  makeTable(f / "ZOZ_CTRL.211", kCtrl,
            {{N(440), C("FORTALEZA"), C("PM"), C(m)},
             {N(270), C("CAUCAIA"), C("PE"), C(m)},
             {N(10), C("ABAIARA"), C("PE"), C(m)},
             {N(445), C("FORQUILHA"), C("PE"), C(m)},
             {N(1280), C("SOBRAL"), C("PM"), C(m)},
             {N(20), C("ACARAPE"), C("PE"), C(m)},
             {N(450), C("FRECHEIRINHA"), C("PE"), C(m)}});
  makeTable(f / "S_MNT.211",
            {{"MNT_ID", 'C', 8, 0},
             {"MNT_CGCFI", 'C', 4, 0},
             {"MNT_CGCDV", 'C', 2, 0},
             {"MNT_MN", 'C', 6, 0},
             {"MNT_RS", 'C', 3, 0}},
            {{C("07954571"), C("0001"), C("04"), C("230440"), C("001")}});
  makeTable(f / "S_SRV.211", {{"SRV_UID", 'C', 7, 0}, {"SRV_SR", 'C', 3, 0}, {"SRV_CSF", 'C', 3, 0}},
            {{C(U(1).c_str()), C("010"), C("001")}});
  makeTable(f / "S_EMU.211", {{"EMU_UID", 'C', 7, 0}, {"EMU_EMA", 'C', 2, 0}, {"EMU_QT_PR", 'N', 3, 0}},
            {{C(U(1).c_str()), C("01"), N(2)}});
  makeTable(f / "S_UPS.211", kUpsPacote,
            {{C(U(1).c_str()), C("HOSPITAL GERAL"), C("07954571000104"), C("230440"), C("0012345"), C("X")},
             {C(U(2).c_str()), C("POSTO CENTRO"), C("07954571000285"), C("230440"), C("0012346"), C("X")},
             {C(U(3).c_str()), C("POSTO NORTE"), C("07954571000366"), C("230440"), C("0012347"), C("X")},
             {C(U(4).c_str()), C("HOSPITAL CAUCAIA"), C("07533995000129"), C("230270"), C("0022222"), C("X")},
             {C(U(6).c_str()), C("POSTO FECHADO"), C("07954571000447"), C("230440"), C("0012349"), C("X")}},
            {5});
  makeTable(f / "S_IPU.211", kIpu,
            {ipu(U(1), "0701000", m, 10, 150.00), ipu(U(2), "0702000", m, 4, 80.00),
             ipu(U(4), "0701000", m, 7, 70.00), ipu(U(1), "0703000", m, 3, 31.50),
             ipu(U(5), "0701000", m, 1, 10.00), ipu(U(6), "0701000", m, 2, 20.00),
             ipu(U(1), "0701000", "202210", 9, 90.00)});

  makeTable(f / "S_MNT.DBF", {{"MNT_ID", 'C', 8, 0}, {"MNT_MN", 'C', 6, 0}}, {{C("07954571"), C("230440")}});
  makeTable(f / "S_SRV.DBF", {{"SRV_UID", 'C', 7, 0}, {"SRV_SR", 'C', 3, 0}}, {{C(U(1).c_str()), C("010")}});
  makeTable(f / "S_EMU.DBF", {{"EMU_UID", 'C', 7, 0}, {"EMU_EMA", 'C', 2, 0}}, {{C(U(1).c_str()), C("01")}});
  makeTable(
      f / "S_UPS.DBF", kUpsInstalado,
      {{C(U(1).c_str()), C("23"), C("HOSPITAL GERAL DE FORTALEZA DR CESAR CALS"), C("HGF"), C("S"),
        C("07954571000104"), C("230440"), D("19980115"), N(120), C("0012345"), C("velho"), C("2497654")},
       {C(U(2).c_str()), C("23"), C("POSTO CENTRO"), C("CENTRO"), C("S"), C("07954571000285"), C("230440"),
        D("20010302"), N(3), C("0012346"), C("velho"), C("2481286")},
       {C(U(3).c_str()), C("23"), C("POSTO NORTE"), C("NORTE"), C("N"), C("07954571000366"), C("230440"),
        D("20050607"), N(0), C("0012347"), C("velho"), C("")},
       {C(U(4).c_str()), C("23"), C("HOSPITAL CAUCAIA"), C("HMC"), C("S"), C("07533995000129"), C("230270"),
        D("19990909"), N(45), C("0022222"), C("velho"), C("2372614")}},
      {3});
  std::vector<Row> instalado = {ipu(U(1), "0701000", "202210", 8, 80.00),
                                ipu(U(4), "0701000", "202210", 6, 60.00), ipu(U(1), "0701000", m, 99, 990.00),
                                ipu(U(4), "0701000", m, 5, 50.00), ipu(U(2), "0702000", "202210", 1, 9.00)};
  for (int i = 0; i < o.fillerIpu; ++i) instalado.push_back(ipu(U(4), "0709000", "202209", 1 + i % 50, 10.0));
  makeTable(f / "S_IPU.DBF", kIpu, instalado, {5});

  std::vector<Row> pa;
  for (const auto& p : eletivasDoMes())
    pa.push_back({C(p.id), C("ELETIVO"), C(m), C("S"), N(p.total), C("N")});
  pa.push_back({C("0405050097"), C("EXCLUIDO 009"), C(m), C("S"), N(500), C("N")});
  pa.push_back({C("0405050100"), C("EXCLUIDO 010"), C(m), C("S"), N(500), C("N")});
  pa.push_back({C("0405050119"), C("EXCLUIDO 011"), C(m), C("S"), N(500), C("N")});
  pa.push_back({C("0405050372"), C("EXCLUIDO 037"), C(m), C("S"), N(500), C("N")});
  pa.push_back({C("0301010030"), C("NAO ELETIVO"), C(m), C("N"), N(40), C("S")});
  pa.push_back({C("0301010072"), C("OUTRO MES"), C("202210"), C("S"), N(120), C("N")});
  makeTable(f / "S_PA.DBF", kPa, pa);

  std::vector<Row> vpa = {
      {C(m), C("0301010072"), C("1"), N(123.45), N(9.99), C("04"), C("040066"), C(m), C("230270")},
      {C(m), C("0999999999"), C("1"), N(1.00), N(0.10), C("04"), C("040066"), C(m), C("230270")},
      {C(m), C("0301010072"), C("0"), N(123.45), N(0), C(""), C(""), C(""), C("")},
      {C("202210"), C("0301010072"), C("1"), N(120), N(8.00), C("04"), C("040066"), C("202210"), C("230270")},
      {C("201207"), C("0301010072"), C("1"), N(100), N(5.00), C("04"), C("040066"), C("201207"), C("230270")},
      {C("201208"), C("0301010072"), C("0"), N(100), N(0), C(""), C(""), C("199901"), C("")},
      {C("202210"), C("0202010503"), C("0"), N(10), N(0), C(""), C(""), C(""), C("")},
      {C("202208"), C("0303010037"), C("0"), N(8), N(0), C(""), C(""), C(""), C("")}};
  for (int i = 0; i < o.fillerVpa; ++i)
    vpa.push_back({C("202209"), C("0202010503"), C("0"), N(10 + i % 7), N(0), C(""), C(""), C(""), C("")});
  makeTable(f / "S_VPA.DBF", kVpa, vpa, {8});

  writeCtr(f, m);
  writeSs(f, "230440");
  makeTable(
      f / "CTL.DBF", kCtl,
      {{rt::Value(), N(440), N(202210), D("20221105"), D("20221107"), rt::Value(), rt::Value(), C("C")},
       {rt::Value(), N(440), N(202211), D("20221120"), D("20221122"), rt::Value(), rt::Value(), C("E")}});
  for (const char* ntx : {"S_UPS1.NTX", "zozind.ntx"}) std::ofstream(f / ntx) << "old index";
}

}  // namespace fpo::test::zoz
