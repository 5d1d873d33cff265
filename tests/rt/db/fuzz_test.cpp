// Damaged input: tables, index files and text files with random and targeted
// mutations of small fixtures. Each must be refused with an error or read
// without a fault (the sanitizer builds check the reads); nothing else.
#include <gtest/gtest.h>

#include <random>

#include "rt/text/number.h"
#include "support.h"

using namespace dbtest;
using rt::Value;
using rt::db::Area;

namespace {

constexpr int kRounds = 400;

void mutate(std::string& b, std::mt19937& rng, std::size_t focus) {
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < edits && !b.empty(); ++i) {
    const std::size_t span = rng() % 2 ? std::min(focus, b.size()) : b.size();
    const std::size_t at = rng() % span;
    switch (rng() % 6) {
      case 0:
        b[at] = static_cast<char>(rng());
        break;
      case 1:
        b[at] = 0;
        break;
      case 2:
        b[at] = '\xFF';
        break;
      case 3:
        b[at] = 0x0D;
        break;
      case 4:
        b.resize(at);
        break;
      default:
        b.insert(at, std::string(1 + rng() % 40, static_cast<char>(rng())));
        break;
    }
  }
}

// A field's value read and shown as Str() and the key encoding show it.
void show(Area& a, int i) {
  const Value v = a.get(i);
  if (!v.isNumber()) return;
  rt::text::str(v.num(), v.numberInfo().width, v.numberInfo().decimals);
  rt::db::KeyType kt;
  std::string key;
  if (rt::db::keyTypeOf(v, kt)) rt::db::encodeKey(v, kt, key);
}

// Reads everything an open table offers.
void exercise(Area& a, std::mt19937& rng) {
  for (int pass = 0; pass < 2; ++pass) {
    int guard = 0;
    for (a.goTop(); !a.eof() && guard < 200; a.skip(1), ++guard)
      for (int i = 0; i < a.fieldCount(); ++i) show(a, i);
    a.goBottom();
    a.skip(-3);
    a.goTo(static_cast<std::uint32_t>(rng() % (a.lastRec() + 2)));
    for (int i = 0; i < a.fieldCount(); ++i) show(a, i);
  }
}

TEST(Fuzz, Tables) {
  const std::string fixtures[] = {readFile(refDir() + "/dbf/CTL.DBF"), readFile(refDir() + "/dbf/CTLAPP.DBF"),
                                  readFile(refDir() + "/seek/SEEKC.DBF")};
  std::mt19937 rng(1234);
  Fixture fx;
  int opened = 0;
  for (int round = 0; round < kRounds; ++round) {
    for (const std::string& base : fixtures) {
      std::string b = base;
      mutate(b, rng, 128);
      writeFile(fx.at("F.DBF"), b);
      if (!fx.ws.use(fx.at("F"))) continue;
      ++opened;
      Area& a = fx.ws.current();
      exercise(a, rng);
      if (a.fieldCount() > 0 && rng() % 4 == 0) {
        a.indexOn(
            "X", [&a] { return Value(std::string(a.table()->raw(0))); }, fx.at("FX"));
        exercise(a, rng);
        a.seek(Value(std::string("A")));
      }
      if (rng() % 4 == 0) {
        a.appendBlank();
        a.put(0, Value(std::string("zz")));
        a.pack();
      }
      fx.ws.closeAll();
    }
  }
  EXPECT_GT(opened, 0);
  for (const auto& e : fx.rec.seen) EXPECT_NE(e.genCode, 0);
}

TEST(Fuzz, TargetedHeaderFields) {
  const std::string base = readFile(refDir() + "/dbf/CTL.DBF");
  Fixture fx;
  const std::size_t at[] = {4, 5, 7, 8, 9, 10, 11, 32 + 11, 32 + 16, 32 + 17, 64 + 16, 352, 353};
  const unsigned char values[] = {0, 1, 0x0D, 0x20, 0x7F, 0x80, 0xFE, 0xFF};
  std::mt19937 rng(99);
  for (std::size_t p : at) {
    for (unsigned char v : values) {
      std::string b = base;
      b[p] = static_cast<char>(v);
      writeFile(fx.at("F.DBF"), b);
      if (fx.ws.use(fx.at("F"))) {
        exercise(fx.ws.current(), rng);
        fx.ws.closeAll();
      }
    }
  }
}

TEST(Fuzz, IndexFiles) {
  Fixture fx;
  // Tables of a few hundred rows with an index of several pages: a text key
  // and a numeric one.
  std::mt19937 rng(77);
  for (const char* t : {"T", "N"}) {
    const bool text = *t == 'T';
    ASSERT_TRUE(fx.ws.create(fx.at(t),
                             {text ? rt::db::FieldSpec{"K", 'C', 6, 0} : rt::db::FieldSpec{"K", 'N', 8, 2}}));
    ASSERT_TRUE(fx.ws.use(fx.at(t)));
    for (int i = 0; i < 400; ++i) {
      fx.ws.current().appendBlank();
      const auto k = static_cast<int>(rng() % 1000);
      fx.ws.current().put("K", text ? Value(std::to_string(k)) : Value::number(k / 4.0 - 50));
    }
    ASSERT_TRUE(fx.ws.current().indexOn("K", fx.at(std::string(t) + "K")));
    fx.ws.closeAll();
  }
  const std::string fixtures[] = {readFile(fx.at("TK.NTX")), readFile(refDir() + "/seek/SEEKC.NTX"),
                                  readFile(fx.at("NK.NTX"))};
  const char* const tables[] = {"T", "SEEKC", "N"};
  fs::copy_file(refDir() + "/seek/SEEKC.DBF", fx.at("SEEKC.DBF"));
  int opened = 0;
  for (int round = 0; round < kRounds; ++round) {
    for (int f = 0; f < 3; ++f) {
      std::string b = fixtures[f];
      mutate(b, rng, rng() % 2 ? 300 : b.size());
      writeFile(fx.at("X.NTX"), b);
      ASSERT_TRUE(fx.ws.use(fx.at(tables[f]), "T"));
      Area& a = fx.ws.current();
      if (a.orderListAdd(fx.at("X"))) {
        ++opened;
        exercise(a, rng);
        a.seek(Value(std::string("1")));
        a.seek(Value(std::string("")));
        a.seek(Value::number(-1.5));
        a.appendBlank();
        a.put(0, f == 2 ? Value::number(12.25) : Value(std::string("5")));
        a.commit();
      }
      fx.ws.closeAll();
    }
  }
  EXPECT_GT(opened, 0);
}

// A numeric field as wide as the format allows, with the most decimals it
// can have and nothing but digits: read, shown, written, copied, indexed.
TEST(Fuzz, WidestNumericField) {
  Fixture fx;
  std::string b = rt::db::Table::makeHeader({{"N", 'N', 255, 254}}, 2);
  b += " " + std::string(255, '9') + " " + std::string(254, ' ') + "1" + "\x1A";
  writeFile(fx.at("W.DBF"), b);
  ASSERT_TRUE(fx.ws.use(fx.at("W")));
  Area& a = fx.ws.current();
  std::mt19937 rng(3);
  exercise(a, rng);
  a.goTop();
  a.put(0, a.get(0));
  ASSERT_TRUE(a.indexOn("N", fx.at("WN")));
  exercise(a, rng);
  a.seek(Value::number(1));
  a.copyTo(fx.at("W2"));
  fx.ws.closeAll();
  ASSERT_TRUE(fx.ws.use(fx.at("W2")));
  exercise(fx.ws.current(), rng);
}

// Lines as the import must count them: Ctrl-Z dropped, then CR LF, CR or LF
// each end a line; a last line without an end counts when it has bytes.
std::uint32_t lineCount(std::string s) {
  std::string t;
  for (char c : s)
    if (c != 0x1A) t.push_back(c);
  std::uint32_t n = 0;
  bool open = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' || t[i] == '\n') {
      ++n;
      open = false;
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    } else {
      open = true;
    }
  }
  return n + (open ? 1 : 0);
}

TEST(Fuzz, FixedWidthText) {
  Fixture fx;
  const char alphabet[] = {'a', '1', '9', ' ', '-', '.', '\r', '\n', '\x1A', 'T', '\0', '\xE7'};
  std::mt19937 rng(5);
  for (int round = 0; round < kRounds; ++round) {
    std::string text(rng() % 300, ' ');
    for (char& c : text) c = rng() % 5 ? alphabet[rng() % sizeof alphabet] : static_cast<char>(rng());
    writeFile(fx.at("IN.TXT"), text);
    ASSERT_TRUE(
        fx.ws.create(fx.at("S"), {{"A", 'C', 3, 0}, {"B", 'N', 5, 1}, {"D", 'D', 8, 0}, {"L", 'L', 1, 0}}));
    ASSERT_TRUE(fx.ws.use(fx.at("S")));
    Area& a = fx.ws.current();
    ASSERT_TRUE(a.appendSdf(fx.at("IN")));
    EXPECT_EQ(a.lastRec(), lineCount(text));
    exercise(a, rng);
    fx.ws.closeAll();
  }
}

}  // namespace
