// MENU: the start-up, the main screen and its notices; LIGAMENU and
// ACHOPCOES: the menu bar, its pull-downs and the dispatch of the actions.
#include "app/menu/Menu.h"

#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "rt/term/screen_guard.h"
#include "rt/text/cp860.h"
#include "rt/text/date.h"
#include "rt/text/strings.h"
#include "rt/ui/achoice.h"

namespace fpo {

namespace key = rt::term::key;

namespace {

// The host of the outside system's downloads named in the third notice.
constexpr const char* kSitioZoz = "downloads.zoz.example";

std::string semCircunflexo(std::string_view texto) {
  std::string saida;
  for (char c : texto)
    if (c != '^') saida.push_back(c);
  return saida;
}

// Writes a text centred in 70 columns from column 3.
void centra70(Sistema& s, int linha, std::string_view texto) {
  s.term().devPos(linha, 3);
  s.term().devOut(rt::text::padC(texto, 70));
}

// Shows a notice: its region cleared, its lines, the prompt, then Enter.
void aviso(Sistema& s, int li, int ci, int lf, int cf, const std::function<void()>& linhas) {
  s.term().clear(li, ci, lf, cf);
  linhas();
  centra70(s, 24, "Tecle <ENTER>.");
  while (s.term().readKey() != key::kEnter) {
  }
}

void avisos(Sistema& s) {
  aviso(s, 7, 2, 21, 73, [&] {
    centra70(s, 8, "Novidade");
    centra70(s, 11, "Aplicativo pronto para 64 bits");
    centra70(s, 14, "Sempre Ler com ATENCAO as mensagens a Seguir.");
  });
  aviso(s, 4, 2, 21, 76, [&] {
    centra70(s, 6, "Atencao !! Informe Sobre Exames de Dialise.");
    escreve(s, 8, 3, "Considerando a Resolucao No. 43/2008 - CIB/LM, que:");
    escreve(s, 10, 3, "- Determinou ao TELIM-VUNEX que realise a identificacao dos pacientes");
    escreve(s, 11, 3, "em tratamento em cada clinica por procedencia de Pacientes em TRS.");
    escreve(s, 13, 4, "- Realise a adequacao da programacao de atendimento, proporcional ao");
    escreve(s, 14, 4, "numero de pacientes em tratamento por clinica.");
    escreve(s, 16, 4, "Verificar com ATENCAO se a Patologia Clinica da Dialise foi Toda Aprovada.");
  });
  aviso(s, 4, 2, 21, 76, [&] {
    centra70(s, 4, "Atenção 1 !!!"_cp);
    centra70(s, 5, "Antes de Calcular o Valor Bruto, verificar");
    centra70(s, 6, "a existencia de novas versoes do ZOZ,KOVA e TALMIR.");
    centra70(s, 8, "Atenção 2 !!!"_cp);
    escreve(s, 9, 3, "Etapas para Processamento do ZOZ");
    escreve(s, 10, 3, std::string("1 - Atualizar o ZOZ do Mes/Ano em ") + kSitioZoz + ".");
    escreve(s, 11, 3, "2 - Atualizar o KOVMMAAV.EXE, onde: MM-Mes, AA-Ano, V-Versao.");
    escreve(s, 12, 3, "3 - Executar o KOVA.");
    escreve(s, 13, 3, "4 - Executar o ZOZ32.EXE e CADASTRO/IMP_TXT CNES e TERC.BRASIL.");
  });
}

// "Confirma encerramento?": "Sim" ends the program.
void confirmaEncerramento(Sistema& s) {
  if (NEWALERT(s, "Confirma encerramento?", {"Sim", "Não"_cp}) == 1) {
    auto& t = s.term();
    t.setColor("");
    t.cls();
    t.devPos(0, 0);
    throw rt::err::ProgramExit(0);
  }
}

}  // namespace

void CRIAMENU(Menus& m, std::string_view TIPO, std::string TEXTO, int TECLA, std::string MENSAGEM_,
              int OPCAO) {
  if (TIPO == "H")
    m.VTHOR.push_back({std::move(TEXTO), TECLA});
  else
    m.VTVER.push_back({std::move(TEXTO), std::move(MENSAGEM_), OPCAO});
}

void criaMenus(Menus& m) {
  CRIAMENU(m, "H", "^Importação  "_cp, 279);
  CRIAMENU(m, "H", "Crí^tica   "_cp, 276);
  CRIAMENU(m, "H", "^Relatório   "_cp, 275);
  CRIAMENU(m, "H", "Referê^ncia  "_cp, 305);
  CRIAMENU(m, "H", "^Fim         ", 289);
  CRIAMENU(m, "V", " Atualizar Cadastros e Programação"_cp, 0,
           "Atualizar unidades, mantenedoras, servicos, especialidades e programação."_cp, 1);
  CRIAMENU(m, "V", " Verificar Atualizações"_cp, 0,
           "Listagem de todo o movimento de atualização do(s) município(s)."_cp, 1);
  CRIAMENU(m, "V", " Criticar Cadastros e Programação"_cp, 0,
           "Comparar cadastros e programação com arquivos do BD_NAC (DATANAC).        "_cp, 2);
  CRIAMENU(m, "V", " Verificar Críticas Realizadas"_cp, 0,
           "Listagem de todo o movimento de críticas do(s) município(s)."_cp, 2);
  CRIAMENU(m, "V", " Produção das Unidades"_cp, 0,
           "Relatório da produção das unidades dividido em PAB e outros procedimentos."_cp, 3);
  CRIAMENU(m, "V", " Define Data de Referência"_cp, 0,
           "Define data de referência a ser usada pelo sistema."_cp, 4);
  CRIAMENU(m, "V", " Finaliza Execução"_cp, 0, "Encerra serviço e rotornar ao Sistema Operacional."_cp, 5);
}

int ACHOPCOES(Sistema& s, Menus& m, int MODO, int NUMERO, int POSICAO) {
  (void)POSICAO;
  FPO_ROUTINE(s, "ACHOPCOES");
  auto& t = s.term();
  using Guarda = rt::term::ScreenGuard;
  Guarda CAMPO(t, Guarda::kRegion | Guarda::kColors, {2, 0, 24, 79});
  CAMPO.keep(Guarda::kRegion);  // put back only where the menu is drawn again
  int RET = 2;

  if (MODO == 3) {
    switch (t.lastKey()) {
      case key::kLeft:
        m.HORPOS = m.HORPOS == 1 ? static_cast<int>(m.VTHOR.size()) : m.HORPOS - 1;
        RET = 0;
        break;
      case key::kRight:
        m.HORPOS = m.HORPOS == static_cast<int>(m.VTHOR.size()) ? 1 : m.HORPOS + 1;
        RET = 0;
        break;
      case key::kEsc:
        confirmaEncerramento(s);
        break;
      case key::kEnter:
        if (m.HORPOS >= 1 && m.HORPOS <= 3 && (s.ANO_REFERENCIA == 0 || s.MES_REFERENCIA == 0)) {
          FPO_LINE(s);
          NEWALERT(s, "Informe a data de referência."_cp);
          CAMPO.restore(Guarda::kRegion);
          return 2;
        }
        if (m.AREA) m.AREA->restore(Guarda::kRegion);
        SELECIONA(s, m.LI, m.CI, m.VTHOR[static_cast<std::size_t>(m.HORPOS - 1)].texto);
        FPO_LINE(s);
        if (m.HORPOS == 5)
          confirmaEncerramento(s);
        else if (m.acao)
          m.acao(s, m.HORPOS, NUMERO);
        CAMPO.restore(Guarda::kRegion);
        m.INICIAL = NUMERO;
        break;
      default:
        break;
    }
    t.setCursor(rt::term::CursorShape::None);
    s.rt.db.closeAll();
  }

  if (NUMERO >= 1 && NUMERO <= static_cast<int>(m.MENSAGENS.size()))
    MENSAGEM(s, 24, rt::text::allTrim(m.MENSAGENS[static_cast<std::size_t>(NUMERO - 1)]));
  return RET;
}

void LIGAMENU(Sistema& s, Menus& m, int LINHA, std::string_view COROPC, std::string_view CORLET,
              std::string_view CORREA, std::string_view CORMEN) {
  FPO_ROUTINE(s, "LIGAMENU");
  auto& t = s.term();
  m.INICIAL = 1;
  m.VTTEC.clear();
  m.OPCOES.clear();
  m.MENSAGENS.clear();
  t.setCursor(rt::term::CursorShape::None);
  MENSAGEM(s, 24, "Pressione F10 ou ALT-(Letra Destacada) para ativar o menu...");

  t.devPos(LINHA, 0);
  t.devOut(std::string(80, ' '), COROPC);
  t.devPos(LINHA, 0);
  for (const auto& item : m.VTHOR) {
    const int inicio = t.col();
    t.devPos(LINHA, inicio + 1);
    t.devOut(semCircunflexo(item.texto), COROPC);
    const auto chapeu = item.texto.rfind('^');
    if (chapeu != std::string::npos && chapeu + 1 < item.texto.size()) {
      t.devPos(LINHA, inicio + static_cast<int>(chapeu) + 1);
      t.devOut(item.texto.substr(chapeu + 1, 1), CORLET);
      t.devPos(LINHA, inicio + static_cast<int>(item.texto.size()));
      m.VTTEC.push_back({item.tecla, inicio});
    }
  }
  m.AREA.emplace(t, rt::term::ScreenGuard::kRegion, rt::term::Rect{2, 0, 23, 79});
  m.AREA->keep(rt::term::ScreenGuard::kRegion);

  m.HORPOS = 0;
  while (m.HORPOS == 0) {
    const int k = t.readKey();
    for (std::size_t i = 0; i < m.VTTEC.size(); ++i) {
      if (k == m.VTTEC[i].tecla || k == key::kF10) {
        m.HORPOS = static_cast<int>(i) + 1;
        break;
      }
    }
  }

  for (;;) {
    const auto& bar = m.VTHOR[static_cast<std::size_t>(m.HORPOS - 1)];
    const int inicio = m.VTTEC[static_cast<std::size_t>(m.HORPOS - 1)].coluna;
    t.devPos(LINHA, inicio + 1);
    t.devOut(semCircunflexo(bar.texto), CORREA);

    int ALTURA = 0;
    int LARGURA = 1;
    for (const auto& v : m.VTVER) {
      if (v.opcao != m.HORPOS) continue;
      ++ALTURA;
      m.OPCOES.push_back(v.texto);
      m.MENSAGENS.push_back(v.mensagem);
      if (static_cast<int>(v.texto.size()) > LARGURA) LARGURA = static_cast<int>(v.texto.size()) + 2;
    }
    m.LI = LINHA;
    m.CI = inicio;
    m.LF = LINHA + ALTURA + 4;
    m.CF = m.CI + LARGURA + 3;

    t.setColor("0+/W");
    JANELA(s, m.LI + 1, m.CI, m.LF - 2, m.CF, {}, "S", 8);
    t.setColor(CORMEN);
    t.clearTypeAhead();
    t.stuff(1);
    FPO_LINE(s);
    rt::ui::achoice(
        t, m.LI + 2, m.CI + 1, m.LF - 3, m.CF - 1, m.OPCOES, {},
        [&](int modo, int numero, int posicao) { return ACHOPCOES(s, m, modo, numero, posicao); }, m.INICIAL);
    m.AREA->restore(rt::term::ScreenGuard::kRegion);
    m.OPCOES.clear();
    m.MENSAGENS.clear();
  }
}

void MENU(Sistema& s) {
  FPO_ROUTINE(s, "MENU");
  auto& t = s.term();

  t.cls();
  t.devPos(0, 0);
  s.GETLIST.clear();
  t.setCancel(true);
  s.rt.db.settings().deleted = true;
  s.IMPRESSORA = false;
  // An import cut off while it switched ZOZ's tables is finished first.
  const rt::db::Switch::Recovery recuperacao = recuperaImportacao(s);

  t.cls();
  t.setColor("W/0");
  t.dispBox(0, 0, 24, 79, std::string(9, static_cast<char>(176)));
  t.devPos(0, 0);
  t.devOut(rt::text::padC(
               "· Atualização da Ficha de Programação Orçamentaria-FPO dos Municípios em Gestão ·"_cp, 80),
           "W+/B");
  t.devPos(1, 0);
  t.devOut(" Data:                 ║    Referência: 0000/00   ║ KOVA/TELIM/VUNEX V.11/2022 A"_cp, "W/B");
  t.setColor("GR+/B");
  t.devPos(1, 7);
  t.devOut(rt::text::dtoc(rt::Date::today()));
  avisaRecuperacao(s, recuperacao);

  FPO_LINE(s);
  DATREF(s);

  if (s.rt.dos.fileExists("ZOZ.EXE")) s.rt.dos.deleteFile("ZOZ.EXE");

  MENSAGEM(s, 24, "Criando arquivo \\ZOZ\\CTL.DBF;Tecle <ENTER> para continuar!!!");
  FPO_LINE(s);
  preparaCtl(s);

  {
    const rt::term::ScreenGuard WCOR(t, rt::term::ScreenGuard::kColors);
    t.setColor("");
    t.setColor("w/r+,,,,n/gr");
    avisos(s);
  }
  s.rt.db.closeAll();

  Menus m;
  criaMenus(m);
  m.acao = ACAO;
  FPO_LINE(s);
  LIGAMENU(s, m, 2, "0/W", "R/W", "R*/W", "0/W, W+/R");
}

}  // namespace fpo
