// The control-table browse of both listings and their key handler.
#include "app/listings/listagem.h"

#include <optional>
#include <string>

#include "app/ambiente.h"
#include "app/campos.h"
#include "app/funcoes/Funcoes.h"
#include "app/funcoes/browse_area.h"
#include "app/listings/Ver_Atu.h"
#include "rt/expr/expr.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"
#include "rt/ui/browse.h"
#include "rt/ui/get.h"

namespace fpo {

namespace {

using rt::db::Area;
namespace key = rt::term::key;

const char* const kTeclasBusca = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 ";
const std::size_t kMaxChave = 24;  // a character is added while DBCHAVE holds 23 or fewer

// Opens a table and builds its two index files as its orders 1 and 2;
// false when the error policy was answered Default.
bool abreIndexada(Sistema& s, const char* arquivo, const char* alias, const char* chave1, const char* indice1,
                  const char* chave2, const char* indice2) {
  auto& db = s.rt.db;
  // A table that cannot be opened fails quietly; building its index on the
  // empty work area is then the error that the policy shows.
  db.use(arquivo, alias, true);
  Area& a = db.current();
  if (!a.indexOn(chave1, indice1) || !a.indexOn(chave2, indice2)) return false;
  a.orderListClear();
  return a.orderListAdd(indice1) && a.orderListAdd(indice2);
}

// The municipality code of MN's current row: characters 3 to 6 of MN_IBGE
// as a number, written four wide as the control table's keys hold it.
std::string codigoMn(Area& mn) {
  const std::string ibge = texto(mn, "MN_IBGE");
  return rt::text::str(rt::text::val(rt::text::subStr(ibge, 3, 4)).value, 4);
}

// The name lookup of the typed search text: CTL on the earliest period of
// the first municipality in name order, from the text on, that has control
// rows. CTL ends selected and in order 1, found or not.
bool buscaNome(Sistema& s, Area& ctl, Area& mn, const std::string& texto) {
  FPO_ROUTINE(s, "buscaNome");
  auto& db = s.rt.db;
  db.select("MN");
  mn.setOrder(2);
  mn.goTop();
  mn.seek(rt::Value(texto), true);
  bool NAO_ENCONTRADO = true;
  db.select("CTL");
  ctl.setOrder(2);
  ctl.goTop();
  // Past the last name there is no municipality: its blank code would
  // otherwise match a control row of code 0.
  if (!mn.eof()) NAO_ENCONTRADO = !ctl.seek(rt::Value(codigoMn(mn)), false);
  while (NAO_ENCONTRADO) {
    mn.skip(1);
    if (mn.eof()) break;
    NAO_ENCONTRADO = !ctl.seek(rt::Value(codigoMn(mn)), false);
  }
  ctl.setOrder(1);
  return !NAO_ENCONTRADO;
}

// Alt-R and Alt-O: a number typed over the highlighted row, sought in an
// order of CTL written `largura` wide.
int buscaNumero(Sistema& s, Area& ctl, int coluna, const char* mascara, int ordem, int largura,
                const std::string& mensagem) {
  FPO_ROUTINE(s, "buscaNumero");
  auto& t = s.term();
  const int ORDEM = ctl.order();
  const std::uint32_t REGISTRO = ctl.recNo();
  rt::Value psq = rt::Value::number(0);
  t.setCursor(rt::term::CursorShape::Normal);
  rt::ui::GetList campos;
  campos.add(t, t.row(), coluna, psq, mascara);
  rt::ui::readModal(t, campos);
  ctl.setOrder(ordem);
  ctl.goTop();
  if (!ctl.seek(rt::Value(rt::text::str(psq.isNumber() ? psq.num() : 0, largura)), false)) {
    alertar(s, mensagem);
    ctl.goTo(REGISTRO);
  }
  ctl.setOrder(ORDEM);
  t.setCursor(rt::term::CursorShape::None);
  return 1;
}

// Alt-M: a name typed over the highlighted row.
int buscaMunicipio(Sistema& s, Area& ctl, Area& mn) {
  FPO_ROUTINE(s, "buscaMunicipio");
  auto& t = s.term();
  auto& db = s.rt.db;
  const int ORDEM = ctl.order();
  const std::uint32_t REGISTRO = ctl.recNo();
  rt::Value PSQ_NOME(std::string(23, ' '));
  t.setCursor(rt::term::CursorShape::Normal);
  rt::ui::GetList campos;
  campos.add(t, t.row(), 49, PSQ_NOME, "@!");
  rt::ui::readModal(t, campos);
  db.select("MN");
  mn.setOrder(2);
  mn.goTop();
  mn.seek(PSQ_NOME, true);
  if (mn.eof()) {
    alertar(s, "Município não encontrado."_cp);
  } else {
    db.select("CTL");
    ctl.setOrder(2);
    ctl.goTop();
    if (!ctl.seek(rt::Value(codigoMn(mn)), false)) {
      alertar(s, "Município não encontrado."_cp);
      ctl.goTo(REGISTRO);
    }
  }
  db.select("CTL");
  ctl.setOrder(ORDEM);
  t.setCursor(rt::term::CursorShape::None);
  return 1;
}

}  // namespace

void listaCtl(Sistema& s, std::string_view LINHA, std::string_view titulo, TeclasListagem funcao) {
  FPO_ROUTINE(s, "listaCtl");
  auto& t = s.term();
  auto& db = s.rt.db;
  if (!abreIndexada(s, "\\ZOZ\\CTL", "CTL", "Str(CTL->DATREF) + Str(CTL->CODMNC, 4)", "C:\\ZOZ\\I01CTL",
                    "Str(CTL->CODMNC, 4) + Str(CTL->DATREF, 6)", "C:\\ZOZ\\I02CTL"))
    return;
  if (!abreIndexada(s, "\\ZOZ\\S_MN", "MN", "MN->MN_IBGE", "C:\\ZOZ\\I01MN", "MN->MN_NOME", "C:\\ZOZ\\I02MN"))
    return;
  db.select("CTL");
  Area& ctl = db.current();
  ctl.setOrder(2);
  ctl.goTop();

  Listagem v;
  v.DBCHAVE.clear();
  MENSAGEM(s, 24, "<ALT-R> Referência <ALT-O> Código <ALT-M> Nome <ALT-P> Imprime <ALT-T> Ordem"_cp);
  t.setColor("W+/GB, W+/R,,, 0/W");
  JANELA(s, 4, 1, 21, 76, "", "S");
  linhaPesquisa(s, v.DBCHAVE);

  Ambiente ambiente(s);
  ambiente.funcao("Nome_Municipio", [&s](std::vector<rt::Value>& args) {
    const double codigo = !args.empty() && args[0].isNumber() ? args[0].num() : 0;
    return rt::Value(NOME_MUNICIPIO(s, codigo));
  });
  const std::optional<rt::expr::Expr> linha = rt::expr::Expr::compile(LINHA, s.rt.errors);
  const rt::ui::BrowseColumn coluna{std::string(titulo), [&] {
                                      if (!linha) return std::string();
                                      const rt::Value r = linha->eval(ambiente.env());
                                      return r.isString() ? r.string() : std::string();
                                    }};
  BrowseArea fonte(ctl);
  rt::ui::dbEdit(t, fonte, 5, 3, 20, 74, std::span(&coluna, 1),
                 [&](int modo, int col) { return funcao(s, v, modo, col); });
}

int teclaListagem(Sistema& s, Listagem& v, int MODO, int /*COLUNA*/) {
  if (MODO < 4) return 1;
  auto& t = s.term();
  auto& db = s.rt.db;
  Area* pctl = db.find("CTL");
  Area* pmn = db.find("MN");
  const int tecla = t.lastKey();
  if (tecla == key::kEsc) return 0;
  if (!pctl || !pmn) return 1;
  Area& ctl = *pctl;
  Area& mn = *pmn;

  if (tecla == key::alt('R')) return buscaNumero(s, ctl, 7, "999999", 1, 6, "Referência não encontrada."_cp);
  if (tecla == key::alt('O'))
    return buscaNumero(s, ctl, 42, "9999", 2, 4, "Código do município não encontrado."_cp);
  if (tecla == key::alt('M')) return buscaMunicipio(s, ctl, mn);
  if (tecla == key::alt('T')) {
    ctl.setOrder(ctl.order() == 1 ? 2 : 1);
    return 2;
  }

  const bool caractere = tecla >= 32 && tecla <= 255;
  const char letra = caractere ? static_cast<char>(rt::text::upper(static_cast<std::uint8_t>(tecla))) : '\0';
  if (caractere && std::string_view(kTeclasBusca).find(letra) != std::string_view::npos &&
      v.DBCHAVE.size() < kMaxChave) {
    const std::uint32_t REGISTRO = ctl.recNo();
    v.DBCHAVE.push_back(letra);
    if (!buscaNome(s, ctl, mn, v.DBCHAVE)) {
      alertar(s, "Município não encontrado."_cp);
      ctl.goTo(REGISTRO);
      v.DBCHAVE.pop_back();
    }
  } else if (tecla == key::kBackspace && !v.DBCHAVE.empty()) {
    const std::uint32_t REGISTRO = ctl.recNo();
    v.DBCHAVE.pop_back();
    if (!buscaNome(s, ctl, mn, v.DBCHAVE)) ctl.goTo(REGISTRO);
  }
  linhaPesquisa(s, v.DBCHAVE);
  return 1;
}

}  // namespace fpo
