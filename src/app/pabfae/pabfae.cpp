// PABFAE: the production report "PABFAE.PRN" and its printing.
#include "app/pabfae/Pabfae.h"

#include <cmath>
#include <condition_variable>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/ambiente.h"
#include "app/campos.h"
#include "app/funcoes/Funcoes.h"
#include "rt/db/threads.h"
#include "rt/os/os.h"
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

  // A unit's line up to its values.
  static std::string nomeUnidade(Area& ups) {
    std::string id = impresso(texto(ups, "UPS_ID"));
    id.resize(7, ' ');
    std::string nome(rt::text::subStr(impresso(texto(ups, "UPS_NMFN")), 1, 33));
    nome.resize(33, ' ');
    return id.substr(2, 4) + "-" + id.substr(6, 1) + " " + nome + " ";
  }

  void unidade(const std::string& nome, const std::string& valores) { linha(1, nome + valores); }

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

// A unit's rows done: its line (nome() gives it up to the values, asked
// for after the page's header), and the page's end when it is full.
template <class Nome>
void fechaUnidade(Sistema& s, Relatorio& r, Area& mn, Nome nome, const std::string& valores) {
  auto& t = s.term();
  if (t.printer().prow() == 0) r.cabecalho(mn);
  r.unidade(nome(), valores);
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
    fechaUnidade(
        s, r, mn, [&ups] { return Relatorio::nomeUnidade(ups); }, Relatorio::valores(pab, outros));
  }
  TOTAIS(s, r, totalPab, totalOutros);
}

bool tipoComum(char t) { return t == 'C' || t == 'N' || t == 'F' || t == 'D' || t == 'L'; }

// The same walk without reading S_PRD in index order: passes in record
// order on several threads give each row's value and whether it counts as
// PAB (the procedure and price sought once per competence and procedure),
// the values are then gathered in index order, and the unit groups come
// from the index entries alone, summed on another thread while this one
// prints. Sums are made in the same order as the row-by-row walk. False,
// with nothing printed, when the tables are not of the usual kind (the
// row-by-row walk then does the report).
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

  struct Preco {
    double total;
    bool pab;
  };
  struct Hash {
    using is_transparent = void;
    // Keys of a dozen bytes, eight at a time (the last eight overlapping),
    // then every bit spread over the low ones that pick a slot.
    std::size_t operator()(std::string_view k) const {
      std::uint64_t h = k.size() * 0x9E3779B97F4A7C15ull;
      auto mistura = [&h](std::uint64_t w) {
        h = (h ^ w) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
      };
      if (k.size() < 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, k.data(), k.size());
        mistura(w);
      } else {
        for (std::size_t i = 0;; i += 8) {
          if (i + 8 > k.size()) i = k.size() - 8;
          std::uint64_t w;
          std::memcpy(&w, k.data() + i, 8);
          mistura(w);
          if (i + 8 == k.size()) break;
        }
      }
      h ^= h >> 33;
      h *= 0xFF51AFD7ED558CCDull;
      h ^= h >> 33;
      h *= 0xC4CEB9FE1A85EC53ull;
      h ^= h >> 33;
      return static_cast<std::size_t>(h);
    }
  };
  const bool ocultos = s.rt.db.settings().deleted;
  const std::size_t wPa = fPa.type == 'C' ? std::min<std::size_t>(7, static_cast<std::size_t>(fPa.width)) : 0;
  const std::size_t wChave = wCmp + wPa;
  if (wChave > 256) return false;
  auto chaveDe = [&](const char* rec, char* chave) {
    std::memcpy(chave, rec + fCmp.offset, wCmp);
    std::memcpy(chave + wCmp, rec + fPa.offset, wPa);
    return std::string_view(chave, wChave);
  };
  const auto rl = static_cast<std::size_t>(t->recordLength());
  const std::uint32_t total = t->lastRec();

  // One pass in record order on several threads: each visible row's
  // quantity, and a number for its competence and procedure (a Val of the
  // field's bytes; a field of another type reads 0).
  const std::unique_ptr<double[]> valor(new double[total]);
  rt::os::adviseLarge(valor.get(), total * sizeof(double));
  constexpr std::uint32_t kOculta = ~0u;
  std::unique_ptr<std::uint32_t[]> qual(new std::uint32_t[total]);
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> numeros;
  std::vector<std::string_view> procuradas;  // by number
  std::mutex guarda;
  const bool numerica = fQt.type == 'N' || fQt.type == 'F';
  const bool lido = t->scanParallel(1, total, [&](std::uint32_t primeiro, std::uint32_t n, const char* recs) {
    // Numbers of this run first (an open table of its keys), then the
    // shared ones.
    std::vector<char> chaves;
    std::vector<std::uint32_t> vaga(64, kOculta);
    std::uint32_t novas = 0;
    auto chaveN = [&](std::uint32_t j) { return std::string_view(chaves.data() + j * wChave, wChave); };
    auto coloca = [&](std::size_t h, std::uint32_t j) {
      std::size_t at = h & (vaga.size() - 1);
      while (vaga[at] != kOculta) at = (at + 1) & (vaga.size() - 1);
      vaga[at] = j;
    };
    char chave[256];
    std::uint32_t* const q = qual.get() + (primeiro - 1);
    double* const v = valor.get() + (primeiro - 1);
    for (std::uint32_t k = 0; k < n; ++k, recs += rl) {
      if (ocultos && recs[0] == '*') {
        q[k] = kOculta;
        v[k] = 0;
        continue;
      }
      const std::string_view c = chaveDe(recs, chave);
      const std::size_t h = Hash()(c);
      std::size_t at = h & (vaga.size() - 1);
      while (vaga[at] != kOculta && chaveN(vaga[at]) != c) at = (at + 1) & (vaga.size() - 1);
      if (vaga[at] != kOculta) {
        q[k] = vaga[at];
      } else {
        chaves.insert(chaves.end(), c.begin(), c.end());
        q[k] = vaga[at] = novas++;
        if (novas * 2 > vaga.size()) {
          vaga.assign(vaga.size() * 2, kOculta);
          for (std::uint32_t j = 0; j < novas; ++j) coloca(Hash()(chaveN(j)), j);
        }
      }
      v[k] =
          numerica
              ? rt::text::val(std::string_view(recs + fQt.offset, static_cast<std::size_t>(fQt.width))).value
              : 0;
    }
    std::vector<std::uint32_t> comum(novas);
    {
      const std::lock_guard<std::mutex> g(guarda);
      for (std::uint32_t j = 0; j < novas; ++j) {
        auto it = numeros.find(chaveN(j));
        if (it == numeros.end()) {
          it = numeros.emplace(std::string(chaveN(j)), static_cast<std::uint32_t>(procuradas.size())).first;
          procuradas.push_back(it->first);
        }
        comum[j] = it->second;
      }
    }
    for (std::uint32_t k = 0; k < n; ++k)
      if (q[k] != kOculta) q[k] = comum[q[k]];
    return true;
  });
  if (!lido) return false;

  // The procedure and price sought once for each competence and procedure;
  // then by record number the row's value, and 1 visible, 3 visible and PAB.
  std::vector<Preco> precos;
  precos.reserve(procuradas.size());
  for (const std::string_view procura : procuradas) {
    pa.seek(rt::Value(std::string(procura)), false);
    vpa.seek(rt::Value(std::string(procura)), false);
    precos.push_back({numero(vpa, "VPA_TOTAL"), rt::text::equals(texto(pa, "PA_PAB"), "S", exact)});
  }
  const std::unique_ptr<std::uint8_t[]> marca(new std::uint8_t[total]);
  const unsigned partes = rt::db::workThreads();
  rt::db::onThreads(partes, [&](unsigned parte) {
    const std::size_t de = std::size_t{total} * parte / partes,
                      ate = std::size_t{total} * (parte + 1) / partes;
    for (std::size_t i = de; i < ate; ++i) {
      if (qual[i] == kOculta) {
        marca[i] = 0;
        continue;
      }
      const Preco& p = precos[qual[i]];
      valor[i] = valor[i] * p.total;
      marca[i] = p.pab ? 3 : 1;
    }
  });
  qual.reset();

  // The same in index order, a part at a time: the next part is gathered
  // on other threads while this one sums the part before in a row.
  const rt::db::KeyStore& ks = ix->keys();
  const std::size_t entradas = ks.size();
  constexpr std::size_t kParte = std::size_t{1} << 17;
  struct Lote {
    std::unique_ptr<double[]> valor{new double[kParte]};
    std::unique_ptr<std::uint8_t[]> marca{new std::uint8_t[kParte]};
  };
  Lote atual, proximo;
  // The rows are far apart: a position some entries ahead asks for its
  // row's data early.
  constexpr std::size_t kAdiante = 32;
  auto junta = [&](std::size_t inicio, Lote& l, unsigned fios) {
    const std::size_t n = std::min(kParte, entradas - inicio);
    rt::db::onThreads(fios, [&, inicio, n, fios](unsigned parte) {
      const std::size_t de = inicio + n * parte / fios, ate = inicio + n * (parte + 1) / fios;
      rt::db::KeyStore::Pos q = ks.at(de), adiante = ks.at(std::min(de + kAdiante, ate));
      for (std::size_t e = de; e < ate; ++e, ks.next(q)) {
        if (e + kAdiante < ate) {
          const std::uint32_t m = ks.recno(adiante);
          if (m >= 1 && m <= total) {
            __builtin_prefetch(&valor[m - 1]);
            __builtin_prefetch(&marca[m - 1]);
          }
          ks.next(adiante);
        }
        const std::uint32_t w = ks.recno(q);
        const bool dentro = w >= 1 && w <= total;
        l.valor[e - inicio] = dentro ? valor[w - 1] : 0;
        l.marca[e - inicio] = dentro ? marca[w - 1] : 0;
      }
    });
  };
  std::size_t inicio = 0;
  // Two threads keep ahead of the sums, leaving the others to the system.
  const unsigned fiosAdiante = std::min(partes, 2u);
  // Waited for however the walk ends (an error may unwind it).
  struct Juntando {
    std::thread t;
    ~Juntando() {
      if (t.joinable()) t.join();
    }
  } juntando;
  auto adianta = [&](std::size_t de) {
    if (de >= entradas) return;
    try {
      juntando.t = std::thread(junta, de, std::ref(proximo), fiosAdiante);
    } catch (const std::system_error&) {
      junta(de, proximo, fiosAdiante);  // no thread to be had: gathered here
    }
  };
  if (entradas > 0) junta(0, atual, partes);
  adianta(kParte);
  // Entry e's value and marks; e only grows.
  auto entrada = [&](std::size_t e) {
    if (e >= inicio + kParte) {
      if (juntando.t.joinable()) juntando.t.join();
      std::swap(atual, proximo);
      inicio += kParte;
      adianta(inicio + kParte);
    }
    return std::pair<double, std::uint8_t>(atual.valor[e - inicio], atual.marca[e - inicio]);
  };

  // The units in order with their sums and values formatted, on another
  // thread, in batches; the first entry of each gives the unit.
  struct Grupo {
    rt::db::KeyStore::Pos inicio;
    std::string valores;
  };
  std::mutex filaGuarda;
  std::condition_variable filaSinal;
  std::vector<Grupo> fila;
  bool acabou = false, desiste = false;
  double totalPab = 0, totalOutros = 0;
  auto soma = [&] {
    std::vector<Grupo> lote;
    auto entrega = [&](bool fim) {
      const std::lock_guard<std::mutex> g(filaGuarda);
      fila.insert(fila.end(), std::make_move_iterator(lote.begin()), std::make_move_iterator(lote.end()));
      acabou = fim;
      filaSinal.notify_all();
      lote.clear();
      return !desiste;
    };
    rt::db::KeyStore::Pos p = ks.begin();
    std::size_t e = 0;
    auto visivel = [&] {
      for (; e < entradas && !(entrada(e).second & 1); ++e) ks.next(p);
    };
    visivel();
    while (e < entradas) {
      const rt::db::KeyStore::Pos inicioUnidade = p;
      const std::string_view uid = ks.key(p).substr(wCmp, wUid);
      double pab = 0, outros = 0;
      while (e < entradas && ks.key(p).substr(wCmp, wUid) == uid) {
        const auto [v, m] = entrada(e);
        if (m & 2) {
          pab += v;
          totalPab += v;
        } else {
          outros += v;
          totalOutros += v;
        }
        ks.next(p);
        ++e;
        visivel();
      }
      lote.push_back({inicioUnidade, Relatorio::valores(pab, outros)});
      if (lote.size() == 256 && !entrega(false)) return;
    }
    entrega(true);
  };
  // Waited for however the printing ends (an error may unwind it).
  struct Somando {
    std::thread t;
    std::mutex& m;
    bool& desiste;
    ~Somando() {
      if (!t.joinable()) return;
      {
        const std::lock_guard<std::mutex> g(m);
        desiste = true;
      }
      t.join();
    }
  } somando{{}, filaGuarda, desiste};
  try {
    somando.t = std::thread(soma);
  } catch (const std::system_error&) {
    soma();  // no thread to be had: summed here first
  }

  // The lines in order. A unit comes back once a competence: its line up to
  // the values is kept, and its rows are sought again only for a page's
  // header.
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> nomes;
  nomes.reserve(ups.lastRec());
  std::vector<Grupo> prontos;
  for (;;) {
    {
      std::unique_lock<std::mutex> g(filaGuarda);
      filaSinal.wait(g, [&] { return !fila.empty() || acabou; });
      if (fila.empty()) break;
      prontos.swap(fila);
    }
    for (const Grupo& grupo : prontos) {
      const std::string uid(ks.key(grupo.inicio).substr(wCmp, wUid));
      auto nome = nomes.find(uid);
      if (nome == nomes.end() || s.term().printer().prow() == 0) {
        ups.seek(rt::Value(uid), false);
        mn.seek(rt::Value(texto(ups, "UPS_MN")), false);
      }
      fechaUnidade(
          s, r, mn,
          [&]() -> const std::string& {
            if (nome == nomes.end()) nome = nomes.emplace(uid, Relatorio::nomeUnidade(ups)).first;
            return nome->second;
          },
          grupo.valores);
    }
    prontos.clear();
  }
  if (somando.t.joinable()) somando.t.join();
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
