// Indexes: the conventions the system leans on (an index made on an empty
// table follows the appends, a rewritten key moves its record, equal keys in
// record order, several orders at once), NTX files checked page by page by a
// reader of this test's own, numeric keys, the ordered store against a
// model, and damaged index files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <set>

#include "rt/db/threads.h"
#include "support.h"

using namespace dbtest;
using rt::Value;
using rt::db::Area;

namespace {

Value S(const std::string& s) { return Value(s); }

unsigned u16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned>(static_cast<unsigned char>(b[at + 1]))
                                                 << 8;
}
std::uint32_t u32(const std::string& b, std::size_t at) {
  return u16(b, at) | static_cast<std::uint32_t>(u16(b, at + 2)) << 16;
}

// Reads an NTX file the way the classic driver lays it out and checks it:
// header fields, page fill, leaves at one depth, keys in order. Returns the
// entries in order, or fails the test.
std::vector<std::pair<std::string, std::uint32_t>> readNtx(const std::string& path, const std::string& expr) {
  std::vector<std::pair<std::string, std::uint32_t>> out;
  const std::string f = readFile(path);
  EXPECT_EQ(f.size() % 1024, 0u);
  EXPECT_EQ(u16(f, 0), 6u);
  const unsigned keySize = u16(f, 14), itemSize = u16(f, 12), maxItems = u16(f, 18), half = u16(f, 20);
  EXPECT_EQ(itemSize, keySize + 8);
  EXPECT_LE(2 + (maxItems + 1) * (2 + itemSize), 1024u);
  EXPECT_EQ(half, maxItems / 2);
  EXPECT_EQ(f.substr(22, expr.size()), expr);
  EXPECT_EQ(f[22 + expr.size()], '\0');
  int leafDepth = -1;
  std::function<void(std::uint32_t, int, bool)> page = [&](std::uint32_t off, int depth, bool root) {
    ASSERT_EQ(off % 1024, 0u);
    ASSERT_LT(off, f.size());
    const unsigned count = u16(f, off);
    ASSERT_LE(count, maxItems);
    if (!root) {
      EXPECT_GE(count, half);
    }
    const bool leaf = u32(f, off + u16(f, off + 2)) == 0;
    for (unsigned k = 0; k <= count; ++k) {
      const std::size_t item = off + u16(f, off + 2 + 2 * k);
      const std::uint32_t child = u32(f, item);
      EXPECT_EQ(child == 0, leaf);
      if (child) page(child, depth + 1, false);
      if (k < count) out.emplace_back(f.substr(item + 8, keySize), u32(f, item + 4));
    }
    if (leaf) {
      if (leafDepth < 0) leafDepth = depth;
      EXPECT_EQ(depth, leafDepth);
    }
  };
  page(u32(f, 4), 0, true);
  for (std::size_t i = 1; i < out.size(); ++i) EXPECT_LT(out[i - 1], out[i]);
  return out;
}

// The entries an index on the text field K must hold, from the table itself.
std::vector<std::pair<std::string, std::uint32_t>> expected(Area& a, int keySize) {
  std::vector<std::pair<std::string, std::uint32_t>> v;
  for (std::uint32_t r = 1; r <= a.lastRec(); ++r) {
    a.goTo(r);
    v.emplace_back(a.get("K").string().substr(0, static_cast<std::size_t>(keySize)), r);
  }
  std::sort(v.begin(), v.end());
  return v;
}

std::string order(Area& a) {
  std::string s;
  for (a.goTop(); !a.eof(); a.skip(1)) s += a.get("K").string().substr(0, 1);
  return s;
}

TEST(Index, EmptyTableIndexFollowsAppends) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 3, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& a = fx.ws.current();
  ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
  EXPECT_TRUE(a.eof());
  for (const char* k : {"C", "A", "B"}) {
    ASSERT_TRUE(a.appendBlank());
    a.put("K", S(k));
  }
  EXPECT_EQ(order(a), "ABC");
  ASSERT_TRUE(a.seek(S("B")));
  EXPECT_EQ(a.recNo(), 3u);
  fx.ws.closeAll();
  EXPECT_EQ(readNtx(fx.at("TK.NTX"), "K"),
            (std::vector<std::pair<std::string, std::uint32_t>>{{"A  ", 2}, {"B  ", 3}, {"C  ", 1}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  ASSERT_TRUE(fx.ws.current().orderListAdd(fx.at("TK")));
  EXPECT_EQ(order(fx.ws.current()), "ABC");
}

TEST(Index, RewrittenKeyMovesItsRecord) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 2, 0}, {"V", 'N', 3, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& a = fx.ws.current();
  for (const char* k : {"D", "B", "E", "A", "C"}) {
    a.appendBlank();
    a.put("K", S(k));
  }
  ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
  EXPECT_EQ(a.get("K").string(), "A ");  // the new order's first row
  ASSERT_TRUE(a.seek(S("B")));
  a.put("K", S("Z"));
  a.put("V", Value::number(1));
  a.skip(1);
  EXPECT_TRUE(a.eof());  // the moved record is last now
  EXPECT_EQ(order(a), "ACDEZ");
  EXPECT_FALSE(a.seek(S("B")));
  // A write that leaves the key alone keeps the place.
  ASSERT_TRUE(a.seek(S("C")));
  a.put("V", Value::number(9));
  a.skip(1);
  EXPECT_EQ(a.get("K").string(), "D ");
  // Bytes written straight into the record move it as well.
  a.table()->putRaw(0, "B");
  a.goTop();
  EXPECT_EQ(order(a), "ABCEZ");
  ASSERT_TRUE(a.seek(S("B")));
  a.table()->putRaw(0, "D");
  EXPECT_EQ(order(a), "ACDEZ");
  fx.ws.closeAll();
  const auto entries = readNtx(fx.at("TK.NTX"), "K");
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries.back(), std::make_pair(std::string("Z "), 2u));
}

TEST(Index, PrefixRuleAndEqualKeysInRecordOrder) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 3, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& a = fx.ws.current();
  const char* keys[] = {"AB", "A", "AB", "B", "AB", "ABC"};
  for (const char* k : keys) {
    a.appendBlank();
    a.put("K", S(k));
  }
  ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
  struct Case {
    const char* sought;
    bool found;
    std::uint32_t recno;
  } cases[] = {{"A", true, 2}, {"AB", true, 1}, {"AB ", true, 1}, {"ABC", true, 6}, {"ABD", false, 7},
               {"", true, 2},  {"B", true, 4},  {"C", false, 7},  {"ABCD", true, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sought);
    EXPECT_EQ(a.seek(S(c.sought), false), c.found);
    EXPECT_EQ(a.recNo(), c.recno);
  }
  // Equal keys come in record order, also after one is written again.
  a.goTo(5);
  a.put("K", S("AB"));
  a.goTo(1);
  a.put("K", S("AB"));
  std::string recs;
  for (a.seek(S("AB ")); !a.eof() && a.get("K").string() == "AB "; a.skip(1))
    recs += std::to_string(a.recNo());
  EXPECT_EQ(recs, "135");
}

TEST(Index, SeveralOrders) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 1, 0}, {"J", 'C', 1, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T"), "T"));
  Area& a = fx.ws.current();
  const char* rows[][2] = {{"B", "x"}, {"A", "z"}, {"C", "y"}};
  for (auto& r : rows) {
    a.appendBlank();
    a.put("K", S(r[0]));
    a.put("J", S(r[1]));
  }
  ASSERT_TRUE(a.indexOn("T->K", fx.at("T1")));
  ASSERT_TRUE(a.indexOn("j", fx.at("T2")));
  EXPECT_EQ(a.orderCount(), 1);  // a new index is the only order
  a.orderListClear();
  EXPECT_EQ(a.order(), 0);
  ASSERT_TRUE(a.orderListAdd(fx.at("T1")));
  ASSERT_TRUE(a.orderListAdd(fx.at("T2")));
  EXPECT_EQ(a.order(), 1);
  EXPECT_EQ(a.get("K").string(), "A");  // the first row of order 1
  EXPECT_EQ(a.indexKey(2), "j");
  a.appendBlank();
  a.put("K", S("D"));
  a.put("J", S("w"));
  a.goTo(2);
  a.put("J", S("v"));
  EXPECT_EQ(order(a), "ABCD");
  ASSERT_TRUE(a.setOrder(2));
  EXPECT_EQ(order(a), "ADBC");  // v w x y
  ASSERT_TRUE(a.seek(S("y")));
  EXPECT_EQ(a.get("K").string(), "C");
  ASSERT_TRUE(a.setOrder(0));
  EXPECT_EQ(order(a), "BACD");
  fx.ws.closeAll();
  EXPECT_EQ(readNtx(fx.at("T1.NTX"), "T->K").size(), 4u);
  EXPECT_EQ(readNtx(fx.at("T2.NTX"), "j")[0], std::make_pair(std::string("v"), 2u));
}

// Many pages: the file written on creation and again after changes reads
// back with every page in shape and exactly the table's keys.
TEST(Index, ManyPagesStayValid) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 8, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& a = fx.ws.current();
  std::mt19937 rng(11);
  auto key = [&] { return std::to_string(rng() % 100000); };
  for (int i = 0; i < 6000; ++i) {
    a.appendBlank();
    a.put("K", S(key()));
  }
  ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
  EXPECT_EQ(readNtx(fx.at("TK.NTX"), "K"), expected(a, 8));
  for (int i = 0; i < 3000; ++i) {
    if (i % 3 == 0) {
      a.appendBlank();
    } else {
      a.goTo(static_cast<std::uint32_t>(1 + rng() % a.lastRec()));
    }
    a.put("K", S(key()));
  }
  ASSERT_TRUE(a.commit());
  const auto want = expected(a, 8);
  EXPECT_EQ(readNtx(fx.at("TK.NTX"), "K"), want);
  std::string walked, sorted;
  for (a.goTop(); !a.eof(); a.skip(1)) walked += std::to_string(a.recNo()) + ",";
  for (const auto& e : want) sorted += std::to_string(e.second) + ",";
  EXPECT_EQ(walked, sorted);
  fx.ws.closeAll();
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  ASSERT_TRUE(fx.ws.current().orderListAdd(fx.at("TK")));
  walked.clear();
  for (Area& b = fx.ws.current(); !b.eof(); b.skip(1)) walked += std::to_string(b.recNo()) + ",";
  EXPECT_EQ(walked, sorted);
}

TEST(Index, NumericKeys) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"N", 'N', 6, 2}, {"K", 'C', 1, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& a = fx.ws.current();
  const double values[] = {-5.5, 3, -10, 0, 12.25, -0.25};
  for (double v : values) {
    a.appendBlank();
    a.put("N", Value::number(v));
  }
  ASSERT_TRUE(a.indexOn("N", fx.at("TN")));
  std::vector<double> seen;
  for (a.goTop(); !a.eof(); a.skip(1)) seen.push_back(a.get("N").num());
  EXPECT_EQ(seen, (std::vector<double>{-10, -5.5, -0.25, 0, 3, 12.25}));
  EXPECT_TRUE(a.seek(Value::number(-5.5)));
  EXPECT_EQ(a.recNo(), 1u);
  EXPECT_FALSE(a.seek(Value::number(4), true));
  EXPECT_EQ(a.get("N").num(), 12.25);
  fx.rec.seen.clear();
  EXPECT_FALSE(a.seek(S("3")));  // a text sought in a numeric order
  EXPECT_TRUE(fx.rec.any(rt::err::kDataType));
  fx.ws.closeAll();
  const auto entries = readNtx(fx.at("TN.NTX"), "N");
  EXPECT_EQ(entries[3].first, "000.00");
  EXPECT_EQ(entries[5].first, "012.25");
  EXPECT_EQ(readFile(fx.at("TN.NTX"))[16], 2);  // the key's decimals
}

std::string entry(const std::string& key, std::uint32_t r) {
  std::string e = key;
  for (int s = 24; s >= 0; s -= 8) e.push_back(static_cast<char>((r >> s) & 0xFF));
  return e;
}

// The ordered store against a plain ordered set, from empty and from a
// sorted set taken over whole.
TEST(Index, StoreAgreesWithAModel) {
  for (const int taken : {0, 4000}) {
    SCOPED_TRACE(taken);
    rt::db::KeyStore ks(3);
    std::set<std::pair<std::string, std::uint32_t>> model;
    std::mt19937 rng(5);
    auto key = [&] {
      std::string k(3, ' ');
      for (char& c : k) c = static_cast<char>('A' + rng() % 4);
      return k;
    };
    for (int i = 0; i < taken; ++i) model.insert({key(), static_cast<std::uint32_t>(1 + rng() % 500)});
    std::string flat;
    for (const auto& [k, r] : model) flat += entry(k, r);
    ks.assignSorted(rt::db::Entries(flat));
    ASSERT_EQ(ks.size(), model.size());
    for (int step = 0; step < 20000; ++step) {
      const std::string k = key();
      const auto r = static_cast<std::uint32_t>(1 + rng() % 500);
      if (rng() % 3) {
        if (model.insert({k, r}).second) ks.insert(k, r);
      } else {
        EXPECT_EQ(ks.erase(k, r), model.erase({k, r}) == 1);
      }
      if (step % 997 == 0) {
        ASSERT_EQ(ks.size(), model.size());
        auto it = model.begin();
        for (auto p = ks.begin(); !ks.atEnd(p); ks.next(p), ++it) {
          ASSERT_EQ(std::string(ks.key(p)), it->first);
          ASSERT_EQ(ks.recno(p), it->second);
        }
        const std::string prefix = k.substr(0, 1 + rng() % 3);
        auto m = model.lower_bound({prefix, 0});
        auto p = ks.lowerBound(prefix);
        EXPECT_EQ(ks.atEnd(p), m == model.end());
        if (m != model.end() && !ks.atEnd(p)) {
          EXPECT_EQ(ks.recno(p), m->second);
        }
        if (!model.empty()) {
          auto last = ks.last();
          EXPECT_EQ(ks.recno(last), model.rbegin()->second);
        }
        const std::size_t i = rng() % (model.size() + 1);
        auto q = ks.begin();
        for (std::size_t s = 0; s < i; ++s) ks.next(q);
        EXPECT_EQ(ks.at(i), q);
      }
    }
  }
}

// An entry buffer keeps what was written through every growth.
TEST(Index, EntriesKeepTheirBytesAsTheyGrow) {
  rt::db::Entries e;
  std::string model;
  for (std::uint32_t i = 0; i < 3000; ++i) {
    const std::string piece = entry(std::to_string(i), i);
    if (i % 2) {
      e.append(piece.data(), piece.size());
    } else {
      const std::size_t at = e.size();
      e.resize(at + piece.size());
      std::memcpy(e.data() + at, piece.data(), piece.size());
    }
    model += piece;
  }
  ASSERT_EQ(std::string_view(e.data(), e.size()), model);
  e.resize(9);
  EXPECT_EQ(std::string_view(e.data(), e.size()), model.substr(0, 9));
  rt::db::Entries taken = std::move(e);
  EXPECT_EQ(std::string_view(taken.data(), taken.size()), model.substr(0, 9));
  EXPECT_EQ(e.size(), 0u);  // the buffer moved from is left empty
}

// Sorting entries, on one thread and on several: the order of their bytes,
// whatever order they come in.
TEST(Index, SortedEntriesFromAnyOrder) {
  struct Caso {
    const char* nome;
    std::uint32_t n;
    std::function<std::string(std::uint32_t i, std::mt19937& rng)> key;  // 5 bytes
  };
  auto digits = [](std::uint32_t v) {
    std::string k(5, '0');
    for (int i = 4; i >= 0 && v; --i, v /= 10)
      k[static_cast<std::size_t>(i)] = static_cast<char>('0' + v % 10);
    return k;
  };
  const Caso casos[] = {
      {"random, few", 500,
       [&](std::uint32_t, std::mt19937& g) { return digits(static_cast<std::uint32_t>(g() % 100000)); }},
      {"random, many", 200000,
       [&](std::uint32_t, std::mt19937& g) { return digits(static_cast<std::uint32_t>(g() % 100000)); }},
      {"equal keys", 100000, [&](std::uint32_t, std::mt19937&) { return std::string("KKKKK"); }},
      {"few distinct", 150000,
       [&](std::uint32_t, std::mt19937& g) { return digits(static_cast<std::uint32_t>(g() % 3)); }},
      {"ascending", 120000, [&](std::uint32_t i, std::mt19937&) { return digits(i); }},
      {"descending", 120000, [&](std::uint32_t i, std::mt19937&) { return digits(99999 - i % 100000); }},
      // Months of sorted rows, the latest month first.
      {"sorted blocks, last first", 300000,
       [&](std::uint32_t i, std::mt19937&) {
         return digits(299 - i / 1000).substr(2) + digits(i % 1000 / 10).substr(3);
       }},
  };
  // Keys of other widths: the last digits, or the digits then their mirror.
  auto width = [](const std::string& k, std::size_t w) {
    if (w <= k.size()) return k.substr(k.size() - w);
    std::string out = k;
    while (out.size() < w) out += std::string(k.rbegin(), k.rend());
    out.resize(w);
    return out;
  };
  for (const std::size_t w : {2u, 5u, 13u, 30u})
    for (const Caso& c : casos) {
      SCOPED_TRACE(c.nome);
      SCOPED_TRACE(w);
      std::mt19937 rng(3);
      std::vector<std::string> want;
      std::string flat;
      for (std::uint32_t i = 0; i < c.n; ++i) {
        // Record numbers that do not follow the rows, so that equal keys test the tie.
        want.push_back(entry(width(c.key(i, rng), w), (i * 2654435761u) % 0x7FFFFFFFu + 1));
        flat += want.back();
      }
      std::sort(want.begin(), want.end());
      const std::size_t stride = w + 4;
      for (const unsigned threads : {1u, 0u}) {
        SCOPED_TRACE(threads);
        rt::db::limitWorkThreads(threads);
        rt::db::Entries sorted(flat);
        rt::db::sortEntries(sorted, stride);
        rt::db::limitWorkThreads(0);
        ASSERT_EQ(sorted.size(), want.size() * stride);
        for (std::size_t i = 0; i < want.size(); ++i)
          ASSERT_EQ(std::string_view(sorted.data() + i * stride, stride), want[i]) << i;
      }
    }
}

TEST(Index, DamagedFilesAreRefusedAndRebuilt) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 3, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& a = fx.ws.current();
  for (const char* k : {"B", "A"}) {
    a.appendBlank();
    a.put("K", S(k));
  }
  ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
  a.orderListClear();
  const std::string good = readFile(fx.at("TK.NTX"));
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
  } cases[] = {
      {"truncated", [](std::string& b) { b.resize(1500); }},
      {"signature", [](std::string& b) { b[0] = 9; }},
      {"key size", [](std::string& b) { b[14] = 0; }},
      {"root", [](std::string& b) { b[5] = 0x40; }},
      {"count", [](std::string& b) { b[1024] = 0x7F; }},
      {"item offset", [](std::string& b) { b[1024 + 2] = '\xFF', b[1024 + 3] = 3; }},
      {"record number", [](std::string& b) { b[1024 + 0x9c + 4] = 9; }},
      {"order", [](std::string& b) { b[1024 + 0x9c + 8] = 'Z'; }},
      {"loop", [](std::string& b) { b[1024 + 0x9c] = 0, b[1024 + 0x9c + 1] = 4; }},
      {"no expression", [](std::string& b) { b[22] = 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string b = good;
    c.damage(b);
    writeFile(fx.at("TK.NTX"), b);
    fx.rec.seen.clear();
    fx.rec.answer = [&fx](const rt::err::Error&) {  // a Retry of damage is a Default
      return fx.rec.seen.size() < 3 ? rt::err::Answer::retry() : rt::err::Answer::byDefault();
    };
    EXPECT_FALSE(a.orderListAdd(fx.at("TK")));
    fx.rec.answer = nullptr;
    ASSERT_EQ(fx.rec.seen.size(), 1u);
    EXPECT_EQ(fx.rec.seen[0].genCode, rt::err::kCorruption);
    EXPECT_EQ(a.orderCount(), 0);
    // The next creation simply writes it anew.
    ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
    EXPECT_EQ(readFile(fx.at("TK.NTX")), good);
    a.orderListClear();
  }
  // An index file held by another area is in use.
  ASSERT_TRUE(a.orderListAdd(fx.at("TK")));
  fx.rec.seen.clear();
  ASSERT_TRUE(fx.ws.create(fx.at("U"), {{"K", 'C', 3, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("U")));
  EXPECT_FALSE(fx.ws.current().indexOn("K", fx.at("TK")));
  EXPECT_TRUE(fx.rec.any(rt::err::kCreate));
  EXPECT_FALSE(fx.ws.current().orderListAdd(fx.at("TK")));
  EXPECT_TRUE(fx.rec.any(rt::err::kOpen));
}

}  // namespace

namespace {

// Rows appended and indexed at once (the index reads them through the
// table's view), then changed, appended to and packed: seeks and reads see
// every change.
TEST(Index, RowsIndexedRightAfterTheirAppendStayCurrent) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 4, 0}, {"V", 'N', 5, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T")));
  Area& a = fx.ws.current();
  for (int i = 0; i < 3000; ++i) {
    ASSERT_TRUE(a.appendBlank());
    a.put("K", S(std::to_string(19999 - i).substr(1)));
    a.put("V", Value::number(i));
  }
  ASSERT_TRUE(a.indexOn("K", fx.at("TK")));
  ASSERT_TRUE(a.seek(S("8999")));
  EXPECT_EQ(a.get("V").num(), 1000);
  a.put("V", Value::number(77));
  a.put("K", S("AAAA"));
  ASSERT_TRUE(a.appendBlank());
  a.put("K", S("0000"));
  a.put("V", Value::number(5));
  ASSERT_TRUE(a.seek(S("AAAA")));
  EXPECT_EQ(a.get("V").num(), 77);
  EXPECT_FALSE(a.seek(S("8999")));
  ASSERT_TRUE(a.seek(S("0000")));
  EXPECT_EQ(a.recNo(), 3001u);
  a.goTo(2);
  a.deleteRecord();
  ASSERT_TRUE(a.pack());
  EXPECT_EQ(a.lastRec(), 3000u);
  ASSERT_TRUE(a.seek(S("9997")));
  EXPECT_EQ(a.get("V").num(), 2);
  EXPECT_EQ(a.recNo(), 2u);
  fx.ws.closeAll();
  EXPECT_EQ(readNtx(fx.at("TK.NTX"), "K").size(), 3000u);
}

// A load that keeps some of the text's rows leaves the table file that the
// load of all of them, the deletion of the others and a pack leave.
TEST(Index, FilteredTextLoadIsTheLoadDeleteAndPack) {
  Fixture fx;
  std::string text;
  for (int i = 0; i < 500; ++i) text += std::to_string(100 + i) + (i % 3 ? "  7" : " 10") + "\r\n";
  text += "999 10";  // the last row, without an end of line, left out
  writeFile(fx.at("IN.TXT"), text);
  const std::vector<rt::db::FieldSpec> fields = {{"K", 'C', 3, 0}, {"V", 'N', 3, 0}};
  const auto fica = [](std::string_view v) { return v != " 10"; };

  ASSERT_TRUE(fx.ws.create(fx.at("TODOS"), fields));
  ASSERT_TRUE(fx.ws.use(fx.at("TODOS")));
  Area& todos = fx.ws.current();
  ASSERT_TRUE(todos.appendSdf(fx.at("IN")));
  for (todos.goTop(); !todos.eof(); todos.skip(1))
    if (!fica(todos.table()->raw(1))) todos.deleteRecord();
  ASSERT_TRUE(todos.pack());
  ASSERT_TRUE(fx.ws.create(fx.at("FILTRO"), fields));
  ASSERT_TRUE(fx.ws.use(fx.at("FILTRO")));
  Area& filtro = fx.ws.current();
  ASSERT_TRUE(filtro.appendSdf(fx.at("IN"), [&](rt::db::Row& r) { return fica(r.raw("V")); }));
  EXPECT_EQ(filtro.lastRec(), 333u);
  EXPECT_TRUE(filtro.eof());
  ASSERT_TRUE(filtro.indexOn("K", fx.at("FK")));
  ASSERT_TRUE(filtro.seek(S("101")));
  EXPECT_EQ(filtro.recNo(), 1u);
  EXPECT_FALSE(filtro.seek(S("999")));
  fx.ws.closeAll();
  EXPECT_EQ(readFile(fx.at("FILTRO.DBF")), readFile(fx.at("TODOS.DBF")));
}

// Keys of leading parts of text fields, as SubStr(f, 1, n) and Left(f, n)
// give them (n past the field's width: the whole field), kept current
// through changes.
TEST(Index, LeadingPartsOfFields) {
  Fixture fx;
  ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"K", 'C', 4, 0}, {"V", 'C', 2, 0}}));
  ASSERT_TRUE(fx.ws.use(fx.at("T"), "T"));
  Area& a = fx.ws.current();
  for (const auto& [k, v] :
       std::vector<std::pair<const char*, const char*>>{{"ABCD", "1"}, {"AB", "22"}, {"ZZ9", "3"}}) {
    ASSERT_TRUE(a.appendBlank());
    a.put("K", S(k));
    a.put("V", S(v));
  }
  ASSERT_TRUE(a.indexOn("SubStr(T->K, 1, 3) + left( V ,9)", fx.at("TA")));
  ASSERT_TRUE(a.indexOn("LEFT(K,2)+SUBSTR(k,1,9)", fx.at("TB")));
  a.orderListClear();
  ASSERT_TRUE(a.orderListAdd(fx.at("TA")));
  ASSERT_TRUE(a.orderListAdd(fx.at("TB")));
  a.goTo(3);
  a.put("K", S("AA"));
  ASSERT_TRUE(a.seek(S("AA 3")));
  EXPECT_EQ(a.recNo(), 3u);
  a.setOrder(2);
  ASSERT_TRUE(a.seek(S("AAAA")));
  EXPECT_EQ(a.recNo(), 3u);
  fx.ws.closeAll();
  using E = std::vector<std::pair<std::string, std::uint32_t>>;
  EXPECT_EQ(readNtx(fx.at("TA.NTX"), "SubStr(T->K, 1, 3) + left( V ,9)"),
            (E{{"AA 3 ", 3}, {"AB 22", 2}, {"ABC1 ", 1}}));
  EXPECT_EQ(readNtx(fx.at("TB.NTX"), "LEFT(K,2)+SUBSTR(k,1,9)"),
            (E{{"AAAA  ", 3}, {"ABAB  ", 2}, {"ABABCD", 1}}));
}

}  // namespace

// Seeks in a store of many blocks, in the orders a walk makes them: rising
// (in small and in large steps), falling, at random, and between inserts.
TEST(Index, SeeksInAnyOrderAgreeWithAModel) {
  std::mt19937 rng(11);
  auto rnd = [&rng](std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); };
  auto digits = [](std::uint32_t v, std::size_t n) {
    std::string k(n, '0');
    for (std::size_t i = n; i-- > 0 && v; v /= 10) k[i] = static_cast<char>('0' + v % 10);
    return k;
  };
  std::set<std::pair<std::string, std::uint32_t>> model;
  for (std::uint32_t r = 1; r <= 30000; ++r) model.insert({digits(rnd(5000) * 2, 4), r});
  rt::db::KeyStore ks(4);
  for (const auto& [k, r] : model) ks.insert(k, r);
  auto check = [&](const std::string& prefix) {
    SCOPED_TRACE(prefix);
    const auto m = model.lower_bound({prefix, 0});
    const auto p = ks.lowerBound(prefix);
    ASSERT_EQ(ks.atEnd(p), m == model.end());
    if (m != model.end()) {
      ASSERT_EQ(std::string(ks.key(p)), m->first);
      ASSERT_EQ(ks.recno(p), m->second);
    }
  };
  for (std::uint32_t v = 0; v <= 10000; ++v) check(digits(v, 4));
  for (std::uint32_t v = 0; v <= 10000; v += 1 + rnd(700)) check(digits(v, 4));
  for (std::uint32_t v = 10000; v-- > 0;) check(digits(v, 4));
  for (std::uint32_t v = 0; v <= 1000; ++v) check(digits(v, 3));
  for (int i = 0; i < 20000; ++i) {
    const std::string k = digits(rnd(10001), 1 + rnd(4));
    check(k);
    if (i % 7 == 0) {
      const std::string n = digits(rnd(10000), 4);
      const auto r = static_cast<std::uint32_t>(30001 + i);
      model.insert({n, r});
      ks.insert(n, r);
      check(k);
    }
  }
}
