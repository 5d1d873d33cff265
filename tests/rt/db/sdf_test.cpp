// The fixed-width import's line reader, and rows appended by the batch.
#include "rt/db/sdf.h"

#include <gtest/gtest.h>

#include "support.h"

using namespace dbtest;
using rt::Value;
using rt::db::Area;

namespace {

std::vector<std::string> lines(const std::string& path, std::size_t limit) {
  rt::db::File f;
  EXPECT_TRUE(f.open(path, rt::db::File::Mode::Read, rt::db::File::Lock::None));
  rt::db::LineReader r(f, limit);
  std::vector<std::string> out;
  std::string_view line;
  while (r.next(line) == rt::db::LineReader::Got::Line) out.emplace_back(line);
  return out;
}

// Line ends, Ctrl-Z and the limit, also where they fall on the edge of a
// part read from the file.
TEST(Sdf, LinesOfAText) {
  const std::string z(1, '\x1A');
  const std::string big(1 << 20, 'x');  // one part of the file, exactly
  const struct {
    const char* what;
    std::string text;
    std::size_t limit;
    std::vector<std::string> want;
  } cases[] = {
      {"CR LF, LF, CR", "a\r\nb\nc\rd", 9, {"a", "b", "c", "d"}},
      {"empty lines", "\r\n\n\r\r\n", 9, {"", "", "", ""}},
      {"CR then LF is one end", "a\r\n\r\nb", 9, {"a", "", "b"}},
      {"LF then CR is two", "a\n\rb", 9, {"a", "", "b"}},
      {"Ctrl-Z is no data", "a" + z + "b\r" + z + "\nc" + z, 9, {"ab", "c"}},
      {"a last Ctrl-Z makes no line", "a\r\n" + z, 9, {"a"}},
      {"but its line end does", "a\r\n" + z + "\r\n", 9, {"a", ""}},
      {"cut to the limit", "abcdef\r\nxy" + z + "zw\r\n", 3, {"abc", "xyz"}},
      {"nothing", "", 9, {}},
      {"CR at the end of a part", big.substr(1) + "\r\nb", 2, {"xx", "b"}},
      {"a line across parts", big.substr(2) + "abcd\r\n", 1 << 21, {big.substr(2) + "abcd"}},
      {"ends found past a window",
       std::string(5000, 'y') + z + "y\rb\r" + std::string(9000, 'w') + "\n",
       1 << 21,
       {std::string(5001, 'y'), "b", std::string(9000, 'w')}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(dir / "T.TXT", c.text);
    EXPECT_EQ(lines(dir / "T.TXT", c.limit), c.want);
  }
}

// Rows by the batch, more than one batch of them, make the file that rows
// appended one at a time make; an open index takes their keys and the last
// row is current.
TEST(Sdf, RowsAppendedByTheBatch) {
  const std::vector<rt::db::FieldSpec> fields = {{"K", 'C', 6, 0}, {"N", 'N', 7, 1}, {"X", 'C', 40, 0}};
  constexpr int kRows = 30000;  // two megabytes
  Fixture fx;
  for (const char* name : {"ONE", "BATCH"}) {
    ASSERT_TRUE(fx.ws.create(fx.at(name), fields));
    ASSERT_TRUE(fx.ws.use(fx.at(name), name));
    ASSERT_TRUE(fx.ws.current().indexOn("K", fx.at(std::string(name) + "K")));
  }
  Area& one = *fx.ws.find("ONE");
  Area& batch = *fx.ws.find("BATCH");
  rt::db::Appender rows(batch);
  for (int i = 0; i < kRows; ++i) {
    const std::string k = std::to_string((i * 7919) % kRows) + "-too-long";
    ASSERT_TRUE(one.appendBlank());
    one.put(0, Value(k));
    one.put(1, Value::number(i / 10.0));
    ASSERT_TRUE(rows.add());
    rows.text(0, k);
    rows.put(1, Value::number(i / 10.0));
  }
  ASSERT_TRUE(rows.finish());
  EXPECT_TRUE(fx.rec.seen.empty());
  EXPECT_EQ(batch.lastRec(), static_cast<std::uint32_t>(kRows));
  EXPECT_FALSE(batch.eof());
  EXPECT_EQ(batch.recNo(), static_cast<std::uint32_t>(kRows));
  ASSERT_TRUE(batch.seek(Value(std::string("7919-t"))));
  EXPECT_EQ(batch.recNo(), 2u);
  fx.ws.closeAll();
  EXPECT_EQ(masked(readFile(fx.at("BATCH.DBF"))), masked(readFile(fx.at("ONE.DBF"))));
  EXPECT_EQ(readFile(fx.at("BATCHK.NTX")).substr(1024), readFile(fx.at("ONEK.NTX")).substr(1024));
}

// What Area::put refuses is refused alike; rows begun for a table that was
// closed go nowhere.
TEST(Sdf, BatchFailuresAsPutGivesThem) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 2, 0}, {"N", 'N', 2, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& a = fx.ws.current();
  {
    rt::db::Appender rows(a);
    ASSERT_TRUE(rows.add());
    rows.text(2, "x");  // no third field
    EXPECT_TRUE(fx.rec.any(rt::err::kNoVariable));
    fx.rec.seen.clear();
    rows.text(1, "12");  // a text into a number
    EXPECT_TRUE(fx.rec.any(rt::err::kDataType));
    fx.rec.seen.clear();
    EXPECT_FALSE(rows.put(1, Value::number(123)));  // too wide: asterisks
    EXPECT_FALSE(fx.rec.seen.empty());
    ASSERT_TRUE(rows.finish());
    a.goTo(1);
    EXPECT_EQ(a.table()->raw(1), "**");
  }
  {
    rt::db::Appender rows(a);
    ASSERT_TRUE(rows.add());
    rows.text(0, "ab");
    ASSERT_TRUE(fx.ws.create(fx.at("U"), {{"K", 'C', 2, 0}}));
    ASSERT_TRUE(fx.ws.use(fx.at("U"), "T", false));  // another table in that area
    EXPECT_FALSE(rows.add());
    rows.finish();
    EXPECT_EQ(fx.ws.current().lastRec(), 0u);
  }
  fx.ws.closeAll();
  fx.rec.seen.clear();
  rt::db::Appender rows(a);
  EXPECT_FALSE(rows.add());
  EXPECT_TRUE(fx.rec.any(rt::err::kNoTable));
}

}  // namespace
