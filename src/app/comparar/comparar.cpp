// COMPARAR: the critique run. Drive choice and probe, file checks, the
// municipality, the probe of the national units file, the five sections,
// then the control-table row and the printing question.
#include "app/comparar/Comparar.h"

#include <cctype>

#include "app/comparar/critica.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"
#include "rt/text/date.h"
#include "rt/text/number.h"

namespace fpo {

namespace {

using comparar::Critica;
namespace key = rt::term::key;

enum class Fim { Inicio, Menu, Secoes };

// Only a month of two digits names national files.
bool mesValido(const std::string& m) {
  return m.size() == 2 && std::isdigit(static_cast<unsigned char>(m[0])) &&
         std::isdigit(static_cast<unsigned char>(m[1]));
}

// The report's name: "CRI", the municipality, "." and characters 4 to 6 of
// the list's DATREF; a character that cannot stand in a file name becomes "_".
std::string nomeRelatorio(Critica& c, const std::string& datref) {
  std::string ext(rt::text::subStr(datref, 4, 3));
  for (char& ch : ext)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return "CRI" + rt::text::strZero(c.CODMNC, 4) + "." + ext;
}

void fecha(Sistema& s, std::string_view alias) {
  if (rt::db::Area* a = s.rt.db.find(alias)) a->close();
}

// One pass of the set-up, from the drive choice to the probe.
Fim passoCritica(Sistema& s, Critica& c) {
  FPO_ROUTINE(s, "passoCritica");
  auto& t = s.term();
  auto& dos = s.rt.dos;
  auto& db = s.rt.db;

  FPO_LINE(s);
  const auto botao =
      NEWALERT(s, "Escolha a unidade;e tecle <Enter>;quando estiver pronto.", {"A:", "B:", "\\ZOZ"});
  if (t.lastKey() == key::kEsc) return Fim::Menu;
  c.ERRO.value = 0;
  dos.diskSpace(botao == 1 ? 'A' : botao == 2 ? 'B' : 'C');
  c.UNIDADE = botao == 1 ? "A:" : botao == 2 ? "B:" : "\\ZOZ";
  if (c.ERRO.value == 21) {
    alertar(s, "Não foi encontrado;disquete na unidade."_cp);
    return Fim::Inicio;
  }
  if (dos.listFiles(c.UNIDADE + "\\*.???").empty()) {
    alertar(s, "Disquete vazio.");
    return Fim::Inicio;
  }
  for (const char* nome : {"S_MNT.", "S_UPS.", "S_SRV.", "S_EMU.", "S_IPU.", "ZOZ_CTRL."}) {
    if (!dos.fileExists("\\ZOZ\\" + std::string(nome) + c.REF_ARQUIVO)) {
      alertar(s, "Faltando arquivo(s) no disco rígido;necessário(s) para comparação."_cp);
      return Fim::Inicio;
    }
  }

  FPO_LINE(s);
  rt::db::Area& ctrl = abreCtrl(s, c.REF_ARQUIVO);
  c.REF_ARQ = rt::text::subStr(c.lista.c("DATREF"), 5, 2);

  for (const char* stem : {"\\FMANLM", "\\FUPSLM", "\\FSRVLM", "\\FESPLM", "\\FAFOLM"}) {
    if (!mesValido(c.REF_ARQ) || !dos.fileExists(c.nacional(stem))) {
      alertar(s,
              "Faltando arquivo(s) no disquete;necessário(s) para comparação ou;arquivos de Cadastro e "
              "Programação;estão com Data de Referência; diferentes dos arquivos do disquete."_cp);
      fecha(s, "CTRL");
      return Fim::Inicio;
    }
  }

  for (;;) {
    FPO_LINE(s);
    if (!perguntaMunicipio(s, c.CODMNC)) return Fim::Menu;
    db.select("CTRL");
    ctrl.setOrder(1);
    ctrl.goTop();
    ctrl.seek(rt::Value::number(c.CODMNC), false);
    if (ctrl.found()) break;
    alertar(s, "Código do Município Inválido ou Inexistente."_cp);
  }

  c.ARQUIVO = "\\ZOZ\\UPS";
  db.create(c.ARQUIVO,
            {{"CODEST", 'C', 2, 0}, {"CODDER", 'C', 3, 0}, {"CODDIS", 'N', 3, 0}, {"CODMNC", 'C', 4, 0}});
  db.use(c.ARQUIVO, "MUNICIPIO", true);
  rt::db::Area& probe = db.current();
  probe.appendSdf(c.nacional("\\FUPSLM"));
  if (probe.used() && probe.lastRec() > 0) probe.goTo(probe.lastRec());
  Tabela municipio(s, "MUNICIPIO");
  if (valor(municipio.c("CODMNC")) != c.CODMNC) {
    alertar(s, "Código do município incompatível;com os arquivos encontrados."_cp);
    fecha(s, "MUNICIPIO");
    fecha(s, "CTRL");
    return Fim::Inicio;
  }
  c.relatorio = nomeRelatorio(c, c.lista.c("DATREF"));
  return Fim::Secoes;
}

// The critique's date and outcome in the control table; true without errors.
bool registraCritica(Sistema& s, Critica& c) {
  FPO_ROUTINE(s, "registraCritica");
  const std::string periodo = rt::text::strZero(s.ANO_REFERENCIA, 4) + rt::text::strZero(s.MES_REFERENCIA, 2);
  rt::db::Area& ctl = linhaDoControle(s, "Str(DATREF, 6) + Str(CODMNC, 4)", periodo, c.CODMNC);
  ctl.put("DATSES", rt::Value(rt::Date::today()));
  bool semErros = true;
  for (const auto& e : c.ERROS)
    if (e.value_or(false)) semErros = false;
  if (semErros) MENSAGEM(s, 24, "Atualizando CTL.DBF");
  ctl.put("STASES", rt::Value(std::string(semErros ? "C" : "E")));
  ctl.commit();
  return semErros;
}

// One copy of the finished report to Lpt1.
void imprimeRelatorio(Sistema& s, Critica& c) {
  FPO_ROUTINE(s, "imprimeRelatorio");
  s.rt.dos.printFile(c.relatorio);
}

}  // namespace

void COMPARAR(Sistema& s) {
  FPO_ROUTINE(s, "COMPARAR");
  auto& t = s.term();
  Critica c(s);
  c.REF_ARQUIVO = s.REF_ARQUIVO.value_or("");
  for (;;) {
    FPO_LINE(s);
    const Fim fim = passoCritica(s, c);
    if (fim == Fim::Menu) return;
    if (fim == Fim::Secoes) break;
  }

  for (comparar::Fabrica f : {comparar::MANTENEDORAS, comparar::UNIDADES, comparar::SERVICOS,
                              comparar::ESPECIALIDADES, comparar::ORCAMENTO}) {
    auto secao = f(s, c);
    FPO_LINE(s);
    comparar::criticaSecao(s, c, *secao);
  }

  t.setDevice(rt::term::Terminal::Device::Screen);
  t.printer().close();

  FPO_LINE(s);
  const bool semErros = registraCritica(s, c);
  const std::string fim = semErros ? "Crítica sem erros.;"_cp : "Crítica com erros.;"_cp;
  for (;;) {
    FPO_LINE(s);
    const auto resposta = NEWALERT(s, fim + "Imprimir?", {"Sim", "Não"_cp});
    if (resposta != 1) break;
    if (!s.rt.dos.printerReady()) {
      FPO_LINE(s);
      NEWALERT(s, "Impressora sem papel;ou destivada.");
      continue;
    }
    FPO_LINE(s);
    imprimeRelatorio(s, c);
  }
  s.rt.db.closeAll();
}

}  // namespace fpo
