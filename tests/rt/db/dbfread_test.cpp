// Tables written here, read by an independent dBASE reader (Debian's
// python3-dbfread through tests/support/read_dbf.py) after create and append, copy,
// append-from and pack.
#include <gtest/gtest.h>

#include <cstdio>

#include "rt/text/cp860.h"
#include "support.h"
#include "support/read_dbf.h"

using namespace dbtest;
using rt::Value;

namespace {

std::string dump(const std::string& table) { return fpo::test::dbfread("dump", {table}); }

class DbfRead : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fpo::test::haveDbfread())
      GTEST_SKIP() << "python3 cannot import dbfread (Debian package python3-dbfread)";
  }
  Fixture fx;
};

TEST_F(DbfRead, TablesWrittenHere) {
  auto& ws = fx.ws;
  ASSERT_TRUE(ws.create(
      fx.at("ALL"),
      {{"NOME", 'C', 12, 0}, {"QT", 'N', 5, 0}, {"VL", 'N', 8, 2}, {"DIA", 'D', 8, 0}, {"OK", 'L', 1, 0}}));
  ASSERT_TRUE(ws.use(fx.at("ALL")));
  rt::db::Area& a = ws.current();
  struct Row {
    const char* nome;
    double qt, vl;
    int y;
    bool ok, gone;
  } rows[] = {{"Conceição", 12, 1.5, 2022, true, false},
              {"Apagada", -3, -0.25, 0, false, true},
              {"Última", 0, 1234.56, 1999, false, false}};
  for (const Row& r : rows) {
    a.appendBlank();
    a.put("NOME", Value(rt::text::fromUtf8(r.nome)));
    a.put("QT", Value::number(r.qt));
    a.put("VL", Value::number(r.vl));
    if (r.y) a.put("DIA", Value(rt::text::Date::fromYmd(r.y, 11, 15)));
    a.put("OK", Value(r.ok));
    if (r.gone) a.deleteRecord();
  }
  ASSERT_TRUE(a.copyTo(fx.at("COPIA")));
  ws.closeAll();
  ASSERT_TRUE(ws.create(fx.at("OUTRA"), {{"vl", 'N', 10, 3}, {"NOME", 'C', 4, 0}, {"NOVO", 'C', 2, 0}}));
  ASSERT_TRUE(ws.use(fx.at("OUTRA")));
  ASSERT_TRUE(ws.current().appendFrom(fx.at("ALL")));
  ws.closeAll();
  ASSERT_TRUE(fs::copy_file(fx.at("ALL.DBF"), fx.at("PACKED.DBF")));
  ASSERT_TRUE(ws.use(fx.at("PACKED")));
  ASSERT_TRUE(ws.current().pack());
  ws.closeAll();
  EXPECT_TRUE(fx.rec.seen.empty());

  const std::string fields =
      "field NOME C 12 0\nfield QT N 5 0\nfield VL N 8 2\nfield DIA D 8 0\nfield OK L 1 0\n";
  const std::string live =
      " |NOME=Conceição|QT=12|VL=1.5|DIA=2022-11-15|OK=True\n"
      " |NOME=Última|QT=0|VL=1234.56|DIA=1999-11-15|OK=False\n";
  const std::string gone = "*|NOME=Apagada|QT=-3|VL=-0.25|DIA=None|OK=False\n";
  struct Case {
    const char* table;
    std::string want;
  } cases[] = {
      {"ALL", "header 3 194 35\n" + fields + live + gone},
      {"COPIA", "header 3 194 35\n" + fields + live + gone},
      {"PACKED", "header 2 194 35\n" + fields + live},
      {"OUTRA",
       "header 3 130 17\nfield VL N 10 3\nfield NOME C 4 0\nfield NOVO C 2 0\n"
       " |VL=1.5|NOME=Conc|NOVO=\n |VL=1234.56|NOME=Últi|NOVO=\n*|VL=-0.25|NOME=Apag|NOVO=\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    EXPECT_EQ(dump(fx.at(std::string(c.table) + ".DBF")), c.want);
  }
}

}  // namespace
