// The system's message box: its lines, its buttons, a notice that waits for
// any key, the defaults, and a banner left on the screen.
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "support/app_fixture.h"

namespace fpo {
namespace {

namespace key = rt::term::key;
using test::AppTest;

TEST(NewalertLines, Splitting) {
  const std::string a75 = std::string(40, 'a') + " " + std::string(34, 'b');  // 75, last is no blank
  const std::string blank75 = std::string(74, 'c') + " ";
  const std::string word80(80, 'w');
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"Disquete vazio.", {"Disquete vazio."}},
      {"", {}},
      {"a;b", {"a", "b"}},
      {"a;", {"a"}},
      {"a;;b", {"a", "", "b"}},
      {";a", {"", "a"}},
      {a75, {std::string(40, 'a'), " " + std::string(34, 'b')}},
      {blank75 + ";x", {blank75, "", "x"}},
      {blank75 + "x", {blank75, "x"}},
      {word80, {std::string(75, 'w'), std::string(5, 'w')}},  // no blank to cut at
      {" " + std::string(79, 'w'), {" " + std::string(74, 'w'), std::string(5, 'w')}},
  };
  for (const auto& c : cases) EXPECT_EQ(linhasDoAlerta(c.text), c.lines) << c.text;
}

class Newalert : public AppTest {
 protected:
  // Row text and whether every cell of the run has the attribute.
  void expectRun(const rt::term::Screen& sc, int row, int col, const std::string& utf8, std::uint8_t attr) {
    EXPECT_EQ(text(sc, row, col, static_cast<int>(rt::text::fromUtf8(utf8).size())), utf8)
        << row << "," << col;
    for (int c = col; c < col + static_cast<int>(rt::text::fromUtf8(utf8).size()); ++c)
      EXPECT_EQ(sc.attr(row, c), attr) << row << "," << c;
  }
};

TEST_F(Newalert, ConfirmationWithTwoButtons) {
  term().setColor("GR+/B");
  term().cls();
  keys().add({key::kRight, key::kEnter});
  auto r = NEWALERT(s, "Confirma Data: 202211", {"Sim", "Nao"});
  EXPECT_EQ(r, 2);
  EXPECT_EQ(term().lastKey(), key::kEnter);

  const auto& sc = keys().atKeys.at(0);
  expectRun(sc, 10, 27, "┌───────────────────────┐", 0x4F);
  expectRun(sc, 11, 27, "│ Confirma Data: 202211 │", 0x4F);
  expectRun(sc, 12, 27, "│                       │", 0x4F);
  expectRun(sc, 14, 27, "└───────────────────────┘", 0x4F);
  expectRun(sc, 13, 34, " Sim ", 0x1F);  // current button: second slot
  expectRun(sc, 13, 41, " Nao ", 0x4F);
  for (int c = 29; c <= 53; ++c) EXPECT_EQ(sc.attr(15, c), 0x08) << c;
  for (int r2 = 11; r2 <= 15; ++r2) EXPECT_EQ(sc.attr(r2, 52), 0x08) << r2;
  EXPECT_EQ(sc.attr(15, 28), 0x1E);
  // After the box: screen, colour and cursor as before.
  EXPECT_EQ(text(11, 27, 25), std::string(25, ' '));
  EXPECT_EQ(screen().attr(11, 30), 0x1E);
  EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0x1E);
}

TEST_F(Newalert, ThreeButtonsAndLines) {
  keys().add('b');  // first letter chooses at once
  auto r = NEWALERT(s, "Escolha a unidade;e tecle <Enter>;quando estiver pronto.", {"A:", "B:", "\\ZOZ"});
  EXPECT_EQ(r, 2);
  const auto& sc = keys().atKeys.at(0);
  EXPECT_EQ(text(sc, 9, 27, 1), "┌");
  EXPECT_EQ(text(sc, 15, 52, 1), "┘");
  EXPECT_EQ(text(sc, 10, 31, 17), "Escolha a unidade");
  EXPECT_EQ(text(sc, 11, 32, 15), "e tecle <Enter>");
  EXPECT_EQ(text(sc, 12, 29, 22), "quando estiver pronto.");
  EXPECT_EQ(text(sc, 14, 31, 4), " A: ");
  EXPECT_EQ(text(sc, 14, 37, 4), " B: ");
  EXPECT_EQ(text(sc, 14, 43, 6), " \\ZOZ ");
}

TEST_F(Newalert, NoticeWaitsForAnyKeyAndIgnoresTypeAhead) {
  term().stuff('x');  // typed while the caller was busy
  term().stuff(key::kEnter);
  keys().add(key::kEsc);
  auto r = NEWALERT(s, "Disquete vazio.");
  EXPECT_FALSE(r.has_value());
  EXPECT_EQ(term().lastKey(), key::kEsc);
  const auto& sc = keys().atKeys.at(0);
  EXPECT_EQ(text(sc, 10, 28, 24), "┌──────────────────────┐");
  EXPECT_EQ(text(sc, 11, 32, 15), "Disquete vazio.");
  EXPECT_EQ(text(sc, 12, 28, 1), "└");
  EXPECT_EQ(text(sc, 12, 51, 1), "┘");
  EXPECT_EQ(keys().pending(), 0u);
}

TEST_F(Newalert, DefaultsEmptyTextAndEsc) {
  keys().add(key::kEnter);
  NEWALERT(s);
  EXPECT_EQ(text(keys().atKeys.back(), 11, 29, 21), "Fim de processamento.");

  keys().add(key::kEnter);
  NEWALERT(s, "");
  const auto& empty = keys().atKeys.back();
  EXPECT_EQ(text(empty, 11, 28, 1), "┌");
  EXPECT_EQ(text(empty, 12, 28, 1), "└");

  keys().add(key::kEsc);
  EXPECT_EQ(NEWALERT(s, "", {"Ok!"}), 0);
  const auto& withButton = keys().atKeys.back();
  EXPECT_EQ(text(withButton, 10, 28, 1), "┌");
  EXPECT_EQ(text(withButton, 13, 28, 1), "└");
  EXPECT_EQ(text(withButton, 12, 37, 5), " Ok! ");
  EXPECT_EQ(term().lastKey(), key::kEsc);
}

TEST_F(Newalert, BannerStaysOnTheScreen) {
  term().setColor("W/B");
  term().setCursor(rt::term::CursorShape::Normal);
  auto r = NEWALERT(s, "Aguarde", {}, {}, true);
  EXPECT_FALSE(r.has_value());
  EXPECT_EQ(text(11, 36, 7), "Aguarde");
  EXPECT_EQ(term().cursor(), rt::term::CursorShape::None);
  EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0x17);
  // With buttons PASSA counts for nothing.
  keys().add(key::kEnter);
  EXPECT_EQ(NEWALERT(s, "x", {"Sim"}, {}, true), 1);
}

}  // namespace
}  // namespace fpo
