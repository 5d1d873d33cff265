// Tables: navigation under the settings, field bytes, headers on disk,
// exclusive opens, damaged headers, failing writes and whole-file
// replacement, copy and append-from rules.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstring>
#include <functional>

#include "rt/db/numtext.h"
#include "rt/dos/dos.h"
#include "rt/os/os.h"
#include "rt/text/number.h"
#include "support.h"

using namespace dbtest;
using rt::Value;
using rt::db::Area;

namespace {

Value S(const char* s) { return Value(std::string(s)); }

// Five rows K = "E", "B", "D", "A", "C"; rows 2 and 4 are deleted.
void fiveRows(Fixture& fx, const char* name = "T") {
  ASSERT_TRUE(fx.ws.create(fx.at(name), {{"K", 'C', 1, 0}, {"N", 'N', 3, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at(name)));
  Area& a = fx.ws.current();
  const char* keys[] = {"E", "B", "D", "A", "C"};
  for (int i = 0; i < 5; ++i) {
    a.appendBlank();
    a.put("K", S(keys[i]));
    a.put("N", Value::number(i + 1));
    if (i == 1 || i == 3) a.deleteRecord();
  }
}

std::string walk(Area& a, bool forward) {
  std::string s;
  if (forward) {
    for (a.goTop(); !a.eof(); a.skip(1)) s += std::to_string(a.recNo());
  } else {
    for (a.goBottom(); !a.bof(); a.skip(-1)) s += std::to_string(a.recNo());
  }
  return s;
}

TEST(Navigation, OrdersAndDeletedRows) {
  struct Case {
    bool deleted, indexed;
    const char *forward, *backward;
  } cases[] = {
      {false, false, "12345", "54321"},
      {true, false, "135", "531"},
      {false, true, "42531", "13524"},  // A B C D E
      {true, true, "531", "135"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.deleted ? "deleted on " : "deleted off ") +
                 (c.indexed ? "indexed" : "natural"));
    Fixture fx;
    fiveRows(fx);
    Area& a = fx.ws.current();
    if (c.indexed) {
      ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
    }
    fx.ws.settings().deleted = c.deleted;
    EXPECT_EQ(walk(a, true), c.forward);
    EXPECT_EQ(walk(a, false), c.backward);
    EXPECT_EQ(a.lastRec(), 5u);  // deleted rows still counted

    // Past the end: EOF on the phantom record; back from there: the last row.
    a.goBottom();
    a.skip(1);
    EXPECT_TRUE(a.eof());
    EXPECT_EQ(a.recNo(), 6u);
    a.skip(-1);
    EXPECT_FALSE(a.eof());
    EXPECT_EQ(std::to_string(a.recNo()), std::string(1, c.forward[std::strlen(c.forward) - 1]));
    // Before the start: BOF on the first row.
    a.goTop();
    a.skip(-1);
    EXPECT_TRUE(a.bof());
    EXPECT_EQ(std::to_string(a.recNo()), std::string(1, c.forward[0]));
    EXPECT_TRUE(fx.rec.seen.empty());
  }
}

// A walk hands the rows that goTop() and skip() visit, in their order,
// with their fields, and leaves the area where it stood; a change of the
// table or of its order under it ends it.
TEST(Navigation, WalkSeesWhatSkipSees) {
  for (const bool indexed : {false, true})
    for (const bool deleted : {false, true}) {
      SCOPED_TRACE(std::string(deleted ? "deleted on " : "deleted off ") + (indexed ? "indexed" : "natural"));
      Fixture fx;
      fiveRows(fx);
      Area& a = fx.ws.current();
      if (indexed) {
        ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
      }
      fx.ws.settings().deleted = deleted;
      a.goTo(3);
      a.put("N", Value::number(30));  // not yet written: the walk sees it
      std::string rows, fields;
      for (rt::db::Walk w(a); w.more(); w.next()) {
        rows += std::to_string(w.recNo());
        fields += std::string(w.raw(0)) + rt::text::str(w.number(1), 0) + w.get(0).string() + ",";
      }
      EXPECT_EQ(rows, walk(a, true));
      a.goTo(3);
      std::string want;
      for (a.goTop(); !a.eof(); a.skip(1))
        want += a.get("K").string() + rt::text::str(a.get("N").num(), 0) + a.get("K").string() + ",";
      EXPECT_EQ(fields, want);
      EXPECT_EQ(rt::db::Walk(a).raw(5), "");  // no such field
      EXPECT_TRUE(fx.rec.seen.empty());
    }
  Fixture fx;
  fiveRows(fx);
  Area& a = fx.ws.current();
  ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
  a.goTo(5);
  {
    rt::db::Walk w(a);
    ASSERT_TRUE(w.more());
    EXPECT_EQ(a.recNo(), 5u);  // the area stays where it stood
    a.put("K", S("0"));        // the order changes under the walk
    a.skip(0);
    w.next();
    EXPECT_FALSE(w.more());
  }
  rt::db::Walk w(a);
  ASSERT_TRUE(w.more());
  a.close();
  EXPECT_EQ(w.raw(0), "");
  w.next();
  EXPECT_FALSE(w.more());
}

TEST(Navigation, EmptyTableIsBothEnds) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("E"), {{"K", 'C', 2, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("E")));
  Area& a = fx.ws.current();
  for (bool indexed : {false, true}) {
    if (indexed) {
      ASSERT_TRUE(a.indexOn("K", fx.at("EK")));
    }
    a.goTop();
    EXPECT_TRUE(a.eof() && a.bof());
    EXPECT_EQ(a.recNo(), 1u);
    a.skip(-1);
    EXPECT_TRUE(a.eof() && a.bof());
    EXPECT_FALSE(a.seek(S("A")));
  }
}

TEST(Fields, ValuesAndBytes) {
  Fixture fx;
  ASSERT_TRUE(
      fx.ws.create(fx.at("F"), {{"C", 'C', 4, 0}, {"N", 'N', 6, 2}, {"D", 'D', 8, 0}, {"L", 'L', 1, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("F")));
  Area& a = fx.ws.current();
  ASSERT_TRUE(a.appendBlank());
  struct Case {
    const char* field;
    Value v;
    const char* bytes;
    int errorClass;
  } cases[] = {
      {"C", S("ab"), "ab  ", 0},
      {"C", S("abcdef"), "abcd", 0},
      {"C", S(" x "), " x  ", 0},
      {"N", Value::number(1.5), "  1.50", 0},
      {"N", Value::number(-2.125), " -2.13", 0},
      {"N", Value::number(999.994), "999.99", 0},
      {"N", Value::number(1000), "******", rt::err::kDataWidth},
      {"D", Value(rt::text::Date::fromYmd(2022, 11, 15)), "20221115", 0},
      {"D", Value(rt::text::Date{}), "        ", 0},
      {"L", Value(true), "T", 0},
      {"L", Value(false), "F", 0},
      {"C", Value::number(1), "    ", rt::err::kDataType},
      {"N", S("1"), "  0.00", rt::err::kDataType},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " <- " + c.bytes);
    fx.rec.seen.clear();
    const int i = a.fieldPos(c.field);
    // Start from a known content so that a refused write shows.
    a.table()->putRaw(i, c.field[0] == 'N' ? "  0.00" : "");
    a.put(c.field, c.v);
    EXPECT_EQ(a.table()->raw(i), c.bytes);
    if (c.errorClass) {
      ASSERT_EQ(fx.rec.seen.size(), 1u);
      EXPECT_EQ(fx.rec.seen[0].genCode, c.errorClass);
      EXPECT_EQ(fx.rec.seen[0].subSystem, "DBFNTX");
      EXPECT_TRUE(fx.rec.seen[0].canDefault);
    } else {
      EXPECT_TRUE(fx.rec.seen.empty());
    }
  }
  // A number read back carries the field's width and decimals.
  a.put("N", Value::number(3.25));
  EXPECT_EQ(a.get("n").numberInfo().width, 6);
  EXPECT_EQ(a.get("N").numberInfo().decimals, 2);
  EXPECT_DOUBLE_EQ(a.get("N").num(), 3.25);
  // Field names without regard to case; an unknown one is an error.
  EXPECT_EQ(a.fieldPos("c"), 0);
  fx.rec.seen.clear();
  EXPECT_TRUE(a.get("NOPE").isNil());
  EXPECT_TRUE(fx.rec.any(rt::err::kNoVariable));
}

// A field written from another table's field takes the bytes put(get())
// gives, and raises what it raises, for every pair of types.
TEST(Fields, PutFromIsPutOfGet) {
  Fixture fx;
  const std::vector<rt::db::FieldSpec> from = {{"C", 'C', 5, 0}, {"N", 'N', 12, 2}, {"I", 'N', 6, 0},
                                               {"D", 'D', 8, 0}, {"L", 'L', 1, 0},  {"F", 'N', 7, 3}};
  const std::vector<rt::db::FieldSpec> to = {{"C", 'C', 3, 0}, {"N", 'N', 12, 2}, {"I", 'N', 4, 0},
                                             {"D", 'D', 8, 0}, {"L", 'L', 1, 0},  {"F", 'N', 9, 1},
                                             {"W", 'C', 9, 0}};
  ASSERT_TRUE(fx.ws.create(fx.at("S"), from));
  ASSERT_TRUE(fx.ws.create(fx.at("T"), to));
  ASSERT_TRUE(fx.ws.use(fx.at("S")));
  Area& src = fx.ws.current();
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& dst = fx.ws.current();
  ASSERT_TRUE(src.appendBlank());
  ASSERT_TRUE(dst.appendBlank());
  // Stored texts as found in files, written as they stand.
  const char* numbers[] = {"     12.50",   "    -12.50",    "   0012.50", "      0.05", "     -0.00",
                           "  1234567.89", "9999999999.99", "  +3.5",     "   7",       "    ",
                           "  12.5 ",      "1.2.3",         "****",       "  -0",       "0",
                           "   123456"};
  const char* texts[] = {"ab", "abcdefgh", "", " x"};
  const char* dates[] = {"20221115", "        ", "2022111"};
  const char* logicals[] = {"T", "y", "F", " "};
  auto check = [&](int f, std::string_view bytes) {
    src.table()->putRaw(f, bytes);
    for (int t = 0; t < dst.fieldCount(); ++t) {
      SCOPED_TRACE(std::string(from[static_cast<std::size_t>(f)].name) + " '" + std::string(bytes) + "' -> " +
                   to[static_cast<std::size_t>(t)].name);
      dst.table()->putRaw(t, "?");
      fx.rec.seen.clear();
      dst.put(t, src.get(f));
      const std::string want(dst.table()->raw(t));
      const auto raised = fx.rec.seen.size();
      dst.table()->putRaw(t, "?");
      fx.rec.seen.clear();
      dst.putFrom(t, src, f);
      EXPECT_EQ(dst.table()->raw(t), want);
      EXPECT_EQ(fx.rec.seen.size(), raised);
      dst.table()->putRaw(t, "?");
      fx.rec.seen.clear();
      dst.putFrom(src, {{t, f}, {t, f}});
      EXPECT_EQ(dst.table()->raw(t), want);
      EXPECT_EQ(fx.rec.seen.size(), 2 * raised);
    }
  };
  for (int f = 0; f < src.fieldCount(); ++f) {
    switch (from[static_cast<std::size_t>(f)].type) {
      case 'C':
        for (const char* t : texts) check(f, t);
        break;
      case 'D':
        for (const char* t : dates) check(f, t);
        break;
      case 'L':
        for (const char* t : logicals) check(f, t);
        break;
      default:
        for (const char* t : numbers) check(f, t);
    }
  }
  // A table of the same layout takes whole rows at once: the same bytes as
  // field by field, whether the numbers are in their written form or not.
  ASSERT_TRUE(fx.ws.create(fx.at("U"), from));
  ASSERT_TRUE(fx.ws.use(fx.at("U")));
  Area& igual = fx.ws.current();
  ASSERT_TRUE(igual.appendBlank());
  std::vector<std::pair<int, int>> todos;
  for (int f = 0; f < src.fieldCount(); ++f) todos.emplace_back(f, f);
  const std::pair<const char*, const char*> linhas[] = {{"  1234567.89", "  1.500"},
                                                        {"       -0.05", " -0.001"},
                                                        {"  1234567.89", "01.500"},
                                                        {"   12.5", "  1.500"}};
  for (const auto& [n, fr] : linhas) {
    SCOPED_TRACE(std::string(n) + " " + fr);
    src.table()->putRaw(1, n);
    src.table()->putRaw(5, fr);
    fx.rec.seen.clear();
    for (const auto& [t, f] : todos) igual.put(t, src.get(f));
    const std::string want(igual.table()->record(), static_cast<std::size_t>(igual.table()->recordLength()));
    const auto raised = fx.rec.seen.size();
    igual.table()->setRecord(std::string(want.size(), '?').c_str());
    fx.rec.seen.clear();
    igual.putFrom(src, todos);
    EXPECT_EQ(std::string(igual.table()->record() + 1, want.size() - 1), want.substr(1));
    EXPECT_EQ(fx.rec.seen.size(), raised);
  }
}

// A stored number copied as it stands only when that is the text its value
// is written as: random texts, well and badly formed, against the slow way.
TEST(Fields, NumberTextsCopiedOnlyWhenWritten) {
  std::uint64_t seed = 12345;
  auto next = [&seed](std::uint64_t n) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return (seed >> 33) % n;
  };
  const char alphabet[] = "0123456789 -.+*";
  for (int k = 0; k < 200000; ++k) {
    const int width = 1 + static_cast<int>(next(19));
    const int decimals = static_cast<int>(next(static_cast<std::uint64_t>(std::min(width, 16))));
    std::string text;
    if (next(2)) {
      // The text a number is written as, sometimes with a digit changed.
      double v = static_cast<double>(next(2000000000000000ull));
      for (auto d = next(16); d-- > 0;) v /= 10;
      if (next(2)) v = -v;
      text.assign(static_cast<std::size_t>(width), ' ');
      rt::db::formatNumber(v, width, decimals, text.data());
      if (next(4) == 0) text[next(text.size())] = static_cast<char>('0' + next(10));
    } else {
      for (int i = 0; i < width; ++i) text += alphabet[next(sizeof alphabet - 1)];
    }
    std::string want(static_cast<std::size_t>(width), '?'), got = want;
    const bool ok = rt::db::formatNumber(rt::db::parseNumber(text), width, decimals, want.data());
    ASSERT_EQ(rt::db::reformatNumber(text, width, decimals, got.data()), ok)
        << "'" << text << "' " << decimals;
    ASSERT_EQ(got, want) << "'" << text << "' " << decimals;
  }
}

TEST(Fields, PhantomReadsEmpty) {
  Fixture fx;
  ASSERT_TRUE(
      fx.ws.create(fx.at("F"), {{"C", 'C', 3, 0}, {"N", 'N', 5, 1}, {"D", 'D', 8, 0}, {"L", 'L', 1, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("F")));
  Area& a = fx.ws.current();
  a.appendBlank();
  a.put("C", S("abc"));
  a.put("N", Value::number(7));
  a.put("L", Value(true));
  ASSERT_TRUE(a.indexOn("C", fx.at("FC")));
  EXPECT_FALSE(a.seek(S("zzz")));
  EXPECT_TRUE(a.eof());
  EXPECT_EQ(a.recNo(), 2u);
  EXPECT_EQ(a.get("C").string(), "   ");
  EXPECT_EQ(a.get("N").num(), 0);
  EXPECT_EQ(a.get("N").numberInfo().width, 5);
  EXPECT_TRUE(a.get("D").date().empty());
  EXPECT_FALSE(a.get("L").logical());
  a.put("C", S("x"));  // ignored at the end of file
  EXPECT_EQ(a.lastRec(), 1u);
}

// A field of a type without a value here is carried byte for byte and
// refused where its value is needed.
TEST(Fields, OtherTypesAreCarried) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("M"), {{"K", 'C', 2, 0}, {"X", 'C', 10, 0}}));
  std::string b = readFile(fx.at("M.DBF"));
  b[32 + 32 + 11] = 'M';  // X becomes a memo field
  b.insert(b.size() - 1, " ab0000000042");
  b[4] = 1;
  writeFile(fx.at("M.DBF"), b);
  ASSERT_TRUE(fx.ws.use(fx.at("M")));
  Area& a = fx.ws.current();
  EXPECT_EQ(a.table()->raw(1), "0000000042");
  EXPECT_TRUE(a.get("X").isNil());
  EXPECT_TRUE(fx.rec.any(rt::err::kDataType));
  ASSERT_TRUE(a.copyTo(fx.at("M2")));
  ASSERT_TRUE(fx.ws.use(fx.at("M2")));
  EXPECT_EQ(fx.ws.current().table()->raw(1), "0000000042");
  EXPECT_EQ(fx.ws.current().table()->fields()[1].type, 'M');
}

TEST(Files, HeaderAndEndOnDisk) {
  Fixture fx;
  fiveRows(fx);
  ASSERT_TRUE(fx.ws.current().commit());
  // Committed bytes are on disk while the table stays open.
  std::string b = readFile(fx.at("T.DBF"));
  int y, m, d;
  rt::text::Date::today().ymd(y, m, d);
  EXPECT_EQ(b[0], 0x03);
  EXPECT_EQ(static_cast<unsigned char>(b[1]), y - 1900);
  EXPECT_EQ(b[2], m);
  EXPECT_EQ(b[3], d);
  EXPECT_EQ(b[4], 5);
  const std::size_t hl = 32 + 2 * 32 + 2;
  ASSERT_EQ(b.size(), hl + 5 * 5 + 1);
  EXPECT_EQ(b.back(), 0x1A);
  EXPECT_EQ(b.substr(hl, 5), " E  1");
  EXPECT_EQ(b.substr(hl + 5, 5), "*B  2");
  fx.ws.closeAll();
  // No side files.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(fx.dir.path())) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"T.DBF"});
}

TEST(Files, ExclusiveOpen) {
  Fixture fx;
  fiveRows(fx);
  int tries = 0;
  fx.rec.answer = [&](const rt::err::Error&) {
    return ++tries == 1 ? rt::err::Answer::retry() : rt::err::Answer::byDefault();
  };
  EXPECT_FALSE(fx.ws.use(fx.at("T"), "SECOND"));
  ASSERT_EQ(fx.rec.seen.size(), 2u);  // raised, retried, raised again
  const rt::err::Error& e = fx.rec.seen[0];
  EXPECT_EQ(e.genCode, rt::err::kOpen);
  EXPECT_EQ(e.subSystem, "DBFNTX");
  EXPECT_EQ(e.osCode, 32);
  EXPECT_TRUE(e.canRetry && e.canDefault);
  EXPECT_NE(e.filename.find("T.DBF"), std::string::npos);
  EXPECT_FALSE(fx.ws.current().used());
  EXPECT_EQ(fx.ws.currentNumber(), 2);
  EXPECT_TRUE(fx.ws.area(1).used());
  // Replacing a file that an area holds is refused as well.
  fx.rec.seen.clear();
  EXPECT_FALSE(fx.ws.create(fx.at("T"), {{"X", 'C', 1, 0}}));
  EXPECT_TRUE(fx.rec.any(rt::err::kCreate));
  // A missing file: open error, area unused.
  fx.rec.seen.clear();
  EXPECT_FALSE(fx.ws.use(fx.at("NOPE")));
  ASSERT_FALSE(fx.rec.seen.empty());
  EXPECT_EQ(fx.rec.seen[0].osCode, 2);
  // A name that is no ordinary file (a folder; a FIFO that nobody writes,
  // or on Windows a device name): an open error at once.
  fs::create_directories(fx.at("DIR.DBF"));
  const char* other = "NUL";
#ifndef _WIN32
  other = "PIPE";
  ASSERT_EQ(::mkfifo(fx.at("PIPE.DBF").c_str(), 0600), 0);
#endif
  for (const char* name : {"DIR", other}) {
    fx.rec.seen.clear();
    EXPECT_FALSE(fx.ws.use(fx.at(name))) << name;
    ASSERT_FALSE(fx.rec.seen.empty()) << name;
    EXPECT_EQ(fx.rec.seen[0].genCode, rt::err::kOpen) << name;
    EXPECT_EQ(fx.rec.seen[0].osCode, 5) << name;
  }
}

TEST(Files, CreateRefusesBadFieldLists) {
  const std::vector<std::vector<rt::db::FieldSpec>> bad = {
      {},
      {{"", 'C', 1, 0}},
      {{"TOOLONGNAME1", 'C', 1, 0}},
      {{"A", 'C', 0, 0}},
      {{"A", 'N', 5, 5}},
      {{"A", 'X', 5, 0}},
      {{"A", 'C', 1, 0}, {"a", 'C', 1, 0}},
  };
  for (const auto& fields : bad) {
    Fixture fx;
    EXPECT_FALSE(fx.ws.create(fx.at("B"), fields));
    EXPECT_TRUE(fx.rec.any(rt::err::kCreate));
    EXPECT_FALSE(fs::exists(fx.at("B.DBF")));
  }
}

TEST(Files, DamagedHeadersAreRefused) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("G"), {{"A", 'C', 3, 0}, {"B", 'N', 4, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("G")));
  for (int i = 0; i < 3; ++i) fx.ws.current().appendBlank();
  fx.ws.closeAll();
  const std::string good = readFile(fx.at("G.DBF"));
  const std::size_t hl = 32 + 64 + 2;
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
  } cases[] = {
      {"count beyond the file", [](std::string& b) { b[4] = 9; }},
      {"huge count", [](std::string& b) { b[4] = b[5] = b[6] = b[7] = '\xFF'; }},
      {"header longer than the file", [](std::string& b) { b[9] = 0x40; }},
      {"header too short", [](std::string& b) { b[8] = 10, b[9] = 0; }},
      {"record length", [](std::string& b) { b[10] = 9; }},
      {"count below the rows the file holds", [](std::string& b) { b[4] = 1; }},
      {"field width", [](std::string& b) { b[32 + 16] = 0; }},
      {"field name", [](std::string& b) { b[32] = '\x01'; }},
      {"no terminator", [hl](std::string& b) { b[hl - 2] = 'X'; }},
      {"truncated", [hl](std::string& b) { b.resize(hl + 4); }},
      {"tiny", [](std::string& b) { b.resize(20); }},
      {"empty", [](std::string& b) { b.clear(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string b = good;
    c.damage(b);
    writeFile(fx.at("G.DBF"), b);
    fx.rec.seen.clear();
    // Damage cannot be retried: a Retry is taken as Default.
    fx.rec.answer = [&fx](const rt::err::Error&) {
      return fx.rec.seen.size() < 3 ? rt::err::Answer::retry() : rt::err::Answer::byDefault();
    };
    EXPECT_FALSE(fx.ws.use(fx.at("G")));
    fx.rec.answer = nullptr;
    ASSERT_EQ(fx.rec.seen.size(), 1u);
    EXPECT_FALSE(fx.rec.seen[0].canRetry);
    EXPECT_EQ(fx.rec.seen[0].genCode, rt::err::kCorruption);
    EXPECT_NE(fx.rec.seen[0].filename.find("G.DBF"), std::string::npos);
    EXPECT_FALSE(fx.ws.current().used());
  }
}

// The end-of-file mark, and less than a record after it, are no rows.
TEST(Files, BytesAfterTheRowsThatAreNoRow) {
  Fixture fx;
  fiveRows(fx);
  fx.ws.closeAll();
  writeFile(fx.at("T.DBF"), readFile(fx.at("T.DBF")) + "\x1a\x1a\x1a");
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  EXPECT_EQ(fx.ws.current().lastRec(), 5u);
  EXPECT_TRUE(fx.rec.seen.empty());
}

// Rows written where the table stands go to a copy beside it, renamed over
// the table by the commit: until then the file is as it was, and cut off at
// any write, sync or rename the file is the one before or the one after,
// its header agreeing with its rows. A copy that cannot be written leaves
// the table as its file holds it, and the error names the table.
TEST(Files, WritesInPlaceGoToACopy) {
  Fixture fx;
  fiveRows(fx);
  fx.ws.closeAll();
  const std::string before = readFile(fx.at("T.DBF"));
  const auto escreve = [](const fs::path& dir, rt::db::Workspace& ws) {
    if (!ws.use((dir / "T").string())) return false;
    Area& a = ws.current();
    const char rows[] = " F  6 G  7";
    if (!a.table()->appendRecords(rows, 2)) return false;
    a.goTo(1);
    a.put("N", Value::number(9));
    return a.commit() && a.close();
  };
  const auto beside = [&fx] {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(fx.dir.path()))
      if (e.path().filename() != "T.DBF") out.push_back(e.path().filename().string());
    return out;
  };

  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  const char row[] = " F  6";
  ASSERT_TRUE(fx.ws.current().table()->appendRecords(row, 1));
  EXPECT_EQ(readFile(fx.at("T.DBF")), before);
  EXPECT_EQ(beside().size(), 1u);
  ASSERT_TRUE(fx.ws.current().commit());
  EXPECT_EQ(readFile(fx.at("T.DBF")).size(), before.size() + 5);
  EXPECT_TRUE(beside().empty());
  fx.ws.closeAll();
  writeFile(fx.at("T.DBF"), before);

  rt::os::faults::arm(rt::os::faults::Kind::Count);
  ASSERT_TRUE(escreve(fx.dir.path(), fx.ws));
  const long total = rt::os::faults::count();
  rt::os::faults::arm(rt::os::faults::Kind::Off);
  const std::string after = readFile(fx.at("T.DBF"));
  ASSERT_NE(after, before);
  ASSERT_GE(total, 4);  // the copy, its rows, its header; the sync and the rename
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE("cut off at write " + std::to_string(n) + " of " + std::to_string(total));
    writeFile(fx.at("T.DBF"), before);
    const fs::path dir = deathFolder(fx.dir.path());
    EXPECT_EXIT(
        {
          rt::err::ErrorSystem es;
          rt::db::Workspace ws(es);
          rt::os::faults::arm(rt::os::faults::Kind::Crash, n);
          std::_Exit(escreve(dir, ws) ? 0 : 1);
        },
        ::testing::ExitedWithCode(86), "");
    const std::string now = readFile(fx.at("T.DBF"));
    EXPECT_TRUE(masked(now) == masked(before) || masked(now) == masked(after));
    std::string why;
    EXPECT_EQ(rt::db::Table::check(fx.at("T.DBF"), why), rt::db::Table::Health::Good) << why;
    for (const std::string& name : beside()) {
      EXPECT_TRUE(rt::os::temporaryName(name)) << name;
      fs::remove(fx.dir.path() / name);
    }
  }

  // The disk full from some write on, each write error answered Default:
  // the table as it was, in its file and as the area reads it.
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE("disk full from write " + std::to_string(n) + " of " + std::to_string(total));
    writeFile(fx.at("T.DBF"), before);
    fx.rec.seen.clear();
    rt::os::faults::arm(rt::os::faults::Kind::Full, n);
    const bool whole = escreve(fx.dir.path(), fx.ws);
    rt::os::faults::arm(rt::os::faults::Kind::Off);
    EXPECT_EQ(whole, fx.rec.seen.empty());
    for (const rt::err::Error& e : fx.rec.seen) {
      EXPECT_EQ(e.genCode, rt::err::kWrite);
      EXPECT_EQ(e.filename, fx.at("T.DBF"));
    }
    if (!whole) {
      EXPECT_EQ(fx.ws.current().lastRec(), 5u);
      fx.ws.current().goTo(1);
      EXPECT_EQ(fx.ws.current().get("N").num(), 1);
    }
    fx.ws.closeAll();
    EXPECT_EQ(masked(readFile(fx.at("T.DBF"))), masked(whole ? after : before));
    EXPECT_TRUE(beside().empty());
  }
}

// A table whose writes were answered Default goes back to its file, and
// its indexes are read again from theirs: never written with the keys of
// rows the file never got, and the area seeks what the file holds.
TEST(Files, IndexesOfATableSentBack) {
  Fixture fx;
  fiveRows(fx);
  ASSERT_TRUE(fx.ws.current().indexOn("K", fx.at("TK")));
  fx.ws.closeAll();
  const std::string dbf = readFile(fx.at("T.DBF")), ntx = readFile(fx.at("TK.NTX"));
  const auto escreve = [&fx] {
    if (!fx.ws.use(fx.at("T")) || !fx.ws.current().orderListAdd(fx.at("TK"))) return false;
    Area& a = fx.ws.current();
    for (const char* k : {"F", "G"}) {
      a.appendBlank();
      a.put("K", S(k));
    }
    a.goTo(1);
    a.put("K", S("Z"));
    return a.commit();
  };

  rt::os::faults::arm(rt::os::faults::Kind::Count);
  ASSERT_TRUE(escreve());
  const long total = rt::os::faults::count();
  rt::os::faults::arm(rt::os::faults::Kind::Off);
  fx.ws.closeAll();
  int sentBack = 0;
  for (long n = 1; n <= total; ++n) {
    SCOPED_TRACE("disk full from write " + std::to_string(n) + " of " + std::to_string(total));
    writeFile(fx.at("T.DBF"), dbf);
    writeFile(fx.at("TK.NTX"), ntx);
    rt::os::faults::arm(rt::os::faults::Kind::Full, n);
    escreve();
    rt::os::faults::arm(rt::os::faults::Kind::Off);
    Area& a = fx.ws.current();
    if (a.lastRec() != 5u) {  // the table's writes went through
      fx.ws.closeAll();
      continue;
    }
    ++sentBack;
    EXPECT_FALSE(a.seek(S("F"), false));
    EXPECT_FALSE(a.seek(S("Z"), false));
    EXPECT_TRUE(a.seek(S("E"), false));
    EXPECT_EQ(a.recNo(), 1u);
    fx.ws.closeAll();
    EXPECT_EQ(masked(readFile(fx.at("T.DBF"))), masked(dbf));
    EXPECT_EQ(readFile(fx.at("TK.NTX")), ntx);
    fx.rec.seen.clear();
    ASSERT_TRUE(fx.ws.use(fx.at("T")));
    EXPECT_TRUE(fx.ws.current().orderListAdd(fx.at("TK")));
    EXPECT_TRUE(fx.rec.seen.empty());
    fx.ws.closeAll();
  }
  EXPECT_GT(sentBack, 0);
}

// Writes that fail (a file size limit stands in for a full disk) raise the
// write error, and a file being replaced survives whole.
TEST(Files, FailedWritesKeepTheOldFile) {
  Fixture fx;
  fiveRows(fx);
  fx.ws.closeAll();
  ASSERT_TRUE(fx.ws.create(fx.at("BIG"), {{"X", 'C', 200, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("BIG")));
  for (int i = 0; i < 100; ++i) {
    fx.ws.current().appendBlank();
    fx.ws.current().put("X", S("row"));
  }
  fx.ws.closeAll();
  const std::string before = readFile(fx.at("T.DBF"));
  const std::string bigBefore = readFile(fx.at("BIG.DBF"));

  rt::os::limitFileSize(4096);  // a disk that fills up
  ASSERT_TRUE(fx.ws.use(fx.at("BIG")));
  fx.rec.seen.clear();
  EXPECT_FALSE(fx.ws.current().copyTo(fx.at("T")));  // over an existing file
  const bool copyFailed = fx.rec.any(rt::err::kWrite);
  fx.rec.seen.clear();
  EXPECT_FALSE(fx.ws.current().pack());
  const bool packFailed = fx.rec.any(rt::err::kWrite);
  fx.ws.closeAll();
  rt::os::limitFileSize(0);

  EXPECT_TRUE(copyFailed);
  EXPECT_TRUE(packFailed);
  EXPECT_EQ(readFile(fx.at("T.DBF")), before);
  EXPECT_EQ(readFile(fx.at("BIG.DBF")), bigBefore);
  for (const auto& e : fs::directory_iterator(fx.dir.path()))
    EXPECT_EQ(e.path().extension(), ".DBF") << e.path();

  // A folder that cannot hold the file: the create error.
  fx.rec.seen.clear();
  EXPECT_FALSE(fx.ws.create(fx.at("T.DBF/SUB"), {{"X", 'C', 1, 0}}));
  EXPECT_TRUE(fx.rec.any(rt::err::kCreate));
}

#ifdef __linux__
// The files that replacements put aside are let go: after each replacement
// at most the one before it is still held, and a child forked meanwhile
// holds none of them.
TEST(Files, ReplacedFilesAreLetGo) {
  Fixture fx;
  const auto heldDeleted = [] {
    int n = 0;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
      std::error_code ec;
      const std::string to = fs::read_symlink(e.path(), ec).string();
      if (!ec && to.find(" (deleted)") != std::string::npos) ++n;
    }
    return n;
  };
  // A fork waits for a release under way (an earlier test's): what is
  // held after it is the baseline.
  EXPECT_EXIT(std::_Exit(0), ::testing::ExitedWithCode(0), "");
  const int before = heldDeleted();
  for (int i = 0; i < 5; ++i) {
    rt::os::Replacement r;
    ASSERT_TRUE(r.begin(fx.at("R.TXT")));
    const std::string text(100000, static_cast<char>('a' + i));
    ASSERT_TRUE(r.write(text.data(), text.size()));
    ASSERT_TRUE(r.commit());
    EXPECT_EQ(readFile(fx.at("R.TXT")), text);
    EXPECT_LE(heldDeleted(), before + 1);
  }
  EXPECT_EXIT(std::_Exit(heldDeleted() == before ? 0 : 1), ::testing::ExitedWithCode(0), "");
}
#endif

// A rewrite that edits the rows it keeps: the changes still in the buffers
// go with it, and the file is the one a table of those rows written row by
// row would be.
TEST(Files, RewriteEditsTheKeptRows) {
  Fixture fx;
  fiveRows(fx);
  Area& a = fx.ws.current();
  a.goTo(1);
  a.put("N", Value::number(7));  // not yet written
  ASSERT_TRUE(a.table()->rewriteEdited([](char* rec) {
    if (rec[0] == '*') return false;
    rec[1] = static_cast<char>(rec[1] - 'A' + 'a');
    return rec[1] != 'd';
  }));
  EXPECT_EQ(a.lastRec(), 2u);
  a.goTop();
  EXPECT_EQ(a.get("K").string(), "e");
  EXPECT_EQ(a.get("N").num(), 7);
  fx.ws.closeAll();

  ASSERT_TRUE(fx.ws.create(fx.at("W"), {{"K", 'C', 1, 0}, {"N", 'N', 3, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("W")));
  for (const auto& [k, n] : {std::pair{"e", 7}, std::pair{"c", 5}}) {
    fx.ws.current().appendBlank();
    fx.ws.current().put("K", S(k));
    fx.ws.current().put("N", Value::number(n));
  }
  fx.ws.closeAll();
  EXPECT_EQ(masked(readFile(fx.at("T.DBF"))), masked(readFile(fx.at("W.DBF"))));
}

// An edit-while-rewriting that cannot be written leaves the old file whole
// and the table as it was; a retry reads and edits every row again. A large
// table fails in a later buffer than its first.
TEST(Files, FailedRewriteKeepsTheOldFile) {
  struct Caso {
    std::uint32_t rows;
    std::uint64_t limit;
  };
  for (const Caso c : {Caso{100, 4096}, Caso{20000, 2u << 20}}) {
    SCOPED_TRACE(c.rows);
    Fixture fx;
    ASSERT_TRUE(fx.ws.create(fx.at("BIG"), {{"X", 'C', 200, 0}}));
    ASSERT_TRUE(fx.ws.use(fx.at("BIG")));
    for (std::uint32_t i = 0; i < c.rows; ++i) {
      fx.ws.current().appendBlank();
      fx.ws.current().put("X", S("row"));
    }
    ASSERT_TRUE(fx.ws.current().commit());
    const std::string before = readFile(fx.at("BIG.DBF"));
    rt::db::Table& t = *fx.ws.current().table();
    std::uint32_t edits = 0;
    const auto edit = [&](char* rec) {
      ++edits;
      rec[1] = 'R';
      return true;
    };

    rt::os::limitFileSize(c.limit);  // a disk that fills up

    fx.rec.seen.clear();
    EXPECT_FALSE(t.rewriteEdited(edit));
    EXPECT_TRUE(fx.rec.any(rt::err::kWrite));
    EXPECT_EQ(readFile(fx.at("BIG.DBF")), before);
    for (const auto& e : fs::directory_iterator(fx.dir.path()))
      EXPECT_EQ(e.path().extension(), ".DBF") << e.path();
    EXPECT_EQ(t.lastRec(), c.rows);
    fx.ws.current().goTo(c.rows);
    EXPECT_EQ(fx.ws.current().get("X").string().substr(0, 3), "row");

    // The handler makes room and retries.
    edits = 0;
    fx.rec.answer = [&](const rt::err::Error&) {
      rt::os::limitFileSize(0);
      return rt::err::Answer::retry();
    };
    EXPECT_TRUE(t.rewriteEdited(edit));
    fx.rec.answer = nullptr;
    rt::os::limitFileSize(0);
    EXPECT_GT(edits, c.rows);  // the failed attempt's, then every row again
    EXPECT_EQ(t.lastRec(), c.rows);
    std::uint32_t edited = 0;
    for (fx.ws.current().goTop(); !fx.ws.current().eof(); fx.ws.current().skip(1))
      edited += fx.ws.current().get("X").string().substr(0, 3) == "Row";
    EXPECT_EQ(edited, c.rows);
    fx.ws.closeAll();
    const std::string after = readFile(fx.at("BIG.DBF"));
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[before.size() - 1], 0x1A);
  }
}

// A scan hands over every record once, in runs, with the writes not yet on
// disk (a changed row, rows appended) included.
TEST(Files, ScanSeesEveryRecord) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("S"), {{"X", 'C', 300, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("S")));
  Area& a = fx.ws.current();
  for (int i = 0; i < 5000; ++i) {
    a.appendBlank();
    a.put("X", S(std::to_string(i).c_str()));
    if (i == 3999) {
      ASSERT_TRUE(a.commit());
    }
  }
  a.goTo(7);
  a.put("X", S("changed"));
  std::vector<std::string> seen;
  int runs = 0;
  ASSERT_TRUE(a.table()->scan(3, 9999, [&](std::uint32_t first, std::uint32_t count, const char* recs) {
    EXPECT_EQ(first, 3u + seen.size());
    for (std::uint32_t k = 0; k < count; ++k) seen.emplace_back(recs + 1 + k * 301, 7);
    ++runs;
    return true;
  }));
  EXPECT_GT(runs, 1);
  ASSERT_EQ(seen.size(), 4998u);
  EXPECT_EQ(seen[0], "2      ");
  EXPECT_EQ(seen[4], "changed");
  EXPECT_EQ(seen[4997], "4999   ");
  EXPECT_FALSE(a.table()->scan(1, 10, [](std::uint32_t, std::uint32_t, const char*) { return false; }));
}

// A table large enough for the work on several threads: keys read in
// parallel parts and sorted, a pack of several buffers. Everything is in
// place once the workspace is gone (the thread sanitizer build checks the
// threads).
TEST(Files, LargeTableOnSeveralThreads) {
  constexpr std::uint32_t kRows = 30000;  // 6 MB of records
  TempDir dir;
  std::string keys;
  {
    Fixture fx;
    ASSERT_TRUE(fx.ws.create(dir / "L", {{"K", 'C', 10, 0}, {"X", 'C', 190, 0}}));
    ASSERT_TRUE(fx.ws.use(dir / "L"));
    Area& a = fx.ws.current();
    for (std::uint32_t i = 0; i < kRows; ++i) {
      a.appendBlank();
      a.put("K", Value(std::to_string((i * 7919) % kRows)));
      if (i % 3 == 0) a.deleteRecord();
    }
    ASSERT_TRUE(a.indexOn("K", dir / "LK"));
    ASSERT_TRUE(a.pack());
    ASSERT_EQ(a.lastRec(), kRows - kRows / 3);
    std::string last;
    std::uint32_t n = 0;
    for (a.goTop(); !a.eof(); a.skip(1), ++n) {
      const std::string k = a.get("K").string();
      EXPECT_LE(last, k);
      last = k;
      keys += k;
    }
    EXPECT_EQ(n, a.lastRec());
    a.goTop();
    a.put("K", S("0"));  // the index file is written again at the close
    EXPECT_TRUE(fx.rec.seen.empty());
  }
  Fixture fx;
  ASSERT_TRUE(fx.ws.use(dir / "L"));
  Area& a = fx.ws.current();
  ASSERT_TRUE(a.orderListAdd(dir / "LK"));
  std::string again;
  for (a.goTop(); !a.eof(); a.skip(1)) again += a.get("K").string();
  EXPECT_EQ(again.substr(10), keys.substr(10));
  EXPECT_TRUE(fx.rec.seen.empty());
}

TEST(Transfers, CopyAndAppendFollowTheSettings) {
  struct Case {
    bool deleted;
    const char* copied;  // K of the rows copied, in order
  } cases[] = {{false, "EBDAC"}, {true, "EDC"}};
  for (const Case& c : cases) {
    Fixture fx;
    fiveRows(fx);
    fx.ws.settings().deleted = c.deleted;
    ASSERT_TRUE(fx.ws.current().copyTo(fx.at("COPY")));
    fx.ws.closeAll();
    ASSERT_TRUE(fx.ws.create(fx.at("APP"), {{"k", 'C', 2, 0}, {"EXTRA", 'N', 2, 0}}));
    ASSERT_TRUE(fx.ws.use(fx.at("APP")));
    ASSERT_TRUE(fx.ws.current().appendFrom(fx.at("T")));
    fx.ws.closeAll();
    for (const char* t : {"COPY", "APP"}) {
      SCOPED_TRACE(std::string(t) + (c.deleted ? " deleted on" : " deleted off"));
      fx.ws.settings().deleted = false;
      ASSERT_TRUE(fx.ws.use(fx.at(t), std::string(t) + "2"));
      Area& a = fx.ws.current();
      std::string ks;
      for (a.goTop(); !a.eof(); a.skip(1)) ks += a.get("K").string().substr(0, 1);
      EXPECT_EQ(ks, c.copied);
      a.goTo(2);
      EXPECT_EQ(a.deleted(), !c.deleted);  // the flag travels with a carried row
      fx.ws.settings().deleted = c.deleted;
      fx.ws.closeAll();
    }
    EXPECT_TRUE(fx.rec.seen.empty());
  }
}

TEST(Transfers, CopyFollowsTheControllingOrder) {
  Fixture fx;
  fiveRows(fx);
  ASSERT_TRUE(fx.ws.current().indexOn("K", fx.at("TK")));
  ASSERT_TRUE(fx.ws.current().copyTo(fx.at("SORTED")));
  EXPECT_TRUE(fx.ws.current().eof());
  ASSERT_TRUE(fx.ws.use(fx.at("SORTED")));
  std::string ks;
  for (Area& a = fx.ws.current(); !a.eof(); a.skip(1)) ks += a.get("K").string();
  EXPECT_EQ(ks, "ABCDE");
}

TEST(Transfers, PackAndZap) {
  Fixture fx;
  fiveRows(fx);
  Area& a = fx.ws.current();
  ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
  ASSERT_TRUE(a.pack());
  EXPECT_EQ(a.lastRec(), 3u);
  EXPECT_EQ(a.get("K").string(), "C");  // top of the order
  EXPECT_EQ(walk(a, true), "321");      // C D E after the rows 2 and 4 went
  ASSERT_TRUE(a.seek(S("D")));
  EXPECT_EQ(a.recNo(), 2u);
  ASSERT_TRUE(a.zap());
  EXPECT_EQ(a.lastRec(), 0u);
  EXPECT_TRUE(a.eof());
  a.appendBlank();
  a.put("K", S("Q"));
  EXPECT_TRUE(a.seek(S("Q")));
  fx.ws.closeAll();
  const std::string b = readFile(fx.at("T.DBF"));
  EXPECT_EQ(b.size(), 32u + 64 + 2 + 5 + 1);
  EXPECT_EQ(b[4], 1);
  for (const auto& e : fs::directory_iterator(fx.dir.path()))
    EXPECT_TRUE(e.path().extension() == ".DBF" || e.path().extension() == ".NTX") << e.path();
}

// --- work areas ---

// Errors of a value, a key or an unused area name the table they concern
// as their file, and the field or key in the description.
TEST(Workspace, ErrorsNameTheirTable) {
  Fixture fx;
  fiveRows(fx);
  Area& a = fx.ws.current();
  a.goTo(1);
  const std::string table = fx.at("T.DBF");
  struct Case {
    const char* what;
    std::function<void()> run;
    int genCode;
    std::string description;
    std::string filename;
  };
  const std::vector<Case> cases = {
      {"text into a number", [&] { a.put("N", S("x")); }, rt::err::kDataType, "Data type error in N", table},
      {"a number too wide", [&] { a.put("N", Value::number(12345)); }, rt::err::kDataWidth,
       "Data width error in N", table},
      {"a key of no type",
       [&] {
         a.indexOn(
             "K", [] { return Value(); }, fx.at("I1"));
       },
       rt::err::kDataType, "Data type error in index key (the key expression gives no valid key)", table},
      {"a seek of another type",
       [&] {
         a.indexOn("K", fx.at("I2"));
         a.seek(Value::number(1), false);
       },
       rt::err::kDataType, "Data type error in K (the value sought has another type than the key)", table},
      {"an area whose table could not be opened",
       [&] {
         fx.ws.use(fx.at("NOPE"));
         fx.rec.seen.clear();
         fx.ws.current().goTop();
       },
       rt::err::kNoTable, "Workarea not in use", fx.at("NOPE.DBF")},
      {"a field read there", [&] { fx.ws.current().get("K"); }, rt::err::kNoTable,
       "Workarea not in use for K", fx.at("NOPE.DBF")},
      {"a name read there in an expression",
       [&] {
         auto e = rt::expr::Expr::compile("K", fx.es);
         ASSERT_TRUE(e);
         e->eval(fx.ws.env());
       },
       rt::err::kNoTable, "Workarea not in use for K", fx.at("NOPE.DBF")},
      {"an area closed since",
       [&] {
         fx.ws.current().close();
         fx.ws.current().goTop();
       },
       rt::err::kNoTable, "Workarea not in use", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fx.rec.seen.clear();
    c.run();
    ASSERT_FALSE(fx.rec.seen.empty());
    EXPECT_EQ(fx.rec.seen[0].genCode, c.genCode);
    EXPECT_EQ(fx.rec.seen[0].description, c.description);
    EXPECT_EQ(fx.rec.seen[0].filename, c.filename);
  }
}

TEST(Workspace, AreasAndAliases) {
  Fixture fx;
  fiveRows(fx, "THREE");
  fx.ws.closeAll();
  fiveRows(fx, "ONE");
  fiveRows(fx, "TWO");
  auto& ws = fx.ws;
  EXPECT_EQ(ws.currentNumber(), 2);
  EXPECT_EQ(ws.area(1).alias(), "ONE");
  EXPECT_TRUE(ws.select("two"));
  EXPECT_EQ(ws.currentNumber(), 2);
  ws.select(1);
  EXPECT_EQ(ws.current().alias(), "ONE");
  ws.select(0);
  EXPECT_EQ(ws.currentNumber(), 3);

  // An alias that is taken, one that does not exist.
  ws.select(1);
  fx.rec.seen.clear();
  EXPECT_FALSE(ws.use(fx.at("ONE"), "TWO"));
  EXPECT_TRUE(fx.rec.any(rt::err::kDupAlias));
  fx.rec.seen.clear();
  EXPECT_FALSE(ws.select("NOPE"));
  ASSERT_EQ(fx.rec.seen.size(), 1u);
  EXPECT_EQ(fx.rec.seen[0].genCode, rt::err::kNoAlias);
  EXPECT_EQ(fx.rec.seen[0].description, "Alias does not exist");

  // USE without a new area replaces the current one; closing frees it.
  ws.select(2);
  ASSERT_TRUE(ws.use(fx.at("THREE"), "AGAIN", false));
  EXPECT_EQ(ws.currentNumber(), 2);
  EXPECT_EQ(ws.current().alias(), "AGAIN");
  EXPECT_EQ(ws.find("TWO"), nullptr);
  ws.current().close();
  EXPECT_FALSE(ws.area(2).used());
  EXPECT_EQ(ws.lowestFree(), 2);

  // A field of an unused area is an error.
  fx.rec.seen.clear();
  EXPECT_TRUE(ws.area(2).get("K").isNil());
  EXPECT_TRUE(fx.rec.any(rt::err::kNoTable));
  EXPECT_TRUE(ws.commitAll());
  ws.closeAll();
  EXPECT_FALSE(ws.area(1).used());
}

TEST(Workspace, FieldsInExpressions) {
  Fixture fx;
  fiveRows(fx, "ONE");
  fiveRows(fx, "TWO");
  auto& ws = fx.ws;
  ws.area(1).goTo(3);
  ws.area(2).goTo(5);
  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      {"one->k + TWO->K", "DC"},
      {"k + Str(n, 2)", "C 5"},  // bare names: the current area (2)
      {"FIELD->K", "C"},
      {"Str(One->N)", "  3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto e = rt::expr::Expr::compile(c.text);
    Value v = e.eval(ws.env());
    ASSERT_TRUE(v.isString());
    EXPECT_EQ(v.string(), c.want);
    e.bind(ws.env());  // the same through bound slots
    EXPECT_EQ(e.eval(ws.env()).string(), c.want);
  }
  EXPECT_TRUE(fx.rec.seen.empty());
  auto bad = rt::expr::Expr::compile("NOPE->K");
  EXPECT_TRUE(bad.eval(ws.env()).isNil());
  ASSERT_FALSE(fx.rec.seen.empty());
  EXPECT_EQ(fx.rec.seen[0].genCode, rt::err::kNoAlias);
}

TEST(Workspace, DosNamesAndDefaultExtensions) {
  TempDir root;
  fs::create_directories(root.path() / "zoz");
  rt::dos::Config cfg;
  cfg.driveC = root.path();
  rt::dos::Platform platform(cfg);
  rt::err::ErrorSystem es;
  Recorder rec;
  rec.install(es);
  rt::db::Workspace ws(es, &platform);
  ASSERT_TRUE(ws.create("\\ZOZ\\CTL", ctlFields()));
  EXPECT_TRUE(fs::exists(root.path() / "zoz" / "CTL.DBF"));
  ASSERT_TRUE(ws.use("C:\\zoz\\ctl", "CTL"));
  ASSERT_TRUE(ws.current().indexOn("Str(CTL->DATREF, 6) + Str(CTL->CODMNC, 4)", "\\ZOZ\\I01CTL"));
  EXPECT_TRUE(fs::exists(root.path() / "zoz" / "I01CTL.NTX"));
  ASSERT_TRUE(ws.create("\\ZOZ\\S_MNT.211", {{"A", 'C', 1, 0}}));
  EXPECT_TRUE(fs::exists(root.path() / "zoz" / "S_MNT.211"));
  ASSERT_TRUE(ws.use("\\ZOZ\\s_mnt.211"));
  EXPECT_EQ(ws.current().alias(), "S_MNT");
  EXPECT_TRUE(rec.seen.empty());
}

}  // namespace
