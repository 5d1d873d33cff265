// NEWALERT: the system's message box and question box.
#include <algorithm>

#include "app/funcoes/Funcoes.h"
#include "rt/term/screen_guard.h"
#include "rt/text/cp860.h"
#include "rt/ui/prompt.h"

namespace fpo {

namespace {

constexpr std::size_t kMaxLine = 75;

int ceilHalf(int v) { return (v + 1) / 2; }
int floorHalf(int v) { return v / 2; }

}  // namespace

std::vector<std::string> linhasDoAlerta(std::string_view texto) {
  std::vector<std::string> linhas;
  std::size_t pos = 0;
  while (pos < texto.size()) {
    std::string linha;
    while (pos < texto.size() && linha.size() < kMaxLine) {
      const char c = texto[pos++];
      if (c == ';') break;
      linha.push_back(c);
    }
    if (linha.size() == kMaxLine && linha.back() != ' ') {
      // Cut back to just before the last branco, which starts the next linha.
      // A linha without a branco after its first character is cut at 75.
      const auto branco = linha.rfind(' ');
      if (branco != std::string::npos && branco > 0) {
        pos -= linha.size() - branco;
        linha.resize(branco);
      }
    }
    linhas.push_back(std::move(linha));
  }
  return linhas;
}

std::optional<int> NEWALERT(Sistema& s, std::optional<std::string> TEXTO,
                            const std::vector<std::string>& BOTOES, std::optional<std::string> CORALERT,
                            bool PASSA) {
  FPO_ROUTINE(s, "NEWALERT");
  auto& t = s.term();
  const std::string texto = TEXTO ? *TEXTO : std::string("Fim de processamento.");
  const std::string cor = CORALERT ? *CORALERT : std::string("W+/R,W+/B");

  using Guarda = rt::term::ScreenGuard;
  Guarda anterior(t, Guarda::kRegion | Guarda::kColors | Guarda::kCursor);
  t.setColor(cor);
  t.setCursor(rt::term::CursorShape::None);

  std::vector<std::string> linhas = linhasDoAlerta(texto);
  int largura = 20;
  for (const auto& l : linhas) largura = std::max(largura, static_cast<int>(l.size()));
  const bool comBotoes = !BOTOES.empty();
  int tamBotoes = 0;
  if (comBotoes) {
    linhas.emplace_back(" ");
    for (const auto& b : BOTOES) tamBotoes += static_cast<int>(b.size()) + 4;
    tamBotoes -= 4;
    largura = std::max(largura, tamBotoes + 4);
  }
  const int n = static_cast<int>(linhas.size());
  const int b = comBotoes ? 1 : 0;
  const int topo = 11 - ceilHalf(n);
  const int base = 12 + floorHalf(n) + b;
  const int esquerda = 38 - ceilHalf(largura);
  const int direita = 41 + floorHalf(largura);

  t.dispBox(topo, esquerda, base, direita, "┌─┐│┘─└│ "_cp);
  SOMBRA(s, topo, esquerda, base, direita);
  for (int i = 0; i < n; ++i) {
    const auto& l = linhas[static_cast<std::size_t>(i)];
    t.devPos(topo + 1 + i, 40 - ceilHalf(static_cast<int>(l.size())));
    t.devOut(l);
  }

  t.clearTypeAhead();

  std::optional<int> resultado;
  if (comBotoes) {
    std::vector<rt::ui::Prompt> prompts;
    const int linhaBotoes = 12 + floorHalf(n);
    int coluna = 39 - ceilHalf(tamBotoes);
    for (const auto& botao : BOTOES) {
      prompts.push_back({linhaBotoes, coluna, " " + botao + " "});
      coluna += static_cast<int>(botao.size()) + 4;
    }
    resultado = rt::ui::menuTo(t, prompts);
  } else if (PASSA) {
    anterior.keep(Guarda::kRegion | Guarda::kCursor);  // the box stays up
    return std::nullopt;
  } else {
    t.readKey();
  }

  return resultado;
}

void alertar(Sistema& s, const std::string& texto) {
  s.term().tone(200, 3);
  NEWALERT(s, texto);
}

}  // namespace fpo
