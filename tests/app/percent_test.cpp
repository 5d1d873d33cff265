// The progress gauge: its layout, how far the bar fills, when it opens and
// closes, and the colour it leaves.
#include <fstream>

#include "app/funcoes/Funcoes.h"
#include "rt/text/cp860.h"
#include "rt/text/strings.h"
#include "support/app_fixture.h"
#include "support/tables.h"

namespace fpo {
namespace {

class Percent : public test::AppTest {
 protected:
  // A table of n records in the current work area, so that n + 1 is the
  // position past its last record.
  void tabela(int n) {
    std::vector<test::Row> rows(static_cast<std::size_t>(n), test::Row{test::C("X")});
    s.rt.db.closeAll();
    test::makeTable(drive().zoz() / "T.DBF", {{"C", 'C', 1, 0}}, rows);
    ASSERT_TRUE(s.rt.db.use("T", "T", true));
  }
  // Black cells of the bar (row 12, columns 14 to 63).
  int cheias() {
    int n = 0;
    for (int c = 14; c <= 63; ++c)
      if (screen().attr(12, c) == 0x00) ++n;
    return n;
  }
  bool aberto() { return text(9, 30, 18) == " Aguarde Processo "; }
};

TEST_F(Percent, Layout) {
  tabela(200);
  term().setColor("W/B");
  const std::string cor = term().colorSpec();
  EXPECT_EQ(PERCENT(s, 1, 100, "Lendo"), "");
  EXPECT_EQ(text(9, 30, 18), " Aguarde Processo ");
  EXPECT_EQ(screen().attr(9, 30), 0x71);
  EXPECT_EQ(text(10, 13, 53), "0%       20%       40%       60%       80%       100%");
  EXPECT_EQ(screen().attr(10, 13), 0x74);
  EXPECT_EQ(text(11, 13, 53), "├─────────┴─────────┴─────────┴─────────┴──────────┤ ");
  EXPECT_EQ(text(12, 13, 1) + text(12, 64, 2), "││ ");
  EXPECT_EQ(text(13, 13, 53), "└──────────────────────────────────────────────────┘ ");
  EXPECT_EQ(screen().attr(11, 20), 0x70);
  EXPECT_EQ(text(14, 15, 48), rt::text::toUtf8(rt::text::padC("Lendo", 48)));
  EXPECT_EQ(screen().attr(14, 15), 0x70);
  EXPECT_EQ(text(9, 10, 1) + text(14, 67, 1), "┌┘");
  EXPECT_EQ(screen().attr(9, 10), 0x78);
  EXPECT_EQ(screen().attr(15, 12), 0x08);  // shadow
  EXPECT_EQ(screen().attr(10, 69), 0x08);
  EXPECT_EQ(cheias(), 0);  // 50 x 1 / 100 is less than one cell
  EXPECT_EQ(term().colorSpec(), cor);

  // Without a text the bottom border stays a border.
  PERCENT(s, 1, 100);
  std::string borda;
  for (int i = 0; i < 48; ++i) borda += "─";
  EXPECT_EQ(text(14, 15, 48), borda);
}

TEST_F(Percent, BarAndLifetime) {
  struct Caso {
    const char* nome;
    int registros;  // records of the current table
    std::vector<std::pair<double, double>> chamadas;
    int cheias;   // black bar cells afterwards; -1: the screen as before
    bool janela;  // the window shows
  };
  const std::vector<Caso> casos = {
      {"total of 0", 200, {{1, 0}}, -1, false},
      {"total of 1", 200, {{1, 1}}, -1, false},
      {"count 1 of 3", 200, {{1, 3}}, 16, true},
      {"count 25 of 100", 200, {{1, 100}, {25, 100}}, 12, true},
      {"count 99 of 100", 200, {{1, 100}, {99, 100}}, 49, true},
      {"count 100 of 100", 200, {{1, 100}, {50, 100}, {100, 100}}, -1, false},
      {"counts without an opening", 200, {{2, 4}}, 25, false},
      {"the position past the last record", 5, {{1, 10}, {6, 10}}, 5, true},
      {"count 1 with no table open", 0, {{1, 10}}, 0, true},
      {"a count above the total", 200, {{1, 10}, {15, 10}}, 50, true},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    if (c.registros) {
      tabela(c.registros);
    } else {
      s.rt.db.closeAll();
    }
    term().setColor("W/B");
    const std::string cor = term().colorSpec();
    term().cls();
    term().devPos(5, 5);
    term().devOut("antes");
    const rt::term::Screen antes = screen();
    for (const auto& [v, t] : c.chamadas) EXPECT_EQ(PERCENT(s, v, t), "");
    if (c.cheias < 0) {
      EXPECT_TRUE(screen() == antes);
    } else {
      EXPECT_EQ(cheias(), c.cheias);
      for (int col = 14; col < 14 + c.cheias; ++col) EXPECT_EQ(text(12, col, 1), " ");
    }
    EXPECT_EQ(aberto(), c.janela);
    EXPECT_EQ(term().colorSpec(), cor);
    // Nothing outside the gauge's rows changes.
    for (int r : {0, 1, 5, 8, 16, 24}) EXPECT_EQ(text(r), text(antes, r)) << r;
  }
}

// Between its calls the gauge sets back the colour of its last opening;
// before any opening it leaves the colour alone.
TEST_F(Percent, ColourOfTheLastOpening) {
  term().setColor("GR+/B");
  const std::string primeira = term().colorSpec();
  PERCENT(s, 2, 10);
  EXPECT_EQ(term().colorSpec(), primeira);
  term().setColor("W/R");
  const std::string aberta = term().colorSpec();
  PERCENT(s, 1, 10);
  term().setColor("G/N");
  PERCENT(s, 3, 10);
  EXPECT_EQ(term().colorSpec(), aberta);
}

// With IMPRESSORA true the gauge draws on the screen while a report is the
// output device, and gives the device back.
TEST_F(Percent, DrawsOnTheScreenWhileThePrinterIsTheDevice) {
  const auto arquivo = drive().zoz() / "REL.PRN";
  ASSERT_TRUE(term().printer().open(arquivo));
  term().setDevice(rt::term::Terminal::Device::Printer);
  s.IMPRESSORA = true;
  PERCENT(s, 1, 10);
  EXPECT_TRUE(aberto());
  EXPECT_EQ(term().device(), rt::term::Terminal::Device::Printer);
  term().printer().close();
  std::ifstream in(arquivo, std::ios::binary);
  EXPECT_EQ(in.peek(), std::ifstream::traits_type::eof());
}

}  // namespace
}  // namespace fpo
