// PERCENT: the progress gauge of a pass over a table.
#include <cmath>
#include <string>

#include "app/funcoes/Funcoes.h"
#include "rt/term/color.h"
#include "rt/term/screen_guard.h"
#include "rt/text/cp860.h"
#include "rt/text/strings.h"

namespace fpo {

namespace {

constexpr int kBarRow = 12;
constexpr int kBarCol = 14;
constexpr int kBarCells = 50;

// The window, scale and empty bar.
void abreQuadro(Sistema& s, const std::optional<std::string>& TEXTO) {
  auto& t = s.term();
  t.setColor("0+/W");
  JANELA(s, 9, 10, 14, 67, {}, "S", 8);
  t.setColor("0/W");
  escreve(s, 9, 30, " Aguarde Processo ", "B/W");
  escreve(s, 10, 13, "0%       20%       40%       60%       80%       100%", "R/W");
  escreve(s, 11, 13, "├─────────┴─────────┴─────────┴─────────┴──────────┤ "_cp, "0/W");
  escreve(s, 12, 13, "│"_cp + std::string(kBarCells, ' ') + "│ "_cp, "0/W");
  std::string fundo = "└"_cp;
  for (int i = 0; i < kBarCells; ++i) fundo += "─"_cp;
  escreve(s, 13, 13, fundo + "┘ "_cp, "0/W");
  if (TEXTO) escreve(s, 14, 15, rt::text::padC(*TEXTO, 48), "0/W");
}

}  // namespace

std::string PERCENT(Sistema& s, double VALOR, double TOTAL, std::optional<std::string> TEXTO) {
  using Guarda = rt::term::ScreenGuard;
  if (TOTAL == 0) return "";
  auto& t = s.term();
  if (s.IMPRESSORA) t.setDevice(rt::term::Terminal::Device::Screen);

  if (VALOR == 1) {
    s.TELAPERC.emplace(t, Guarda::kRegion | Guarda::kColors, rt::term::Rect{2, 0, 24, 79});
    s.TELAPERC->keep(Guarda::kRegion | Guarda::kColors);  // given back by the calls
    abreQuadro(s, TEXTO);
  }
  // The call made at the end of a table (past its last record) paints nothing.
  if (VALOR != static_cast<double>(s.rt.db.current().lastRec()) + 1) {
    const double parte = std::floor(kBarCells * VALOR / TOTAL);
    const int cheias = parte >= kBarCells ? kBarCells : parte > 0 ? static_cast<int>(parte) : 0;
    if (cheias > 0) {
      // Most calls find the bar as it is already: only the position moves.
      static const std::uint8_t cheia = rt::term::parseColorPair("0/0").value_or(0);
      bool igual = t.device() == rt::term::Terminal::Device::Screen;
      for (int c = 0; igual && c < cheias; ++c)
        igual = t.cell(kBarRow, kBarCol + c) == rt::term::Cell{' ', cheia};
      if (igual)
        t.devPos(kBarRow, kBarCol + cheias);
      else
        escreve(s, kBarRow, kBarCol, std::string(static_cast<std::size_t>(cheias), ' '), "0/0");
    }
  }
  if (s.TELAPERC) s.TELAPERC->restore(VALOR == TOTAL ? Guarda::kRegion | Guarda::kColors : Guarda::kColors);

  if (s.IMPRESSORA) t.setDevice(rt::term::Terminal::Device::Printer);
  return "";
}

}  // namespace fpo
