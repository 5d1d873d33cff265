// The critique cut off while it writes: wherever the run stops, the earlier
// report and the control table are whole, as they were or as the whole run
// leaves them, and every table's header agrees with its file. A report path
// taken by a link, a folder or a device; a damaged control table met by the
// critique's row.
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "app/menu/Menu.h"
#include "rt/db/dbf.h"
#include "rt/db/threads.h"
#include "rt/os/os.h"
#include "rt/term/keys.h"
#include "support/cri_fixture.h"
#include "support/zoz_fixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fpo {
namespace {

namespace cri = test::cri;
namespace fs = std::filesystem;
using cri::Mes;
using rt::os::faults::Kind;

constexpr const char* kRelatorio = "CRI0440.211";

class CompararCorte : public cri::CriticaTest {
 protected:
  using Pasta = std::map<std::string, std::string>;

  // One order of writes: the sections are made in their turns.
  CompararCorte() { rt::db::limitWorkThreads(1); }
  ~CompararCorte() override {
    rt::os::faults::arm(Kind::Off);
    rt::db::limitWorkThreads(0);
  }

  // Every file of \ZOZ by name.
  Pasta pasta() const { return test::filesOf(zoz()); }
  void restaura(const Pasta& p) { test::putFiles(zoz(), p); }

  // The folder of a critique made before: its report (with the errors of
  // that month) and its row in CTL.DBF; then the month as it is now.
  Pasta antes() {
    Mes m = Mes::limpo();
    m.fman.pop_back();  // a maintainer the national file lacks
    critica(m);
    grava(zoz(), zoz(), Mes::limpo());
    return pasta();
  }

  // The critique of the folder, run whole: 0 when it ended as usual.
  int corre() {
    keys().atKeys.clear();
    roteiro();
    return comparar() == -1 && keys().pending() == 0 ? 0 : 90;
  }

  // What a cut-off run must leave, before and after the start-up's
  // recovery: the report and CTL.DBF as before or as after the whole run,
  // every table readable to the end of what its header counts, and, once
  // recovered, nothing of the run's temporaries beside them.
  void confere(const Pasta& de, const Pasta& para) {
    const Pasta agora = pasta();
    for (const char* nome : {kRelatorio, "CTL.DBF"}) {
      const auto a = agora.find(nome);
      ASSERT_NE(a, agora.end()) << nome;
      EXPECT_TRUE(a->second == de.at(nome) || a->second == para.at(nome)) << nome;
    }
    for (const auto& [nome, conteudo] : agora) {
      if (nome.size() < 4 || nome.substr(nome.size() - 4) != ".DBF") continue;
      std::string porque;
      EXPECT_EQ(rt::db::Table::check(zoz() / nome, porque), rt::db::Table::Health::Good)
          << nome << ": " << porque;
    }
    EXPECT_EQ(recuperaImportacao(s).outcome, rt::db::Switch::Recovery::Outcome::Nothing);
    EXPECT_EQ(test::dotFiles(zoz()), std::vector<std::string>{});
  }
};

// The run cut off at the first, middle and last write of the report, at
// every write from its release to the printing question (the control
// table's row), and at the run's first, middle and last; where a cut is
// cheap (a fork), at every write of the run.
TEST_F(CompararCorte, CutOffAtItsWrites) {
  const Pasta de = antes();
  keys().writesAtKeys.clear();
  rt::os::faults::arm(Kind::Count);
  ASSERT_EQ(corre(), 0);
  const long total = rt::os::faults::count();
  rt::os::faults::arm(Kind::Off);
  const long pergunta = keys().writesAtKeys.back();  // "Imprimir?", after the row
  const Pasta para = pasta();
  ASSERT_NE(de.at(kRelatorio), para.at(kRelatorio));
  ASSERT_NE(de.at("CTL.DBF"), para.at("CTL.DBF"));

  // Whether the earlier report stays when every write from write n on
  // fails as on a full disk (each error answered Default): it does up to
  // the report's first write. The cuts below do not depend on what a cut
  // left, so the child of a death test on Windows, which runs the test
  // again up to its cut, makes the same ones.
  const auto cheio = [&](long n) {
    restaura(de);
    const rt::err::ErrorSystem::Handler politica = s.rt.errors.handler();
    s.rt.errors.install([&](const rt::err::Error& e) {
      const bool quieta = e.genCode == rt::err::kOpen || e.genCode == rt::err::kRead;
      return quieta ? politica(e) : rt::err::Answer::byDefault();
    });
    rt::os::faults::arm(Kind::Full, n);
    corre();
    rt::os::faults::arm(Kind::Off);
    s.rt.errors.install(politica);
    s.rt.db.closeAll();
    return relatorio(kRelatorio) == de.at(kRelatorio);
  };
  long primeira = 1, depois = pergunta;
  ASSERT_TRUE(cheio(primeira));
  ASSERT_FALSE(cheio(depois));
  while (depois - primeira > 1) {
    const long meio = (primeira + depois) / 2;
    (cheio(meio) ? primeira : depois) = meio;
  }
  // The report's writes: a megabyte at a time, then its sync and rename.
  const long ultima = primeira + 1 + static_cast<long>((para.at(kRelatorio).size() + (1u << 20) - 1) >> 20);
  std::set<long> cortes = {primeira, (primeira + ultima) / 2, ultima, 1, total / 2, total};
  for (long n = ultima + 1; n <= pergunta; ++n) cortes.insert(n);  // the control table's row
#ifndef _WIN32
  for (long n = 1; n <= total; ++n) cortes.insert(n);
#endif
  for (const long n : cortes) {
    SCOPED_TRACE("cut off at write " + std::to_string(n) + " of " + std::to_string(total));
    restaura(de);
    EXPECT_EXIT(
        {
          rt::os::faults::arm(Kind::Crash, n);
          std::_Exit(corre());
        },
        ::testing::ExitedWithCode(86), "");
    test::waitUnlocked(zoz());
    // Cut at the report's rename, the earlier report is there still; at the
    // write after it, the new one.
    if (n == ultima || n == ultima + 1) {
      EXPECT_EQ(relatorio(kRelatorio), n == ultima ? de.at(kRelatorio) : para.at(kRelatorio));
    }
    confere(de, para);
  }
}

// A link where the report goes is replaced, and what it names is left as it
// was; a folder or a device there is the error policy's create error naming
// the report, and the run goes on without it.
TEST_F(CompararCorte, ReportPathTaken) {
  const fs::path fora = zoz().parent_path() / "FORA.TXT";
  struct Caso {
    const char* nome;
    std::function<void(const fs::path&)> poe;
    bool escrito;  // the report made in its place
  };
  const std::vector<Caso> casos = {
      {"link",
       [&](const fs::path& p) {
         std::error_code ec;
         fs::create_symlink(fora, p, ec);
       },
       true},
      {"folder", [](const fs::path& p) { fs::create_directory(p); }, false},
#ifndef _WIN32
      {"device (a named pipe)", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, false},
#endif
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    for (const auto& e : fs::directory_iterator(zoz())) fs::remove_all(e.path());
    std::ofstream(fora, std::ios::binary) << "outside";
    grava(zoz(), zoz(), Mes::limpo());
    c.poe(zoz() / kRelatorio);
    if (HasFatalFailure()) return;
    std::error_code ec;
    if (c.escrito && !fs::is_symlink(zoz() / kRelatorio, ec)) continue;  // no links on this system
    keys().atKeys.clear();
    s.rt.errors.takeErrOutput();
    keys().add({'\\', '4', '4', '0', rt::term::key::kEnter, rt::term::key::kEnter});
    if (!c.escrito) keys().add('D');  // "Default" at the create error
    keys().add('N');                  // not printed
    EXPECT_EQ(comparar(), -1);
    EXPECT_EQ(keys().pending(), 0u);
    EXPECT_EQ(test::bytes(fora), "outside");
    EXPECT_EQ(viu("Create error: \\ZOZ\\CRI0440.211"), !c.escrito);
    EXPECT_EQ(fs::is_regular_file(fs::symlink_status(zoz() / kRelatorio)), c.escrito);
    if (c.escrito) {
      EXPECT_EQ(paginas().size(), 5u);
    }
    EXPECT_EQ(ctl().size(), 1u);  // the critique's row all the same
  }
}

// A damaged CTL.DBF met by the critique's row. Its header at odds with its
// file: refused with the error policy's alert naming it; "Default" goes on
// without the row, "Quit" ends the run, and the table is as it was. A field
// of another type than the layout's: the row goes on with what can be
// written, after the rows there. Either way no row is lost: the next
// start-up keeps the table aside whole and makes a fresh one.
TEST_F(CompararCorte, DamagedControlTable) {
  const auto tres = [](const fs::path& p) {
    test::makeTable(p, test::zoz::kCtl,
                    {{rt::Value(), test::N(440), test::N(202210)},
                     {rt::Value(), test::N(441), test::N(202210)},
                     {rt::Value(), test::N(442), test::N(202210)}});
  };
  // The three rows with bytes of the header written over at an offset.
  const auto remendada = [tres](std::size_t em, std::string dano) {
    return [tres, em, dano](const fs::path& p) {
      tres(p);
      test::patch(p, em, dano);
    };
  };
  struct Caso {
    const char* nome;
    std::function<void(const fs::path&)> estraga;
    bool recusada;  // refused at its open
  };
  const std::vector<Caso> casos = {
      {"fewer rows counted than the file holds", remendada(4, std::string("\x01\x00\x00\x00", 4)), true},
      {"more rows counted than the file holds", remendada(4, std::string("\x09\x00\x00\x00", 4)), true},
      {"a record length not that of the fields", remendada(10, std::string("\x30\x00", 2)), true},
      {"CODMNC of another type",
       [](const fs::path& p) {
         std::vector<rt::db::FieldSpec> campos = test::zoz::kCtl;
         campos[1].type = 'C';
         test::makeTable(p, campos,
                         {{rt::Value(), test::C("0440"), test::N(202210)},
                          {rt::Value(), test::C("0441"), test::N(202210)}});
       },
       false},
  };
  for (const Caso& c : casos) {
    for (const int resposta : {'D', 'Q'}) {
      SCOPED_TRACE(std::string(c.nome) + (resposta == 'D' ? " Default" : " Quit"));
      s.rt.db.closeAll();
      for (const auto& e : fs::directory_iterator(zoz())) fs::remove_all(e.path());
      c.estraga(zoz() / "CTL.DBF");
      grava(zoz(), zoz(), Mes::limpo());
      const std::string antes = relatorio("CTL.DBF");
      // The header's length (bytes 8-9) and a record's (10-11).
      const auto palavra = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(antes[at]) |
                                        static_cast<unsigned char>(antes[at + 1]) << 8);
      };
      const std::size_t hl = palavra(8), rl = palavra(10);
      // Its rows: all of a refused table, else the two the table was made with.
      const std::string linhas = antes.substr(hl, c.recusada ? std::string::npos : 2 * rl);
      keys().atKeys.clear();
      keys().add({'\\', '4', '4', '0', rt::term::key::kEnter, rt::term::key::kEnter});
      if (resposta == 'D') {
        for (int i = 0; i < 40; ++i) keys().add('D');  // each box; the rest are ignored
        keys().add('N');
      } else {
        keys().add('Q');
      }
      EXPECT_EQ(comparar(), resposta == 'D' ? -1 : 1);
      EXPECT_EQ(keys().pending(), 0u);
      s.rt.db.closeAll();
      if (c.recusada) {
        EXPECT_TRUE(viu("Corruption detected"));
        EXPECT_TRUE(viu("\\ZOZ\\CTL.DBF"));
        EXPECT_EQ(relatorio("CTL.DBF"), antes);
      }
      // The rows there are where they were.
      EXPECT_EQ(relatorio("CTL.DBF").substr(hl, linhas.size()), linhas);

      keys().add(rt::term::key::kEnter);  // the start-up's notice
      preparaCtl(s);
      EXPECT_EQ(keys().pending(), 0u);
      EXPECT_EQ(relatorio("CTL_DANI.DBF").substr(hl, linhas.size()), linhas);
      EXPECT_TRUE(test::readTable(zoz() / "CTL.DBF").empty());
    }
  }
}

}  // namespace
}  // namespace fpo
