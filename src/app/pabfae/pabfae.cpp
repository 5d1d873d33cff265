// PABFAE: the production report "PABFAE.PRN" and its printing.
#include "app/pabfae/Pabfae.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/ambiente.h"
#include "app/campos.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/screen_guard.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/date.h"
#include "rt/text/number.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"

namespace fpo {

namespace {

using rt::db::Area;

struct Arquivo {
  const char* arquivo;
  const char* alias;
  const char* indice;
  const char* chave;
  const char* banner;  // UTF-8
};

const Arquivo kArquivos[] = {
    {"\\ZOZ\\S_MN", "MN", "I01MN", "MN->MN_IBGE", "Indexando Municípios"},
    {"\\ZOZ\\S_UPS", "UPS", "I01UPS", "UPS->UPS_ID", "Indexando Unidades Prestadoras de Serviços"},
    {"\\ZOZ\\S_PA", "PA", "I01PA", "PA->pa_cmp + PA->PA_ID", "Indexando Procedimentos Ambulatoriais"},
    {"\\ZOZ\\S_VPA", "VPA", "I01VPA", "VPA->VPA_CMP + VPA->VPA_PA", "Indexando Tabela de Preços"},
    {"\\ZOZ\\S_PRD", "PRD", "I01PRD", "PRD->PRD_CMP + PRD->PRD_UID", "Indexando Produção Ambulatorial"},
};

const char* const kValor = "@EZ 9,999,999.99";
const std::string kTracos(80, '-');

// A table's text as the report prints it: control bytes become blanks so
// that nothing from a table breaks the report's rows and pages.
std::string impresso(std::string t) {
  for (char& c : t)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  return t;
}

class Relatorio {
 public:
  explicit Relatorio(Sistema& s) : s_(s), t_(s.term()) {}

  // Each line on the printer row after the current one.
  void linha(int coluna, std::string_view texto) {
    t_.devPos(t_.printer().prow() + 1, coluna);
    t_.devOut(texto);
  }

  void cabecalho(Area& mn) {
    const std::string ibge = impresso(texto(mn, "MN_IBGE"));
    // Only the code's four lowest digits count for its check digit.
    const double numeroIbge = std::fabs(rt::text::val(ibge).value);
    const auto codigo =
        std::isfinite(numeroIbge) ? static_cast<long long>(std::fmod(numeroIbge, 10000.0)) : 0LL;
    linha(0, "ESTADO DO LUMEA" + rt::text::space(56) + "PAG.: " + rt::text::strZero(pagina, 3));
    linha(0, "KOVA/ZEB/GT-MORVEN" + rt::text::space(52) + rt::text::dtoc(rt::text::Date::today()));
    linha(0, "RELATORIO DE PRODUCAO DOS MUNICIPIOS EM GESTAO" + rt::text::space(34));
    linha(0, kTracos);
    linha(0,
          rt::text::padC(std::string(rt::text::subStr(ibge, 3, 4)) + "-" + std::to_string(CALDIGMNC(codigo)) +
                             " " + std::string(rt::text::allTrim(impresso(texto(mn, "MN_NOME")))),
                         80));
    // Read for every header: a control record that failed to open is a
    // run-time error for the error policy here.
    const std::string mvm = impresso(campoTexto(s_, "CTR->CTR_MVM"));
    const int mes = static_cast<int>(rt::text::val(rt::text::subStr(mvm, 5, 2)).value);
    linha(0, rt::text::padC("COMPETENCIA: " + nomeDoMes(mes) + " / " +
                                rt::text::transformText(rt::text::subStr(mvm, 1, 4), "@R 9.999"),
                            80));
    linha(0, kTracos);
    linha(0, "|         UNIDADE DE SAUDE               |    PAB     |   OUTROS   |   TOTAL   |");
    linha(0, kTracos);
  }

  void unidade(Area& ups, double pab, double outros) {
    std::string id = impresso(texto(ups, "UPS_ID"));
    id.resize(7, ' ');
    std::string nome(rt::text::subStr(impresso(texto(ups, "UPS_NMFN")), 1, 33));
    nome.resize(33, ' ');
    linha(1, id.substr(2, 4) + "-" + id.substr(6, 1) + " " + nome + " " + valores(pab, outros));
  }

  void totais(double pab, double outros) { linha(28, "TOTAIS -----> " + valores(pab, outros)); }

  static std::string valores(double pab, double outros) {
    return rt::text::transformNumber(pab, kValor) + " " + rt::text::transformNumber(outros, kValor) + " " +
           rt::text::transformNumber(pab + outros, kValor);
  }

  int pagina = 1;

 private:
  Sistema& s_;
  rt::term::Terminal& t_;
};

// Opens the tables and builds their indexes; false when one of them failed
// (after the error policy has shown it).
bool abreTabelas(Sistema& s) {
  FPO_ROUTINE(s, "abreTabelas");
  auto& t = s.term();
  auto& db = s.rt.db;
  const rt::term::ScreenGuard tela(t, rt::term::ScreenGuard::kRegion);
  for (const Arquivo& tb : kArquivos) {
    // A table that cannot be opened fails quietly; building its index on
    // the empty work area is then the error that the policy shows.
    FPO_LINE(s);
    db.use(tb.arquivo, tb.alias, true);
    FPO_LINE(s);
    NEWALERT(s, rt::text::fromUtf8(tb.banner), {}, std::string("0/W"), true);
    FPO_LINE(s);
    const bool ok = db.current().indexOn(tb.chave, tb.indice);
    tela.restore(rt::term::ScreenGuard::kRegion);
    if (!ok) return false;
  }
  db.use("\\ZOZ\\S_CTR", "CTR", true);
  return true;
}

// A unit's rows done: its line, and the page's end when it is full.
void fechaUnidade(Sistema& s, Relatorio& r, Area& mn, Area& ups, double pab, double outros) {
  auto& t = s.term();
  if (t.printer().prow() == 0) r.cabecalho(mn);
  r.unidade(ups, pab, outros);
  if (t.printer().prow() > 59) {
    r.linha(0, kTracos);
    t.printer().eject();
    ++r.pagina;
  }
}

void TOTAIS(Sistema& s, Relatorio& r, double totalPab, double totalOutros) {
  r.linha(0, kTracos);
  r.totais(totalPab, totalOutros);
  r.linha(0, kTracos);
  s.term().printer().eject();
}

// The report's tables, open under their aliases.
struct Areas {
  Area &mn, &ups, &pa, &vpa, &prd;
};

// The walk over S_PRD in competence and unit order, row by row.
void escreveLinhas(Sistema& s, Relatorio& r, const Areas& a) {
  Area &mn = a.mn, &ups = a.ups, &pa = a.pa, &vpa = a.vpa, &prd = a.prd;
  const bool exact = s.rt.db.settings().exact;

  double totalPab = 0, totalOutros = 0;
  prd.goTop();
  while (!prd.eof()) {
    const std::string uid = texto(prd, "PRD_UID");
    double pab = 0, outros = 0;
    ups.seek(rt::Value(uid), false);
    mn.seek(rt::Value(texto(ups, "UPS_MN")), false);
    while (!prd.eof() && rt::text::equals(texto(prd, "PRD_UID"), uid, exact)) {
      const std::string chave =
          texto(prd, "PRD_CMP") + std::string(rt::text::subStr(texto(prd, "PRD_PA"), 1, 7));
      pa.seek(rt::Value(chave), false);
      vpa.seek(rt::Value(chave), false);
      const double valor = numero(prd, "PRD_QT_A") * numero(vpa, "VPA_TOTAL");
      if (rt::text::equals(texto(pa, "PA_PAB"), "S", exact)) {
        pab += valor;
        totalPab += valor;
      } else {
        outros += valor;
        totalOutros += valor;
      }
      prd.skip(1);
    }
    fechaUnidade(s, r, mn, ups, pab, outros);
  }
  TOTAIS(s, r, totalPab, totalOutros);
}

bool tipoComum(char t) { return t == 'C' || t == 'N' || t == 'F' || t == 'D' || t == 'L'; }

// The same walk without reading S_PRD in index order: one pass in record
// order gives each row's value and whether it counts as PAB (the procedure
// and price sought once per competence and procedure), then the unit groups
// come from the index entries alone. Sums are made in the same order as the
// row-by-row walk. False, with nothing printed, when the tables are not of
// the usual kind (the row-by-row walk then does the report).
bool escreveRapido(Sistema& s, Relatorio& r, const Areas& a) {
  Area &mn = a.mn, &ups = a.ups, &pa = a.pa, &vpa = a.vpa, &prd = a.prd;
  const bool exact = s.rt.db.settings().exact;
  rt::db::Table* t = prd.table();
  const rt::db::Index* ix = prd.index(1);
  if (!t || !ix || prd.order() != 1) return false;
  // Look-ups that could raise an error for each row keep the row-by-row walk.
  const rt::db::Index *ixPa = pa.index(pa.order()), *ixVpa = vpa.index(vpa.order());
  const int iPab = pa.fieldPos("PA_PAB"), iTotal = vpa.fieldPos("VPA_TOTAL");
  if (!ixPa || !ixVpa || ixPa->keyType().type != 'C' || ixVpa->keyType().type != 'C' || iPab < 0 ||
      iTotal < 0 || !tipoComum(pa.table()->fields()[static_cast<std::size_t>(iPab)].type) ||
      !tipoComum(vpa.table()->fields()[static_cast<std::size_t>(iTotal)].type))
    return false;
  const int iUid = t->fieldIndex("PRD_UID"), iCmp = t->fieldIndex("PRD_CMP"), iPa = t->fieldIndex("PRD_PA"),
            iQt = t->fieldIndex("PRD_QT_A");
  if (iUid < 0 || iCmp < 0 || iPa < 0 || iQt < 0) return false;
  const auto& f = t->fields();
  const rt::db::Field &fUid = f[static_cast<std::size_t>(iUid)], &fCmp = f[static_cast<std::size_t>(iCmp)],
                      &fPa = f[static_cast<std::size_t>(iPa)], &fQt = f[static_cast<std::size_t>(iQt)];
  if (fUid.type != 'C' || fCmp.type != 'C' || !tipoComum(fPa.type) || !tipoComum(fQt.type)) return false;
  const auto wCmp = static_cast<std::size_t>(fCmp.width), wUid = static_cast<std::size_t>(fUid.width);
  if (ix->keyType().type != 'C' || static_cast<std::size_t>(ix->keyType().size) != wCmp + wUid) return false;

  // By record number: the row's value, and 1 visible, 2 PAB.
  const std::uint32_t total = t->lastRec();
  const std::unique_ptr<double[]> valor(new double[total]);
  // Two bits a row, four rows a byte: small enough to stay in the cache
  // while the walk in index order misses it on the values.
  const std::unique_ptr<std::uint8_t[]> marcas(new std::uint8_t[total / 4 + 1]());
  auto marca = [&marcas](std::size_t i) { return (marcas[i >> 2] >> ((i & 3) * 2)) & 3; };
  struct Preco {
    double total;
    bool pab;
  };
  struct Hash {
    using is_transparent = void;
    // Keys of a dozen bytes: FNV-1a is enough and cheaper than the library's.
    std::size_t operator()(std::string_view k) const {
      std::uint64_t h = 1469598103934665603ull;
      for (char c : k) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
      return static_cast<std::size_t>(h ^ (h >> 32));
    }
  };
  std::unordered_map<std::string, Preco, Hash, std::equal_to<>> precos;
  const bool ocultos = s.rt.db.settings().deleted;
  const std::size_t wPa = fPa.type == 'C' ? std::min<std::size_t>(7, static_cast<std::size_t>(fPa.width)) : 0;
  if (wCmp + wPa > 256) return false;
  char chave[256];
  // A number field reads as Val of its bytes.
  const bool numerica = fQt.type == 'N' || fQt.type == 'F';
  const bool lido = t->scan(1, total, [&](std::uint32_t primeiro, std::uint32_t n, const char* recs) {
    const auto rl = static_cast<std::size_t>(t->recordLength());
    for (std::uint32_t k = 0; k < n; ++k, recs += rl) {
      const std::size_t i = primeiro - 1 + k;
      if (ocultos && recs[0] == '*') continue;  // its marks stay 0
      std::memcpy(chave, recs + fCmp.offset, wCmp);
      std::memcpy(chave + wCmp, recs + fPa.offset, wPa);
      auto it = precos.find(std::string_view(chave, wCmp + wPa));
      if (it == precos.end()) {
        const std::string procura(chave, wCmp + wPa);
        pa.seek(rt::Value(procura), false);
        vpa.seek(rt::Value(procura), false);
        it = precos
                 .emplace(procura,
                          Preco{numero(vpa, "VPA_TOTAL"), rt::text::equals(texto(pa, "PA_PAB"), "S", exact)})
                 .first;
      }
      double qt = 0;
      if (numerica) {
        qt = rt::text::val(std::string_view(recs + fQt.offset, static_cast<std::size_t>(fQt.width))).value;
      } else {
        const rt::Value v = t->get(iQt, recs);
        qt = v.isNumber() ? v.num() : 0;
      }
      valor[i] = qt * it->second.total;
      marcas[i >> 2] =
          static_cast<std::uint8_t>(marcas[i >> 2] | (1 | (it->second.pab ? 2 : 0)) << ((i & 3) * 2));
    }
    return true;
  });
  if (!lido) return false;

  const rt::db::KeyStore& ks = ix->keys();
  // The rows are reached in index order, far apart: a position some entries
  // ahead asks for its row's data early.
  rt::db::KeyStore::Pos adiante = ks.begin();
  for (int k = 0; k < 32; ++k) ks.next(adiante);
  auto visivel = [&](rt::db::KeyStore::Pos& p) {
    for (; !ks.atEnd(p); ks.next(p)) {
      if (!ks.atEnd(adiante)) {
        const std::uint32_t n = ks.recno(adiante);
        if (n >= 1 && n <= total) {
          __builtin_prefetch(&valor[n - 1]);
          __builtin_prefetch(&marcas[(n - 1) >> 2]);
        }
        ks.next(adiante);
      }
      if (ks.recno(p) <= total && (marca(ks.recno(p) - 1) & 1)) return;
    }
  };
  double totalPab = 0, totalOutros = 0;
  rt::db::KeyStore::Pos p = ks.begin();
  visivel(p);
  while (!ks.atEnd(p)) {
    const std::string uid(ks.key(p).substr(wCmp, wUid));
    double pab = 0, outros = 0;
    ups.seek(rt::Value(uid), false);
    mn.seek(rt::Value(texto(ups, "UPS_MN")), false);
    while (!ks.atEnd(p) && ks.key(p).substr(wCmp, wUid) == uid) {
      const std::size_t i = ks.recno(p) - 1;
      if (marca(i) & 2) {
        pab += valor[i];
        totalPab += valor[i];
      } else {
        outros += valor[i];
        totalOutros += valor[i];
      }
      ks.next(p);
      visivel(p);
    }
    fechaUnidade(s, r, mn, ups, pab, outros);
  }
  TOTAIS(s, r, totalPab, totalOutros);
  return true;
}

// The report's rows into the printer.
void escreveRelatorio(Sistema& s, Relatorio& r) {
  FPO_ROUTINE(s, "escreveRelatorio");
  FPO_LINE(s);
  auto& db = s.rt.db;
  const Areas a{*db.find("MN"), *db.find("UPS"), *db.find("PA"), *db.find("VPA"), *db.find("PRD")};
  if (!escreveRapido(s, r, a)) escreveLinhas(s, r, a);
}

}  // namespace

void PABFAE(Sistema& s) {
  FPO_ROUTINE(s, "PABFAE");
  auto& t = s.term();
  auto& db = s.rt.db;
  auto& dos = s.rt.dos;

  FPO_LINE(s);
  if (!abreTabelas(s)) {
    db.closeAll();
    return;
  }
  const auto arquivo = dos.resolve("PABFAE.PRN");
  if (!arquivo) {
    db.closeAll();
    return;
  }
  t.setDevice(rt::term::Terminal::Device::Printer);
  if (!t.printer().open(*arquivo, false)) {
    t.setDevice(rt::term::Terminal::Device::Screen);
    db.closeAll();
    return;
  }
  Relatorio r(s);
  FPO_LINE(s);
  escreveRelatorio(s, r);
  t.setDevice(rt::term::Terminal::Device::Screen);
  // A report that did not reach the file whole is not offered for printing.
  const bool inteiro = t.printer().close();

  while (inteiro) {
    FPO_LINE(s);
    const auto resposta = NEWALERT(s, "Relatório concluído.;Imprimir?"_cp, {"Sim", "Não"_cp});
    if (resposta != 1) break;
    if (dos.printerReady() && dos.copyToPrinter(*arquivo)) break;
    FPO_LINE(s);
    NEWALERT(s, "Impressora sem papel;ou destivada.");
  }
  db.closeAll();
}

}  // namespace fpo
