// The import under failure: a run cut off while it replaces a table, damaged
// tables, a table another program holds.
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <map>
#include <sstream>

#include "importar_fixture.h"
#include "rt/db/file.h"
#include "rt/os/os.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;

class ImportarFalhas : public test::ImportarTest {
 protected:
  // Drops the keys left in the script and what was recorded.
  void esquece() {
    while (keys().pending() > 0) keys().readKey(0);
    keys().atKeys.clear();
    s.rt.errors.takeErrOutput();
  }
  // The run of a child process with files that may grow only to a size:
  // cut off at the write past it, or, with `cheio`, that write fails as on
  // a full disk. The cut is the system's file-size signal where there is
  // one; elsewhere the run ends at once at the failing write.
  void cortada(std::uint64_t tamanho, bool cheio) {
#ifdef _WIN32
    rt::os::limitFileSize(tamanho);
    if (!cheio) {
      const auto politica = s.rt.errors.handler();
      s.rt.errors.install([politica](const rt::err::Error& e) {
        if (e.genCode == rt::err::kWrite || e.genCode == rt::err::kCreate) std::_Exit(kCortada);
        return politica(e);
      });
    }
#else
    const rlimit semCore{0, 0}, limite{tamanho, tamanho};
    setrlimit(RLIMIT_CORE, &semCore);
    if (cheio) signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limite);
#endif
    passo("440", "37");
    keys().add(key::kEnter);
    const int code = importar();
    const bool alerta = viu("Write error") || viu("Create error");
    std::_Exit(code == 1 && alerta && s.rt.errors.errOutput().find("S_VPA") != std::string::npos ? 3 : 4);
  }
  // The bytes of every table in \ZOZ by name.
  std::map<std::string, std::string> tabelas() {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(drive().zoz())) {
      const std::string n = e.path().filename().string();
      if (n.size() > 4 && n.substr(n.size() - 4) == ".DBF") out[n] = bytes(n);
    }
    return out;
  }
#ifdef _WIN32
  static constexpr int kCortada = 9;
  static auto cortadaAoEscrever() { return ::testing::ExitedWithCode(kCortada); }
#else
  static auto cortadaAoEscrever() { return ::testing::KilledBySignal(SIGXFSZ); }
#endif
  // Every table in \ZOZ opens and reads to its end.
  void tabelasInteiras() {
    for (const auto& e : fs::directory_iterator(drive().zoz())) {
      const std::string n = e.path().filename().string();
      if (n.size() > 4 && (n.substr(n.size() - 4) == ".DBF" || n.substr(n.size() - 4) == ".211")) {
        EXPECT_NO_THROW(test::readTable(e.path())) << n;
      }
    }
  }
};

// Files may grow only to a limit, and a write past it kills the run at once,
// as a power cut would: whichever table was being written, every table of
// the folder is found as it was.
TEST_F(ImportarFalhas, CutOffWhileReplacingATable) {
  struct Caso {
    const char* nome;
    std::uint64_t limite;
  };
  const Caso casos[] = {
      {"copy of S_UPS", 2300},
      {"pack of S_IPU", 100 * 1024},
      {"pack of S_VPA", 300 * 1024},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    for (const auto& e : fs::directory_iterator(drive().zoz())) fs::remove_all(e.path());
    test::zoz::build(drive().zoz(), {3000, 6000});
    const auto antes = tabelas();
    EXPECT_EXIT(cortada(c.limite, false), cortadaAoEscrever(), "");
    tabelasInteiras();
    EXPECT_EQ(tabelas(), antes);
  }

  // The folder left behind takes a whole import.
  passo("440", "37");
  keys().add(key::kEnter);
  EXPECT_EQ(importar(), -1);
  EXPECT_TRUE(viu("Processo Concluído"));
  EXPECT_EQ(linhas("S_VPA.DBF").size(), 6005u + 5u);
}

// A disk that fills up: the error policy's alert, and after "Quit" the
// table being packed is still the old one.
TEST_F(ImportarFalhas, DiskFullAtThePackOfPrices) {
  for (const auto& e : fs::directory_iterator(drive().zoz())) fs::remove_all(e.path());
  test::zoz::build(drive().zoz(), {3000, 6000});
  const std::string antes = bytes("S_VPA.DBF");
  EXPECT_EXIT(cortada(300 * 1024, true), ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(bytes("S_VPA.DBF"), antes);
  tabelasInteiras();
}

// A damaged table is the error policy's alert naming the file; "Quit" ends
// the program, "Default" goes on without the table, and nothing is written
// into it either way. A table the import builds from after that "Default"
// ends the import instead, with an alert naming the table it was building,
// and every table as it was.
TEST_F(ImportarFalhas, DamagedTables) {
  struct Caso {
    const char* tabela;
    std::size_t em;
    std::string dano;
    const char* cancela;  // the table named when the import is cancelled
  };
  const auto mais3 = [&](const char* nome) {
    const std::string b = bytes(nome);
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(b[4 + static_cast<std::size_t>(i)]);
    n += 3;
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>(n >> (8 * i));
    return out;
  };
  const Caso casos[] = {
      {"S_UPS.211", 4, std::string("\xFF\xFF\x00\x00", 4), "S_IPU.DBF"},  // more rows than the file holds
      {"S_UPS.DBF", 4, mais3("S_UPS.DBF"), "S_UPS.DBF"},                  // three rows more
      {"ZOZ_CTRL.211", 8, std::string("\x00\x7F", 2), nullptr},           // header longer than the file
      {"S_VPA.DBF", 32 + 32 + 3, std::string("\x01", 1), "S_VPA.DBF"},    // a damaged field name
      {"S_IPU.DBF", 4, std::string("\x02\x00\x00\x00", 4), "S_IPU.DBF"},  // fewer rows than the file holds
      {"CTL.DBF", 4, std::string("\x01\x00\x00\x00", 4), "CTL.DBF"},
      {"S_SS.DBF", 10, std::string("\x02\x00", 2), "S_SS.DBF"},  // a record length not that of the fields
  };
  for (const Caso& c : casos) {
    for (bool sair : {true, false}) {
      SCOPED_TRACE(std::string(c.tabela) + (sair ? " Quit" : " Default"));
      for (const auto& e : fs::directory_iterator(drive().zoz())) fs::remove_all(e.path());
      test::zoz::build(drive().zoz());
      test::patch(z(c.tabela), c.em, c.dano);
      const std::string antes = bytes(c.tabela);
      const auto todas = tabelas();
      esquece();
      passo("440", "37");
      keys().add(key::kEnter);  // "Quit"; the last box
      if (sair) {
        EXPECT_EQ(importar(), 1);
        EXPECT_NE(s.rt.errors.errOutput().find(c.tabela), std::string::npos);
        EXPECT_NE(s.rt.errors.errOutput().find("Corruption detected"), std::string::npos);
        EXPECT_TRUE(viu("Corruption detected"));
      } else {
        // Every error that is not quiet answered with "Default".
        std::vector<rt::err::Error> erros;
        s.rt.errors.install([&](const rt::err::Error& e) {
          erros.push_back(e);
          return e.genCode == rt::err::kOpen ? DEFERROR(s, e) : rt::err::Answer::byDefault();
        });
        keys().add(key::kEsc);  // the prompt, when the list could not be read
        EXPECT_EQ(importar(), -1);
        ASSERT_FALSE(erros.empty());
        EXPECT_EQ(erros.front().genCode, rt::err::kCorruption);
        EXPECT_NE(erros.front().filename.find(c.tabela), std::string::npos);
        ERRORSYS(s);
        if (c.cancela) {
          EXPECT_EQ(erros.size(), 1u);  // nothing more was tried
          EXPECT_TRUE(viu("Erro na leitura ou montagem de \\ZOZ\\" + std::string(c.cancela) + "."));
          EXPECT_TRUE(viu("Importação cancelada: nenhuma tabela foi alterada."));
          EXPECT_FALSE(viu("Processo Concluído"));
        }
      }
      s.rt.db.closeAll();
      EXPECT_EQ(bytes(c.tabela), antes);
      if (!sair) {
        EXPECT_EQ(tabelas(), todas);
      }
    }
  }
}

// A month list without DATREF: "Default" to the error of the missing field
// ends the import with an alert naming the table it was building, and the
// budget rows, like every table, stay as they were instead of all matching
// an empty month.
TEST_F(ImportarFalhas, MonthListWithoutItsMonth) {
  const std::vector<rt::db::FieldSpec> semMes(test::zoz::kCtrl.begin(), test::zoz::kCtrl.end() - 1);
  test::makeTable(z("ZOZ_CTRL.211"), semMes, {{test::N(440), test::C("FORTALEZA"), test::C("PM")}});
  const auto antes = tabelas();
  std::vector<rt::err::Error> erros;
  s.rt.errors.install([&](const rt::err::Error& e) {
    erros.push_back(e);
    return e.genCode == rt::err::kOpen ? DEFERROR(s, e) : rt::err::Answer::byDefault();
  });
  passo("440", "37");
  keys().add(key::kEnter);  // the alert
  EXPECT_EQ(importar(), -1);
  EXPECT_FALSE(viu("Processo Concluído"));
  EXPECT_TRUE(viu("montagem de \\ZOZ\\S_IPU.DBF."));
  EXPECT_TRUE(viu("Importação cancelada: nenhuma tabela foi alterada."));
  ASSERT_EQ(erros.size(), 1u);
  EXPECT_EQ(erros[0].operation, "DATREF");
  EXPECT_EQ(tabelas(), antes);
}

// Another program holds S_PA: its open fails quietly, and the first use of
// the table is the error policy's alert.
TEST_F(ImportarFalhas, TableHeldByAnotherProgram) {
  rt::db::File outro;
  ASSERT_TRUE(outro.open(z("S_PA.DBF"), rt::db::File::Mode::ReadWrite, rt::db::File::Lock::Exclusive));
  passo("440", "37");
  keys().add(key::kEnter);  // "Quit"
  EXPECT_EQ(importar(), 1);
  EXPECT_FALSE(viu("Open error"));
  EXPECT_TRUE(viu("PA_ID"));
  EXPECT_NE(s.rt.errors.errOutput().find("Called from complementoFederal("), std::string::npos);
}

}  // namespace
}  // namespace fpo
