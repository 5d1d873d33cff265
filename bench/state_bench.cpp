// The import, the critique, the production report and the opening of the
// update listing with one typed search, on a generated state-size \ZOZ folder
// at one, two and four times the size of a state, each beside its floor
// measured in the same run: reading every input byte once and writing and
// syncing every output byte once.
//
// Each operation runs through its real routine on the headless backend in a
// child process of its own; its wall time, peak resident memory (getrusage
// of the child) and peak anonymous memory (sampled) are printed.
//
//   build/state_bench [runs] [scales] [ops]   default: 1 run, scales 1,2,4,
//                                         every operation
//   build/state_bench --gera DIR SCALE    only writes the folder DIR/ZOZ
//   build/state_bench --op NAME DIR       runs one operation in DIR/ZOZ
//                                         (critica, pabfae, lista, importa)
//   build/state_bench --tempo NAME DIR    the same, and prints its wall time
//                                         measured inside the process
//
// The Windows build (build-win/state_bench.exe) has --gera, --op and
// --tempo, to run an operation under wine on a folder generated here:
//   wine build-win/state_bench.exe --tempo critica 'Z:\tmp\x'
//
// Folder (scale 1): 20,000 units of 230440 in the national files, 10,000
// maintainers, 200,000 service items, 100,000 specialities, 500,000 budget
// lines (100,000 whole items); the package with the same units plus 10 % of
// other municipalities and about 0.5 % of records differing or missing on
// one side; S_PRD 2,000,000 rows in random physical order, S_VPA 1,000,000,
// S_PA 50,000, S_UPS 22,000, S_MN 200, installed S_IPU 500,000, CTL.DBF
// 24,000 rows. Data goes to the system's temporary folder and is removed.
#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/comparar/Comparar.h"
#include "app/errorsys/Errorsys.h"
#include "app/funcoes/Funcoes.h"
#include "app/importar/Importar.h"
#include "app/importar/passos.h"
#include "app/listings/Ver_Atu.h"
#include "app/pabfae/Pabfae.h"
#include "app/sistema.h"
#ifndef _WIN32
#include "processo.h"
#endif
#include "rt/db/dbf.h"
#include "rt/runtime.h"
#include "rt/term/headless.h"
#include "rt/term/keys.h"
#include "rt/text/number.h"
#include "zozgen/layouts.h"

namespace fs = std::filesystem;
#ifndef _WIN32
using bench::executa;
using bench::Medida;
#endif
using rt::db::FieldSpec;

namespace {

// --- a fast writer of table files and text files ---

class Dbf {
 public:
  Dbf(const fs::path& p, const std::vector<FieldSpec>& fields, std::uint32_t rows)
      : fields_(fields), rows_(rows) {
    out_ = std::fopen(p.string().c_str(), "wb");
    if (!out_) throw std::runtime_error("create " + p.string());
    std::setvbuf(out_, nullptr, _IOFBF, 1 << 20);
    const std::string h = rt::db::Table::makeHeader(fields, rows);
    std::fwrite(h.data(), 1, h.size(), out_);
    int at = 1;
    for (const auto& f : fields) {
      off_.push_back(at);
      at += f.width;
    }
    rec_.assign(static_cast<std::size_t>(at), ' ');
  }
  ~Dbf() {
    if (written_ != rows_) std::fprintf(stderr, "table written with %u of %u rows\n", written_, rows_);
    std::fputc(0x1A, out_);
    std::fclose(out_);
  }
  Dbf(const Dbf&) = delete;
  Dbf& operator=(const Dbf&) = delete;

  Dbf& c(int i, std::string_view v) {
    const auto w = static_cast<std::size_t>(fields_[static_cast<std::size_t>(i)].width);
    char* d = rec_.data() + off_[static_cast<std::size_t>(i)];
    const std::size_t n = std::min(w, v.size());
    std::memcpy(d, v.data(), n);
    std::memset(d + n, ' ', w - n);
    return *this;
  }
  Dbf& n(int i, double v) {
    const FieldSpec& f = fields_[static_cast<std::size_t>(i)];
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f", f.width, f.decimals, v);
    std::memcpy(rec_.data() + off_[static_cast<std::size_t>(i)], buf, static_cast<std::size_t>(f.width));
    return *this;
  }
  void row() {
    std::fwrite(rec_.data(), 1, rec_.size(), out_);
    std::fill(rec_.begin(), rec_.end(), ' ');
    ++written_;
  }

 private:
  std::vector<FieldSpec> fields_;
  std::vector<int> off_;
  std::string rec_;
  std::FILE* out_ = nullptr;
  std::uint32_t rows_ = 0, written_ = 0;
};

// Lines of fixed width ended by CR LF.
class Texto {
 public:
  explicit Texto(const fs::path& p) {
    out_ = std::fopen(p.string().c_str(), "wb");
    if (!out_) throw std::runtime_error("create " + p.string());
    std::setvbuf(out_, nullptr, _IOFBF, 1 << 20);
  }
  ~Texto() { std::fclose(out_); }
  Texto(const Texto&) = delete;
  Texto& operator=(const Texto&) = delete;
  void linha(const std::string& l) {
    std::fwrite(l.data(), 1, l.size(), out_);
    std::fwrite("\r\n", 1, 2, out_);
  }

 private:
  std::FILE* out_ = nullptr;
};

// A fixed-width line of a layout: texts left-aligned, numbers right-aligned,
// blanks elsewhere.
class Linha {
 public:
  explicit Linha(const std::vector<FieldSpec>& layout) : layout_(layout) {
    std::size_t w = 0;
    for (const auto& f : layout) w += static_cast<std::size_t>(f.width);
    l_.assign(w, ' ');
  }
  Linha& set(std::string_view nome, std::string_view v) {
    std::size_t at = 0;
    for (const auto& f : layout_) {
      const auto w = static_cast<std::size_t>(f.width);
      if (f.name == nome) {
        const std::size_t n = std::min(w, v.size());
        std::memcpy(l_.data() + at + (f.type == 'N' ? w - n : 0), v.data(), n);
        return *this;
      }
      at += w;
    }
    throw std::runtime_error(std::string(nome));
  }
  const std::string& str() const { return l_; }

 private:
  const std::vector<FieldSpec>& layout_;
  std::string l_;
};

std::string z(long long v, int w) { return rt::text::strZero(static_cast<double>(v), w); }

// --- the folder ---

const zozgen::Layout& kCtrl = zozgen::kCtrlDer;
using zozgen::kMnt;
using zozgen::kSrv;
const zozgen::Layout& kEmu = zozgen::kEmuHoras;
using zozgen::kIpu;
const zozgen::Layout& kUpsInstalado = zozgen::kUpsAntigo;
using zozgen::kPa;
using zozgen::kVpa;
const std::vector<FieldSpec> kPrd = {
    {"PRD_UID", 'C', 7, 0},  {"PRD_CMP", 'C', 6, 0},   {"PRD_PA", 'C', 10, 0},
    {"PRD_CBO", 'C', 3, 0},  {"PRD_IDADE", 'C', 2, 0}, {"PRD_QT_P", 'N', 8, 0},
    {"PRD_QT_A", 'N', 8, 0}, {"PRD_VL_A", 'N', 12, 2}, {"PRD_MVM", 'C', 6, 0}};
using zozgen::kCtl;

using zozgen::kFafo;
using zozgen::kFman;
using zozgen::kFups;

constexpr int kMunicipios = 200;

std::string mes(int k) {  // the k-th month back from 2022/11
  int y = 2022, m = 11 - k;
  while (m < 1) {
    m += 12;
    --y;
  }
  return z(y, 4) + z(m, 2);
}
// Municipality 0 is 230440, the one critiqued and imported.
int codigoMn(int i) { return 440 + i * 5; }
std::string municipio(int i) { return "23" + z(codigoMn(i), 4); }
std::string num(long long u) { return z(200000 + u, 6); }
std::string uid(long long u) { return num(u) + std::to_string(fpo::CALDIGUPS(200000 + u)); }
std::string cgc(long long m) { return z(10000000 + m, 8) + "0001" + z(m % 97, 2); }
std::string procedimento(long long p) { return z(301010000 + p * 7, 10); }

struct Tamanho {
  long long unidades, outras, mantenedoras, producao, precos, procedimentos, ipuInstalado, ctl;
  explicit Tamanho(int k)
      : unidades(20000LL * k),
        outras(2000LL * k),
        mantenedoras(10000LL * k),
        producao(2000000LL * k),
        precos(1000000LL * k),
        procedimentos(5000LL * k),
        ipuInstalado(500000LL * k),
        ctl(24000LL * k) {}
};

void gera(const fs::path& zoz, int escala) {
  fs::create_directories(zoz);
  const Tamanho t(escala);
  std::mt19937_64 rnd(20221107);
  const long long todas = t.unidades + t.outras;
  // Units 0 .. unidades-1 belong to 230440, the others to the rest of the state.
  auto mnDe = [&](long long u) {
    return u < t.unidades ? municipio(0) : municipio(1 + static_cast<int>(u % 199));
  };
  // About 0.5 % of records differ or are missing on one side.
  auto difere = [](long long i) { return i % 200 == 3; };
  auto soLocal = [](long long i) { return i % 200 == 7; };
  auto soNacional = [](long long i) { return i % 200 == 11; };

  {
    Dbf d(zoz / "ZOZ_CTRL.211", kCtrl, kMunicipios);
    for (int i = 0; i < kMunicipios; ++i)
      d.n(0, codigoMn(i))
          .c(1, "MUNICIPIO " + std::to_string(i))
          .n(2, 1 + i % 20)
          .c(3, "PM")
          .c(4, "202211")
          .row();
  }
  {
    Dbf d(zoz / "S_MN.DBF", {{"MN_IBGE", 'C', 6, 0}, {"MN_NOME", 'C', 30, 0}}, kMunicipios);
    for (int i = 0; i < kMunicipios; ++i)
      d.c(0, municipio(i)).c(1, "MUNICIPIO " + std::to_string(i * 7919 % 200)).row();
  }

  // Maintainers: the national file and the package (10 % more of elsewhere).
  {
    Texto f(zoz / "FMANLM11.TXT");
    const long long outros = t.mantenedoras / 10;
    long long linhas = t.mantenedoras + outros;
    for (long long m = 0; m < t.mantenedoras; ++m)
      if (soNacional(m)) --linhas;
    Dbf d(zoz / "S_MNT.211", kMnt, static_cast<std::uint32_t>(linhas));
    for (long long m = 0; m < t.mantenedoras + outros; ++m) {
      const bool daqui = m < t.mantenedoras;
      const std::string c = cgc(m);
      const std::string mn = daqui ? municipio(0) : municipio(1 + static_cast<int>(m % 199));
      if (daqui && !soLocal(m)) {
        f.linha(Linha(kFman)
                    .set("CODEST", "23")
                    .set("CODDER", "001")
                    .set("CODMNC", "04400")
                    .set("NMRCGC", c)
                    .set("NMERAZ", "SECRETARIA " + std::to_string(m))
                    .set("CODCEP", "60000000")
                    .set("CODAGB", difere(m) ? "654321" : "123456")
                    .set("NMRCTB", z(m, 14))
                    .str());
      }
      if (daqui && soNacional(m)) continue;
      d.c(0, c.substr(0, 8))
          .c(1, c.substr(8, 4))
          .c(2, c.substr(12, 2))
          .c(3, "MANTENEDORA " + std::to_string(m));
      d.c(4, mn).c(5, "001").c(6, "123456").c(7, z(m, 14)).row();
    }
  }
  // Units: FUPSLM and S_UPS.211 (the package's layout), S_UPS.DBF installed.
  {
    Texto f(zoz / "FUPSLM11.TXT");
    std::vector<long long> pacote;
    for (long long u = 0; u < todas; ++u)
      if (!(u < t.unidades && soNacional(u))) pacote.push_back(u);
    const auto& layout = fpo::importar::layoutUps();
    auto pos = [&](const char* nome) {
      for (std::size_t i = 0; i < layout.size(); ++i)
        if (layout[i].name == nome) return static_cast<int>(i);
      throw std::runtime_error(nome);
    };
    Dbf d(zoz / "S_UPS.211", layout, static_cast<std::uint32_t>(pacote.size()));
    for (long long u = 0; u < t.unidades; ++u) {
      if (soLocal(u)) continue;
      f.linha(Linha(kFups)
                  .set("CODEST", "23")
                  .set("CODDER", "001")
                  .set("CODDIS", "1")
                  .set("CODMNC", "0440")
                  .set("DIGMNC", "9")
                  .set("CODUPS", num(u))
                  .set("DATREF", "202211")
                  .set("NMERAZ", "UNIDADE " + std::to_string(u))
                  .set("NMEFAN", "US " + std::to_string(u))
                  .set("NMRFIJ", cgc(u / 2))
                  .set("NMELOG", "RUA " + std::to_string(u))
                  .set("CODAGB", "123456")
                  .set("NMRCTB", difere(u) ? "99999999999999" : z(u, 14))
                  .set("CODTIU", "05")
                  .set("CODPRT", "01")
                  .set("CODNVH", "01")
                  .str());
    }
    for (long long u : pacote) {
      d.c(pos("UPS_ID"), uid(u)).c(pos("UPS_UF"), "23").c(pos("UPS_RZSC"), "UNIDADE " + std::to_string(u));
      d.c(pos("UPS_NMFN"), "US " + std::to_string(u))
          .c(pos("UPS_CGCCPF"), cgc(u / 2))
          .c(pos("UPS_MN"), mnDe(u));
      d.c(pos("UPS_RS"), "001").c(pos("UPS_AB"), "123456").c(pos("UPS_NU_CC"), z(u, 14));
      d.c(pos("UPS_TUP"), "05").c(pos("UPS_TP"), "01").c(pos("UPS_CNES"), z(u, 7)).row();
    }
    Dbf i(zoz / "S_UPS.DBF", kUpsInstalado, static_cast<std::uint32_t>(todas));
    for (long long u = 0; u < todas; ++u) {
      i.c(0, uid(u))
          .c(1, "23")
          .c(2, "UNIDADE " + std::to_string(u))
          .c(3, "UNIDADE DE SAUDE " + std::to_string(u));
      i.c(5, cgc(u / 2)).c(6, mnDe(u)).c(7, "20010302").n(8, 12).c(10, z(u, 7)).row();
    }
  }

  // Services: 10 items a unit, specialities: 5 a unit.
  {
    Texto fs1(zoz / "FSRVLM11.TXT");
    Texto fs2(zoz / "FESPLM11.TXT");
    Dbf s(zoz / "S_SRV.211", kSrv, static_cast<std::uint32_t>(todas * 10));
    Dbf e(zoz / "S_EMU.211", kEmu, static_cast<std::uint32_t>(todas * 5));
    for (long long u = 0; u < todas; ++u) {
      std::string itens, esps;
      for (int k = 0; k < 10; ++k) {
        const std::string sr = z(10 + k * 3, 3), csf = z(1 + (u + k) % 7, 3);
        itens += (u < t.unidades && difere(u * 10 + k)) ? sr + "999" : sr + csf;
        s.c(0, uid(u)).c(1, sr).c(2, csf).row();
      }
      for (int k = 0; k < 5; ++k) {
        const std::string ema = z(1 + k * 4, 2);
        const long long qt = 1 + (u + k) % 9, hr = 20 * qt;
        esps += ema + z(qt, 3) + z((u < t.unidades && difere(u * 5 + k)) ? hr + 1 : hr, 5);
        e.c(0, uid(u)).c(1, ema).n(2, static_cast<double>(qt)).n(3, static_cast<double>(hr)).row();
      }
      if (u >= t.unidades || soLocal(u)) continue;
      fs1.linha("23" + num(u) + itens);
      fs2.linha("23" + num(u) + esps);
    }
  }

  // Budget: 25 lines a unit, 5 whole items and 20 sub-coded rows.
  {
    Texto f(zoz / "FAFOLM11.TXT");
    Dbf d(zoz / "S_IPU.211", kIpu, static_cast<std::uint32_t>(todas * 25));
    for (long long u = 0; u < todas; ++u) {
      for (int k = 0; k < 25; ++k) {
        const std::string item = z(1 + k % 5, 2), aux = z(k / 5 * 10, 5);
        const long long qt = 1 + (u + k) % 90;
        const long long centavos = qt * 1500;
        d.c(0, uid(u)).c(1, "001").c(2, item + aux).c(3, "01").c(4, "202211").n(5, 15);
        d.n(6, static_cast<double>(qt))
            .n(7, static_cast<double>(centavos) / 100)
            .c(8, "202211")
            .c(9, "N")
            .row();
        if (u >= t.unidades || soLocal(u)) continue;
        f.linha(Linha(kFafo)
                    .set("CODEST", "23")
                    .set("CODUPS", num(u))
                    .set("DATREF", "202211")
                    .set("CODIPR", item)
                    .set("IPRAUX", aux)
                    .set("QTDPRG", z((difere(u * 25 + k) && k < 5) ? qt + 1 : qt, 7))
                    .set("VCTPRG", z(centavos, 15))
                    .set("CODMNC", "230440")
                    .str());
      }
    }
  }

  // Installed tables of the import.
  {
    Dbf d(zoz / "S_IPU.DBF", kIpu, static_cast<std::uint32_t>(t.ipuInstalado));
    for (long long i = 0; i < t.ipuInstalado; ++i) {
      const long long qt = 1 + i % 90;
      d.c(0, uid(i % todas))
          .c(1, "001")
          .c(2, z(701000 + i % 40, 7))
          .c(3, "01")
          .c(4, mes(static_cast<int>(i / todas) + 1));
      d.n(5, 10)
          .n(6, static_cast<double>(qt))
          .n(7, 10.0 * static_cast<double>(qt))
          .c(8, mes(static_cast<int>(i / todas) + 1));
      d.c(9, "N").row();
    }
  }
  for (const char* nome : {"S_MNT.DBF"}) {
    Dbf d(zoz / nome, kMnt, static_cast<std::uint32_t>(t.mantenedoras));
    for (long long m = 0; m < t.mantenedoras; ++m) {
      const std::string c = cgc(m);
      d.c(0, c.substr(0, 8)).c(1, c.substr(8, 4)).c(2, c.substr(12, 2)).c(4, municipio(0)).row();
    }
  }
  {
    Dbf s(zoz / "S_SRV.DBF", kSrv, static_cast<std::uint32_t>(todas));
    Dbf e(zoz / "S_EMU.DBF", kEmu, static_cast<std::uint32_t>(todas));
    for (long long u = 0; u < todas; ++u) {
      s.c(0, uid(u)).c(1, "010").c(2, "001").row();
      e.c(0, uid(u)).c(1, "01").n(2, 2).n(3, 40).row();
    }
  }

  // Procedures and prices: procedimentos codes for each of the months back.
  {
    const long long meses = 10;
    Dbf d(zoz / "S_PA.DBF", kPa, static_cast<std::uint32_t>(t.procedimentos * meses));
    for (long long i = 0; i < t.procedimentos * meses; ++i) {
      const long long p = i % t.procedimentos;
      d.c(0, procedimento(p))
          .c(1, "PROCEDIMENTO " + std::to_string(p))
          .c(2, mes(static_cast<int>(i / t.procedimentos)));
      d.c(3, i % 5 < 2 ? "S" : "N")
          .n(4, 1.0 + static_cast<double>(rnd() % 100000) / 100)
          .c(5, p % 3 == 0 ? "S" : "N");
      d.row();
    }
    Dbf v(zoz / "S_VPA.DBF", kVpa, static_cast<std::uint32_t>(t.precos));
    for (long long i = 0; i < t.precos; ++i) {
      const int k = static_cast<int>(i / t.procedimentos);
      const std::string cmp = mes(k);
      v.c(0, cmp).c(1, procedimento(i % t.procedimentos)).c(2, (k == 0 && i % 5 < 2) ? "1" : "0");
      v.n(3, 1.0 + static_cast<double>(i % 1000)).n(4, 0).c(7, cmp).row();
    }
  }
  // Production in random physical order: units of every municipality, the
  // last three months, procedures of those months.
  {
    Dbf d(zoz / "S_PRD.DBF", kPrd, static_cast<std::uint32_t>(t.producao));
    for (long long i = 0; i < t.producao; ++i) {
      const long long u = static_cast<long long>(rnd() % static_cast<std::uint64_t>(todas));
      const int k = static_cast<int>(rnd() % 3);
      const long long p = static_cast<long long>(rnd() % static_cast<std::uint64_t>(t.procedimentos));
      const long long qt = 1 + static_cast<long long>(rnd() % 50);
      d.c(0, uid(u)).c(1, mes(k)).c(2, procedimento(p)).c(3, "225").c(4, "30").n(5, static_cast<double>(qt));
      d.n(6, static_cast<double>(qt)).n(7, static_cast<double>(qt) * 1.5).c(8, "202211").row();
    }
  }
  {
    Dbf d(zoz / "S_CTR.DBF", zozgen::kCtr, 1);
    d.c(0, "202211").c(1, "A").c(2, "A").c(3, "A").c(4, "A").c(5, "A").row();
  }
  {
    Dbf d(zoz / "S_SS.DBF", zozgen::kSsAntigo, 1);
    d.c(0, "230440").c(2, "23").c(3, "LM").row();
  }
  // Control rows: every municipality for many months, in random order; the
  // month of the run not among them.
  {
    Dbf d(zoz / "CTL.DBF", kCtl, static_cast<std::uint32_t>(t.ctl));
    for (long long i = 0; i < t.ctl; ++i) {
      const int m = static_cast<int>(rnd() % kMunicipios);
      const std::string ref = mes(1 + static_cast<int>(rnd() % 600));
      d.n(0, 1 + m % 20)
          .n(1, codigoMn(m))
          .n(2, std::stod(ref))
          .c(3, ref + "15")
          .c(4, ref + "20")
          .c(7, "C")
          .row();
    }
  }
}

// --- the operations, in a child process ---

struct Execucao {
  std::unique_ptr<rt::Runtime> runtime;
  std::unique_ptr<fpo::Sistema> s;
  rt::term::Headless* keys = nullptr;
};

Execucao prepara(const fs::path& drive) {
  fs::current_path(drive / "ZOZ");
  auto backend = std::make_unique<rt::term::Headless>();
  Execucao e;
  e.keys = backend.get();
  e.runtime = std::make_unique<rt::Runtime>(std::move(backend), rt::dos::Config{drive, {}, {}, ""});
  e.s = std::make_unique<fpo::Sistema>(*e.runtime);
  fpo::ERRORSYS(*e.s);
  e.runtime->db.settings().deleted = true;
  e.s->ANO_REFERENCIA = 2022;
  e.s->MES_REFERENCIA = 11;
  e.s->REF_ARQUIVO = "211";
  return e;
}

int opera(const std::string& op, const fs::path& drive) {
  namespace key = rt::term::key;
  Execucao e = prepara(drive);
  fpo::Sistema& s = *e.s;
  try {
    if (op == "critica") {
      e.keys->add('\\').addText("440").add({key::kEnter, key::kEnter, 'N'});
      fpo::COMPARAR(s);
    } else if (op == "pabfae") {
      e.keys->add(key::kEsc);
      fpo::PABFAE(s);
    } else if (op == "lista") {
      e.keys->add({rt::term::Headless::kNoKey, 'M', rt::term::Headless::kNoKey, key::kEsc});
      fpo::VER_ATU(s);
      s.rt.db.closeAll();
    } else if (op == "importa") {
      e.keys->addText("0440").add(key::kEnter).addText("37").add({key::kEnter, key::kEnter, key::kEnter});
      fpo::IMPORTAR(s);
    } else {
      return 3;
    }
  } catch (const rt::err::ProgramExit& x) {
    std::fprintf(stderr, "%s", e.runtime->errors.errOutput().c_str());
    return 10 + x.code();
  } catch (const std::exception& x) {
    std::fprintf(stderr, "%s: %s\n", op.c_str(), x.what());
    return 4;
  }
  if (e.keys->pending() != 0) {
    std::fprintf(stderr, "%s: %zu keys left unread\n", op.c_str(), e.keys->pending());
    return 5;
  }
  return 0;
}

#ifndef _WIN32
// --- measurement ---

// Size and modification time of every file of a folder.
using Retrato = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;
Retrato retrato(const fs::path& dir) {
  Retrato r;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) r[e.path().filename().string()] = {e.file_size(), e.last_write_time()};
  return r;
}

// The bytes of the files written or made between two pictures.
std::uintmax_t escritos(const Retrato& antes, const Retrato& depois) {
  std::uintmax_t n = 0;
  for (const auto& [nome, v] : depois) {
    auto it = antes.find(nome);
    if (it == antes.end() || it->second != v) n += v.first;
  }
  return n;
}

// The floor: every input byte read once, then the output bytes written
// once to a new file and synced.
double piso(const fs::path& zoz, const std::vector<std::string>& entradas, std::uintmax_t saida,
            std::uintmax_t& lidos) {
  const auto t0 = std::chrono::steady_clock::now();
  std::vector<char> buf(1 << 20);
  lidos = 0;
  for (const auto& nome : entradas) {
    const int fd = ::open((zoz / nome).c_str(), O_RDONLY);
    if (fd < 0) continue;
    ssize_t n;
    while ((n = ::read(fd, buf.data(), buf.size())) > 0) lidos += static_cast<std::uintmax_t>(n);
    ::close(fd);
  }
  const fs::path p = zoz / "PISO.TMP";
  const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::fill(buf.begin(), buf.end(), 'x');
  for (std::uintmax_t left = saida; left > 0;) {
    const std::size_t c = static_cast<std::size_t>(std::min<std::uintmax_t>(left, buf.size()));
    if (::write(fd, buf.data(), c) != static_cast<ssize_t>(c)) throw std::runtime_error("write");
    left -= c;
  }
  ::fsync(fd);
  ::close(fd);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  fs::remove(p);
  return s;
}

double mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Operacao {
  const char* nome;
  const char* titulo;
  std::vector<std::string> entradas;
};

const std::vector<Operacao> kOperacoes = {
    {"critica",
     "critique",
     {"ZOZ_CTRL.211", "S_MNT.211", "S_UPS.211", "S_SRV.211", "S_EMU.211", "S_IPU.211", "CTL.DBF",
      "FMANLM11.TXT", "FUPSLM11.TXT", "FSRVLM11.TXT", "FESPLM11.TXT", "FAFOLM11.TXT"}},
    {"pabfae",
     "production report",
     {"S_MN.DBF", "S_UPS.DBF", "S_PA.DBF", "S_VPA.DBF", "S_PRD.DBF", "S_CTR.DBF"}},
    {"lista", "listing + search", {"CTL.DBF", "S_MN.DBF"}},
    {"importa",
     "import",
     {"ZOZ_CTRL.211", "S_MNT.211", "S_UPS.211", "S_SRV.211", "S_EMU.211", "S_IPU.211", "S_CTR.DBF",
      "S_SS.DBF", "S_MNT.DBF", "S_UPS.DBF", "S_SRV.DBF", "S_EMU.DBF", "S_IPU.DBF", "S_PA.DBF", "S_VPA.DBF",
      "CTL.DBF"}},
};

#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--gera") {
    gera(fs::path(argv[2]) / "ZOZ", std::atoi(argv[3]));
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "--op") return opera(argv[2], argv[3]);
  if (argc == 4 && std::string(argv[1]) == "--tempo") {
    const auto t0 = std::chrono::steady_clock::now();
    const int r = opera(argv[2], argv[3]);
    std::printf("%s: %.3f s\n", argv[2],
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    return r;
  }
#ifdef _WIN32
  std::fprintf(stderr, "state_bench.exe: only --gera, --op and --tempo\n");
  return 2;
#else
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  std::vector<int> escalas;
  for (const char* p = argc > 2 ? argv[2] : "1,2,4"; *p;) {
    escalas.push_back(std::atoi(p));
    while (*p && *p != ',') ++p;
    if (*p) ++p;
  }

  const std::string filtro = argc > 3 ? argv[3] : "";

  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const fs::path base = fs::temp_directory_path() / ("fpo-state-bench-" + std::to_string(::getpid()));
  std::printf("%-18s %5s %9s %9s %7s %10s %10s\n", "operation", "size", "time s", "floor s", "ratio",
              "peak RSS", "peak anon");
  for (int k : escalas) {
    const fs::path mestre = base / ("x" + std::to_string(k));
    const auto g0 = std::chrono::steady_clock::now();
    gera(mestre / "ZOZ", k);
    std::uintmax_t total = 0;
    for (const auto& e : fs::directory_iterator(mestre / "ZOZ")) total += e.file_size();
    std::printf("# %dx: generated %.0f MB in %.1f s\n", k, static_cast<double>(total) / 1e6,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - g0).count());
    std::fflush(stdout);
    for (const Operacao& op : kOperacoes) {
      if (!filtro.empty() && filtro.find(op.nome) == std::string::npos) continue;
      std::vector<double> tempos, pisos;
      long rss = 0, anon = 0;
      for (int r = 0; r < runs; ++r) {
        // The import changes its tables: it runs on a copy.
        fs::path drive = mestre;
        if (std::string(op.nome) == "importa") {
          drive = base / "copia";
          fs::remove_all(drive);
          executa({"cp", "-r", mestre.string(), drive.string()});
        }
        executa({"sync"});
        const Retrato antes = retrato(drive / "ZOZ");
        const Medida m = executa({self, "--op", op.nome, drive.string()}, 2000);
        if (!WIFEXITED(m.status) || WEXITSTATUS(m.status) != 0) {
          std::fprintf(stderr, "%s failed (status %d)\n", op.nome, m.status);
          fs::remove_all(base);
          return 1;
        }
        const std::uintmax_t saida = escritos(antes, retrato(drive / "ZOZ"));
        std::uintmax_t lidos = 0;
        executa({"sync"});
        pisos.push_back(piso(drive / "ZOZ", op.entradas, saida, lidos));
        tempos.push_back(m.segundos);
        rss = std::max(rss, m.maxRssKb);
        anon = std::max(anon, m.anonKb);
        if (runs > 1)
          std::printf("#   %s run %d: %.3f s, floor %.3f s (read %.0f MB, wrote %.0f MB)\n", op.nome, r + 1,
                      m.segundos, pisos.back(), static_cast<double>(lidos) / 1e6,
                      static_cast<double>(saida) / 1e6);
      }
      const double t = mediana(tempos), p = mediana(pisos);
      std::printf("%-18s %4dx %9.3f %9.3f %6.1fx %7.0f MB %7.0f MB\n", op.titulo, k, t, p, t / p,
                  static_cast<double>(rss) / 1024, static_cast<double>(anon) / 1024);
      std::fflush(stdout);
    }
    fs::remove_all(base);
  }
  return 0;
#endif
}
