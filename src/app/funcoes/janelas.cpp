// Windows, frames, shadow, status line and the menu-bar highlight.
#include <string>
#include <string_view>

#include "app/funcoes/Funcoes.h"
#include "rt/term/screen_guard.h"

namespace fpo {

namespace {
// ┌─┐│┘─└│ and ╔═╗║╝═╚║ in code page 860.
constexpr std::string_view kSingle = "\xDA\xC4\xBF\xB3\xD9\xC4\xC0\xB3";
constexpr std::string_view kDouble = "\xC9\xCD\xBB\xBA\xBC\xCD\xC8\xBA";
}  // namespace

void JANELA(Sistema& s, int LI, int CI, int LF, int CF, std::string_view TIPO, std::string_view SOMBRA_,
            int CORSOMBRA) {
  s.term().dispBox(LI, CI, LF, CF, std::string(9, ' '));
  MOLDURA(s, LI, CI, LF, CF, TIPO);
  if (SOMBRA_ == "S") SOMBRA(s, LI, CI, LF, CF, CORSOMBRA);
}

void MOLDURA(Sistema& s, int LI, int CI, int LF, int CF, std::string_view TIPO) {
  s.term().dispBox(LI, CI, LF, CF, TIPO == "D" ? kDouble : kSingle);
}

void SOMBRA(Sistema& s, int LI, int CI, int LF, int CF, int CORSOMBRA) {
  auto& t = s.term();
  const auto attr = static_cast<std::uint8_t>(CORSOMBRA);
  auto sombreia = [&](int lin, int coluna) {
    if (!rt::term::Screen::inside(lin, coluna)) return;
    auto c = t.cell(lin, coluna);
    c.attr = attr;
    t.setCell(lin, coluna, c);
  };
  for (int c = CI + 2; c <= CF + 2; ++c) sombreia(LF + 1, c);
  for (int r = LI + 1; r <= LF + 1; ++r) {
    sombreia(r, CF + 1);
    sombreia(r, CF + 2);
  }
}

void MENSAGEM(Sistema& s, int LINHA, std::string_view TEXTO) {
  auto& t = s.term();
  const rt::term::ScreenGuard cor(t, rt::term::ScreenGuard::kColors);
  t.setColor("0/W");
  std::string linha;
  if (TEXTO.size() >= 80) {
    linha = std::string(TEXTO.substr(0, 80));
  } else {
    const std::size_t esquerda = (80 - TEXTO.size()) / 2;
    linha = std::string(esquerda, ' ') + std::string(TEXTO);
    linha.resize(80, ' ');
  }
  t.devPos(LINHA, 0);
  t.devOut(linha);
}

void SELECIONA(Sistema& s, int LI, int CI, std::string_view TEXTO) {
  auto& t = s.term();
  t.setColor("R*/W");
  std::string shown;
  for (char c : TEXTO)
    if (c != '^') shown.push_back(c);
  t.devPos(LI, CI + 1);
  t.devOut(shown);
}

void JANELAEDICAO(Sistema& s) {
  s.term().setColor("W+/GB");
  JANELA(s, 4, 1, 21, 76, {}, "S", 8);
}

void escreve(Sistema& s, int linha, int coluna, std::string_view texto, std::string_view cor) {
  s.term().devPos(linha, coluna);
  s.term().devOut(texto, cor);
}

}  // namespace fpo
