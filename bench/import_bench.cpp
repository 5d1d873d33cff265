// The import on a state-size \ZOZ folder (S_VPA 1,000,000 rows, S_PA 50,000,
// S_IPU 200,000, S_UPS 5,000, the month's package of the same size) beside
// the time of copying the same files with cp in the same run. Each import
// runs in a fresh process on a fresh copy of the folder; its wall time and
// peak resident memory (getrusage of the child) are printed.
//
//   build/import_bench [runs]        default 3 runs
//   build/import_bench --gera DIR     only writes the folder DIR/ZOZ
//   build/import_bench --importa DIR  only imports in DIR/ZOZ (DIR: drive C:)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/errorsys/Errorsys.h"
#include "app/importar/Importar.h"
#include "app/importar/passos.h"
#include "app/sistema.h"
#include "processo.h"
#include "rt/db/dbf.h"
#include "rt/runtime.h"
#include "rt/term/headless.h"
#include "rt/term/keys.h"
#include "rt/text/number.h"
#include "zozgen/layouts.h"

namespace fs = std::filesystem;
using bench::executa;
using bench::Medida;
using rt::Value;
using rt::db::FieldSpec;

namespace {

constexpr int kMunicipios = 184;
constexpr int kUnidades = 5000;
constexpr int kIpuMes = 20000;  // the package's budget rows of the month
constexpr int kIpuInstalado = 200000;
constexpr int kProcedimentos = 5000;  // per month
constexpr int kMesesPa = 10;          // S_PA: 50,000 rows
constexpr int kLinhasVpa = 1000000;

using zozgen::kIpu;
using zozgen::kPa;
using zozgen::kUpsAntigo;
using zozgen::kVpa;

// Writes a table row by row: fill(t, i) puts the fields of row i.
template <class Fill>
void tabela(const fs::path& p, const std::vector<FieldSpec>& fields, int rows, Fill fill) {
  rt::err::ErrorSystem es;
  if (!rt::db::Table::create(p, fields, es)) throw std::runtime_error("create " + p.string());
  auto t = rt::db::Table::open(p, es);
  for (int i = 0; i < rows; ++i) {
    t->appendBlank();
    fill(*t, i);
  }
  t->close();
}

void put(rt::db::Table& t, int f, const std::string& s) { t.putRaw(f, s); }
void put(rt::db::Table& t, int f, double v) { t.put(f, Value::number(v)); }

std::string mes(int k) {  // the k-th month back from 2022/11
  int y = 2022, m = 11 - k;
  while (m < 1) {
    m += 12;
    --y;
  }
  return rt::text::strZero(y, 4) + rt::text::strZero(m, 2);
}
std::string municipio(int i) { return "23" + rt::text::strZero(440 + i * 5, 4); }
std::string unidade(int i) { return rt::text::strZero(2000000 + i, 7); }
std::string procedimento(int i) { return rt::text::strZero(301010000 + i * 7, 10); }

void gera(const fs::path& zoz) {
  fs::create_directories(zoz);
  std::mt19937 rnd(7);
  tabela(zoz / "ZOZ_CTRL.211", zozgen::kCtrl, kMunicipios, [](rt::db::Table& t, int i) {
    put(t, 0, 440 + i * 5);
    put(t, 1, "MUNICIPIO " + std::to_string(i));
    put(t, 2, "PM");
    put(t, 3, "202211");
  });
  // A tenth of the units belong to 230440, the rest spread over the state.
  auto mnDe = [](int u) { return u % 10 == 0 ? municipio(0) : municipio(1 + u % (kMunicipios - 1)); };
  for (const char* nome : {"S_UPS.211"})
    tabela(zoz / nome, fpo::importar::layoutUps(), kUnidades, [&](rt::db::Table& t, int i) {
      put(t, 0, unidade(i));
      put(t, 1, "23");
      put(t, 2, "UNIDADE DE SAUDE " + std::to_string(i));
      put(t, 3, "US " + std::to_string(i));
      put(t, 6, rt::text::strZero(7954571000000.0 + i, 14));
      put(t, 15, mnDe(i));
      put(t, 35, rt::text::strZero(i, 7));
    });
  tabela(zoz / "S_UPS.DBF", kUpsAntigo, kUnidades, [&](rt::db::Table& t, int i) {
    put(t, 0, unidade(i));
    put(t, 2, "UNIDADE DE SAUDE " + std::to_string(i));
    put(t, 5, rt::text::strZero(7954571000000.0 + i, 14));
    put(t, 6, mnDe(i));
    put(t, 7, std::string("20010302"));
    put(t, 8, 12);
    put(t, 10, rt::text::strZero(i, 7));
  });
  auto ipu = [&](rt::db::Table& t, const std::string& uid, const std::string& cmp, int k) {
    put(t, 0, uid);
    put(t, 1, "001");
    put(t, 2, rt::text::strZero(701000 + k % 40, 7));
    put(t, 3, "01");
    put(t, 4, cmp);
    put(t, 5, 10.0);
    put(t, 6, 1 + k % 90);
    put(t, 7, 10.0 * (1 + k % 90));
    put(t, 8, cmp);
    put(t, 9, "N");
  };
  tabela(zoz / "S_IPU.211", kIpu, kIpuMes,
         [&](rt::db::Table& t, int i) { ipu(t, unidade(i % kUnidades), "202211", i); });
  tabela(zoz / "S_IPU.DBF", kIpu, kIpuInstalado,
         [&](rt::db::Table& t, int i) { ipu(t, unidade(i % kUnidades), mes(i / kIpuMes), i); });
  for (const char* nome : {"S_MNT.211", "S_MNT.DBF"})
    tabela(zoz / nome,
           {{"MNT_ID", 'C', 8, 0}, {"MNT_CGCFI", 'C', 4, 0}, {"MNT_CGCDV", 'C', 2, 0}, {"MNT_MN", 'C', 6, 0}},
           kMunicipios, [](rt::db::Table& t, int i) {
             put(t, 0, rt::text::strZero(7954571 + i, 8));
             put(t, 1, "0001");
             put(t, 2, "04");
             put(t, 3, municipio(i));
           });
  for (const char* nome : {"S_SRV.211", "S_SRV.DBF"})
    tabela(zoz / nome, zozgen::kSrv, 2 * kUnidades, [](rt::db::Table& t, int i) {
      put(t, 0, unidade(i / 2));
      put(t, 1, i % 2 ? "010" : "014");
      put(t, 2, "001");
    });
  for (const char* nome : {"S_EMU.211", "S_EMU.DBF"})
    tabela(zoz / nome, zozgen::kEmu, kUnidades, [](rt::db::Table& t, int i) {
      put(t, 0, unidade(i));
      put(t, 1, "01");
      put(t, 2, 2);
    });
  tabela(zoz / "S_PA.DBF", kPa, kProcedimentos * kMesesPa, [&](rt::db::Table& t, int i) {
    put(t, 0, procedimento(i % kProcedimentos));
    put(t, 1, "PROCEDIMENTO " + std::to_string(i % kProcedimentos));
    put(t, 2, mes(i / kProcedimentos));
    put(t, 3, i % 5 < 2 ? "S" : "N");
    put(t, 4, 1.0 + static_cast<double>(rnd() % 100000) / 100);
    put(t, 5, "N");
  });
  // Prices: 5,000 procedures for each month back from 2022/11, the month's
  // earlier complement rows among them.
  tabela(zoz / "S_VPA.DBF", kVpa, kLinhasVpa, [&](rt::db::Table& t, int i) {
    const int k = i / kProcedimentos;
    const std::string cmp = mes(k);
    put(t, 0, cmp);
    put(t, 1, procedimento(i % kProcedimentos));
    put(t, 2, (k == 0 && i % 5 < 2) ? "1" : "0");
    put(t, 3, 1.0 + i % 1000);
    put(t, 4, 0.0);
    put(t, 7, cmp);
  });
  tabela(zoz / "S_CTR.DBF", zozgen::kCtr, 1, [](rt::db::Table& t, int) {
    put(t, 0, "202211");
    for (int f = 1; f <= 5; ++f) put(t, f, "A");
  });
  tabela(zoz / "S_SS.DBF", zozgen::kSsAntigo, 1, [](rt::db::Table& t, int) {
    put(t, 0, "230440");
    put(t, 2, "23");
    put(t, 3, "LM");
  });
  tabela(zoz / "CTL.DBF", zozgen::kCtl, 0, [](rt::db::Table&, int) {});
}

// The import of 0440 at 37% on the drive whose \ZOZ is the current directory.
int importa(const fs::path& drive) {
  fs::current_path(drive / "ZOZ");
  auto backend = std::make_unique<rt::term::Headless>();
  namespace key = rt::term::key;
  backend->addText("0440").add(key::kEnter).addText("37").add({key::kEnter, key::kEnter, key::kEnter});
  rt::Runtime runtime(std::move(backend), rt::dos::Config{drive, {}, {}, ""});
  fpo::Sistema s(runtime);
  fpo::ERRORSYS(s);
  runtime.db.settings().deleted = true;
  s.ANO_REFERENCIA = 2022;
  s.MES_REFERENCIA = 11;
  s.REF_ARQUIVO = "211";
  try {
    fpo::IMPORTAR(s);
  } catch (const rt::err::ProgramExit& e) {
    std::fprintf(stderr, "%s", runtime.errors.errOutput().c_str());
    return 10 + e.code();
  }
  // It ran to its end: the control row and the price index are there.
  rt::err::ErrorSystem es;
  auto ctl = rt::db::Table::open(drive / "ZOZ" / "CTL.DBF", es);
  if (!ctl || ctl->lastRec() != 1 || !fs::exists(drive / "ZOZ" / "INSVPA.NTX")) return 2;
  return 0;
}

std::uintmax_t bytes(const fs::path& dir) {
  std::uintmax_t n = 0;
  for (const auto& e : fs::directory_iterator(dir)) n += e.file_size();
  return n;
}

double mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--importa") return importa(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "--gera") {
    gera(fs::path(argv[2]) / "ZOZ");
    return 0;
  }
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

  const fs::path base = fs::temp_directory_path() / ("fpo-import-bench-" + std::to_string(::getpid()));
  const fs::path mestre = base / "mestre" / "ZOZ";
  std::printf("generating the state-size folder in %s ...\n", base.c_str());
  const auto g0 = std::chrono::steady_clock::now();
  gera(mestre);
  std::printf("generated %.1f MB in %.1f s\n", static_cast<double>(bytes(mestre)) / 1e6,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - g0).count());

  const std::string self = fs::read_symlink("/proc/self/exe").string();
  std::vector<double> tCp, tCpSync, tImp;
  long rss = 0, anon = 0;
  for (int r = 0; r < runs; ++r) {
    const fs::path copia = base / ("copia" + std::to_string(r));
    const fs::path drive = base / ("run" + std::to_string(r));
    fs::create_directories(copia);
    fs::create_directories(drive);
    const Medida cp = executa({"cp", "-r", mestre.string(), copia.string()});
    const Medida cps = executa({"sh", "-c",
                                "cp -r '" + mestre.string() + "' '" + copia.string() + "/ZOZ2' && sync -f '" +
                                    copia.string() + "/ZOZ2'"});
    fs::copy(mestre, drive / "ZOZ", fs::copy_options::recursive);
    executa({"sync"});
    const Medida imp = executa({self, "--importa", drive.string()}, 500);
    if (!WIFEXITED(imp.status) || WEXITSTATUS(imp.status) != 0) {
      std::fprintf(stderr, "the import failed (status %d)\n", imp.status);
      fs::remove_all(base);
      return 1;
    }
    tCp.push_back(cp.segundos);
    tCpSync.push_back(cps.segundos);
    tImp.push_back(imp.segundos);
    rss = std::max(rss, imp.maxRssKb);
    anon = std::max(anon, imp.anonKb);
    std::printf(
        "run %d: cp %.3f s, cp+sync %.3f s, import %.3f s (%.2fx cp, %.2fx cp+sync), peak RSS %.1f MB, "
        "anonymous %.1f MB\n",
        r + 1, cp.segundos, cps.segundos, imp.segundos, imp.segundos / cp.segundos,
        imp.segundos / cps.segundos, static_cast<double>(imp.maxRssKb) / 1024,
        static_cast<double>(imp.anonKb) / 1024);
    fs::remove_all(copia);
    fs::remove_all(drive);
  }
  const double keys = 1.0e6 * (17 + 4) + 2.0e5 * (6 + 4) + 3.0 * 5000 * (14 + 4);
  std::printf("median: cp %.3f s, cp+sync %.3f s, import %.3f s = %.2fx cp, %.2fx cp+sync\n", mediana(tCp),
              mediana(tCpSync), mediana(tImp), mediana(tImp) / mediana(tCp),
              mediana(tImp) / mediana(tCpSync));
  std::printf(
      "peak RSS %.1f MB (mapped table pages included), anonymous %.1f MB; index entries %.1f MB, "
      "tables %.1f MB\n",
      static_cast<double>(rss) / 1024, static_cast<double>(anon) / 1024, keys / 1e6,
      static_cast<double>(bytes(mestre)) / 1e6);
  fs::remove_all(base);
  return 0;
}
