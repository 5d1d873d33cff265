// IMPORTAR: the import run, its folder tests and its two prompts.
#include "app/importar/Importar.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/arquivos.h"
#include "app/funcoes/Funcoes.h"
#include "app/importar/passos.h"
#include "rt/db/switch.h"
#include "rt/term/keys.h"
#include "rt/term/screen_guard.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"

namespace fpo {

namespace {

using importar::Importacao;
namespace key = rt::term::key;

enum class Fim { Inicio, Menu };

// The run given up while it built a table: nothing of it is installed.
struct Cancelada {
  std::string tabela;
};

std::string nadaAlterado() { return "Importação cancelada: nenhuma tabela foi alterada."_cp; }

// The run's writes into ZOZ's tables, staged while it lives and switched in
// together by conclui(); dropped when the run ends otherwise. While it
// builds them, an error answered Default (by the operator or quietly) ends
// the run: nothing is installed from what such a read or write gave.
class Unidade {
 public:
  Unidade(Sistema& s, Importacao& r) : s_(s), r_(r) {
    if (const auto jornal = s.rt.db.resolve(kJornal, "")) {
      troca_.emplace(*jornal, arquivosDaImportacao());
      s.rt.db.stageIn(&*troca_);
    }
    // A table that cannot be opened (another program holds it) fails
    // quietly, as always; its first use is then such an error.
    s.rt.errors.watchDefaults([&r](const rt::err::Error& e) {
      if (e.genCode != rt::err::kOpen) throw Cancelada{r.montando};
    });
  }
  ~Unidade() {
    s_.rt.errors.watchDefaults({});
    s_.rt.db.leaveSwitch();
  }
  Unidade(const Unidade&) = delete;
  Unidade& operator=(const Unidade&) = delete;

  // True when every table was switched in. A switch given up (a file in the
  // way, a failure before anything was renamed) leaves every table as it
  // was and is told here.
  bool conclui() {
    s_.rt.errors.watchDefaults({});
    const auto feita = s_.rt.db.switchOver();
    if (feita) {
      if (r_.outrosIndices) apagaOutrosIndices();
      return true;
    }
    if (feita.file.empty()) return false;
    const std::string nome = s_.rt.dos.fileName(feita.file.string());
    if (feita.inTheWay)
      alertar(s_,
              "Arquivo "_cp + nome +
                  " não pode ser substituído;(pasta, arquivo protegido ou em uso por outro programa).;"_cp +
                  nadaAlterado());
    else
      alertar(s_, "Erro na gravação de "_cp + nome + ".;" + nadaAlterado());
    return false;
  }

 private:
  // DEL \ZOZ\*.NTX, but for the index files just switched in.
  void apagaOutrosIndices() {
    const auto& proprios = arquivosDaImportacao();
    for (const std::string& nome : s_.rt.dos.listFiles("\\ZOZ\\*.NTX"))
      if (std::none_of(proprios.begin(), proprios.end(),
                       [&](const std::string& p) { return rt::text::sameNoCase(p, nome); }))
        s_.rt.dos.deleteFile("\\ZOZ\\" + nome);
  }

  Sistema& s_;
  Importacao& r_;
  std::optional<rt::db::Switch> troca_;
};

std::string maiusculas(std::string_view s) { return rt::text::upperAscii(s); }

// The complement screen and percentage; ends the program after Esc.
void perguntaComplemento(Sistema& s) {
  FPO_ROUTINE(s, "perguntaComplemento");
  auto& t = s.term();
  const rt::term::ScreenGuard cor(t, rt::term::ScreenGuard::kColors);
  t.setColor("w/b");
  t.clear(10, 1, 21, 78);
  const char* const linhas[] = {
      "Atencao !!!!!!", "Para os Municipio que forem fazer Complemento Federal, informar abaixo",
      "o percentual de Complemento de 0% ate 100%", "Caso o Municipio NAO faca Complemento Digitar 0%"};
  for (int i = 0; i < 4; ++i) {
    t.devPos(11 + 2 * i, 2);
    t.devOut(linhas[i]);
  }
  for (;;) {
    rt::Value WVALCOM = rt::Value::number(0);
    s.WVALCOM = 0;
    t.devPos(20, 2);
    t.devOut("Complemento de:");
    s.GETLIST.add(t, t.row(), t.col() + 1, WVALCOM, "@E 999%",
                  [](const rt::Value& v) { return v.isNumber() && v.num() >= 0 && v.num() <= 100; });
    rt::ui::readModal(t, s.GETLIST);
    s.WVALCOM = WVALCOM.isNumber() ? WVALCOM.num() : 0;
    if (t.lastKey() == key::kEsc) {
      t.cls();
      s.GETLIST.clear();
      t.devPos(12, 12);
      t.devOut("Acessar o KOVA Novamente");
      throw rt::err::ProgramExit(0);
    }
    FPO_LINE(s);
    const auto resposta =
        NEWALERT(s, "Confirma Percentual de Complemento: " + rt::text::transformNumber(*s.WVALCOM, "@E 999%"),
                 {"Sim", "Nao"});
    if (resposta == 1) break;
  }
  cor.restore(rt::term::ScreenGuard::kColors);
  t.devPos(12, 1);
  t.devOut(rt::text::padC("Realizando a  importacao  dos  arquivos", 78));
  t.devPos(13, 1);
  t.devOut(rt::text::padC("necessarios para o processamento do ZOZ", 78));
}

// One pass of the run, from its folder tests on.
Fim passoImportacao(Sistema& s, Importacao& r) {
  auto& dos = s.rt.dos;
  auto& db = s.rt.db;
  r.ERRO.value = 0;
  r.UNIDADE = "\\ZOZ";

  if (dos.listFiles(r.UNIDADE + "\\*.???").empty()) {
    alertar(s, "Disquete vazio.");
    return Fim::Menu;
  }
  const std::string atual = dos.curDir();
  if (!rt::text::equals(maiusculas(rt::text::allTrim(atual)), "ZOZ", db.settings().exact)) {
    alertar(s, "Voce esta posicionado no diretorio/pasta (" + atual +
                   ").;P O S I C I O N E - S E    N A    P A S T A  \\ZOZ");
    return Fim::Menu;
  }
  for (const char* nome : {"S_MNT", "S_UPS", "S_SRV", "S_EMU", "S_IPU", "ZOZ_CTRL"}) {
    if (!dos.fileExists("\\ZOZ\\" + std::string(nome) + "." + r.extensao)) {
      alertar(s,
              "Faltando arquivo(s);necessário(s) para importação.;Descompactar o KOVA do mes e ano "
              "correspondente no;"
              "diretorio/pasta ZOZ"_cp);
      return Fim::Menu;
    }
  }

  db.closeAll();
  rt::db::Area& ctrl = abreCtrl(s, r.extensao);

  for (;;) {
    if (!perguntaMunicipio(s, r.numero)) return Fim::Menu;
    perguntaComplemento(s);
    db.select("CTRL");
    ctrl.setOrder(1);
    ctrl.goTop();
    ctrl.seek(rt::Value::number(r.numero), false);
    if (ctrl.found()) break;
    alertar(s, "Município não encontrado."_cp);
  }
  r.CODMNC = "23" + rt::text::strZero(r.numero, 4);

  // From here the tables change together or not at all. A run sent back
  // to the start keeps what it changed, as a whole.
  try {
    Unidade unidade(s, r);
    if (!importar::controleZoz(s, r) || !importar::instalaTabelas(s, r))
      return unidade.conclui() ? Fim::Inicio : Fim::Menu;
    importar::complementoFederal(s, r);
    db.commitAll();
    if (!unidade.conclui()) return Fim::Menu;
  } catch (const Cancelada& c) {
    alertar(s, "Erro na leitura ou montagem de "_cp + c.tabela + ".;" + nadaAlterado());
    return Fim::Menu;
  }
  NEWALERT(s, "Processo Concluído"_cp, {"Ok!"});
  return Fim::Menu;
}

}  // namespace

void IMPORTAR(Sistema& s) {
  FPO_ROUTINE(s, "IMPORTAR");
  Importacao r(s);
  r.extensao = s.REF_ARQUIVO.value_or("");
  r.periodo = rt::text::strZero(s.ANO_REFERENCIA, 4) + rt::text::strZero(s.MES_REFERENCIA, 2);
  while (passoImportacao(s, r) == Fim::Inicio) FPO_LINE(s);
}

}  // namespace fpo
