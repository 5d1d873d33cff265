// Files switched together: a work area that stages every write, the
// journal, its completion at start-up, and the rewrite of a table by field
// name.
#include "rt/db/switch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "support.h"
#include "support/journal.h"

using namespace dbtest;
using fpo::test::switchJournal;
using rt::Value;
using rt::db::Area;
using rt::db::Switch;

namespace {

Value S(const char* s) { return Value(std::string(s)); }

// The names the switches of these tests may replace.
const std::vector<std::string> kNomes = {"A.DBF", "B.DBF", "C.DBF", "B.NTX"};

// K C(1), N N(3): rows "a" 1 to "d" 4, the third marked deleted.
void tabela(Fixture& fx, const char* name) {
  ASSERT_TRUE(fx.ws.create(fx.at(name), {{"K", 'C', 1, 0}, {"N", 'N', 3, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at(name)));
  Area& a = fx.ws.current();
  const char* keys[] = {"a", "b", "c", "d"};
  for (int i = 0; i < 4; ++i) {
    a.appendBlank();
    a.put("K", S(keys[i]));
    a.put("N", Value::number(i + 1));
    if (i == 2) a.deleteRecord();
  }
  fx.ws.closeAll();
}

std::vector<std::string> arquivos(const fs::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

// While a switch is set nothing in the folder changes: tables written in
// place, rewritten, made and indexed are staged; a name whose new content is
// staged opens it. The commit switches them all, and leaves nothing beside.
TEST(Switch, StagedWritesTakeTheirPlacesTogether) {
  Fixture fx;
  tabela(fx, "A");
  tabela(fx, "B");
  const std::string a0 = readFile(fx.at("A.DBF")), b0 = readFile(fx.at("B.DBF"));
  {
    Switch sw(fx.dir.path() / "T.JNL", kNomes);
    fx.ws.stageIn(&sw);
    ASSERT_TRUE(fx.ws.use(fx.at("A")));
    fx.ws.current().goTo(1);
    fx.ws.current().put("N", Value::number(10));  // in place: a copy is staged first
    ASSERT_TRUE(fx.ws.use(fx.at("B")));
    ASSERT_TRUE(fx.ws.current().rewrite([](rt::db::Row& r) { return !r.deleted(); }));
    fx.ws.current().appendBlank();
    fx.ws.current().put("K", S("e"));
    ASSERT_TRUE(fx.ws.current().indexOn("K", fx.at("B")));
    ASSERT_TRUE(fx.ws.create(fx.at("C"), {{"X", 'C', 2, 0}}));
    fx.ws.closeAll();
    EXPECT_EQ(readFile(fx.at("A.DBF")), a0);
    EXPECT_EQ(readFile(fx.at("B.DBF")), b0);
    EXPECT_FALSE(fs::exists(fx.at("C.DBF")));
    EXPECT_FALSE(fs::exists(fx.at("B.NTX")));
    // The staged content, by its name.
    ASSERT_TRUE(fx.ws.use(fx.at("B")));
    EXPECT_EQ(fx.ws.current().lastRec(), 4u);
    ASSERT_TRUE(fx.ws.switchOver());
    EXPECT_EQ(fx.ws.staging(), nullptr);
  }
  EXPECT_TRUE(fx.rec.seen.empty());
  EXPECT_EQ(arquivos(fx.dir.path()), (std::vector<std::string>{"A.DBF", "B.DBF", "B.NTX", "C.DBF"}));
  ASSERT_TRUE(fx.ws.use(fx.at("A")));
  EXPECT_EQ(fx.ws.current().get("N").num(), 10);
  ASSERT_TRUE(fx.ws.use(fx.at("B")));
  ASSERT_TRUE(fx.ws.current().orderListAdd(fx.at("B")));
  std::string ks;
  for (Area& b = fx.ws.current(); !b.eof(); b.skip(1)) ks += b.get("K").string();
  EXPECT_EQ(ks, "abde");
}

// A switch left without its commit (the run ended another way) removes
// what it staged, and the folder is as it was.
TEST(Switch, LeftWithoutCommitLeavesTheFolder) {
  Fixture fx;
  tabela(fx, "A");
  const auto antes = arquivos(fx.dir.path());
  const std::string a0 = readFile(fx.at("A.DBF"));
  {
    Switch sw(fx.dir.path() / "T.JNL", kNomes);
    fx.ws.stageIn(&sw);
    ASSERT_TRUE(fx.ws.use(fx.at("A")));
    ASSERT_TRUE(fx.ws.current().rewrite([](rt::db::Row&) { return false; }));
    EXPECT_EQ(arquivos(fx.dir.path()).size(), antes.size() + 1);
    fx.ws.leaveSwitch();
  }
  EXPECT_EQ(arquivos(fx.dir.path()), antes);
  EXPECT_EQ(readFile(fx.at("A.DBF")), a0);
}

using Outcome = Switch::Recovery::Outcome;

Outcome recupera(const fs::path& journal, std::string* guardado = nullptr) {
  Switch::Recovery r;
  int err = 0;
  fs::path failed;
  EXPECT_TRUE(Switch::recover(journal, {kNomes, {}}, r, err, failed));
  if (guardado) *guardado = r.journal.filename().string();
  return r.outcome;
}

// A journal left by a cut-off run names each staged file and its target:
// recovery renames those still there (some were renamed before the cut),
// removes the journal, and removes the temporary files of replacements of
// the switch's names made by another process, unless an opener holds one;
// other names stay, whatever their shape.
TEST(Switch, RecoveryCompletesTheJournal) {
  TempDir d;
  const fs::path dir = d.path();
  writeFile(dir / "A.DBF", "old a");
  writeFile(dir / "B.DBF", "new b");  // renamed before the cut
  writeFile(dir / ".A.DBF.4242.0.tmp", "new a");
  writeFile(dir / ".C.DBF.4242.1.tmp", "stale");
  writeFile(dir / ".T.JNL.4242.0.tmp", "a journal being written");
  writeFile(dir / ".A.DBF.4243.0.tmp", "held");
  for (const char* other : {".E.DBF.x.0.tmp", ".notes.2024.1.tmp", ".My Report.7.7.tmp", ".E.DBF.4242.0.tmp"})
    writeFile(dir / other, "not ours");
  writeFile(dir / "T.JNL", switchJournal({".A.DBF.4242.0.tmp\tA.DBF\t5", ".B.DBF.4242.0.tmp\tB.DBF\t5"}));
  rt::db::File outro;
  ASSERT_TRUE(
      outro.open(dir / ".A.DBF.4243.0.tmp", rt::db::File::Mode::ReadWrite, rt::db::File::Lock::Exclusive));
  EXPECT_EQ(recupera(dir / "T.JNL"), Outcome::Completed);
  EXPECT_EQ(readFile(dir / "A.DBF"), "new a");
  EXPECT_EQ(readFile(dir / "B.DBF"), "new b");
  EXPECT_EQ(arquivos(dir),
            (std::vector<std::string>{".A.DBF.4243.0.tmp", ".E.DBF.4242.0.tmp", ".E.DBF.x.0.tmp",
                                      ".My Report.7.7.tmp", ".notes.2024.1.tmp", "A.DBF", "B.DBF"}));
  outro.close();
  // Nothing to do: only the clean-up.
  EXPECT_EQ(recupera(dir / "T.JNL"), Outcome::Nothing);
  EXPECT_FALSE(fs::exists(dir / ".A.DBF.4243.0.tmp"));
}

// A journal that is not whole, or that names what a switch of these names
// never writes, changes no table: it goes aside with the temporary files
// of the switch's names, under names of their own, and the next recovery
// leaves those alone.
TEST(Switch, RecoverySetsAsideAJournalThatFailsACheck) {
  TempDir d;
  const fs::path dir = d.path();
  const std::string bom = switchJournal({".A.DBF.4242.0.tmp\tA.DBF\t5"});
  const struct {
    const char* nome;
    std::string texto;
  } casos[] = {
      {"cut short", bom.substr(0, bom.size() - 3)},
      {"no sum", bom.substr(0, bom.find("SUM"))},
      {"a byte changed", std::string(bom).replace(bom.find("A.DBF\t"), 1, "B")},
      {"the count", switchJournal({".A.DBF.4242.0.tmp\tA.DBF\t5"}).replace(bom.find("END 1"), 5, "END 2")},
      {"a table over a table", switchJournal({"B.DBF\tA.DBF\t5"})},
      {"over itself", switchJournal({".T.JNL.4242.0.tmp\tT.JNL\t5"})},
      {"a name not in the list", switchJournal({".S_PRD.DBF.4242.0.tmp\tS_PRD.DBF\t5"})},
      {"another's temporary", switchJournal({".B.DBF.4242.0.tmp\tA.DBF\t5"})},
      {"twice", switchJournal({".A.DBF.4242.0.tmp\tA.DBF\t5", ".A.DBF.4242.1.tmp\ta.dbf\t5"})},
      {"the size", switchJournal({".A.DBF.4242.0.tmp\tA.DBF\t6"})},
      {"garbage", std::string("\x01\xFF garbage\n", 12)},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
    writeFile(dir / "A.DBF", "old a");
    writeFile(dir / "B.DBF", "old b");
    writeFile(dir / ".A.DBF.4242.0.tmp", "new a");
    writeFile(dir / "T.JNL", c.texto);
    std::string guardado;
    EXPECT_EQ(recupera(dir / "T.JNL", &guardado), Outcome::SetAside);
    EXPECT_EQ(guardado, "T_D01.JNL");
    EXPECT_EQ(arquivos(dir), (std::vector<std::string>{"A.DBF", "A_D01.DBF", "B.DBF", "T_D01.JNL"}));
    EXPECT_EQ(readFile(dir / "A.DBF"), "old a");
    EXPECT_EQ(readFile(dir / "B.DBF"), "old b");
    EXPECT_EQ(readFile(dir / "T_D01.JNL"), c.texto);
    EXPECT_EQ(recupera(dir / "T.JNL"), Outcome::Nothing);
    EXPECT_EQ(arquivos(dir).size(), 4u);
  }
#ifndef _WIN32
  // A staged name that is a link, even of the right size, is not followed.
  for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
  writeFile(dir / "A.DBF", "old a");
  writeFile(dir / "FORA", "out a");
  fs::create_symlink(dir / "FORA", dir / ".A.DBF.4242.0.tmp");
  writeFile(dir / "T.JNL", switchJournal({".A.DBF.4242.0.tmp\tA.DBF\t5"}));
  EXPECT_EQ(recupera(dir / "T.JNL"), Outcome::SetAside);
  EXPECT_EQ(readFile(dir / "A.DBF"), "old a");
  EXPECT_EQ(fs::symlink_status(dir / "A.DBF").type(), fs::file_type::regular);
#endif
}

// Before the journal is written every target is checked: one that came in
// the way after the files were staged (a folder of its name, a journal
// already there) gives the switch up with nothing written, naming that
// file. (A folder there before is refused when the file is staged.)
TEST(Switch, TargetInTheWayIsFoundFirst) {
  Fixture fx;
  tabela(fx, "A");
  const std::string a0 = readFile(fx.at("A.DBF"));
  const struct {
    const char* nome;
    std::function<void()> arma, desarma;
    const char* culpado;
  } casos[] = {
      {"a folder", [&] { fs::create_directory(fx.at("B.NTX")); }, [&] { fs::remove(fx.at("B.NTX")); },
       "B.NTX"},
      {"a journal", [&] { writeFile(fx.at("T.JNL"), "x"); }, [&] { fs::remove(fx.at("T.JNL")); }, "T.JNL"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    auto antes = arquivos(fx.dir.path());
    antes.push_back(c.culpado);
    std::sort(antes.begin(), antes.end());
    {
      Switch sw(fx.dir.path() / "T.JNL", kNomes);
      fx.ws.stageIn(&sw);
      ASSERT_TRUE(fx.ws.use(fx.at("A")));
      ASSERT_TRUE(fx.ws.current().rewrite([](rt::db::Row&) { return false; }));
      ASSERT_TRUE(fx.ws.current().indexOn("K", fx.at("B")));
      c.arma();
      const auto feita = fx.ws.switchOver();
      EXPECT_FALSE(feita.done);
      EXPECT_TRUE(feita.inTheWay);
      EXPECT_EQ(feita.file.filename().string(), c.culpado);
    }
    EXPECT_EQ(arquivos(fx.dir.path()), antes);
    EXPECT_EQ(readFile(fx.at("A.DBF")), a0);
    EXPECT_TRUE(fx.rec.seen.empty());
    c.desarma();
  }
}

// A rename that still fails once the journal is in place is the error of
// the file it concerns, offered for Retry and never for Default; Retry goes
// on from there, and a switch left at that error (as "Quit" leaves it) is
// completed by the next start-up.
TEST(Switch, RenameFailingHalfWay) {
  for (bool retry : {true, false}) {
    SCOPED_TRACE(retry ? "Retry" : "left");
    Fixture fx;
    tabela(fx, "A");
    const auto troca = [&](Switch& sw) {
      fx.ws.stageIn(&sw);
      EXPECT_TRUE(fx.ws.use(fx.at("A")));
      EXPECT_TRUE(fx.ws.current().rewrite([](rt::db::Row& r) { return !r.deleted(); }));
      EXPECT_TRUE(fx.ws.current().indexOn("K", fx.at("B")));
      return fx.ws.switchOver();
    };
    // Where the rename of the index comes, from a run that is not disturbed.
    long n = 0;
    {
      rt::os::faults::arm(rt::os::faults::Kind::Count);
      Switch sw(fx.dir.path() / "T.JNL", kNomes);
      const std::string a0 = readFile(fx.at("A.DBF"));
      EXPECT_TRUE(troca(sw).done);
      for (const auto& p : rt::os::faults::steps())
        if (p.op == rt::os::faults::Step::Op::Rename && p.to.filename() == "B.NTX") n = p.n;
      writeFile(fx.at("A.DBF"), a0);
      fs::remove(fx.at("B.NTX"));
    }
    ASSERT_GT(n, 0);
    rt::os::faults::callAt(n, [&] { fs::create_directory(fx.at("B.NTX")); });
    fx.rec.answer = [&](const rt::err::Error&) {
      fs::remove(fx.at("B.NTX"));
      return retry ? rt::err::Answer::retry() : rt::err::Answer::byDefault();
    };
    Switch sw(fx.dir.path() / "T.JNL", kNomes);
    const auto feita = troca(sw);
    rt::os::faults::arm(rt::os::faults::Kind::Off);
    ASSERT_EQ(fx.rec.seen.size(), 1u);
    EXPECT_EQ(fx.rec.seen[0].genCode, rt::err::kWrite);
    EXPECT_TRUE(fx.rec.seen[0].canRetry);
    EXPECT_FALSE(fx.rec.seen[0].canDefault);
    EXPECT_EQ(fs::path(fx.rec.seen[0].filename).filename(), "B.NTX");
    EXPECT_EQ(feita.done, retry);
    if (!retry) {
      EXPECT_TRUE(fs::exists(fx.at("T.JNL")));
      EXPECT_EQ(recupera(fx.dir.path() / "T.JNL"), Outcome::Completed);
    }
    EXPECT_EQ(arquivos(fx.dir.path()), (std::vector<std::string>{"A.DBF", "B.NTX"}));
    ASSERT_TRUE(fx.ws.use(fx.at("A")));
    EXPECT_EQ(fx.ws.current().lastRec(), 3u);
  }
}

// One program per folder: the lock file is held alone by the first, then
// shared; a second finds it held until every other has let it go.
TEST(FolderLock, AloneOnlyWhenNoOtherHoldsIt) {
  TempDir d;
  const fs::path f = d.path() / ".LCK";
  auto primeiro = std::make_unique<rt::db::FolderLock>();
  rt::db::FolderLock segundo;
  ASSERT_TRUE(primeiro->takeAlone(f));
  EXPECT_FALSE(segundo.takeAlone(f));
  primeiro->share();
  EXPECT_FALSE(segundo.takeAlone(f));
  primeiro.reset();
  EXPECT_TRUE(segundo.takeAlone(f));
}

// The rewrite by field name: every row handed over, deleted ones included;
// fields read and written by name with the formatting of a put (a name the
// table lacks reads empty and is not written); the orders rebuilt.
TEST(Rewrite, RowsByFieldName) {
  Fixture fx;
  tabela(fx, "A");
  ASSERT_TRUE(fx.ws.use(fx.at("A")));
  Area& a = fx.ws.current();
  ASSERT_TRUE(a.indexOn("K", fx.at("A")));
  std::string vistas;
  ASSERT_TRUE(a.rewrite([&](rt::db::Row& r) {
    vistas += std::string(r.raw("k")) + (r.deleted() ? "*" : "");
    if (r.deleted()) return false;
    EXPECT_TRUE(r.raw("NADA").empty());
    EXPECT_FALSE(r.put("NADA", S("x")));
    // By position as by name; -1 is no field.
    EXPECT_EQ(r.raw(a.fieldPos("K")), r.raw("K"));
    EXPECT_TRUE(r.raw(-1).empty());
    EXPECT_FALSE(r.put(-1, S("x")));
    if (r.get("N").num() == 2) r.put(a.fieldPos("K"), S("zz"));
    r.put("N", Value::number(r.get("N").num() * 10));
    return true;
  }));
  EXPECT_EQ(vistas, "abc*d");
  EXPECT_TRUE(fx.rec.seen.empty());
  EXPECT_EQ(a.lastRec(), 3u);
  EXPECT_EQ(a.recNo(), 1u);  // the first row in the order
  std::string linhas;
  for (a.goTop(); !a.eof(); a.skip(1))
    linhas += a.get("K").string() + std::to_string(int(a.get("N").num())) + " ";
  EXPECT_EQ(linhas, "a10 d40 z20 ");
  // A value that does not fit is the layer's error.
  ASSERT_TRUE(a.rewrite([](rt::db::Row& r) { return r.put("N", Value::number(12345)) || true; }));
  EXPECT_TRUE(fx.rec.any(rt::err::kDataWidth));
}

}  // namespace
