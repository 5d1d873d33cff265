// Files switched together: a work area that stages every write, the
// journal, its completion at start-up, and the rewrite of a table by field
// name.
#include "rt/db/switch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support.h"

using namespace dbtest;
using rt::Value;
using rt::db::Area;
using rt::db::Switch;

namespace {

Value S(const char* s) { return Value(std::string(s)); }

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
    Switch sw(fx.dir.path() / "T.JNL");
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
    Switch sw(fx.dir.path() / "T.JNL");
    fx.ws.stageIn(&sw);
    ASSERT_TRUE(fx.ws.use(fx.at("A")));
    ASSERT_TRUE(fx.ws.current().rewrite([](rt::db::Row&) { return false; }));
    EXPECT_EQ(arquivos(fx.dir.path()).size(), antes.size() + 1);
    fx.ws.leaveSwitch();
  }
  EXPECT_EQ(arquivos(fx.dir.path()), antes);
  EXPECT_EQ(readFile(fx.at("A.DBF")), a0);
}

// A journal left by a cut-off run names each staged file and its target:
// recovery renames those still there (some were renamed before the cut),
// removes the journal, and removes the temporary files of replacements
// unless another opener holds one; other names stay.
TEST(Switch, RecoveryCompletesTheJournal) {
  TempDir d;
  const fs::path dir = d.path();
  writeFile(dir / "A.DBF", "old a");
  writeFile(dir / "B.DBF", "new b");  // renamed before the cut
  writeFile(dir / ".A.DBF.4242.0.tmp", "new a");
  writeFile(dir / ".C.NTX.4242.1.tmp", "stale");
  writeFile(dir / ".D.DBF.4243.0.tmp", "held");
  writeFile(dir / ".E.DBF.x.0.tmp", "not ours");
  writeFile(dir / "T.JNL", "FPO-SWITCH 1\n.A.DBF.4242.0.tmp\tA.DBF\n.B.DBF.4242.0.tmp\tB.DBF\nEND 2\n");
  rt::db::File outro;
  ASSERT_TRUE(
      outro.open(dir / ".D.DBF.4243.0.tmp", rt::db::File::Mode::ReadWrite, rt::db::File::Lock::Exclusive));
  int err = 0;
  ASSERT_TRUE(Switch::recover(dir / "T.JNL", err));
  EXPECT_EQ(readFile(dir / "A.DBF"), "new a");
  EXPECT_EQ(readFile(dir / "B.DBF"), "new b");
  EXPECT_EQ(arquivos(dir),
            (std::vector<std::string>{".D.DBF.4243.0.tmp", ".E.DBF.x.0.tmp", "A.DBF", "B.DBF"}));

  // A journal that is not whole records no switch: only the journal goes.
  writeFile(dir / ".A.DBF.4244.0.tmp", "newer a");
  writeFile(dir / "T.JNL", "FPO-SWITCH 1\n.A.DBF.4244.0.tmp\tA.DBF\n");
  outro.close();
  ASSERT_TRUE(Switch::recover(dir / "T.JNL", err));
  EXPECT_EQ(readFile(dir / "A.DBF"), "new a");
  EXPECT_EQ(arquivos(dir), (std::vector<std::string>{".E.DBF.x.0.tmp", "A.DBF", "B.DBF"}));
  // Nothing to do.
  ASSERT_TRUE(Switch::recover(dir / "T.JNL", err));
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
