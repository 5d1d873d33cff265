// EDITA: the one-field input dialog.
#include <cmath>

#include "app/ambiente.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/screen_guard.h"

namespace fpo {

rt::Value EDITA(Sistema& s, std::string_view MENSAGEM_, std::string_view TIPO, int TAMANHO,
                std::string_view MASCARA, std::string_view VALIDACAO, std::optional<std::string> VALOR) {
  FPO_ROUTINE(s, "EDITA");
  auto& t = s.term();
  using Guarda = rt::term::ScreenGuard;
  const Guarda anterior(t, Guarda::kRegion | Guarda::kColors, {2, 0, 24, 79});
  t.setCursor(rt::term::CursorShape::Normal);

  MENSAGEM(s, 24, MENSAGEM_);

  const int m = static_cast<int>(MENSAGEM_.size());
  const int c = 39 - m / 2;
  const int e = c + m;

  rt::Value VARIAVEL;
  int w = 0;
  if (TIPO == "N") {
    VARIAVEL = rt::Value::number(0, static_cast<int>(MASCARA.size()));
    w = static_cast<int>(MASCARA.size());
  } else if (TIPO == "D") {
    VARIAVEL = rt::Value(rt::Date::today());
    w = 8;
  } else {
    VARIAVEL = rt::Value(VALOR ? *VALOR : std::string(static_cast<std::size_t>(std::max(TAMANHO, 0)), ' '));
    w = static_cast<int>(VARIAVEL.string().size());
  }
  const int f = c + static_cast<int>(std::floor((m - w) / 2.0));

  t.setColor("0+/W");
  JANELA(s, 10, c - 1, 13, e, {}, "S", 8);
  t.setColor("0/W, W+/R,,, 0/W");
  t.devPos(11, c);
  t.devOut(MENSAGEM_);

  Ambiente ambiente(s);
  ambiente.variavel("VARIAVEL", &VARIAVEL);
  rt::ui::Valid valid;
  if (!VALIDACAO.empty() && VALIDACAO.front() != ' ') {
    if (auto regra = rt::expr::Expr::compile(VALIDACAO, s.rt.errors)) {
      valid = [&ambiente, regra = std::move(*regra)](const rt::Value&) {
        rt::Value r = regra.eval(ambiente.env());
        return r.isLogical() && r.logical();
      };
    }
  }
  s.GETLIST.add(t, 12, f, VARIAVEL, MASCARA, valid);
  rt::ui::readModal(t, s.GETLIST);
  s.GETLIST.clear();

  t.setCursor(rt::term::CursorShape::None);
  return VARIAVEL;
}

}  // namespace fpo
