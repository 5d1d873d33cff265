// The table browse over a source of rows in a vector: the handler's modes
// and results, an empty source, the idle call, the screen, the start at the
// end and several columns.
#include "rt/ui/browse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rt/term/headless.h"
#include "rt/term/keys.h"
#include "rt/text/strings.h"
#include "rt/ui/fixture.h"

namespace rt::ui {
namespace {

using namespace term::key;
using testing::at;
using testing::attrs;
using testing::HeadlessTerminal;
using K = std::vector<int>;
constexpr int N = term::Headless::kNoKey;  // no key waiting

// Rows in a vector; the end position is rows.size().
class FakeSource : public BrowseSource {
 public:
  explicit FakeSource(std::vector<std::string> rows) : rows_(std::move(rows)) {}

  void goTop() override { pos_ = 0; }
  void goBottom() override { pos_ = rows_.empty() ? 0 : size() - 1; }
  std::int64_t skip(std::int64_t n) override {
    std::int64_t moved = 0;
    if (n < 0 && eof()) {
      if (rows_.empty()) return 0;
      pos_ = size() - 1;
      moved = -1;
      ++n;
    }
    if (eof()) return 0;
    const std::int64_t target = std::clamp<std::int64_t>(pos_ + n, 0, size() - 1);
    moved += target - pos_;
    pos_ = target;
    return moved;
  }
  bool eof() const override { return pos_ >= size(); }
  Position position() const override { return pos_; }
  void goTo(Position p) override { pos_ = p; }

  std::string text() const { return eof() ? std::string(6, ' ') : rows_[static_cast<std::size_t>(pos_)]; }
  void reverse() {
    const std::string here = text();
    std::reverse(rows_.begin(), rows_.end());
    pos_ = std::find(rows_.begin(), rows_.end(), here) - rows_.begin();
  }
  void setEnd() { pos_ = size(); }

 private:
  std::int64_t size() const { return static_cast<std::int64_t>(rows_.size()); }
  std::vector<std::string> rows_;
  std::int64_t pos_ = 0;
};

std::vector<std::string> names(int n) {
  std::vector<std::string> out;
  for (int i = 1; i <= n; ++i) out.push_back("Row " + std::string(i < 10 ? "0" : "") + std::to_string(i));
  return out;
}

struct Call {
  int mode;
  std::string row;  // the source's current row when called
  friend bool operator==(const Call&, const Call&) = default;
  friend void PrintTo(const Call& c, std::ostream* os) { *os << "{" << c.mode << ", " << c.row << "}"; }
};

// A browse of the source in rows 5..9 (three data rows), columns 3..20,
// whose handler records its calls and ends on Esc.
std::vector<Call> browse(FakeSource& src, const K& keys) {
  HeadlessTerminal t;
  t.keys.add(keys);
  std::vector<Call> calls;
  const BrowseColumn col[] = {{"Name", [&] { return src.text(); }}};
  dbEdit(t.term, src, 5, 3, 9, 20, col, [&](int mode, int) {
    calls.push_back({mode, src.text()});
    return mode == 4 && t.term.lastKey() == kEsc ? 0 : 1;
  });
  EXPECT_EQ(t.keys.pending(), 0u);
  return calls;
}

TEST(Browse, ModesOfTheHandler) {
  const struct {
    K keys;
    std::vector<Call> calls;
  } cases[] = {
      {{N, kEsc}, {{0, "Row 01"}, {4, "Row 01"}}},
      {{kUp, N, kEsc}, {{1, "Row 01"}, {4, "Row 01"}}},  // top reached
      {{kCtrlPgUp, N, N, kEsc}, {{1, "Row 01"}, {4, "Row 01"}}},
      {{kDown, N, kUp, N, kEsc}, {{0, "Row 02"}, {0, "Row 01"}, {4, "Row 01"}}},
      {{kCtrlPgDn, N, kDown, N, kEsc}, {{0, "Row 05"}, {2, "Row 05"}, {4, "Row 05"}}},  // bottom reached
      {{kPgDn, N, kPgDn, kPgDn, N, kEsc}, {{0, "Row 04"}, {2, "Row 05"}, {4, "Row 05"}}},
      {{kPgDn, kPgUp, N, kPgUp, N, kEsc}, {{0, "Row 01"}, {1, "Row 01"}, {4, "Row 01"}}},
      {{kUp, kDown, N, kEsc}, {{1, "Row 02"}, {4, "Row 02"}}},  // a mark lasts until the next idle call
      {{'x', N, kF2, alt('N'), kEsc},
       {{4, "Row 01"}, {0, "Row 01"}, {4, "Row 01"}, {4, "Row 01"}, {4, "Row 01"}}},
      {{kLeft, kRight, kHome, kEnd, kCtrlLeft, kCtrlRight, kCtrlHome, kCtrlEnd, kEsc}, {{4, "Row 01"}}},
  };
  for (const auto& c : cases) {
    FakeSource src(names(5));
    EXPECT_EQ(browse(src, c.keys), c.calls) << ::testing::PrintToString(c.keys);
  }
}

TEST(Browse, EmptySource) {
  FakeSource src({});
  const std::vector<Call> calls = browse(src, {N, kDown, kCtrlPgDn, N, 'a', kEsc});
  const std::vector<Call> expected = {{3, "      "}, {3, "      "}, {4, "      "}, {4, "      "}};
  EXPECT_EQ(calls, expected);
}

// The idle call comes once per wait: a script that runs out after it fails
// at the key read, it does not spin.
TEST(Browse, IdleCallThenWaitsForAKey) {
  HeadlessTerminal t;
  FakeSource src(names(5));
  int idle = 0;
  const BrowseColumn col[] = {{"Name", [&] { return src.text(); }}};
  EXPECT_THROW(dbEdit(t.term, src, 5, 3, 9, 20, col,
                      [&](int mode, int) {
                        idle += mode == 0;
                        return 1;
                      }),
               term::ScriptExhausted);
  EXPECT_EQ(idle, 1);
}

TEST(Browse, ScreenOfTheListing) {
  HeadlessTerminal t;
  t.term.setColor("W+/GB, W+/R,,, 0/W");
  t.term.setCursor(term::CursorShape::Normal);
  std::vector<std::string> rows;
  for (const std::string& n : names(20)) rows.push_back("    " + n + std::string(89, '.'));  // 99 wide
  FakeSource src(rows);
  const BrowseColumn col[] = {{" Referência      Data"_cp, [&] { return src.text(); }}};
  t.keys.add({kDown, N, kCtrlPgDn, N, kEsc});
  std::vector<int> cursorRows;
  dbEdit(t.term, src, 5, 3, 20, 74, col, [&](int mode, int column) {
    EXPECT_EQ(column, 1);
    EXPECT_EQ(t.term.col(), 3);
    EXPECT_EQ(t.term.cursor(), term::CursorShape::None);
    cursorRows.push_back(t.term.row());
    return mode == 4 ? 0 : 1;
  });
  EXPECT_EQ(cursorRows, (std::vector<int>{8, 20, 20}));
  EXPECT_EQ(t.term.cursor(), term::CursorShape::Normal);  // restored

  EXPECT_EQ(at(t.term, 5, 3, 72), " Referência      Data" + std::string(51, ' '));
  EXPECT_EQ(at(t.term, 6, 3, 72), text::toUtf8(std::string(72, '\xCD')));  // ═
  EXPECT_EQ(attrs(t.term, 5, 3, 72), 0x3F);
  EXPECT_EQ(attrs(t.term, 6, 3, 72), 0x3F);
  // After Ctrl-PgDn the last row stands at the bottom, highlighted over the
  // whole width; the text is cut at the right column.
  EXPECT_EQ(at(t.term, 7, 3, 10), "    Row 07");
  EXPECT_EQ(at(t.term, 20, 3, 72), rows[19].substr(0, 72));
  EXPECT_EQ(attrs(t.term, 20, 3, 72), 0x4F);
  EXPECT_EQ(attrs(t.term, 19, 3, 72), 0x3F);
  EXPECT_EQ(t.term.screen().attr(20, 75), 0x07);
  EXPECT_EQ(t.term.screen().attr(20, 2), 0x07);
}

// Rows 7..9 of the small browse, and which of them is highlighted.
struct Shown {
  std::vector<std::string> rows;
  int highlighted = -1;
  friend bool operator==(const Shown&, const Shown&) = default;
};

Shown shown(const term::Terminal& t) {
  Shown s;
  for (int r = 7; r <= 9; ++r) {
    s.rows.push_back(text::toUtf8(std::string(text::rTrim(t.screen().text(r, 3, 18)))));
    if (t.screen().attr(r, 3) == 0x70) s.highlighted = r;
  }
  return s;
}

TEST(Browse, ResultsOfTheHandler) {
  const struct {
    const char* what;
    std::function<int(FakeSource&)> act;  // on the key 'x'
    Shown after;
  } cases[] = {
      {"moved and 1: all rows repainted around the new row",
       [](FakeSource& s) {
         s.goTo(3);
         return 1;
       },
       {{"Row 03", "Row 04", "Row 05"}, 8}},
      {"left at the end: stepped back onto the last row",
       [](FakeSource& s) {
         s.setEnd();
         return 1;
       },
       {{"Row 03", "Row 04", "Row 05"}, 9}},
      {"2: repainted in the new order, the same row highlighted",
       [](FakeSource& s) {
         s.reverse();
         return 2;
       },
       {{"Row 03", "Row 02", "Row 01"}, 8}},
      {"1 without a move: nothing else changes",
       [](FakeSource&) { return 1; },
       {{"Row 01", "Row 02", "Row 03"}, 8}},
  };
  for (const auto& c : cases) {
    HeadlessTerminal t;
    FakeSource src(names(5));
    const BrowseColumn col[] = {{"Name", [&] { return src.text(); }}};
    t.keys.add({kDown, 'x', 'q'});
    dbEdit(t.term, src, 5, 3, 9, 20, col, [&](int mode, int) {
      if (mode != 4) return 1;
      if (t.term.lastKey() == 'q') return 0;
      return c.act(src);
    });
    EXPECT_EQ(shown(t.term), c.after) << c.what;
  }
}

TEST(Browse, StartsOnTheLastRowWhenLeftAtTheEnd) {
  HeadlessTerminal t;
  FakeSource src(names(2));
  src.setEnd();
  const BrowseColumn col[] = {{"Name", [&] { return src.text(); }}};
  t.keys.add(kEsc);
  std::string current;
  dbEdit(t.term, src, 5, 3, 9, 20, col, [&](int, int) {
    current = src.text();
    return 0;
  });
  EXPECT_EQ(current, "Row 02");
  EXPECT_EQ(shown(t.term), (Shown{{"Row 01", "Row 02", ""}, 8}));
}

TEST(Browse, SeveralColumns) {
  HeadlessTerminal t;
  FakeSource src(names(3));
  const BrowseColumn cols[] = {{"Name", [&] { return src.text(); }},
                               {"Code", [&] { return std::string("X"); }}};
  t.keys.add({kRight, kEsc});
  int column = 0;
  dbEdit(t.term, src, 5, 3, 9, 20, cols, [&](int, int c) {
    column = c;
    return 0;
  });
  EXPECT_EQ(column, 2);
  EXPECT_EQ(at(t.term, 5, 3, 18), "Name   │ Code     ");
  EXPECT_EQ(at(t.term, 6, 3, 18), "═══════╤══════════");
  EXPECT_EQ(at(t.term, 7, 3, 18), "Row 01 │ X        ");
  EXPECT_EQ(attrs(t.term, 7, 3, 6), 0x07);
  EXPECT_EQ(attrs(t.term, 7, 12, 4), 0x70);  // the current cell
}

}  // namespace
}  // namespace rt::ui
