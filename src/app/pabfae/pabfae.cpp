// PABFAE: the production report "PABFAE.PRN" and its printing.
#include "app/pabfae/Pabfae.h"

#include <cmath>
#include <string>
#include <string_view>

#include "app/ambiente.h"
#include "app/campos.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/screen_guard.h"
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

// A field of the rows a look-up finds, its position found once: a name the
// table lacks is told on every read, as a read by name tells it.
class Campo {
 public:
  Campo(Area& a, rt::db::Lookup& l, const char* nome) : a_(a), l_(l), nome_(nome), pos_(a.fieldPos(nome)) {}
  std::string texto() { return fpo::texto(a_, l_, pos_ >= 0 ? pos_ : campo(a_, nome_)); }

 private:
  Area& a_;
  rt::db::Lookup& l_;
  const char* nome_;
  int pos_;
};

class Relatorio {
 public:
  explicit Relatorio(Sistema& s) : s_(s), t_(s.term()) {}

  // Each line on the printer row after the current one.
  void linha(int coluna, std::string_view texto) {
    t_.devPos(t_.printer().prow() + 1, coluna);
    t_.devOut(texto);
  }

  void cabecalho(Campo& mnIbge, Campo& mnNome) {
    const std::string ibge = impresso(mnIbge.texto());
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
                             " " + std::string(rt::text::allTrim(impresso(mnNome.texto()))),
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

  // A unit's line.
  void unidade(Campo& upsId, Campo& upsNome, double pab, double outros) {
    std::string id = impresso(upsId.texto());
    id.resize(7, ' ');
    const std::string nome = impresso(upsNome.texto());
    linha_.assign(id, 2, 4);
    linha_ += '-';
    linha_ += id[6];
    linha_ += ' ';
    linha_ += rt::text::subStr(nome, 1, 33);
    linha_.resize(41, ' ');
    linha_ += valores(pab, outros);
    linha(1, linha_);
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
  std::string linha_;
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

void TOTAIS(Sistema& s, Relatorio& r, double totalPab, double totalOutros) {
  r.linha(0, kTracos);
  r.totais(totalPab, totalOutros);
  r.linha(0, kTracos);
  s.term().printer().eject();
}

// The walk over S_PRD in competence and unit order, a group of rows per run
// of equal PRD_UID. Each group's unit and municipality are sought in S_UPS
// and S_MN, each row's competence and procedure in S_PA and S_VPA, by
// look-ups that leave the tables where they stand.
void escreveRelatorio(Sistema& s, Relatorio& r) {
  FPO_ROUTINE(s, "escreveRelatorio");
  auto& p = s.term().printer();
  auto& db = s.rt.db;
  Area &mn = *db.find("MN"), &ups = *db.find("UPS"), &pa = *db.find("PA"), &vpa = *db.find("VPA"),
       &prd = *db.find("PRD");
  const int uidPrd = campo(prd, "PRD_UID"), cmpPrd = campo(prd, "PRD_CMP"), paPrd = campo(prd, "PRD_PA"),
            qtPrd = campo(prd, "PRD_QT_A"), pabPa = campo(pa, "PA_PAB"), totalVpa = campo(vpa, "VPA_TOTAL");
  rt::db::Lookup unidade(ups), municipio(mn), procedimento(pa), preco(vpa);
  Campo upsId(ups, unidade, "UPS_ID"), upsNome(ups, unidade, "UPS_NMFN"), upsMn(ups, unidade, "UPS_MN"),
      mnIbge(mn, municipio, "MN_IBGE"), mnNome(mn, municipio, "MN_NOME");
  // PRD_PA as texto() reads it: a field of another type adds nothing.
  const bool paTexto = textual(prd, paPrd);
  std::string uid, chave;
  double totalPab = 0, totalOutros = 0;
  FPO_LINE(s);
  rt::db::Walk linha(prd);
  while (linha.more()) {
    uid = linha.raw(uidPrd);
    unidade.find(uid);
    municipio.find(upsMn.texto());
    double pab = 0, outros = 0;
    while (linha.more() && igual(s, linha.raw(uidPrd), uid)) {
      chave = linha.raw(cmpPrd);
      if (paTexto) chave += rt::text::subStr(linha.raw(paPrd), 1, 7);
      procedimento.find(chave);
      preco.find(chave);
      const double valor = linha.number(qtPrd) * preco.number(totalVpa);
      if (igual(s, procedimento.raw(pabPa), "S")) {
        pab += valor;
        totalPab += valor;
      } else {
        outros += valor;
        totalOutros += valor;
      }
      linha.next();
    }
    if (p.prow() == 0) r.cabecalho(mnIbge, mnNome);
    r.unidade(upsId, upsNome, pab, outros);
    if (p.prow() > 59) {
      r.linha(0, kTracos);
      p.eject();
      ++r.pagina;
    }
  }
  TOTAIS(s, r, totalPab, totalOutros);
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
