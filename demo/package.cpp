// The demo month's package (municipality list, maintainers, units,
// services, specialities, budget programming) and ZOZ's installed tables
// for 2022/11.
#include "package.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "app/importar/passos.h"
#include "rt/db/dbf.h"
#include "rt/err/error.h"
#include "rt/expr/value.h"
#include "rt/text/cp860.h"
#include "tabela.h"
#include "zozgen/layouts.h"

namespace fs = std::filesystem;

namespace {

using namespace demo;  // NOLINT(google-build-using-namespace)

const char* const kMes = "202211";
const char* const kAnterior = "202210";

struct Municipio {
  int codigo;
  const char* nome;
  const char* gestao;
};
const Municipio kMunicipios[] = {
    {440, "FORTALEZA", "PM"},    {270, "CAUCAIA", "PE"},    {10, "ABAIARA", "PE"},
    {445, "FORQUILHA", "PE"},    {1280, "SOBRAL", "PM"},    {20, "ACARAPE", "PE"},
    {450, "FRECHEIRINHA", "PE"}, {1030, "MARACANAU", "PM"}, {80, "AQUIRAZ", "PE"},
    {1120, "PACATUBA", "PE"},
};

// Units: the identifier (six digits and the check digit), the municipality,
// the tax number, names.
struct Unidade {
  const char* id;
  const char* mn;
  const char* cgc;
  const char* razao;
  const char* fantasia;
  const char* antigo;
};
const Unidade kUnidades[] = {
    {"2497654", "230440", "07954571000104", "HOSPITAL GERAL DA CAPITAL", "HOSPITAL GERAL", "0012345"},
    {"2481286", "230440", "07954571000285", "CENTRO DE SAUDE DO CENTRO", "CS CENTRO", "0012346"},
    {"2372614", "230440", "07954571000366", "POLICLINICA DO NORTE", "POLICLINICA NORTE", "0012347"},
    {"2328011", "230440", "07954571000447", "CENTRO DE SAUDE DA PRAIA", "CS PRAIA", "0012348"},
    {"2560003", "230270", "07533995000129", "HOSPITAL MUNICIPAL DE CAUCAIA", "HM CAUCAIA", "0022221"},
    {"2425998", "230270", "07533995000200", "POSTO DE SAUDE DO CENTRO DE CAUCAIA", "PS CAUCAIA", "0022222"},
    {"2561492", "231280", "07598634000137", "SANTA CASA DE SOBRAL", "SANTA CASA", "0033331"},
    {"2373297", "231030", "07605850000162", "HOSPITAL MUNICIPAL DE MARACANAU", "HM MARACANAU", "0044441"},
};

// The package's S_UPS has the 44 fields of the installed table.
const std::vector<FieldSpec>& kUps44 = fpo::importar::layoutUps();
// The installed table as an older ZOZ left it: fewer fields.
const std::vector<FieldSpec> kUpsAntigo = {
    {"UPS_ID", 'C', 7, 0},     {"UPS_UF", 'C', 2, 0},      {"UPS_RZSC", 'C', 35, 0}, {"UPS_NMFN", 'C', 35, 0},
    {"UPS_IN_ATV", 'C', 1, 0}, {"UPS_CGCCPF", 'C', 14, 0}, {"UPS_MN", 'C', 6, 0},    {"UPS_RS", 'C', 3, 0},
    {"UPS_AB", 'C', 6, 0},     {"UPS_NU_CC", 'C', 14, 0},  {"UPS_DT_IN", 'D', 8, 0}, {"UPS_TUP", 'C', 2, 0},
    {"UPS_TP", 'C', 2, 0},     {"UPS_CNES", 'C', 7, 0},    {"UPS_IDANT", 'C', 7, 0}};
using zozgen::kIpu;
using zozgen::kMnt;
const std::vector<FieldSpec> kSrv = {
    {"SRV_UID", 'C', 7, 0}, {"SRV_SR", 'C', 3, 0}, {"SRV_CSF", 'C', 3, 0}, {"SRV_CMP", 'C', 6, 0}};
const std::vector<FieldSpec> kEmu = {
    {"EMU_UID", 'C', 7, 0}, {"EMU_EMA", 'C', 2, 0}, {"EMU_QT_PR", 'N', 3, 0}, {"EMU_QT_HR", 'N', 4, 0}};
using zozgen::kPa;
using zozgen::kVpa;
const zozgen::Layout& kCtrl = zozgen::kCtrlDer;

struct Procedimento {
  const char* id;
  const char* descricao;
  const char* eletiva;
  double total;
  const char* pab;
};
const Procedimento kProcedimentos[] = {
    {"0301010072", "CONSULTA MEDICA EM ATENCAO ESPECIALIZADA", "S", 10.00, "N"},
    {"0301010030", "CONSULTA DE PROFISSIONAL DE NIVEL SUPERIOR", "N", 6.30, "S"},
    {"0202010503", "DOSAGEM DE GLICOSE", "S", 1.85, "N"},
    {"0204030153", "RADIOGRAFIA DE TORAX", "S", 9.50, "N"},
    {"0205020038", "ULTRASSONOGRAFIA DE ABDOMEN TOTAL", "S", 37.95, "N"},
    {"0211020036", "ELETROCARDIOGRAMA", "S", 5.15, "N"},
    {"0303010037", "TRATAMENTO DE OUTRAS DOENCAS BACTERIANAS", "S", 123.45, "N"},
    {"0405050097", "FACECTOMIA COM IMPLANTE DE LENTE", "S", 771.60, "N"},
    {"0405050372", "FACOEMULSIFICACAO COM IMPLANTE DE LENTE", "S", 771.60, "N"},
    {"0101010010", "ATIVIDADE EDUCATIVA EM GRUPO", "N", 0.00, "S"},
};

Row ups44(const Unidade& u) {
  Row r(kUps44.size());
  auto at = [&](const char* name) -> rt::Value& {
    for (std::size_t i = 0; i < kUps44.size(); ++i)
      if (kUps44[i].name == name) return r[i];
    throw std::logic_error(name);
  };
  at("UPS_ID") = C(u.id);
  at("UPS_UF") = C("23");
  at("UPS_RZSC") = C(u.razao);
  at("UPS_NMFN") = C(u.fantasia);
  at("UPS_IN_ATV") = C("S");
  at("UPS_CGCCPF") = C(u.cgc);
  at("UPS_MN") = C(u.mn);
  at("UPS_RS") = C("001");
  at("UPS_AB") = C("000019");
  at("UPS_NU_CC") = C("00000123456789");
  at("UPS_DT_IN") = D("20010302");
  at("UPS_TUP") = C("05");
  at("UPS_TP") = C("01");
  at("UPS_QT_CM") = N(12);
  at("UPS_CNES") = C(u.id);
  at("UPS_IDANT") = C(u.antigo);
  at("UPS_LOCNAC") = C("N");
  return r;
}

Row upsAntigo(const Unidade& u) {
  return {C(u.id),       C("23"), C(u.razao), C(u.fantasia), C("S"),
          C(u.cgc),      C(u.mn), C("001"),   C("000019"),   C("00000123456789"),
          D("20010302"), C("05"), C("01"),    C(u.id),       C(u.antigo)};
}

Row ipu(const char* uid, const char* pa, const char* cmp, double qt, double vu) {
  return {C(uid), C("001"), C(pa), C("01"), C(cmp), N(vu), N(qt), N(vu * qt), C(cmp), C("N")};
}

}  // namespace

void makeDemoPackage(const fs::path& zoz) {
  // The month's municipality list.
  std::vector<Row> ctrl;
  for (const Municipio& m : kMunicipios) ctrl.push_back({N(m.codigo), C(m.nome), N(1), C(m.gestao), C(kMes)});
  tabela(zoz / "ZOZ_CTRL.211", kCtrl, ctrl);

  // Maintainers, units, services and specialities of the month.
  const std::vector<Row> mnt = {{C("07954571"), C("0001"), C("04"), C("SECRETARIA MUNICIPAL DA CAPITAL"),
                                 C("230440"), C("001"), C("000019"), C("00000123456789")},
                                {C("07533995"), C("0001"), C("29"), C("PREFEITURA DE CAUCAIA"), C("230270"),
                                 C("001"), C("000027"), C("00000987654321")}};
  std::vector<Row> upsPacote, upsInstalado, srv, emu;
  for (const Unidade& u : kUnidades) {
    upsPacote.push_back(ups44(u));
    upsInstalado.push_back(upsAntigo(u));
    srv.push_back({C(u.id), C("010"), C("001"), C(kMes)});
    srv.push_back({C(u.id), C("014"), C("002"), C(kMes)});
    emu.push_back({C(u.id), C("01"), N(2), N(40)});
  }
  tabela(zoz / "S_MNT.211", kMnt, mnt);
  tabela(zoz / "S_UPS.211", kUps44, upsPacote);
  tabela(zoz / "S_SRV.211", kSrv, srv);
  tabela(zoz / "S_EMU.211", kEmu, emu);

  // The month's budget programming of every unit of the package.
  std::vector<Row> ipuPacote;
  int n = 0;
  for (const Unidade& u : kUnidades) {
    ipuPacote.push_back(ipu(u.id, "0701000", kMes, 100 + 10 * n, 10.00));
    ipuPacote.push_back(ipu(u.id, "0702000", kMes, 40 + n, 1.85));
    ipuPacote.push_back(ipu(u.id, "0703000", kMes, 12, 37.95));
    ++n;
  }
  tabela(zoz / "S_IPU.211", kIpu, ipuPacote);

  // Installed: an older unit layout, last month's and an earlier copy of
  // this month's programming, the procedures and their prices.
  tabela(zoz / "S_MNT.DBF", kMnt, mnt);
  tabela(zoz / "S_UPS.DBF", kUpsAntigo, upsInstalado);
  tabela(zoz / "S_SRV.DBF", kSrv, srv);
  tabela(zoz / "S_EMU.DBF", kEmu, emu);
  std::vector<Row> ipuInstalado;
  for (const Unidade& u : kUnidades) {
    ipuInstalado.push_back(ipu(u.id, "0701000", kAnterior, 90, 10.00));
    ipuInstalado.push_back(ipu(u.id, "0701000", kMes, 80, 10.00));
  }
  tabela(zoz / "S_IPU.DBF", kIpu, ipuInstalado);

  std::vector<Row> pa, vpa;
  for (const char* cmp : {kAnterior, kMes}) {
    for (const Procedimento& p : kProcedimentos) {
      pa.push_back({C(p.id), C(p.descricao), C(cmp), C(p.eletiva), N(p.total), C(p.pab)});
      vpa.push_back({C(cmp), C(p.id), C("0"), N(p.total), N(0), C(""), C(""), C(cmp), C("")});
    }
  }
  vpa.push_back(
      {C(kMes), C("0301010072"), C("1"), N(10.00), N(1.00), C("04"), C("040066"), C(kMes), C("230440")});
  vpa.push_back({C("201207"), C("0301010072"), C("0"), N(10.00), N(0), C(""), C(""), C("201207"), C("")});
  tabela(zoz / "S_PA.DBF", kPa, pa);
  tabela(zoz / "S_VPA.DBF", kVpa, vpa);
}
