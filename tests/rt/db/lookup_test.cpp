// Look-ups that remember their answers, walks that read ahead, and the
// memory of answers under them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "rt/db/memo.h"
#include "rt/db/numtext.h"
#include "rt/text/number.h"
#include "support.h"

using namespace dbtest;
using rt::Value;
using rt::db::Area;
using rt::db::Lookup;

namespace {

Value S(const std::string& s) { return Value(s); }

// Rows (K, N): keys with repeats, in no order.
void rows(Fixture& fx, const std::vector<std::pair<std::string, double>>& rs) {
  ASSERT_TRUE(fx.ws.create(fx.at("L"), {{"K", 'C', 4, 0}, {"N", 'N', 6, 2}}));
  ASSERT_TRUE(fx.ws.use(fx.at("L")));
  Area& a = fx.ws.current();
  rt::db::Appender ap(a);
  for (const auto& [k, n] : rs) {
    ASSERT_TRUE(ap.add());
    ap.text(0, k);
    ap.put(1, Value::number(n));
  }
  ASSERT_TRUE(ap.finish());
  ASSERT_TRUE(a.commit());
}

// What seek() finds for key, read from the area: the row's K and N and the
// value of N, or the phantom's.
std::string sought(Area& a, const std::string& key) {
  const bool hit = a.seek(S(key), false);
  return (hit ? "+" : "-") + std::string(a.table()->raw(0)) + "/" + std::string(a.table()->raw(1)) + "=" +
         std::to_string(a.get(1).num());
}
std::string looked(Lookup& l, const std::string& key) {
  const bool hit = l.find(key);
  EXPECT_EQ(hit, l.found());
  const double n = l.number(1);
  EXPECT_EQ(l.number(1), n);  // read again from the answer
  EXPECT_EQ(l.get(1).num(), n);
  return (hit ? "+" : "-") + std::string(l.raw(0)) + "/" + std::string(l.raw(1)) + "=" + std::to_string(n);
}

}  // namespace

// Every key, asked again and again and after each kind of change of the
// table, finds what a seek finds, and the area stays where it stood.
TEST(Lookup, AnswersAsSeekThroughChanges) {
  Fixture fx;
  rows(fx, {{"B", 2}, {"A", 1}, {"C1", 3}, {"B", 4}, {"C2", 5}, {"D", 6}});
  Area& a = fx.ws.current();
  ASSERT_TRUE(a.indexOn("K", fx.at("LK")));
  Lookup l(a);
  const std::vector<std::string> keys = {"A", "B", "C", "C2", "C3", "0", "E", "B   ", "B    X", ""};
  auto agree = [&](const char* when) {
    SCOPED_TRACE(when);
    for (int round = 0; round < 2; ++round)
      for (const std::string& k : keys) {
        SCOPED_TRACE(k);
        a.goTo(4);
        const std::string got = looked(l, k);
        EXPECT_EQ(a.recNo(), 4u);  // the area stays where it stood
        EXPECT_EQ(got, sought(a, k));
      }
  };
  agree("as made");
  EXPECT_EQ(looked(l, "E"), "-    /      =0.000000");
  EXPECT_EQ(l.number(1), 0);
  EXPECT_EQ(looked(l, "C2"), "+C2  /  5.00=5.000000");
  EXPECT_EQ(l.number(1), 5);
  EXPECT_EQ(l.number(0), 0);  // not a number field
  EXPECT_EQ(l.raw(7), "");    // no such field

  a.goTo(1);
  a.put("N", Value::number(20));  // not yet written
  agree("a value changed");
  a.goTo(1);
  a.deleteRecord();
  agree("deleted, SET DELETED off");
  fx.ws.settings().deleted = true;
  agree("deleted, SET DELETED on");
  a.goTo(6);
  a.put("K", S("A"));  // the key moves the row
  agree("a key changed");
  a.appendBlank();
  a.put("K", S("AA"));
  agree("appended");
  EXPECT_TRUE(fx.rec.seen.empty());
  ASSERT_TRUE(a.indexOn("N", fx.at("LN")));  // an order of numbers: the seek's error
  EXPECT_EQ(looked(l, "A"), sought(a, "A"));
  EXPECT_EQ(fx.rec.seen.size(), 2u);
  fx.rec.seen.clear();
  ASSERT_TRUE(a.indexOn("K", fx.at("LK")));
  agree("indexed again");

  EXPECT_EQ(looked(l, "C2"), "+C2  /  5.00=5.000000");
  a.close();
  EXPECT_EQ(l.raw(0), "");  // the table is gone
  EXPECT_FALSE(l.find("C2"));
  EXPECT_EQ(fx.rec.seen.size(), 1u);  // the seek's error: no table in use
}

// A walk in index order over a table of many rows reads them ahead in
// pieces: it hands every visible row in order, a row changed before the
// walk reaches it is seen as changed, and a table replaced or closed under
// it ends it.
TEST(Lookup, WalkReadsAheadWhatSkipSees) {
  Fixture fx;
  std::mt19937 rng(5);
  std::vector<std::pair<std::string, double>> rs;
  for (int i = 0; i < 500000; ++i)  // more than one piece read ahead
    rs.push_back({std::to_string(1000 + static_cast<int>(rng() % 9000)), static_cast<double>(i % 1000)});
  rows(fx, rs);
  Area& a = fx.ws.current();
  ASSERT_TRUE(a.indexOn("K", fx.at("LK")));
  for (std::uint32_t r = 7; r <= a.lastRec(); r += 1000) {
    a.goTo(r);
    a.deleteRecord();
  }
  ASSERT_TRUE(a.commit());
  fx.ws.settings().deleted = true;
  std::vector<std::uint32_t> want;
  for (a.goTop(); !a.eof(); a.skip(1)) want.push_back(a.recNo());
  const std::uint32_t late = want[want.size() - 10], early = want[3];
  std::vector<std::uint32_t> got;
  std::string lateN;
  for (rt::db::Walk w(a); w.more(); w.next()) {
    got.push_back(w.recNo());
    if (got.size() == 100) {
      a.goTo(late);
      a.put("N", Value::number(999.5));
      a.goTo(early);
      a.put("N", Value::number(888));  // already walked
    }
    if (w.recNo() == late) lateN = std::string(w.raw(1));
  }
  EXPECT_EQ(got, want);
  EXPECT_EQ(lateN, "999.50");
  EXPECT_TRUE(fx.rec.seen.empty());

  // The table's file replaced, then the table closed, while the next batch
  // is read: the walk ends there, the read done on the view it holds.
  for (const bool close : {false, true}) {
    SCOPED_TRACE(close ? "closed" : "packed");
    int walked = 0;
    for (rt::db::Walk w(a); w.more(); w.next()) {
      if (++walked < 10) continue;
      if (close)
        a.close();
      else
        ASSERT_TRUE(a.pack());
    }
    EXPECT_EQ(walked, 10);
  }
  EXPECT_TRUE(fx.rec.seen.empty());
}

// The value of a number field read without Val is Val's.
TEST(Lookup, FieldNumbersAreValsValues) {
  for (const std::string t : {"",
                              " ",
                              "12",
                              "   12",
                              "-3.25",
                              "+4",
                              " 0.10",
                              "  -0.00",
                              "1.5e3",
                              "12 34",
                              "\t7",
                              "00042",
                              ".5",
                              "5.",
                              "-",
                              "1234567890123456",
                              "999999999999999",
                              "0.0000000000000000000000001",
                              "1.23456789012345678",
                              "12345678901234567890",
                              "  ***",
                              "3.14159265358979",
                              "      123.45",
                              "  -12.5",
                              "-0",
                              "0000000000000000000001",
                              "00000000000000000000",
                              "000000000000000000.25",
                              "999999999999999.9",
                              "1000000000000000",
                              "1234567890123456789",
                              "0.1234567890123456789"}) {
    SCOPED_TRACE(t);
    const double want = rt::text::val(t).value, got = rt::db::parseNumber(t);
    EXPECT_EQ(std::signbit(got), std::signbit(want));
    EXPECT_EQ(got, want);
  }
}

// Answers are found by their bytes, and past its bounds the memory starts
// again rather than grow.
TEST(Lookup, MemoryOfAnswers) {
  rt::db::KeyMemo m(4);
  EXPECT_EQ(m.find("x"), nullptr);
  const std::vector<std::string> keys = {"",
                                         "a",
                                         "ab",
                                         "abc",
                                         "abcd",
                                         "abcdefg",
                                         "abcdefgh",
                                         "abcdefghi",
                                         "abcdefghabcdefgh",
                                         "abcdefghabcdefgha",
                                         std::string(300, 'z')};
  for (std::size_t i = 0; i < keys.size(); ++i) std::memcpy(m.put(keys[i]), &i, 4);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const char* v = m.find(keys[i]);
    ASSERT_NE(v, nullptr);
    std::uint32_t got;
    std::memcpy(&got, v, 4);
    EXPECT_EQ(got, i);
  }
  EXPECT_EQ(m.find("abcdefghabcdefgX"), nullptr);
  EXPECT_EQ(m.find(std::string(299, 'z')), nullptr);
  for (std::size_t i = 0; m.size() < rt::db::KeyMemo::kMaxKeys; ++i) m.put("k" + std::to_string(i));
  EXPECT_NE(m.find("abc"), nullptr);
  m.put("one more");
  EXPECT_EQ(m.size(), 1u);
  EXPECT_EQ(m.find("abc"), nullptr);
  EXPECT_NE(m.find("one more"), nullptr);
}
