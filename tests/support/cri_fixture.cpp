// The critique fixture: the month's tables and national text files written
// from a Mes, the run driven by keys, and its report and control-table rows
// read back.
#include "support/cri_fixture.h"

#include <algorithm>
#include <fstream>

#include "app/comparar/Comparar.h"
#include "app/errorsys/Errorsys.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"
#include "support/zoz_fixture.h"

namespace fpo::test::cri {

namespace fs = std::filesystem;
using rt::db::FieldSpec;

const std::vector<FieldSpec> kUps = {
    {"UPS_ID", 'C', 7, 0},     {"UPS_RZSC", 'C', 35, 0}, {"UPS_CGCCPF", 'C', 14, 0},
    {"UPS_MN", 'C', 6, 0},     {"UPS_RS", 'C', 3, 0},    {"UPS_AB", 'C', 6, 0},
    {"UPS_NU_CC", 'C', 14, 0}, {"UPS_TUP", 'C', 2, 0},   {"UPS_TP", 'C', 2, 0}};

std::string linha(const std::vector<FieldSpec>& layout, const std::vector<Valor>& valores) {
  std::string out;
  for (const auto& f : layout) {
    std::string v;
    for (const auto& x : valores)
      if (f.name == x.campo) v = x.texto;
    out += f.type == 'N' ? rt::text::padL(v, f.width) : rt::text::padR(v, f.width);
  }
  return out;
}

std::string fman(const std::string& cgc, const std::string& agencia, const std::string& conta,
                 const std::string& der, const std::string& mnc) {
  return linha(kFman, {{"CODEST", "23"},
                       {"CODDER", der},
                       {"CODMNC", mnc},
                       {"NMRCGC", cgc},
                       {"NMERAZ", "SECRETARIA DE SAUDE"},
                       {"CODCEP", "60000000"},
                       {"CODAGB", agencia},
                       {"NMRCTB", conta}});
}

std::string fups(const std::string& codups, const std::string& cgc, const std::string& mnc,
                 const std::string& agencia, const std::string& conta, const std::string& tiu,
                 const std::string& prt, const std::string& der) {
  return linha(kFups, {{"CODEST", "23"},
                       {"CODDER", der},
                       {"CODDIS", "1"},
                       {"CODMNC", mnc},
                       {"DIGMNC", "9"},
                       {"CODUPS", codups},
                       {"DATREF", "202211"},
                       {"NMERAZ", "UNIDADE " + codups},
                       {"NMRFIJ", cgc},
                       {"CODAGB", agencia},
                       {"NMRCTB", conta},
                       {"CODTIU", tiu},
                       {"CODPRT", prt},
                       {"CODNVH", "01"}});
}

std::string fsrv(const std::string& codups, const std::string& itens) { return "23" + codups + itens; }
std::string fesp(const std::string& codups, const std::string& itens) { return "23" + codups + itens; }

std::string fafo(const std::string& codups, const std::string& datref, const std::string& item,
                 const std::string& aux, const std::string& qtd, const std::string& centavos) {
  return linha(kFafo, {{"CODEST", "23"},
                       {"CODUPS", codups},
                       {"DATREF", datref},
                       {"CODIPR", item},
                       {"IPRAUX", aux},
                       {"QTDPRG", qtd},
                       {"VCTPRG", centavos},
                       {"CODMNC", "230440"}});
}

Row mnt(const std::string& cgc14, const std::string& mn, const std::string& agencia, const std::string& conta,
        const std::string& rs) {
  return {rt::Value(cgc14.substr(0, 8)),
          rt::Value(cgc14.substr(8, 4)),
          rt::Value(cgc14.substr(12, 2)),
          C("MANTENEDORA"),
          rt::Value(mn),
          rt::Value(rs),
          rt::Value(agencia),
          rt::Value(conta)};
}

Row ups(const std::string& id, const std::string& cgc, const std::string& mn, const std::string& agencia,
        const std::string& conta, const std::string& tup, const std::string& tp, const std::string& rs) {
  return {rt::Value(id),      C("UNIDADE"),     rt::Value(cgc), rt::Value(mn), rt::Value(rs),
          rt::Value(agencia), rt::Value(conta), rt::Value(tup), rt::Value(tp)};
}

Row srv(const std::string& id, const std::string& sr, const std::string& csf) {
  return {rt::Value(id), rt::Value(sr), rt::Value(csf)};
}

Row emu(const std::string& id, const std::string& ema, double qt, double hr) {
  return {rt::Value(id), rt::Value(ema), N(qt), N(hr)};
}

Row ipu(const std::string& id, const std::string& pa, const std::string& cmp, double qt, double vl) {
  return {rt::Value(id),       C("001"), rt::Value(pa), C("01"),        rt::Value(cmp),
          N(qt ? vl / qt : 0), N(qt),    N(vl),         rt::Value(cmp), C("N")};
}

std::string num(int n) { return rt::text::strZero(234560 + n, 6); }
std::string uid(int n) { return zoz::unidade(234560 + n); }

Mes Mes::limpo() {
  Mes m;
  m.ctrl = {{N(440), C("FORTALEZA"), N(1), C("PM"), C("202211")},
            {N(270), C("CAUCAIA"), N(2), C("PE"), C("202211")},
            {N(10), C("ABAIARA"), N(20), C("PE"), C("202211")}};
  m.mnt = {cri::mnt("07954571000104", "230440"), cri::mnt("07533995000129", "230270")};
  m.ups = {cri::ups(uid(1), "07954571000104"), cri::ups(uid(2), "07954571000285"),
           cri::ups(uid(3), "12345678901"), cri::ups(uid(4), "07533995000129", "230270")};
  m.srv = {cri::srv(uid(1), "010", "001"), cri::srv(uid(1), "020", "003"), cri::srv(uid(2), "010", "001"),
           cri::srv(uid(4), "030", "001")};
  m.emu = {cri::emu(uid(1), "01", 2, 40), cri::emu(uid(2), "05", 1, 20), cri::emu(uid(4), "01", 3, 30)};
  m.ipu = {cri::ipu(uid(1), "0100000", "202211", 10, 150), cri::ipu(uid(1), "0200000", "202211", 4, 80),
           cri::ipu(uid(1), "0100010", "202211", 1, 5), cri::ipu(uid(2), "0100000", "202211", 3, 31.5),
           cri::ipu(uid(4), "0100000", "202211", 7, 70)};
  m.fman = {cri::fman("07954571000104", "123456", "00000000012345")};
  m.fups = {cri::fups(num(1), "07954571000104"), cri::fups(num(2), "07954571000285"),
            cri::fups(num(3), "00012345678901")};
  m.fsrv = {cri::fsrv(num(1), "010001020003"), cri::fsrv(num(2), "010001")};
  m.fesp = {cri::fesp(num(1), "0100200040"), cri::fesp(num(2), "0500100020")};
  m.fafo = {cri::fafo(num(1), "202211", "01", "00000", "0000010", "000000000015000"),
            cri::fafo(num(1), "202211", "02", "00000", "0000004", "000000000008000"),
            cri::fafo(num(1), "202211", "01", "00010", "0000001", "000000000000500"),
            cri::fafo(num(2), "202211", "01", "00000", "0000003", "000000000003150")};
  return m;
}

void gravaTexto(const fs::path& file, const std::vector<std::string>& linhas) {
  std::ofstream out(file, std::ios::binary);
  for (const auto& l : linhas) out << l << "\r\n";
}

void grava(const fs::path& zoz, const fs::path& nacional, const Mes& m) {
  makeTable(zoz / "ZOZ_CTRL.211", kCtrl, m.ctrl);
  makeTable(zoz / "S_MNT.211", kMnt, m.mnt);
  makeTable(zoz / "S_UPS.211", kUps, m.ups, m.upsApagados);
  makeTable(zoz / "S_SRV.211", kSrv, m.srv);
  makeTable(zoz / "S_EMU.211", kEmu, m.emu, m.emuApagados);
  makeTable(zoz / "S_IPU.211", kIpu, m.ipu);
  if (!fs::exists(zoz / "CTL.DBF")) makeTable(zoz / "CTL.DBF", zoz::kCtl, {});
  fs::create_directories(nacional);
  gravaTexto(nacional / "FMANLM11.TXT", m.fman);
  gravaTexto(nacional / "FUPSLM11.TXT", m.fups);
  gravaTexto(nacional / "FSRVLM11.TXT", m.fsrv);
  gravaTexto(nacional / "FESPLM11.TXT", m.fesp);
  gravaTexto(nacional / "FAFOLM11.TXT", m.fafo);
}

void gravaSem(const fs::path& tabela, const zozgen::Layout& layout, std::vector<Row> linhas,
              const std::string& campo) {
  zozgen::Layout sem = layout;
  const auto at = std::find_if(sem.begin(), sem.end(), [&](const FieldSpec& f) { return f.name == campo; });
  const auto i = at - sem.begin();
  sem.erase(at);
  for (auto& r : linhas) r.erase(r.begin() + i);
  makeTable(tabela, sem, linhas);
}

CriticaTest::CriticaTest(std::unique_ptr<RecordingBackend> backend)
    : keys_(backend.get()),
      runtime_(std::move(backend),
               rt::dos::Config{drive_.root(), drive_.root() / "A", std::nullopt, impressora().string()}),
      s(runtime_) {
  ERRORSYS(s);
  s.rt.db.settings().deleted = true;
  s.ANO_REFERENCIA = 2022;
  s.MES_REFERENCIA = 11;
  s.REF_ARQUIVO = "211";
}

void CriticaTest::roteiro(int drive, const std::string& municipio) {
  keys().add(drive);
  keys().addText(municipio);
  if (municipio.size() < 4) keys().add(rt::term::key::kEnter);
  keys().add(rt::term::key::kEnter);
  keys().add('N');
}

int CriticaTest::comparar() {
  try {
    COMPARAR(s);
    return -1;
  } catch (const rt::err::ProgramExit& e) {
    return e.code();
  }
}

void CriticaTest::critica(const Mes& m) {
  grava(zoz(), zoz(), m);
  roteiro();
  ASSERT_EQ(comparar(), -1);
  EXPECT_EQ(keys().pending(), 0u);
}

bool CriticaTest::viu(const std::string& utf8) const {
  for (const auto& sc : keys_->atKeys)
    if (AppTest::shows(sc, utf8)) return true;
  return false;
}

std::string CriticaTest::relatorio(const std::string& nome) const { return bytes(zoz() / nome); }

namespace {
std::vector<std::string> corta(const std::string& s, const std::string& sep) {
  std::vector<std::string> out;
  std::size_t at = 0;
  for (std::size_t p; (p = s.find(sep, at)) != std::string::npos; at = p + sep.size())
    out.push_back(s.substr(at, p - at));
  out.push_back(s.substr(at));
  return out;
}
}  // namespace

std::vector<std::vector<std::string>> CriticaTest::paginas(const std::string& nome) const {
  std::vector<std::vector<std::string>> out;
  for (const auto& p : corta(relatorio(nome), "\f\r"))
    if (!p.empty()) out.push_back(corta(p, "\r\n"));
  return out;
}

std::vector<std::string> CriticaTest::entradas(const std::string& titulo) const {
  std::vector<std::string> out;
  for (const auto& p : paginas()) {
    if (p.size() < 12 || p[11].find(titulo) == std::string::npos) continue;
    for (std::size_t r = 13; r < p.size(); ++r)
      if (!p[r].empty()) out.push_back(rt::text::toUtf8(p[r]));
  }
  return out;
}

std::vector<CriticaTest::Ctl> CriticaTest::ctl() const {
  const auto nomes = fieldNames(zoz() / "CTL.DBF");
  std::vector<Ctl> out;
  for (const auto& r : readTable(zoz() / "CTL.DBF")) {
    if (r.deleted) continue;
    Ctl c;
    for (std::size_t i = 0; i < nomes.size(); ++i) {
      const std::string& v = r.fields[i];
      if (nomes[i] == "CODMNC") c.CODMNC = v;
      if (nomes[i] == "DATREF") c.DATREF = v;
      if (nomes[i] == "DATATU") c.DATATU = v;
      if (nomes[i] == "DATSES") c.DATSES = v;
      if (nomes[i] == "STASES") c.STASES = v;
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace fpo::test::cri
