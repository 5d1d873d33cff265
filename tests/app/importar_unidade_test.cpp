// The import as one unit of work: cut off at every write it makes, or with
// the disk filling up at any point, the folder is found, after the start-up
// recovery, wholly as it was before or wholly as a whole import leaves it.
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "app/arquivos.h"
#include "app/menu/Menu.h"
#include "importar_fixture.h"
#include "rt/db/file.h"
#include "rt/os/os.h"
#include "support/journal.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;
using rt::os::faults::Kind;
using Passo = rt::os::faults::Step;

// The tables the import writes.
const char* const kTabelas[] = {"S_UPS.DBF",    "S_CTR.DBF", "S_SS.DBF", "S_IPU.DBF",
                                "S_CNESIA.DBF", "S_VPA.DBF", "CTL.DBF"};

unsigned u16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned>(static_cast<unsigned char>(b[at + 1]))
                                                 << 8;
}

#ifdef _WIN32
// This test program started again, running only the hidden child test with
// these variables set; its exit code.
int deNovo(const std::vector<std::pair<std::string, std::string>>& env, int* processo = nullptr,
           const char* teste = "ImportarUnidade.DISABLED_Filho") {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring linha = L"\"" + std::wstring(exe) + L"\" --gtest_filter=" + fs::path(teste).wstring() +
                       L" --gtest_also_run_disabled_tests";
  for (const auto& [k, v] : env) _putenv_s(k.c_str(), v.c_str());
  // Its failures come on stderr; gtest's lines on stdout are dropped.
  SECURITY_ATTRIBUTES herda{sizeof herda, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &herda, OPEN_EXISTING,
                           0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = nul;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  const BOOL ok = CreateProcessW(exe, linha.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  for (const auto& [k, v] : env) _putenv_s(k.c_str(), "");
  CloseHandle(nul);
  if (!ok) return -1;
  if (processo) *processo = static_cast<int>(pi.dwProcessId);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
}
#endif

class ImportarUnidade : public test::ImportarTest {
 protected:
  using Estado = std::map<std::string, std::string>;

  // Armed, the fault point keeps the runs from waiting for the disk; what
  // is tested here is a process cut off, not the disk's cache.
  ImportarUnidade() { rt::os::faults::arm(Kind::Count); }
  ~ImportarUnidade() override { rt::os::faults::arm(Kind::Off); }

  // Each table as its header tells it: the field list and the rows it
  // counts (not the date of the last write). A header that does not agree
  // with the length of its file is a failure.
  Estado estado() {
    Estado out;
    for (const char* nome : kTabelas) {
      if (!fs::exists(z(nome))) {
        out[nome] = "(none)";
        continue;
      }
      const std::string b = bytes(nome);
      if (b.size() < 32) {
        ADD_FAILURE() << nome << " shorter than a header";
        continue;
      }
      const std::size_t n = u16(b, 4) | static_cast<std::size_t>(u16(b, 6)) << 16;
      const std::size_t hl = u16(b, 8), rl = u16(b, 10);
      const std::size_t fim = hl + n * rl;
      if (b.size() != fim && !(b.size() == fim + 1 && b[fim] == '\x1A')) {
        ADD_FAILURE() << nome << ": the header counts " << n << " rows, the file holds " << b.size()
                      << " bytes";
        continue;
      }
      out[nome] = b.substr(0, 1) + b.substr(4, fim - 4);
    }
    return out;
  }

  // The files left beside the tables by a run: temporaries and the journal
  // (not the lock file of the running program).
  std::vector<std::string> sobras() {
    std::vector<std::string> out = test::dotFiles(drive().zoz());
    if (fs::exists(fs::symlink_status(z("FPO.JNL")))) out.push_back("FPO.JNL");
    std::sort(out.begin(), out.end());
    return out;
  }

  // What a start-up does first.
  void partida() { EXPECT_NE(recuperaImportacao(s).outcome, rt::db::Switch::Recovery::Outcome::Skipped); }

  // What the child makes of the import's result: a whole import, or the
  // full disk's alert answered "Quit".
  enum class Confere { Inteira, Cheio };

  // The import in a child process with the fault point armed. The child's
  // exit code: 86 when cut off, else 0 when the result is as `confere`
  // expects; the writes it counted in *contadas, the steps of the names it
  // made in *passos, its process in *processo.
  int filho(Kind k, long n, long* contadas = nullptr, Confere confere = Confere::Inteira,
            std::vector<Passo>* passos = nullptr, int* processo = nullptr) {
    std::string relato;
#ifdef _WIN32
    // This test program started again, running only the hidden test below.
    const fs::path arquivo = drive().root() / "contadas";
    fs::remove(arquivo);
    const std::string pedido = std::to_string(static_cast<int>(k)) + " " + std::to_string(n) + " " +
                               std::to_string(static_cast<int>(confere)) + " " + arquivo.string();
    const int r = deNovo({{"FPO_TEST_DRIVE", drive().root().string()}, { "FPO_FILHO", pedido }}, processo);
    relato = test::ImportarTest::lerArquivo(arquivo);
#else
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      // The child never returns into the test: what it finds is its exit code.
      close(fds[0]);
      _exit(corre(k, n, confere, [&](const std::string& r) {
        if (write(fds[1], r.data(), r.size()) != static_cast<ssize_t>(r.size())) _exit(90);
      }));
    }
    close(fds[1]);
    char b[4096];
    for (ssize_t got; (got = read(fds[0], b, sizeof b)) > 0;) relato.append(b, static_cast<std::size_t>(got));
    int st = 0;
    waitpid(pid, &st, 0);
    close(fds[0]);
    if (processo) *processo = static_cast<int>(pid);
    const int r = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
#endif
    std::istringstream in(relato);
    long c = -1;
    if (in >> c && contadas) *contadas = c;
    in >> std::ws;
    for (std::string linha; passos && std::getline(in, linha);) {
      std::istringstream l(linha);
      int op = 0;
      Passo p{};
      std::string de, para;
      l >> op >> p.n;
      l.get();
      std::getline(l, de, '\t');
      std::getline(l, para);
      p.op = static_cast<Passo::Op>(op);
      p.path = fs::path(de);
      p.to = fs::path(para);
      passos->push_back(p);
    }
    // The locks of the child's files may outlast it a moment: waited for,
    // as the next run of the program would not start sooner.
    test::waitUnlocked(drive().zoz());
    return r;
  }

  // The child's part: the import with the fault point armed; the writes it
  // counted go to `conta` when it was not cut off. Its exit code.
  int corre(Kind k, long n, Confere confere, const std::function<void(const std::string&)>& conta) {
    int r = 95;
    try {
      passo("440", "37");
      keys().add(key::kEnter);  // "Processo Concluído", or "Quit"
      rt::os::faults::arm(k, n);
      const int code = importar();
      std::string relato = std::to_string(rt::os::faults::count()) + "\n";
      for (const Passo& p : rt::os::faults::steps())
        relato += std::to_string(static_cast<int>(p.op)) + " " + std::to_string(p.n) + "\t" +
                  p.path.string() + "\t" + p.to.string() + "\n";
      conta(relato);
      r = confere == Confere::Cheio ? confereCheio(code) : code == -1 && viu("Processo Concluído") ? 0 : 91;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child %d: %s\n", rt::os::processId(), e.what());
    }
    if (r != 0) {
      std::fprintf(stderr, "child %d, exit %d: %s\n", rt::os::processId(), r,
                   s.rt.errors.errOutput().c_str());
      if (!keys().atKeys.empty())
        for (int l = 0; l < 25; ++l) std::fprintf(stderr, "%s\n", text(keys().atKeys.back(), l).c_str());
    }
    return r;
  }

  // A full disk from some write on: one alert, "Quit" ends the run with the
  // error text and exit code 1; or the import got past its last write.
  int confereCheio(int code) {
    if (code == -1) return viu("Processo Concluído") ? 0 : 94;
    if (code != 1) return 93;
    // The alert's appearances: it reads every key until one answers it.
    int alertas = 0;
    bool antes = false;
    for (const auto& sc : keys().atKeys) {
      const bool agora = shows(sc, "Write error") || shows(sc, "Create error");
      alertas += agora && !antes;
      antes = agora;
    }
    const std::string erro = s.rt.errors.errOutput();
    const bool texto =
        erro.find("Write error") != std::string::npos || erro.find("Create error") != std::string::npos;
    return alertas == 1 && texto ? 0 : 92;
  }

  // The tables in which two states differ.
  static std::string difere(const Estado& a, const Estado& b) {
    std::string out;
    for (const auto& [nome, conteudo] : a)
      if (b.count(nome) == 0 || b.at(nome) != conteudo) out += nome + " ";
    return out;
  }

  // The bytes of every file of \ZOZ by name.
  std::map<std::string, std::string> arquivos() { return test::filesOf(drive().zoz()); }

  // A power cut instead of the cut of the process: of what a run cut off
  // at its n-th operation did to the folder's names after their last sync,
  // some may not have reached the disk. The steps are those of a whole run,
  // by the process `de`; the cut run was process `para`. A rename undone
  // gives its target the content it had in `inicial` (or none). False when
  // the cut left nothing to undo this way.
  enum class Apagao { Nenhum, Renomes, Alternados, Criados };
  bool apagao(const std::vector<Passo>& passos, long n, int de, int para, Apagao a,
              const std::map<std::string, std::string>& inicial) {
    const auto nome = [&](const fs::path& p) {
      std::string f = p.filename().string();
      const std::string antes = "." + std::to_string(de) + ".", agora = "." + std::to_string(para) + ".";
      if (const auto at = f.find(antes); at != std::string::npos) f.replace(at, antes.size(), agora);
      return drive().zoz() / f;
    };
    std::vector<Passo> soltos;  // after the last sync of the names
    for (const Passo& p : passos) {
      if (p.n >= n) break;
      if (p.op == Passo::Op::SyncFolder) soltos.clear();
      if (p.op == Passo::Op::Create || p.op == Passo::Op::Rename) soltos.push_back(p);
    }
    std::vector<bool> desfaz(soltos.size(), false);
    int renomes = 0, criados = 0;
    for (std::size_t i = 0; i < soltos.size(); ++i) {
      const bool renome = soltos[i].op == Passo::Op::Rename;
      const bool depois =
          std::any_of(soltos.begin() + static_cast<long>(i) + 1, soltos.end(),
                      [&](const Passo& q) { return q.op == Passo::Op::Rename && q.path == soltos[i].path; });
      switch (a) {
        case Apagao::Nenhum:
          break;
        case Apagao::Renomes:
          desfaz[i] = true;
          break;
        case Apagao::Alternados:
          desfaz[i] = renome && renomes % 2 == 0;
          break;
        case Apagao::Criados:
          desfaz[i] = !renome && !depois && criados % 2 == 0;
          break;
      }
      renomes += renome;
      criados += !renome && !depois;
    }
    bool mudou = false;
    for (std::size_t i = soltos.size(); i-- > 0;) {
      if (!desfaz[i]) continue;
      const fs::path de1 = nome(soltos[i].path);
      if (soltos[i].op == Passo::Op::Create) {
        mudou = fs::remove(de1) || mudou;
        continue;
      }
      const fs::path para1 = nome(soltos[i].to);
      if (!fs::exists(para1)) continue;
      fs::rename(para1, de1);
      if (const auto it = inicial.find(para1.filename().string()); it != inicial.end())
        std::ofstream(para1, std::ios::binary) << it->second;
      mudou = true;
    }
    return mudou;
  }

  // The program's start-up from MENU to its exit at the menu, the alerts
  // it shows first answered.
  void arranca(int alertas = 0) {
    for (int i = 0; i < alertas; ++i) keys().add(key::kEnter);
    keys().addText("202211").add(key::kEnter);                       // the period
    keys().add({key::kEnter, key::kEnter, key::kEnter, key::kF10});  // the notices, the menu
    keys().add({key::kEsc, key::kEnter});                            // the exit
    try {
      MENU(s);
      ADD_FAILURE() << "MENU returned";
    } catch (const rt::err::ProgramExit& e) {
      EXPECT_EQ(e.code(), 0);
    }
  }

  // A fresh folder with an import cut off half-way through its switch: the
  // journal in place, some tables switched and some not. False when no cut
  // of the `total` writes leaves one.
  bool meioDaTroca(long total, const Estado& depois) {
    for (long n = total; n > 0; --n) {
      novaPasta();
      if (filho(Kind::Crash, n) != 86) return false;
      if (fs::exists(z("FPO.JNL")) && estado() != depois && sobras().size() > 1) return true;
    }
    return false;
  }

  // Another program started on the folder: its start-up; 0 when it found
  // the folder held by another and left it alone.
  int outroPrograma() {
#ifdef _WIN32
    return deNovo({{"FPO_TEST_DRIVE", drive().root().string()},
                   { "FPO_SEGUNDO",
                     "1" }},
                  nullptr, "ImportarUnidade.DISABLED_Segundo");
#else
    const pid_t pid = fork();
    if (pid == 0) _exit(inicioDoSegundo());
    int st = 0;
    waitpid(pid, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
#endif
  }

  // The start-up of that other program, on a run-time of its own.
  int inicioDoSegundo() {
    rt::Runtime outro(std::make_unique<test::RecordingBackend>(),
                      rt::dos::Config{drive().root(), {}, {}, ""});
    Sistema s2(outro);
    ERRORSYS(s2);
    return recuperaImportacao(s2).outcome == rt::db::Switch::Recovery::Outcome::Skipped ? 0 : 1;
  }

  void novaPasta() {
    for (const auto& e : fs::directory_iterator(drive().zoz())) fs::remove_all(e.path());
    test::zoz::build(drive().zoz());
  }
};

#ifdef _WIN32
// The second program of outroPrograma() on Windows.
TEST_F(ImportarUnidade, DISABLED_Segundo) {
  if (!std::getenv("FPO_SEGUNDO")) GTEST_SKIP();
  std::_Exit(inicioDoSegundo());
}

// The child process of filho() on Windows: FPO_FILHO names the fault, its
// write, the check and the file that takes the count.
TEST_F(ImportarUnidade, DISABLED_Filho) {
  const char* pedido = std::getenv("FPO_FILHO");
  if (!pedido) GTEST_SKIP();
  int k = 0, confere = 0;
  long n = 0;
  std::string arquivo;
  std::istringstream in(pedido);
  in >> k >> n >> confere >> std::ws;
  std::getline(in, arquivo);
  std::_Exit(corre(static_cast<Kind>(k), n, static_cast<Confere>(confere),
                   [&](const std::string& c) { std::ofstream(arquivo, std::ios::binary) << c; }));
}
#endif

// Cut off before each write, sync, rename and removal of the import, from
// the first to the last: every table is whole, the folder is the one before
// or the one after once the start-up has run, nothing is left beside the
// tables, and the next import gives the same folder as an uncut one. Where
// the folder's names are synced apart from the renames (POSIX), a power cut
// at each of those points is tried too: what the run did after the last
// sync of the names lost, wholly or in part.
TEST_F(ImportarUnidade, CutOffAtEveryWrite) {
  novaPasta();
  const Estado antes = estado();
  const auto inicial = arquivos();
  long total = 0;
  std::vector<Passo> passos;
  int contou = 0;
  ASSERT_EQ(filho(Kind::Count, 0, &total, Confere::Inteira, &passos, &contou), 0);
  const Estado depois = estado();
  ASSERT_NE(antes, depois);
  ASSERT_GT(total, 10);
  ASSERT_FALSE(passos.empty());

#ifdef _WIN32
  const Apagao apagoes[] = {Apagao::Nenhum};  // renames are written through
#else
  const Apagao apagoes[] = {Apagao::Nenhum, Apagao::Renomes, Apagao::Alternados, Apagao::Criados};
#endif
  int comoAntes = 0, comoDepois = 0, cortes = 0;
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE("cut off at write " + std::to_string(n) + " of " + std::to_string(total));
    // What the cut leaves does not depend on the power cut tried after it:
    // the cut is made once, and the folder it left put back for each.
    novaPasta();
    int cortado = 0;
    ASSERT_EQ(filho(Kind::Crash, n, nullptr, Confere::Inteira, nullptr, &cortado), 86);
    const auto cortada = arquivos();
    for (const Apagao a : apagoes) {
      SCOPED_TRACE("power cut " + std::to_string(static_cast<int>(a)));
      test::putFiles(drive().zoz(), cortada);
      if (a != Apagao::Nenhum && !apagao(passos, n, contou, cortado, a, inicial)) continue;
      ++cortes;
      // Each table is whole before the start-up too: old or new.
      for (const auto& [nome, conteudo] : estado())
        EXPECT_TRUE(conteudo == antes.at(nome) || conteudo == depois.at(nome)) << nome;
      partida();
      const Estado agora = estado();
      if (agora == antes) {
        ++comoAntes;
      } else {
        ++comoDepois;
        EXPECT_TRUE(agora == depois) << "neither the folder before nor the one after: new "
                                     << difere(agora, antes) << "; old " << difere(agora, depois);
      }
      EXPECT_EQ(sobras(), std::vector<std::string>{});
      ASSERT_EQ(filho(Kind::Count, 0), 0);
      EXPECT_TRUE(estado() == depois) << difere(estado(), depois);
      if (HasFailure()) return;
    }
  }
  EXPECT_GT(comoAntes, 0);
  EXPECT_GT(comoDepois, 0);
#ifndef _WIN32
  EXPECT_GT(cortes, static_cast<int>(total));  // power cuts were made
#endif
}

// The disk full from some write on, early to late: one alert, "Quit" ends
// the run with the error text and exit code 1, and the folder is the one
// before; the next import is whole.
TEST_F(ImportarUnidade, DiskFullFromSomeWriteOn) {
  novaPasta();
  long total = 0;
  ASSERT_EQ(filho(Kind::Count, 0, &total), 0);
  const Estado depois = estado();
  for (long n = 1; n <= total; n += 3) {
    SCOPED_TRACE("disk full from write " + std::to_string(n) + " of " + std::to_string(total));
    novaPasta();
    const Estado antes = estado();
    // A write that fails is the error policy's alert, answered "Quit".
    EXPECT_EQ(filho(Kind::Full, n, nullptr, Confere::Cheio), 0);
    partida();
    const Estado agora = estado();
    EXPECT_TRUE(agora == antes || agora == depois);
    EXPECT_TRUE(sobras().empty());
    ASSERT_EQ(filho(Kind::Count, 0), 0);
    EXPECT_EQ(estado(), depois);
  }
}

// A run cut off while it switches the tables leaves its journal; the next
// start-up completes the switch before anything else, and removes the
// temporary files a cut-off run left, but not one another program holds
// nor files of other names.
TEST_F(ImportarUnidade, StartUpCompletesTheSwitch) {
  novaPasta();
  long total = 0;
  ASSERT_EQ(filho(Kind::Count, 0, &total), 0);
  const Estado depois = estado();
  ASSERT_TRUE(meioDaTroca(total, depois));
  for (const char* nome : {".S_UPS.DBF.99999.0.tmp", ".S_VPA.DBF.99998.3.tmp", ".S_VPA.DBF.tmp", "NOTAS.TMP"})
    std::ofstream(z(nome)) << "x";
  rt::db::File outro;
  ASSERT_TRUE(
      outro.open(z(".S_VPA.DBF.99998.3.tmp"), rt::db::File::Mode::ReadWrite, rt::db::File::Lock::Exclusive));
  arranca();
  outro.close();
  EXPECT_EQ(estado(), depois);
  EXPECT_EQ(sobras(), (std::vector<std::string>{".S_VPA.DBF.99998.3.tmp", ".S_VPA.DBF.tmp"}));
  EXPECT_TRUE(fs::exists(z("NOTAS.TMP")));
}

// A journal the program did not write, or cannot read whole, changes
// nothing at the start-up: no table renamed, no file removed; it goes aside
// with the staged files, and the operator is told to import again. Some
// are made up, some are the journal of a switch cut off half-way, damaged.
TEST_F(ImportarUnidade, StartUpSetsAsideAJournalItCannotTrust) {
  novaPasta();
  long total = 0;
  ASSERT_EQ(filho(Kind::Count, 0, &total), 0);
  const Estado depois = estado();
  const auto tamanho = [&](const char* nome) { return std::to_string(fs::file_size(z(nome))); };
  struct Caso {
    const char* nome;
    bool cortado;  // on the folder of a switch cut off half-way
    std::function<std::string(const std::string& diario)> texto;
  };
  const Caso casos[] = {
      {"a table over another", false, [](const std::string&) { return "S_UPS.DBF\tCTL.DBF\n"; }},
      {"a table over another, summed", false,
       [&](const std::string&) {
         return test::switchJournal({"S_UPS.DBF\tCTL.DBF\t" + tamanho("S_UPS.DBF")});
       }},
      {"the journal over a table", false,
       [&](const std::string&) { return test::switchJournal({"FPO.JNL\tS_PRD.DBF\t10"}); }},
      {"a chain", false,
       [&](const std::string&) {
         return test::switchJournal(
             {"S_SS.DBF\tS_CTR.DBF\t" + tamanho("S_SS.DBF"), "S_CTR.DBF\tS_MN.DBF\t" + tamanho("S_CTR.DBF")});
       }},
#ifndef _WIN32
      {"a link out of the folder", false,
       [&](const std::string&) {
         std::ofstream(drive().root() / "FORA") << std::string(300, 'x');
         fs::create_symlink(drive().root() / "FORA", z(".S_VPA.DBF.7.0.tmp"));
         return test::switchJournal({".S_VPA.DBF.7.0.tmp\tS_VPA.DBF\t300"});
       }},
#endif
      {"cut short", true, [](const std::string& d) { return d.substr(0, d.size() / 2); }},
      {"no END line", true,
       [](const std::string& d) {
         const auto fim = d.find("END ");
         return d.substr(0, fim) + d.substr(d.find('\n', fim) + 1);
       }},
      {"the wrong count", true,
       [](const std::string& d) { return std::string(d).replace(d.find("END ") + 4, 1, "9"); }},
      {"garbage", true, [](const std::string& d) { return std::string(d.size(), '\x8F'); }},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    if (c.cortado)
      ASSERT_TRUE(meioDaTroca(total, depois));
    else
      novaPasta();
    const std::string texto = c.texto(c.cortado ? bytes("FPO.JNL") : std::string());
    std::ofstream(z("FPO.JNL"), std::ios::binary) << texto;
    const Estado antes = estado();
    const auto guardados = arquivos();
    keys().atKeys.clear();
    arranca(1);
    EXPECT_TRUE(viu("Arquivo \\ZOZ\\FPO.JNL danificado ou desconhecido:"));
    EXPECT_TRUE(viu("guardado como \\ZOZ\\FPO_D01.JNL, sem alterar tabelas."));
    EXPECT_TRUE(viu("A última importação pode estar incompleta:"));
    EXPECT_TRUE(viu("importe o município novamente."));
    EXPECT_TRUE(estado() == antes) << difere(estado(), antes);
    // Every file is there still, the journal and the staged ones aside.
    const auto agora = arquivos();
    EXPECT_EQ(agora.at("FPO_D01.JNL"), texto);
    for (const auto& [nome, conteudo] : guardados) {
      if (nome == "CTL.DBF" || nome == ".FPO.LCK" || nome == "CTL1.DBF") continue;
      std::string aside = nome;
      // A link is not followed, nor taken for a staged file.
      if (fs::is_symlink(z(nome))) continue;
      if (nome == "FPO.JNL") aside = "FPO_D01.JNL";
      std::string alvo;
      if (rt::os::temporaryName(nome, &alvo)) {
        const fs::path a(alvo);
        aside = a.stem().string() + "_D01" + a.extension().string();
      }
      ASSERT_TRUE(agora.count(aside)) << nome << " gone";
      EXPECT_EQ(agora.at(aside), conteudo) << nome;
    }
    EXPECT_FALSE(fs::exists(z("FPO.JNL")));
    // The next start-up has nothing to say.
    keys().atKeys.clear();
    arranca();
    EXPECT_FALSE(viu("FPO.JNL"));
  }
}

// A second program started on the folder while the first one imports,
// at each step of the import: it finds the folder held, so it neither
// completes the journal nor removes the staged files, and the first one's
// import ends whole.
TEST_F(ImportarUnidade, SecondProgramDuringAnImport) {
  novaPasta();
  long total = 0;
  ASSERT_EQ(filho(Kind::Count, 0, &total), 0);
  const Estado depois = estado();
#ifdef _WIN32
  const long passo1 = 5;  // a process started under wine takes a while
#else
  const long passo1 = 1;
#endif
  for (long n = 1; n <= total; n += passo1) {
    SCOPED_TRACE("second program at write " + std::to_string(n) + " of " + std::to_string(total));
    novaPasta();
    partida();  // the first program's start-up: it holds the folder from now on
    keys().atKeys.clear();
    int segundo = -1;
    passo("440", "37");
    keys().add(key::kEnter);  // "Processo Concluído"
    rt::os::faults::callAt(n, [&] { segundo = outroPrograma(); });
    const int code = importar();
    rt::os::faults::arm(Kind::Count);
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(viu("Processo Concluído"));
    EXPECT_EQ(segundo, 0) << "the second program did not find the folder held";
    EXPECT_TRUE(estado() == depois) << difere(estado(), depois);
    EXPECT_EQ(sobras(), std::vector<std::string>{});
    if (HasFailure()) return;
  }
}

// A file in the way of the switch (a folder or a journal where its journal
// goes) is found before anything is renamed: the import is cancelled with an
// alert naming it, every table as before and nothing left beside them. A
// folder named like an index it makes is the error policy's create error
// naming it, and "Default" there cancels the import alike. Without them the
// import is whole.
TEST_F(ImportarUnidade, FileInTheWayCancelsTheImport) {
  novaPasta();
  passo("440", "37");
  keys().add(key::kEnter);
  ASSERT_EQ(importar(), -1);
  const Estado depois = estado();
  struct Caso {
    const char* nome;
    bool pasta;
  } const casos[] = {{"I01UPS.NTX", true}, {"FPO.JNL", true}, {"FPO.JNL", false}};
  for (const Caso& c : casos) {
    SCOPED_TRACE(std::string(c.nome) + (c.pasta ? " folder" : " file"));
    novaPasta();
    const Estado antes = estado();
    std::ofstream(z("I05KOVA.NTX")) << "k";  // an index file of the critique
    if (c.pasta)
      fs::create_directory(z(c.nome));
    else
      std::ofstream(z(c.nome)) << "x";
    keys().atKeys.clear();
    passo("440", "37");
    const bool indice = c.nome == std::string("I01UPS.NTX");
    if (indice) keys().add('D');  // "Default" at the create error
    keys().add(key::kEnter);      // the alert
    EXPECT_EQ(importar(), -1);
    if (indice) {
      EXPECT_TRUE(viu("Create error: \\ZOZ\\I01UPS.NTX"));
    } else {
      EXPECT_TRUE(viu("Arquivo \\ZOZ\\" + std::string(c.nome) + " não pode ser substituído"));
    }
    EXPECT_TRUE(viu("Importação cancelada: nenhuma tabela foi alterada."));
    EXPECT_FALSE(viu("Processo Concluído"));
    EXPECT_TRUE(estado() == antes) << difere(estado(), antes);
    EXPECT_TRUE(fs::exists(z("I05KOVA.NTX")));
    const std::vector<std::string> resto =
        c.nome == std::string("FPO.JNL") ? std::vector<std::string>{"FPO.JNL"} : std::vector<std::string>{};
    EXPECT_EQ(sobras(), resto);
    fs::remove(z(c.nome));
    passo("440", "37");
    keys().add(key::kEnter);
    EXPECT_EQ(importar(), -1);
    EXPECT_TRUE(estado() == depois) << difere(estado(), depois);
    EXPECT_FALSE(fs::exists(z("I05KOVA.NTX")));  // gone with the switch
  }
}

}  // namespace
}  // namespace fpo
