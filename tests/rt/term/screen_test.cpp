// Drawing on the screen of cells: device output and its position, boxes,
// clearing, cells and regions, clipped at the edges.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "rt/term/fixture.h"
#include "rt/text/cp860.h"

namespace rt::term {
namespace {

using testing::HeadlessTerminal;

const std::string kSingle = "┌─┐│┘─└│"_cp;

// Part of a row, as UTF-8 for readable comparisons.
std::string at(const Terminal& term, int row, int col, int len) {
  return text::toUtf8(term.screen().text(row, col, len));
}

TEST(DevOut, WritesAtThePositionAndMovesIt) {
  HeadlessTerminal t;
  t.term.setColor("W+/B");
  t.term.devPos(3, 10);
  t.term.devOut("Atualização"_cp);
  EXPECT_EQ(t.term.screen().text(3, 10, 11), "Atualização"_cp);
  EXPECT_EQ(t.term.screen().attr(3, 15), 0x1F);
  EXPECT_EQ(t.term.row(), 3);
  EXPECT_EQ(t.term.col(), 21);
  t.term.devOut("!");
  EXPECT_EQ(t.term.screen().text(3, 21, 1), "!");
}

TEST(DevOut, ColourOfTheCall) {
  HeadlessTerminal t;
  t.term.devPos(0, 0);
  t.term.devOut("a", "W+/R,W+/B");
  t.term.devOut("b", ",W+/B");
  t.term.devOutAttr("c", 0x08);
  EXPECT_EQ(t.term.screen().attr(0, 0), 0x4F);
  EXPECT_EQ(t.term.screen().attr(0, 1), 0x07);  // empty first pair: the standard colour
  EXPECT_EQ(t.term.screen().attr(0, 2), 0x08);
  EXPECT_EQ(t.term.colorSpec(), "W/N,N/W,N/N,N/N,N/W");  // the setting is untouched
}

TEST(DevOut, AtAPositionIsTheThreeCalls) {
  const struct {
    int row, col, toRow, toCol;
    const char* text;
  } cases[] = {
      {14, 38, 14, 61, "0042"}, {2, 76, 3, 0, "abcdefgh"}, {2, -2, 0, 0, "abcdef"},
      {25, 0, 24, 79, "abc"},   {0, 80, 5, 5, "abc"},      {7, 7, 7, 7, ""},
  };
  for (const auto& c : cases) {
    HeadlessTerminal one, three;
    one.term.devOutAttrAt(c.row, c.col, c.text, 0x70, c.toRow, c.toCol);
    three.term.devPos(c.row, c.col);
    three.term.devOutAttr(c.text, 0x70);
    three.term.devPos(c.toRow, c.toCol);
    EXPECT_TRUE(one.term.screen() == three.term.screen()) << c.row << "," << c.col;
    EXPECT_EQ(one.term.row(), c.toRow);
    EXPECT_EQ(one.term.col(), c.toCol);
  }
}

TEST(DevOut, ClipsAtTheEdges) {
  const struct {
    int row, col;
    const char* text;
    int textRow;
    const char* expected;  // row textRow, columns 0..3 and 76..79
    int colAfter;
  } cases[] = {
      {2, 76, "abcdefgh", 2, "    abcd", 80},  // cut at column 79, no wrap
      {2, 80, "abc", 2, "        ", 80},       // already past the edge
      {2, -2, "abcdef", 2, "cdef    ", 4},     // left of the screen
      {25, 0, "abc", 24, "        ", 3},       // rows past 24 do not exist
      {-1, 0, "abc", 0, "        ", 3},
  };
  for (const auto& c : cases) {
    HeadlessTerminal t;
    t.term.devPos(c.row, c.col);
    t.term.devOut(c.text);
    const Screen& s = t.term.screen();
    EXPECT_EQ(s.text(c.textRow, 0, 4) + s.text(c.textRow, 76, 4), c.expected) << c.row << "," << c.col;
    EXPECT_EQ(t.term.col(), c.colAfter) << c.row << "," << c.col;
  }
  HeadlessTerminal t;
  t.term.devPos(0, INT_MAX);
  t.term.devOut("abc");
  t.term.devPos(0, INT_MIN);
  t.term.devOut("abc");
  EXPECT_EQ(t.term.screen(), Screen{});
}

TEST(DispBox, FrameFillAndColour) {
  HeadlessTerminal t;
  t.term.setColor("W+/R");
  t.term.dispBox(10, 27, 14, 51, kSingle + " ");
  EXPECT_EQ(at(t.term, 9, 26, 27), "                           ");
  EXPECT_EQ(at(t.term, 10, 26, 27), " ┌───────────────────────┐ ");
  EXPECT_EQ(at(t.term, 11, 26, 27), " │                       │ ");
  EXPECT_EQ(at(t.term, 14, 26, 27), " └───────────────────────┘ ");
  EXPECT_EQ(at(t.term, 15, 26, 27), "                           ");
  const Screen& s = t.term.screen();
  for (int r = 10; r <= 14; ++r)
    for (int c = 27; c <= 51; ++c) ASSERT_EQ(s.attr(r, c), 0x4F) << r << "," << c;
  EXPECT_EQ(s.attr(10, 26), 0x07);
  EXPECT_EQ(s.attr(10, 52), 0x07);
  EXPECT_EQ(s.attr(15, 27), 0x07);
}

TEST(DispBox, WithoutFillTheInsideStays) {
  HeadlessTerminal t;
  t.term.devPos(2, 2);
  t.term.devOut("xyz");
  t.term.dispBox(1, 1, 3, 5, "╔═╗║╝═╚║"_cp);
  EXPECT_EQ(at(t.term, 1, 0, 7), " ╔═══╗ ");
  EXPECT_EQ(at(t.term, 2, 0, 7), " ║xyz║ ");
  EXPECT_EQ(at(t.term, 3, 0, 7), " ╚═══╝ ");
}

TEST(DispBox, ShapesAndClipping) {
  const struct {
    int top, left, bottom, right;
    int row, col, len;        // what to look at
    const char* expected[3];  // rows row..row+2
  } cases[] = {
      // one row, one column: the first row or column wins
      {5, 2, 5, 6, 4, 1, 7, {"       ", " ┌───┐ ", "       "}},
      {5, 2, 7, 2, 4, 1, 3, {"   ", " ┌ ", " │ "}},
      // cut at the right and bottom edges
      {22, 76, 30, 90, 22, 75, 5, {" ┌───", " │...", " │..."}},
      // cut at the left and top edges
      {-3, -3, 1, 2, 0, 0, 4, {"..│ ", "──┘ ", "    "}},
      // nothing for an inverted box
      {6, 6, 5, 5, 5, 5, 2, {"  ", "  ", "  "}},
  };
  for (const auto& c : cases) {
    HeadlessTerminal t;
    t.term.dispBox(c.top, c.left, c.bottom, c.right, kSingle + ".");
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(at(t.term, c.row + i, c.col, c.len), c.expected[i]) << c.top << "," << c.left << " row " << i;
  }
  HeadlessTerminal t;
  t.term.dispBox(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kSingle + ".");
  EXPECT_EQ(at(t.term, 0, 0, 3), "...");
  EXPECT_EQ(at(t.term, 24, 77, 3), "...");
}

TEST(Clear, BlanksInTheStandardColour) {
  HeadlessTerminal t;
  t.term.dispBox(0, 0, 24, 79, kSingle + "x");
  t.term.setColor("GR+/B");
  t.term.clear(1, 1, 2, 3);
  EXPECT_EQ(at(t.term, 1, 0, 5), "│   x");
  EXPECT_EQ(t.term.screen().attr(2, 3), 0x1E);
  EXPECT_EQ(t.term.screen().attr(2, 4), 0x07);
  t.term.devPos(9, 9);
  t.term.setColor("W/B");
  t.term.cls();
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) ASSERT_EQ(t.term.cell(r, c), (Cell{' ', 0x17})) << r << "," << c;
  EXPECT_EQ(t.term.row(), 0);
  EXPECT_EQ(t.term.col(), 0);
}

TEST(Cells, ReadAndWriteWithClipping) {
  HeadlessTerminal t;
  t.term.setCell(24, 79, {'z', 0x08});
  EXPECT_EQ(t.term.cell(24, 79), (Cell{'z', 0x08}));
  for (auto [r, c] : {std::pair{25, 0}, {0, 80}, {-1, 0}, {0, -1}, {INT_MAX, INT_MIN}}) {
    t.term.setCell(r, c, {'q', 0x4F});
    EXPECT_EQ(t.term.cell(r, c), Cell{}) << r << "," << c;
  }
  Screen expected;
  expected.set(24, 79, {'z', 0x08});
  EXPECT_EQ(t.term.screen(), expected);
}

TEST(Region, RestoresWhatWasSaved) {
  HeadlessTerminal t;
  t.term.setColor("W+/R");
  t.term.dispBox(0, 0, 24, 79, kSingle + "a");
  const Screen before = t.term.screen();
  const Region whole = t.term.saveRegion(0, 0, 24, 79);
  const Region part = t.term.saveRegion(2, 3, 4, 10);
  const Region edge = t.term.saveRegion(-5, 75, 1, 200);  // only the part on the screen

  t.term.setColor("N/W");
  t.term.dispBox(0, 0, 24, 79, kSingle + "b");
  t.term.restoreRegion(part);
  EXPECT_EQ(at(t.term, 2, 2, 10), "baaaaaaaab");
  EXPECT_EQ(t.term.screen().attr(3, 3), 0x4F);
  EXPECT_EQ(t.term.screen().attr(3, 11), 0x70);
  t.term.restoreRegion(edge);
  EXPECT_EQ(at(t.term, 0, 74, 6), "─────┐");
  EXPECT_EQ(at(t.term, 1, 74, 6), "baaaa│");
  EXPECT_EQ(t.term.screen().attr(0, 74), 0x70);
  t.term.restoreRegion(whole);
  EXPECT_EQ(t.term.screen(), before);

  const Region none = t.term.saveRegion(30, 0, 40, 79);
  t.term.restoreRegion(none);
  t.term.restoreRegion(Region{});
  EXPECT_EQ(t.term.screen(), before);
}

}  // namespace
}  // namespace rt::term
