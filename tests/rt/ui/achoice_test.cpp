// List selection: the callback's modes and results, the start item,
// unselectable items, the keys without a callback and a long list.
#include "rt/ui/achoice.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "rt/term/keys.h"
#include "rt/ui/fixture.h"

namespace rt::ui {
namespace {

using namespace term::key;
using testing::at;
using testing::attrs;
using testing::HeadlessTerminal;
using K = std::vector<int>;
using Call = std::tuple<int, int, int>;  // mode, item, row

const std::vector<std::string> kFive = {"Alfa", "Bravo", "Charlie", "Delta", "Echo"};

// Runs a list with a callback that records its calls and answers `answer`.
struct Recorded {
  int result = 0;
  std::vector<Call> calls;
};

Recorded run(const K& keys, const std::vector<bool>& selectable = {}, int start = 1,
             std::function<int(int mode, term::Terminal&)> answer = {}) {
  HeadlessTerminal t;
  t.term.setColor("0/W, W+/R,,, 0/W");
  t.keys.add(keys);
  Recorded r;
  r.result = achoice(
      t.term, 4, 1, 6, 10, kFive, selectable,
      [&](int mode, int item, int row) {
        r.calls.emplace_back(mode, item, row);
        if (answer) return answer(mode, t.term);
        return mode == 3 && t.term.lastKey() == kEsc ? 0 : 2;
      },
      start);
  EXPECT_EQ(t.keys.pending(), 0u);
  return r;
}

TEST(ListSelection, CallbackModes) {
  const struct {
    K keys;
    std::vector<Call> calls;
  } cases[] = {
      {{kUp, kEsc}, {{1, 1, 0}, {3, 1, 0}}},                                        // no wrap at the top
      {{kDown, kDown, kDown, kEsc}, {{0, 2, 1}, {0, 3, 2}, {0, 4, 2}, {3, 4, 2}}},  // scrolls
      {{kCtrlPgDn, kDown, kEsc}, {{0, 5, 2}, {2, 5, 2}, {3, 5, 2}}},                // no wrap at the bottom
      {{kCtrlPgDn, kCtrlPgUp, kPgUp, kEsc}, {{0, 5, 2}, {0, 1, 0}, {1, 1, 0}, {3, 1, 0}}},
      {{kPgDn, kPgDn, kPgDn, kEsc}, {{0, 4, 1}, {0, 5, 2}, {2, 5, 2}, {3, 5, 2}}},
      {{kDown, kCtrlEnd, kCtrlHome, kEsc}, {{0, 2, 1}, {0, 3, 2}, {0, 1, 0}, {3, 1, 0}}},
      // Ctrl-Home goes to the window's first item and stays there.
      {{kDown, kDown, kDown, kCtrlHome, kCtrlHome, kEsc},
       {{0, 2, 1}, {0, 3, 2}, {0, 4, 2}, {0, 2, 0}, {0, 2, 0}, {3, 2, 0}}},
      {{kHome, kEnd, kLeft, kRight, 'x', kF10, kEnter, kEsc},
       {{3, 1, 0}, {3, 1, 0}, {3, 1, 0}, {3, 1, 0}, {3, 1, 0}, {3, 1, 0}, {3, 1, 0}, {3, 1, 0}}},
  };
  for (const auto& c : cases) {
    const Recorded r = run(c.keys);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.calls, c.calls) << ::testing::PrintToString(c.keys);
  }
}

TEST(ListSelection, CallbackResults) {
  auto answer = [](int result) {
    return [result](int mode, term::Terminal&) { return mode == 3 ? result : 2; };
  };
  EXPECT_EQ(run({kDown, kEnter}, {}, 1, answer(1)).result, 2);  // 1 selects the current item
  EXPECT_EQ(run({kDown, kEnter}, {}, 1, answer(0)).result, 0);
  // 2 goes on: only Esc ends this list.
  EXPECT_EQ(run({kDown, kEnter, kDown, kEsc}).calls.size(), 4u);
}

TEST(ListSelection, StartItemIsBroughtIntoTheList) {
  const struct {
    int start;
    std::vector<bool> selectable;
    int item;
  } cases[] = {
      {0, {}, 1},
      {-3, {}, 1},
      {3, {}, 3},
      {9, {}, 5},
      {2, {true, false, true}, 3},  // onto a selectable item, looking down first
      {5, {true, true, true, true, false}, 4},
  };
  for (const auto& c : cases) {
    const Recorded r = run({kEsc}, c.selectable, c.start);
    EXPECT_EQ(std::get<1>(r.calls.at(0)), c.item) << c.start;
  }
}

TEST(ListSelection, UnselectableItemsAreSkippedAndShownUnselected) {
  HeadlessTerminal t;
  t.term.setColor("W/B, W+/R,,, GR/B");
  t.keys.add({kDown, kDown, kUp, kUp, kEnter});
  const std::vector<bool> flags = {true, false, false, true};  // a missing flag: selectable
  EXPECT_EQ(achoice(t.term, 10, 20, 14, 29, kFive, flags), 1);
  t.keys.add({kDown, kEnter});
  EXPECT_EQ(achoice(t.term, 10, 20, 14, 29, kFive, flags), 4);
  EXPECT_EQ(at(t.term, 10, 20, 10), "Alfa      ");
  EXPECT_EQ(attrs(t.term, 10, 20, 10), 0x17);
  EXPECT_EQ(attrs(t.term, 11, 20, 10), 0x16);  // unselectable
  EXPECT_EQ(attrs(t.term, 12, 20, 10), 0x16);
  EXPECT_EQ(attrs(t.term, 13, 20, 10), 0x4F);  // current, padded to the width
  EXPECT_EQ(at(t.term, 14, 20, 10), "Echo      ");
  EXPECT_EQ(t.term.screen().attr(14, 30), 0x07);  // nothing past the right column
  EXPECT_EQ(t.term.row(), 13);

  HeadlessTerminal u;
  EXPECT_EQ(achoice(u.term, 0, 0, 4, 9, kFive, {false, false, false, false, false}), 0);
  EXPECT_EQ(achoice(u.term, 0, 0, 4, 9, {}), 0);
}

TEST(ListSelection, WithoutCallback) {
  const struct {
    K keys;
    int result;
  } cases[] = {
      {{kEnter}, 1},
      {{kDown, kDown, kEnter}, 3},
      {{kEnd, kEnter}, 5},
      {{kEnd, kHome, kEnter}, 1},
      {{kDown, kEsc}, 0},
      {{kDown, kLeft}, 0},
      {{kRight}, 0},
      {{'c', kF1, kEnter}, 1},
      {{kUp, kPgDn, kPgDn, kDown, kEnter}, 5},
  };
  for (const auto& c : cases) {
    HeadlessTerminal t;
    t.keys.add(c.keys);
    EXPECT_EQ(achoice(t.term, 4, 1, 6, 10, kFive), c.result) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(t.term.lastKey(), c.keys.back());
  }
}

TEST(ListSelection, ScrollsALongList) {
  std::vector<std::string> items;
  for (int i = 1; i <= 30; ++i) items.push_back("Item " + std::to_string(i));
  HeadlessTerminal t;
  t.term.setColor("0/W, W+/R,,, 0/W");
  t.keys.add({kCtrlPgDn, kUp, kEnter});
  EXPECT_EQ(achoice(t.term, 4, 4, 20, 20, items), 29);
  EXPECT_EQ(at(t.term, 4, 4, 7), "Item 14");
  EXPECT_EQ(at(t.term, 19, 4, 7), "Item 29");
  EXPECT_EQ(attrs(t.term, 19, 4, 17), 0x4F);
  EXPECT_EQ(at(t.term, 20, 4, 7), "Item 30");
  EXPECT_EQ(attrs(t.term, 20, 4, 17), 0x70);
}

}  // namespace
}  // namespace rt::ui
