// The section engine: phase 1 over the local table, phase 2 over the
// national work table, the sort of the error list and its report pages.
#include <algorithm>
#include <cmath>
#include <optional>

#include "app/comparar/critica.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/color.h"
#include "rt/text/date.h"
#include "rt/text/number.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"

namespace fpo::comparar {

namespace {

using Device = rt::term::Terminal::Device;

// A report row at column 0 of the printer row `salto` rows further down.
void linha(Sistema& s, std::string_view texto, int salto = 1) {
  auto& t = s.term();
  t.devPos(t.printer().prow() + salto, 0);
  t.devOut(texto);
}

rt::db::Area* seleciona(Sistema& s, const std::string& alias) {
  if (!s.rt.db.select(alias)) return nullptr;
  return &s.rt.db.current();
}

// The counter on the gauge's bottom row. The line is made once for a pass;
// each record only writes its number's digits into it.
class Contador {
 public:
  explicit Contador(std::uint32_t total)
      : de_(rt::text::allTrim(rt::text::str(total))), cor_(rt::term::parseColorPair("0/W")) {
    const std::string modelo = texto(0);
    if (modelo.size() <= kLargura) {
      linha_ = rt::text::padC(modelo, static_cast<int>(kLargura));
      digitos_ = linha_.find(" Registro Corrente: ") + 20;
    }
  }

  void mostra(Sistema& s, long registro) {
    auto& t = s.term();
    if (!cor_ || linha_.empty() || registro < 0 || t.device() != rt::term::Terminal::Device::Screen) {
      t.devPos(14, 18);
      escrita_ = false;
      t.devOut(rt::text::padC(texto(registro), static_cast<int>(kLargura)), "0/W");
      return;
    }
    auto n = static_cast<unsigned long>(registro);
    std::size_t primeiro = de_.size();  // the first digit that changed
    for (std::size_t i = de_.size(); i-- > 0; n /= 10) {
      const char d = static_cast<char>('0' + n % 10);
      if (linha_[digitos_ + i] != d) primeiro = i;
      linha_[digitos_ + i] = d;
    }
    // The whole line once; then only the digits that changed, the position
    // left where the whole line would leave it.
    if (!escrita_) {
      t.devPos(14, 18);
      t.devOutAttr(linha_, *cor_);
      escrita_ = true;
      return;
    }
    if (primeiro < de_.size())
      t.devOutAttrAt(14, 18 + static_cast<int>(digitos_ + primeiro),
                     std::string_view(linha_).substr(digitos_ + primeiro, de_.size() - primeiro), *cor_, 14,
                     18 + static_cast<int>(kLargura));
    else
      t.devPos(14, 18 + static_cast<int>(kLargura));
  }

 private:
  static constexpr std::size_t kLargura = 43;

  std::string texto(long registro) const {
    return " Registro Corrente: " + strZero(static_cast<double>(registro), static_cast<int>(de_.size())) +
           " de " + de_ + " ";
  }

  std::string de_;
  std::optional<std::uint8_t> cor_;
  std::string linha_;
  std::size_t digitos_ = 0;
  bool escrita_ = false;  // the whole line is on the screen
};

void fase1(Sistema& s, Critica& c, Secao& secao) {
  FPO_ROUTINE(s, "fase1");
  rt::db::Area* local = seleciona(s, secao.local);
  if (!local) return;
  local->goTop();
  const std::uint32_t total = local->lastRec();
  Contador contador(total);
  rt::db::Area* nacional = nullptr;
  double barra = -1;
  c.REGISTRO = 1;
  // A table in index order shows each record at most once; the bound only
  // guards against a damaged index.
  for (std::uint64_t passos = 0; !local->eof() && passos <= total; ++passos) {
    // The gauge is drawn again only when its bar grows (and at its first
    // and last record): between those calls it would paint the same cells.
    const double cheias = std::floor(50.0 * static_cast<double>(c.REGISTRO) / total);
    if (c.REGISTRO == 1 || c.REGISTRO == static_cast<long>(total) || cheias != barra) {
      PERCENT(s, static_cast<double>(c.REGISTRO), total);
      barra = cheias;
    }
    if (c.REGISTRO != static_cast<long>(total)) {
      contador.mostra(s, c.REGISTRO);
      ++c.REGISTRO;
    }
    if (secao.considera()) {
      std::string chave = secao.chave();
      // The national area is looked up by name again only when it is no
      // longer the one found before.
      if (nacional && nacional->used() && nacional->alias() == secao.nacional)
        s.rt.db.select(nacional->number());
      else
        nacional = seleciona(s, secao.nacional);
      if (rt::db::Area* nac = nacional) {
        nac->setOrder(1);
        // A hard seek lands where it lands from any position: no need to
        // go to the top first.
        nac->seek(rt::Value(std::move(chave)), false);
        if (!nac->found()) {
          c.VT_BANCOS.push_back({local->recNo(), secao.local, 'D', secao.ordemLocal()});
        } else {
          if (secao.difere())
            c.VT_BANCOS.push_back({nac->recNo(), secao.nacional, 'A', secao.ordemNacional(), local->recNo()});
          const std::uint32_t r = nac->recNo();
          if (c.VT_VERIFICADOS.size() <= r) c.VT_VERIFICADOS.resize(std::max(r, nac->lastRec()) + 1, false);
          c.VT_VERIFICADOS[r] = true;
        }
      }
    }
    s.rt.db.select(local->number());
    local->skip(1);
  }
}

void fase2(Sistema& s, Critica& c, Secao& secao) {
  FPO_ROUTINE(s, "fase2");
  rt::db::Area* nac = seleciona(s, secao.nacional);
  if (!nac) return;
  const std::uint32_t total = nac->lastRec();
  nac->goTop();
  for (std::uint64_t passos = 0; !nac->eof() && passos <= total; ++passos) {
    const std::uint32_t r = nac->recNo();
    if (r >= c.VT_VERIFICADOS.size() || !c.VT_VERIFICADOS[r])
      c.VT_BANCOS.push_back({r, secao.nacional, 'I', secao.ordemNacional()});
    nac->skip(1);
  }
}

// The section's pages: its header on every page, three rows per entry,
// 16 entries a page; a section without entries prints one page saying so.
void imprimePaginas(Sistema& s, Critica& c, Secao& secao) {
  FPO_ROUTINE(s, "imprimePaginas");
  auto& p = s.term().printer();
  auto& flag = c.ERROS[static_cast<std::size_t>(secao.k - 1)];
  const std::size_t total = c.VT_BANCOS.size();
  if (total == 0) {
    flag = false;
    FPO_LINE(s);
    imprimeCabecalho(s, c, secao);
    linha(s, "");
    linha(s, rt::text::padC("# CRITICA SEM ERROS #", 78));
    p.eject();
    return;
  }
  while (c.CONTADOR <= total) {
    if (p.prow() == 0) {
      flag = true;
      FPO_LINE(s);
      imprimeCabecalho(s, c, secao);
    }
    const Entrada& e = c.VT_BANCOS[c.CONTADOR - 1];
    if (rt::db::Area* a = seleciona(s, e.alias)) a->goTo(e.registro);
    switch (e.tipo) {
      case 'A':
        linha(s, secao.linhaNacional('A'));
        // The local record that gave the entry, not merely the first one
        // with its key (a duplicate or a sub-coded row would show instead).
        if (rt::db::Area* a = seleciona(s, secao.local)) a->goTo(e.local);
        linha(s, secao.linhaLocal('A'));
        break;
      case 'I':
        linha(s, secao.linhaNacional('I'));
        linha(s, "CORRETO: Registro inexistente.");
        break;
      default:
        linha(s, "ENCONT.: Registro deletado.");
        linha(s, secao.linhaLocal('D'));
        break;
    }
    linha(s, "");
    ++c.CONTADOR;
    if (p.prow() > 59 || c.CONTADOR > total) p.eject();
  }
}

// The two phases and the sort of a section already prepared: its error
// list in c.VT_BANCOS.
void comparaSecao(Sistema& s, Critica& c, Secao& secao) {
  FPO_ROUTINE(s, "comparaSecao");
  fase1(s, c, secao);
  FPO_LINE(s);
  fase2(s, c, secao);
  std::stable_sort(c.VT_BANCOS.begin(), c.VT_BANCOS.end(),
                   [](const Entrada& a, const Entrada& b) { return a.chave < b.chave; });
}

}  // namespace

void imprimeCabecalho(Sistema& s, Critica& c, const Secao& secao) {
  FPO_ROUTINE(s, "imprimeCabecalho");
  Tabela& ctrl = c.lista;
  ++c.PAG;
  const std::string datref = ctrl.c("DATREF");
  const double codmnc = ctrl.n("CODMNC");
  const std::string regra = space(8) + std::string(static_cast<std::size_t>(secao.tracos), '-');
  linha(s, "ESTADO DO LUMEA" + space(54) + "PAG.: " + strZero(c.PAG, 3));
  linha(s, "KOVA/ZEB/GT-MORVEN" + space(52) + rt::text::dtoc(rt::Date::today()));
  linha(s, "RELATORIO DE ERROS DE CADASTROS E PROGRAMACAO DE MUNICIPIOS EM GESTAO");
  linha(s, std::string(78, '-'));
  linha(s, rt::text::padC("DERES: " + strZero(ctrl.n("CODDER"), 2) + "  MUNICIPIO: " + strZero(codmnc, 4) +
                              "-" + rt::text::str(CALDIGMNC(static_cast<long long>(codmnc)), 1) + " " +
                              std::string(rt::text::allTrim(ctrl.c("NMEMNC"))),
                          78));
  linha(s, rt::text::padC("COMPETENCIA: " + nomeDoMes(valor(subStr(datref, 5, 2))) + " / " +
                              rt::text::transformText(subStr(datref, 1, 4), "@R 9.999"),
                          78));
  linha(s, regra);
  linha(s, secao.cabecalho);
  linha(s, regra);
  linha(s, rt::text::padC(secao.titulo, 78), 2);
  linha(s, "");
}

void criticaSecao(Sistema& s, Critica& c, Secao& secao) {
  FPO_ROUTINE(s, "criticaSecao");
  auto& t = s.term();
  c.VT_VERIFICADOS.clear();
  c.VT_BANCOS.clear();
  c.CONTADOR = 1;
  t.setDevice(Device::Screen);
  MENSAGEM(s, 24, secao.status);

  FPO_LINE(s);
  secao.prepara();
  FPO_LINE(s);
  comparaSecao(s, c, secao);

  if (secao.k == 1) {
    t.printer().close();
    if (auto p = s.rt.dos.resolve(c.relatorio)) t.printer().open(*p, false);
    c.PAG = 0;
  }
  t.setDevice(Device::Printer);
  FPO_LINE(s);
  imprimePaginas(s, c, secao);
}

}  // namespace fpo::comparar
