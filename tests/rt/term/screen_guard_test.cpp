// Screen guards: what they give back at the end of a scope and when, what
// they leave as it stands, nesting, restore() and keep().
#include "rt/term/screen_guard.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "rt/term/fixture.h"

namespace rt::term {
namespace {

using testing::HeadlessTerminal;

// Every row written with its own letter, in its own colour.
void fill(Terminal& term, char first) {
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c)
      term.setCell(r, c, {static_cast<std::uint8_t>(first + r), static_cast<std::uint8_t>(r + 1)});
}

// The state a routine leaves behind it: everything drawn over, every setting
// changed.
void scribble(Terminal& term) {
  fill(term, 'a');
  term.setColor("GR+/B,W+/R");
  term.setCursor(CursorShape::Insert);
  term.setDevice(Terminal::Device::Printer);
}

// All that a guard can give back.
struct State {
  explicit State(Terminal& term)
      : screen(term.screen()), colors(term.colors()), cursor(term.cursor()), device(term.device()) {}
  Screen screen;
  ColorSet colors;
  CursorShape cursor;
  Terminal::Device device;
  friend bool operator==(const State&, const State&) = default;
};

constexpr unsigned kAll =
    ScreenGuard::kRegion | ScreenGuard::kColors | ScreenGuard::kCursor | ScreenGuard::kDevice;

TEST(ScreenGuard, GivesEverythingBackAtTheEndOfTheScopeAlsoByAnException) {
  const std::function<void()> exits[] = {
      [] {},
      [] { throw std::runtime_error("failed"); },
  };
  for (const auto& exit : exits) {
    HeadlessTerminal t;
    fill(t.term, 'A');
    t.term.setColor("W/B,N/W");
    const State before(t.term);
    try {
      ScreenGuard guard(t.term, kAll);
      scribble(t.term);
      exit();
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(State(t.term) == before);
  }
}

// Only the saved parts, and of the screen only the saved rectangle.
TEST(ScreenGuard, GivesBackOnlyWhatItSaved) {
  HeadlessTerminal t;
  fill(t.term, 'A');
  const State before(t.term);
  {
    ScreenGuard guard(t.term, ScreenGuard::kRegion | ScreenGuard::kCursor, {2, 10, 4, 19});
    scribble(t.term);
  }
  const Screen& s = t.term.screen();
  EXPECT_EQ(s.text(2, 10, 10), std::string(10, 'C'));
  EXPECT_EQ(s.text(4, 10, 10), std::string(10, 'E'));
  EXPECT_EQ(s.attr(3, 19), 4);
  EXPECT_EQ(s.text(2, 9, 1), "c");
  EXPECT_EQ(s.text(3, 20, 1), "d");
  EXPECT_EQ(s.text(1, 10, 1), "b");
  EXPECT_EQ(s.text(5, 10, 1), "f");
  EXPECT_EQ(t.term.cursor(), before.cursor);
  EXPECT_NE(t.term.colors(), before.colors);
  EXPECT_EQ(t.term.device(), Terminal::Device::Printer);
}

// An exception that ends the program leaves the screen as it stands.
TEST(ScreenGuard, LeavesAllAsItStandsWhenTheProgramEnds) {
  HeadlessTerminal t;
  try {
    ScreenGuard guard(t.term, kAll);
    scribble(t.term);
    throw err::ProgramExit(1);
  } catch (const err::ProgramExit&) {
  }
  EXPECT_EQ(t.term.screen().text(0, 0, 3), "aaa");
  EXPECT_EQ(t.term.cursor(), CursorShape::Insert);
  EXPECT_EQ(t.term.device(), Terminal::Device::Printer);
  EXPECT_EQ(t.term.colors()[Slot::Standard], 0x1E);

  // Once that exception is done with, guards give back again.
  {
    ScreenGuard guard(t.term, ScreenGuard::kCursor);
    t.term.setCursor(CursorShape::None);
  }
  EXPECT_EQ(t.term.cursor(), CursorShape::Insert);
}

// Nested guards: the inner one gives back the state it found, the outer one
// the older state.
TEST(ScreenGuard, Nested) {
  HeadlessTerminal t;
  fill(t.term, 'A');
  t.term.setColor("W/N");
  const State outerState(t.term);
  {
    ScreenGuard outer(t.term, kAll);
    fill(t.term, '0');
    t.term.setColor("R/W");
    t.term.setCursor(CursorShape::None);
    const State innerState(t.term);
    try {
      ScreenGuard inner(t.term, kAll, {10, 0, 12, 79});
      scribble(t.term);
      throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(t.term.screen().text(11, 0, 5), ";;;;;");
    EXPECT_EQ(t.term.screen().text(12, 79, 1), "<");
    EXPECT_EQ(t.term.screen().attr(10, 0), 11);
    EXPECT_EQ(t.term.screen().text(9, 0, 1), "j");  // outside the inner rectangle
    EXPECT_EQ(t.term.colors(), innerState.colors);
    EXPECT_EQ(t.term.cursor(), CursorShape::None);
  }
  EXPECT_TRUE(State(t.term) == outerState);
}

// restore() gives parts back at once and they stay saved; keep() leaves a
// part as it stands at the end.
TEST(ScreenGuard, RestoreNowAndKeep) {
  HeadlessTerminal t;
  fill(t.term, 'A');
  const State before(t.term);
  {
    ScreenGuard guard(t.term, kAll);
    guard.keep(ScreenGuard::kRegion | ScreenGuard::kDevice);
    for (int i = 0; i < 2; ++i) {
      scribble(t.term);
      guard.restore(ScreenGuard::kRegion);
      EXPECT_TRUE(t.term.screen() == before.screen);
      EXPECT_EQ(t.term.cursor(), CursorShape::Insert);
    }
    fill(t.term, 'a');
  }
  EXPECT_EQ(t.term.screen().text(0, 0, 1), "a");
  EXPECT_EQ(t.term.device(), Terminal::Device::Printer);
  EXPECT_EQ(t.term.colors(), before.colors);
  EXPECT_EQ(t.term.cursor(), before.cursor);
}

}  // namespace
}  // namespace rt::term
