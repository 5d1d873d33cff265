// Windows, frames and shadows, the status line, the menu-bar highlight and
// the picker's window.
#include "app/funcoes/Funcoes.h"
#include "support/app_fixture.h"

namespace fpo {
namespace {

using test::AppTest;

class Janelas : public AppTest {};

TEST_F(Janelas, WindowClearsFramesAndShadows) {
  // Something under the window and under its shadow.
  term().setColor("W/B");
  for (int r = 0; r < 25; ++r) {
    term().devPos(r, 0);
    term().devOut(std::string(80, 'x'));
  }
  term().setColor("0+/W");
  JANELA(s, 10, 25, 13, 53, {}, "S", 8);

  EXPECT_EQ(text(10, 25, 29), "┌───────────────────────────┐");
  EXPECT_EQ(text(11, 25, 29), "│                           │");
  EXPECT_EQ(text(13, 25, 29), "└───────────────────────────┘");
  EXPECT_EQ(screen().attr(11, 30), 0x78);
  // The shadow keeps the characters and darkens them: row 14, columns 27-55;
  // columns 54-55, rows 11-14.
  struct Cell {
    int row, col;
    std::uint8_t attr;
  } cells[] = {{14, 26, 0x17}, {14, 27, 0x08}, {14, 55, 0x08}, {14, 56, 0x17}, {10, 54, 0x17},
               {11, 54, 0x08}, {11, 55, 0x08}, {11, 56, 0x17}, {13, 55, 0x08}, {15, 30, 0x17}};
  for (const auto& c : cells) EXPECT_EQ(screen().attr(c.row, c.col), c.attr) << c.row << "," << c.col;
  EXPECT_EQ(text(14, 27, 29), std::string(29, 'x'));
}

TEST_F(Janelas, ShadowIsCutAtTheScreenEdge) {
  term().setColor("W/N");
  term().cls();
  JANELA(s, 20, 70, 24, 79, {}, "S", 8);  // shadow strips wholly or partly off the screen
  JANELA(s, 2, 60, 5, 78, {}, "S", 8);
  EXPECT_EQ(screen().attr(6, 62), 0x08);
  EXPECT_EQ(screen().attr(6, 79), 0x08);
  EXPECT_EQ(screen().attr(3, 79), 0x08);
  EXPECT_EQ(screen().attr(6, 61), 0x07);
}

TEST_F(Janelas, FrameKinds) {
  term().setColor("W/N");
  JANELA(s, 0, 0, 2, 3);  // no frame kind, no shadow
  EXPECT_EQ(text(0, 0, 4), "┌──┐");
  EXPECT_EQ(screen().attr(3, 2), 0x07);
  MOLDURA(s, 0, 10, 2, 13, "D");
  EXPECT_EQ(text(0, 10, 4), "╔══╗");
  EXPECT_EQ(text(2, 10, 4), "╚══╝");
  term().devPos(1, 11);
  term().devOut("ab");
  MOLDURA(s, 0, 10, 2, 13);  // the inside stays
  EXPECT_EQ(text(1, 10, 4), "│ab│");
}

TEST_F(Janelas, StatusLine) {
  term().setColor("GR+/B");
  const std::pair<std::string, std::string> cases[] = {
      {"", std::string(80, ' ')},
      {"abc", std::string(38, ' ') + "abc" + std::string(39, ' ')},
      {std::string(81, 'y'), std::string(80, 'y')},
      {"a;b", std::string(38, ' ') + "a;b" + std::string(39, ' ')},
  };
  for (const auto& [in, out] : cases) {
    MENSAGEM(s, 24, in);
    EXPECT_EQ(text(24), out);
    EXPECT_EQ(screen().attr(24, 0), 0x70);
    EXPECT_EQ(screen().attr(24, 79), 0x70);
  }
  EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0x1E);  // caller's colour back
}

TEST_F(Janelas, BarHighlightAndPickerWindow) {
  SELECIONA(s, 2, 13, "Crí^tica   "_cp);
  EXPECT_EQ(text(2, 14, 10), "Crítica   ");
  EXPECT_EQ(screen().attr(2, 14), 0xF4);  // R*/W
  EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0xF4);

  JANELAEDICAO(s);
  EXPECT_EQ(text(4, 1, 1), "┌");
  EXPECT_EQ(text(21, 76, 1), "┘");
  EXPECT_EQ(screen().attr(10, 40), 0x3F);
  EXPECT_EQ(screen().attr(22, 3), 0x08);
  EXPECT_EQ(screen().attr(5, 78), 0x08);
  EXPECT_EQ(screen().attr(4, 77), 0x07);
}

}  // namespace
}  // namespace fpo
