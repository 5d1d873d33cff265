// MENU_MNC: the municipality picker over the month's list CTRL, and its key
// handler PEGA_MNC.
#include <string>

#include "app/campos.h"
#include "app/funcoes/Funcoes.h"
#include "app/funcoes/browse_area.h"
#include "rt/term/keys.h"
#include "rt/term/screen_guard.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"
#include "rt/ui/browse.h"

namespace fpo {

namespace {

namespace key = rt::term::key;

const char* const kTeclasBusca = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 ";

int largura(rt::db::Area& a, std::string_view nome) {
  const int p = a.fieldPos(nome);
  return p < 0 ? 0 : a.table()->fields()[static_cast<std::size_t>(p)].width;
}

}  // namespace

void linhaPesquisa(Sistema& s, const std::string& DBCHAVE) {
  auto& t = s.term();
  t.devPos(21, 4);
  t.devOut(rt::text::padC("Pesquisa: " + DBCHAVE, 70), "GR+/GB");
}

int MENU_MNC(Sistema& s) {
  FPO_ROUTINE(s, "MENU_MNC");
  auto& t = s.term();
  auto& db = s.rt.db;
  db.select("CTRL");
  rt::db::Area& ctrl = db.current();

  using Guarda = rt::term::ScreenGuard;
  const Guarda anterior(t, Guarda::kRegion | Guarda::kColors | Guarda::kCursor, {2, 0, 24, 79});
  const int ordem = ctrl.order();
  const std::uint32_t registro = ctrl.recNo();
  EscolhaMnc v;

  MENSAGEM(s, 24, "<Alt-O> Loc.Cod.  <Alt-N> Loc.Nome  <Enter> Atribui Valor");
  v.DBCHAVE.clear();
  JANELAEDICAO(s);
  linhaPesquisa(s, v.DBCHAVE);
  ctrl.setOrder(2);
  ctrl.goTop();
  t.setColor("W+/GB, W+/R,,, 0/W");

  const rt::ui::BrowseColumn coluna{"  Código         Nome do Município"_cp, [&ctrl] {
                                      return "   " + rt::text::strZero(numero(ctrl, "CODMNC"), 4) +
                                             "    -    " + std::string(bruto(ctrl, "NMEMNC")) +
                                             rt::text::space(35);
                                    }};
  BrowseArea fonte(ctrl);
  rt::ui::dbEdit(t, fonte, 5, 3, 20, 74, std::span(&coluna, 1),
                 [&](int modo, int col) { return PEGA_MNC(s, v, modo, col); });

  ctrl.setOrder(ordem);
  ctrl.goTo(registro);
  return v.VL_RET;
}

int PEGA_MNC(Sistema& s, EscolhaMnc& v, int PAR_MODE, int /*PAR_COL*/) {
  FPO_ROUTINE(s, "PEGA_MNC");
  if (PAR_MODE < 4) return 1;
  auto& t = s.term();
  auto& db = s.rt.db;
  rt::db::Area& ctrl = db.current();
  const int tecla = t.lastKey();

  if (tecla == key::kEsc) return 0;
  if (tecla == key::kEnter) {
    v.VL_RET = static_cast<int>(numero(ctrl, "CODMNC"));
    t.stuff(key::kEnter);
    return 0;
  }
  if (tecla == key::alt('O')) {
    ctrl.setOrder(1);
    t.setCursor(rt::term::CursorShape::Normal);
    const std::uint32_t registro = ctrl.recNo();
    rt::Value codigo = rt::Value::number(0);
    s.GETLIST.add(t, t.row(), 6, codigo, "9999");
    rt::ui::readModal(t, s.GETLIST);
    ctrl.seek(codigo, false);
    if (t.lastKey() == key::kEsc) {
      ctrl.goTo(registro);
    } else if (!ctrl.found()) {
      FPO_LINE(s);
      NEWALERT(s, "Código do município não encontrado."_cp);
      ctrl.goTo(registro);
    }
    ctrl.setOrder(2);
    t.setCursor(rt::term::CursorShape::None);
    return 1;
  }
  if (tecla == key::alt('N')) {
    ctrl.setOrder(2);
    t.setCursor(rt::term::CursorShape::Normal);
    const std::uint32_t registro = ctrl.recNo();
    db.settings().softSeek = true;
    rt::Value nome(std::string(static_cast<std::size_t>(largura(ctrl, "NMEMNC")), ' '));
    s.GETLIST.add(t, t.row(), 19, nome, "@!");
    rt::ui::readModal(t, s.GETLIST);
    ctrl.seek(nome);
    if (t.lastKey() == key::kEsc) {
      ctrl.goTo(registro);
    } else {
      const std::string achado(bruto(ctrl, "NMEMNC"));
      const std::string& digitado = nome.string();
      if (ctrl.eof() || digitado.substr(0, 1) != achado.substr(0, 1)) {
        FPO_LINE(s);
        NEWALERT(s, "Nome do município não encontrado."_cp);
        ctrl.goTo(registro);
      }
    }
    t.setCursor(rt::term::CursorShape::None);
    db.settings().softSeek = false;
    return 1;
  }

  const int w = largura(ctrl, "NMEMNC");
  const bool caractere = tecla >= 32 && tecla <= 255;
  const char letra = caractere ? static_cast<char>(rt::text::upper(static_cast<std::uint8_t>(tecla))) : '\0';
  if (caractere && std::string_view(kTeclasBusca).find(letra) != std::string_view::npos &&
      static_cast<int>(v.DBCHAVE.size()) <= w) {
    v.DBCHAVE.push_back(letra);
    ctrl.seek(rt::Value(v.DBCHAVE), false);
  } else if (tecla == key::kBackspace) {
    if (!v.DBCHAVE.empty()) {
      v.DBCHAVE.pop_back();
      ctrl.seek(rt::Value(v.DBCHAVE), false);
    }
  }
  linhaPesquisa(s, v.DBCHAVE);
  return 1;
}

}  // namespace fpo
