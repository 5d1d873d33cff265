// The run-time's alert box: its choices, the box and its buttons, what it
// leaves as it was, long lines and the lone "Ok".
#include "rt/ui/alert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rt/term/headless.h"
#include "rt/term/keys.h"
#include "rt/ui/fixture.h"

namespace rt::ui {
namespace {

using namespace term::key;
using testing::at;
using testing::attrs;
using testing::HeadlessTerminal;

const std::vector<std::string> kOptions = {"Quit", "Retry", "Default"};
const std::string kText = "Error BASE/1081  Argument error: +;(DOS Error 32)";

TEST(Alert, Choices) {
  const struct {
    std::vector<int> keys;
    int result;
  } cases[] = {
      {{kEnter}, 1}, {{kRight, kEnter}, 2}, {{'d'}, 3}, {{kEnd, kLeft, kPgDn}, 2}, {{kRight, kEsc}, 0},
  };
  for (const auto& c : cases) {
    HeadlessTerminal t;
    t.keys.add(c.keys);
    EXPECT_EQ(alert(t.term, kText, kOptions), c.result) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(t.term.lastKey(), c.keys.back());
  }
}

// The box as it stands while the operator chooses: the script runs out in
// the middle of the choice.
TEST(Alert, BoxCentredWithButtons) {
  HeadlessTerminal t;
  t.keys.add(kRight);
  EXPECT_THROW(alert(t.term, kText, kOptions), term::ScriptExhausted);
  const auto& s = t.term.screen();
  EXPECT_EQ(at(t.term, 9, 21, 38), "┌────────────────────────────────────┐");
  EXPECT_EQ(at(t.term, 10, 21, 38), "│ Error BASE/1081  Argument error: + │");
  EXPECT_EQ(at(t.term, 11, 21, 38), "│           (DOS Error 32)           │");
  EXPECT_EQ(at(t.term, 12, 21, 38), "│                                    │");
  EXPECT_EQ(at(t.term, 13, 21, 38), "│      Quit    Retry    Default      │");
  EXPECT_EQ(at(t.term, 14, 21, 38), "└────────────────────────────────────┘");
  EXPECT_EQ(attrs(t.term, 9, 21, 38), 0x4F);
  EXPECT_EQ(attrs(t.term, 13, 27, 6), 0x4F);
  EXPECT_EQ(attrs(t.term, 13, 35, 7), 0x1F);  // the current button
  EXPECT_EQ(attrs(t.term, 13, 42, 17), 0x4F);
  EXPECT_EQ(s.cell(8, 21), term::Cell{});
  EXPECT_EQ(t.term.cursor(), term::CursorShape::None);
}

TEST(Alert, LeavesScreenColourAndCursorAsTheyWere) {
  HeadlessTerminal t;
  t.term.setColor("GR+/B,W/N");
  for (int r = 0; r < term::kRows; ++r) {
    t.term.devPos(r, 0);
    t.term.devOut(std::string(80, static_cast<char>('a' + r)));
  }
  const term::Screen before = t.term.screen();
  const std::string colors = t.term.colorSpec();
  t.keys.add(kEsc);
  EXPECT_EQ(alert(t.term, "x", kOptions), 0);
  EXPECT_TRUE(t.term.screen() == before);
  EXPECT_EQ(t.term.colorSpec(), colors);
  EXPECT_EQ(t.term.cursor(), term::CursorShape::Normal);
}

TEST(Alert, LongLinesBreakAtABlankAndNoOptionsOffersOk) {
  HeadlessTerminal t;
  const std::string text = std::string(40, 'w') + " " + std::string(40, 'v');
  EXPECT_THROW(alert(t.term, text, {}), term::ScriptExhausted);
  EXPECT_EQ(at(t.term, 10, 20, 40), std::string(40, 'w'));
  EXPECT_EQ(at(t.term, 11, 20, 40), std::string(40, 'v'));
  EXPECT_EQ(at(t.term, 13, 38, 4), " Ok ");
  EXPECT_EQ(attrs(t.term, 13, 38, 4), 0x1F);

  HeadlessTerminal u;
  u.keys.add(kEnter);
  EXPECT_EQ(alert(u.term, text, {}), 1);
}

}  // namespace
}  // namespace rt::ui
