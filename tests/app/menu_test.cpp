// The start-up and the menu: from the period to the menu and out, the three
// notices, a damaged control table, Esc at the period, moves between bar
// items, the actions' return to their item, and the menu loop's dispatch and
// period guard.
#include "app/menu/Menu.h"

#include <fstream>

#include "app/errorsys/Errorsys.h"
#include "rt/term/keys.h"
#include "rt/text/date.h"
#include "rt/text/strings.h"
#include "support/app_fixture.h"
#include "support/tables.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;
using rt::term::CursorShape;
using rt::term::Screen;
using test::AppTest;
using test::C;

class Menu : public AppTest {
 protected:
  Menu() {
    ERRORSYS(s);
    test::makeTable(drive().zoz() / "S_CTR.DBF",
                    {{"CTR_MVM", 'C', 6, 0},
                     {"CTR_FPO", 'C', 1, 0},
                     {"CTR_BDP", 'C', 1, 0},
                     {"CTR_PRD", 'C', 1, 0},
                     {"CTR_CRD", 'C', 1, 0}},
                    {{C("202211"), C("A"), C("A"), C("A"), C("A")}});
  }
  void periodo() { keys().addText("202211").add(key::kEnter); }
  void avisos() { keys().add({key::kEnter, key::kEnter, key::kEnter}); }
  void sair() { keys().add({key::kEsc, key::kEnter}); }

  int roda() {
    try {
      MENU(s);
    } catch (const rt::err::ProgramExit& e) {
      return e.code();
    }
    ADD_FAILURE() << "MENU returned";
    return -1;
  }
  // The screen at the n-th key read from the end.
  const Screen& tela(std::size_t fromEnd) { return keys().atKeys.at(keys().atKeys.size() - 1 - fromEnd); }
  // A frame line: the corners and n lines between them.
  static std::string borda(const char* esquerda, int n, const char* direita) {
    std::string out = esquerda;
    for (int i = 0; i < n; ++i) out += "─";
    return out + direita;
  }
  // The number of the first key read whose screen shows the text.
  std::size_t primeira(const std::string& utf8) {
    for (std::size_t i = 0; i < keys().atKeys.size(); ++i)
      if (shows(keys().atKeys[i], utf8)) return i;
    ADD_FAILURE() << "never shown: " << utf8;
    return 0;
  }
};

TEST_F(Menu, StartUpToTheMenuAndOut) {
  std::ofstream(drive().zoz() / "zoz.exe") << "MZ";
  periodo();
  keys().add(' ').add(key::kEsc);  // ignored by the first notice
  avisos();
  keys().add({'x', key::kEnter, key::kEsc, key::alt('X'), key::kF10});  // the menu opens on F10 only
  sair();
  EXPECT_EQ(roda(), 0);

  EXPECT_FALSE(fs::exists(drive().zoz() / "zoz.exe"));
  EXPECT_TRUE(fs::exists(drive().zoz() / "CTL.DBF"));
  EXPECT_TRUE(s.GETLIST.empty());
  // The exit leaves a cleared screen in the default colours.
  for (int r = 0; r < 25; ++r) EXPECT_EQ(text(r), std::string(80, ' ')) << r;
  EXPECT_EQ(screen().attr(10, 10), 0x07);

  // The main screen around the first notice.
  const auto& aviso = keys().atKeys.at(primeira("Novidade"));
  EXPECT_EQ(text(aviso, 0),
            "· Atualização da Ficha de Programação Orçamentaria-FPO dos Municípios em Gestão ");
  for (int c : {0, 5, 79}) EXPECT_EQ(aviso.attr(0, c), 0x1F) << c;
  EXPECT_EQ(text(aviso, 1), " Data: " + rt::text::dtoc(rt::Date::today()) +
                                "      ║    Referência: 2022/11   ║ KOVA/TELIM/VUNEX V.11/2022 A");
  for (int c : {0, 6, 17, 23, 28, 50, 52, 79}) EXPECT_EQ(aviso.attr(1, c), 0x17) << c;
  for (int c : {7, 16}) EXPECT_EQ(aviso.attr(1, c), 0x1E) << c;
  for (int r : {2, 3, 6, 22, 23}) {
    EXPECT_EQ(text(aviso, r, 0, 1), "░") << r;
    EXPECT_EQ(aviso.attr(r, 0), 0x07) << r;
  }

  // Waiting for the menu key: the bar and the prompt, the same at every
  // key that does not open the menu.
  const std::size_t espera = primeira("Pressione F10");
  const auto& barra = keys().atKeys.at(espera);
  EXPECT_EQ(text(barra, 2),
            " Importação   Crítica    Relatório    Referência   Fim                          ");
  for (int c : {1, 17, 25, 44, 51}) EXPECT_EQ(barra.attr(2, c), 0x74) << c;  // hot letters in R/W
  for (int c : {0, 2, 16, 18, 43, 52, 79}) EXPECT_EQ(barra.attr(2, c), 0x70) << c;
  EXPECT_EQ(text(barra, 24),
            rt::text::padC("Pressione F10 ou ALT-(Letra Destacada) para ativar o menu...", 80));
  EXPECT_EQ(barra.attr(24, 0), 0x70);
  EXPECT_EQ(text(barra, 4, 31, 13), "Atenção 1 !!!");
  EXPECT_EQ(keys().cursorsAtKeys.at(espera).shape, CursorShape::None);
  for (std::size_t k = espera + 1; k < espera + 5; ++k) EXPECT_EQ(keys().atKeys.at(k), barra) << k;

  // The first pull-down with its message.
  const auto& menu = tela(1);
  EXPECT_EQ(text(menu, 3, 0, 40), borda("┌", 38, "┐"));
  EXPECT_EQ(menu.attr(3, 0), 0x78);
  EXPECT_EQ(text(menu, 4, 1, 38), " Atualizar Cadastros e Programação    ");
  EXPECT_EQ(text(menu, 5, 1, 38), " Verificar Atualizações               ");
  EXPECT_EQ(menu.attr(4, 1), 0x4F);
  EXPECT_EQ(menu.attr(5, 1), 0x70);
  EXPECT_EQ(text(menu, 6, 0, 1), "└");
  EXPECT_EQ(text(menu, 6, 39, 1), "┘");
  EXPECT_EQ(menu.attr(7, 2), 0x08);
  EXPECT_EQ(menu.attr(4, 41), 0x08);
  EXPECT_EQ(menu.attr(2, 1), 0xF4);  // the bar item blinks
  EXPECT_EQ(menu.attr(2, 12), 0xF4);
  EXPECT_EQ(menu.attr(2, 14), 0x70);
  EXPECT_EQ(text(menu, 24, 3, 73),
            "Atualizar unidades, mantenedoras, servicos, especialidades e programação.");
  EXPECT_TRUE(shows(tela(0), "Confirma encerramento?"));
}

// Every line of the three notices where it stands, in bright white on red;
// a notice clears its region in that colour and waits for Enter alone.
TEST_F(Menu, Notices) {
  periodo();
  keys().add({key::kEnter, ' ', key::kEsc, key::kEnter, key::kEnter, key::kF10});
  sair();
  EXPECT_EQ(roda(), 0);

  struct Linha {
    const char* aviso;  // a text that tells the notice
    int row, col;
    std::string texto;
  };
  const std::vector<Linha> linhas = {
      {"Novidade", 8, 34, "Novidade"},
      {"Novidade", 11, 23, "Aplicativo pronto para 64 bits"},
      {"Novidade", 14, 15, "Sempre Ler com ATENCAO as mensagens a Seguir."},
      {"Novidade", 24, 31, "Tecle <ENTER>."},
      {"Dialise.", 6, 16, "Atencao !! Informe Sobre Exames de Dialise."},
      {"Dialise.", 8, 3, "Considerando a Resolucao No. 43/2008 - CIB/LM, que:"},
      {"Dialise.", 10, 3, "- Determinou ao TELIM-VUNEX que realise a identificacao dos pacientes"},
      {"Dialise.", 11, 3, "em tratamento em cada clinica por procedencia de Pacientes em TRS."},
      {"Dialise.", 13, 4, "- Realise a adequacao da programacao de atendimento, proporcional ao"},
      {"Dialise.", 14, 4, "numero de pacientes em tratamento por clinica."},
      {"Dialise.", 16, 4, "Verificar com ATENCAO se a Patologia Clinica da Dialise foi Toda Aprovada."},
      {"Dialise.", 24, 31, "Tecle <ENTER>."},
      {"Etapas", 4, 31, "Atenção 1 !!!"},
      {"Etapas", 5, 17, "Antes de Calcular o Valor Bruto, verificar"},
      {"Etapas", 6, 12, "a existencia de novas versoes do ZOZ,KOVA e TALMIR."},
      {"Etapas", 8, 31, "Atenção 2 !!!"},
      {"Etapas", 9, 3, "Etapas para Processamento do ZOZ"},
      {"Etapas", 10, 3, "1 - Atualizar o ZOZ do Mes/Ano em downloads.zoz.example."},
      {"Etapas", 11, 3, "2 - Atualizar o KOVMMAAV.EXE, onde: MM-Mes, AA-Ano, V-Versao."},
      {"Etapas", 12, 3, "3 - Executar o KOVA."},
      {"Etapas", 13, 3, "4 - Executar o ZOZ32.EXE e CADASTRO/IMP_TXT CNES e TERC.BRASIL."},
      {"Etapas", 24, 31, "Tecle <ENTER>."},
  };
  for (const auto& l : linhas) {
    const auto& t = keys().atKeys.at(primeira(l.aviso));
    const int n = static_cast<int>(rt::text::fromUtf8(l.texto).size());
    EXPECT_EQ(text(t, l.row, l.col, n), l.texto) << l.row;
    EXPECT_EQ(text(t, l.row, l.col - 1, 1), " ") << l.texto;
    EXPECT_EQ(t.attr(l.row, l.col), 0x4F) << l.texto;
  }

  // The regions, and the status line left beside the prompt on row 24.
  struct Regiao {
    const char* aviso;
    int li, ci, lf, cf;
  };
  for (const Regiao& g :
       {Regiao{"Novidade", 7, 2, 21, 73}, Regiao{"Dialise.", 4, 2, 21, 76}, Regiao{"Etapas", 4, 2, 21, 76}}) {
    const std::size_t k = primeira(g.aviso);
    const auto& t = keys().atKeys.at(k);
    for (int r = g.li; r <= g.lf; ++r) {
      EXPECT_EQ(t.attr(r, g.ci), 0x4F) << g.aviso << r;
      EXPECT_EQ(t.attr(r, g.cf), 0x4F) << g.aviso << r;
      EXPECT_EQ(text(t, r, g.ci - 1, 1), "░") << g.aviso << r;
      if (r != 16 || g.cf != 76) {
        EXPECT_EQ(text(t, r, g.cf + 1, 1), "░") << g.aviso << r;
      }
    }
    EXPECT_EQ(text(t, g.li - 1, g.ci, 1), "░") << g.aviso;
    EXPECT_EQ(text(t, g.lf + 1, g.ci, 1), "░") << g.aviso;
    EXPECT_EQ(text(t, g.lf, g.ci, g.cf - g.ci + 1),
              std::string(static_cast<std::size_t>(g.cf - g.ci + 1), ' '))
        << g.aviso;
    for (int c : {0, 2, 73, 79}) EXPECT_EQ(t.attr(24, c), 0x70) << g.aviso << c;
    for (int c : {3, 72}) EXPECT_EQ(t.attr(24, c), 0x4F) << g.aviso << c;
  }
  // The 74 characters of row 16 pass the region by one column.
  const auto& segundo = keys().atKeys.at(primeira("Dialise."));
  EXPECT_EQ(text(segundo, 16, 77, 2), ".░");
  EXPECT_EQ(segundo.attr(16, 77), 0x4F);
  // Space and Esc leave the second notice as it was.
  const std::size_t k = primeira("Dialise.");
  EXPECT_EQ(keys().atKeys.at(k + 1), keys().atKeys.at(k));
  EXPECT_EQ(keys().atKeys.at(k + 2), keys().atKeys.at(k));
  EXPECT_FALSE(shows(keys().atKeys.at(k + 3), "Dialise."));
}

// A damaged control table is set aside under the name the alert gives while
// the status line stands, a fresh one is made, and the start-up goes on to
// the notices.
TEST_F(Menu, DamagedControlTableAtStartUp) {
  const std::string junk = "\x03\x7a\x0b\x0aThis is no table at all";
  std::ofstream(drive().zoz() / "CTL.DBF", std::ios::binary) << junk;
  periodo();
  keys().add(key::kEnter);  // the alert
  avisos();
  keys().add(key::kF10);
  sair();
  EXPECT_EQ(roda(), 0);

  const auto& alerta = keys().atKeys.at(primeira("CTL.DBF danificado"));
  EXPECT_TRUE(shows(alerta, "Guardado como \\ZOZ\\CTL_DANI.DBF"));
  EXPECT_EQ(text(alerta, 24),
            rt::text::padC("Criando arquivo \\ZOZ\\CTL.DBF;Tecle <ENTER> para continuar!!!", 80));
  EXPECT_EQ(alerta.attr(24, 10), 0x70);
  primeira("Novidade");
  primeira("Pressione F10");
  std::ifstream in(drive().zoz() / "CTL_DANI.DBF", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), junk);
  EXPECT_TRUE(test::readTable(drive().zoz() / "CTL.DBF").empty());
}

TEST_F(Menu, EscAtThePeriodLeavesItUnset) {
  keys().add(key::kEsc);
  avisos();
  keys().add(key::kF10).add(key::kDown).add(key::kEnter).add(key::kEnter);  // refused, then the notice closes
  keys().add(key::kRight).add(key::kEnter).add(key::kEnter);
  keys().add(key::kRight).add(key::kEnter).add(key::kEnter);
  sair();
  EXPECT_EQ(roda(), 0);
  EXPECT_EQ(s.ANO_REFERENCIA, 0);
  EXPECT_EQ(text(keys().atKeys.at(1), 1, 40, 7), "0000/00");
  primeira("Novidade");
  primeira("Dialise.");
  primeira("Etapas");
  const auto& a = keys().atKeys;
  std::vector<std::size_t> recusas;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (shows(a[i], "Informe a data de referência.")) recusas.push_back(i);
  ASSERT_EQ(recusas.size(), 3u);
  // The pull-down is back as it was after each refusal: bar 1 on item 2,
  // and bar 2 opens on item 1 since no action ran.
  EXPECT_EQ(a.at(recusas[0] + 1), a.at(recusas[0] - 1));
  EXPECT_EQ(a.at(recusas[0] + 1).attr(5, 1), 0x4F);
  EXPECT_EQ(a.at(recusas[1] - 1).attr(4, 14), 0x4F);
  EXPECT_EQ(text(a.at(recusas[2] - 1), 4, 25, 22), " Produção das Unidades");
}

TEST_F(Menu, MovesBetweenBarItems) {
  periodo();
  avisos();
  keys().add(key::alt('N'));                                        // Alt-N opens bar item 4
  keys().add(key::kRight);                                          // 5
  keys().add(key::kRight);                                          // wraps to 1
  keys().add({key::kF10, key::alt('N'), key::alt('F'), key::kUp});  // nothing changes
  keys().add(key::kLeft);                                           // wraps to 5
  keys().add(key::kLeft).add(key::kLeft).add(key::kLeft);           // 2
  keys().add(key::kDown).add(key::kDown);                           // 2 stays on its last item
  keys().add('a').add(key::kHome).add(key::kEnd);                   // nothing moves
  sair();
  EXPECT_EQ(roda(), 0);
  const std::size_t base = primeira(" Define Data de Referência");
  EXPECT_EQ(text(keys().atKeys.at(base), 4, 38, 26), " Define Data de Referência");
  EXPECT_EQ(text(keys().atKeys.at(base), 3, 37, 32), borda("┌", 30, "┐"));
  EXPECT_EQ(text(keys().atKeys.at(base + 1), 4, 51, 18), " Finaliza Execução");
  EXPECT_EQ(text(keys().atKeys.at(base + 1), 5, 50, 24), borda("└", 22, "┘"));
  EXPECT_EQ(text(keys().atKeys.at(base + 1), 24, 15, 50),
            "Encerra serviço e rotornar ao Sistema Operacional.");
  const auto& primeiro = keys().atKeys.at(base + 2);
  EXPECT_EQ(text(primeiro, 4, 1, 10), " Atualizar");
  for (std::size_t k = base + 3; k <= base + 6; ++k) EXPECT_EQ(keys().atKeys.at(k), primeiro) << k;
  EXPECT_EQ(text(keys().atKeys.at(base + 7), 4, 51, 18), " Finaliza Execução");
  const auto& critica = keys().atKeys.at(base + 10);
  EXPECT_EQ(text(critica, 3, 13, 39), borda("┌", 37, "┐"));
  EXPECT_EQ(text(critica, 4, 14, 33), " Criticar Cadastros e Programação");
  EXPECT_EQ(text(critica, 24, 7, 66), "Comparar cadastros e programação com arquivos do BD_NAC (DATANAC).");
  EXPECT_EQ(text(critica, 24, 73, 7), "       ");
  EXPECT_EQ(critica.attr(2, 14), 0xF4);
  EXPECT_EQ(critica.attr(2, 2), 0x70);  // the earlier item is plain again
  const auto& ultimo = keys().atKeys.at(base + 12);
  EXPECT_EQ(ultimo.attr(5, 14), 0x4F);  // the second item, no wrap
  EXPECT_EQ(text(ultimo, 24, 10, 60), "Listagem de todo o movimento de críticas do(s) município(s).");
  for (std::size_t k = base + 13; k <= base + 15; ++k) EXPECT_EQ(keys().atKeys.at(k), ultimo) << k;
}

TEST_F(Menu, ActionsReturnToTheirItem) {
  periodo();
  avisos();
  test::makeTable(drive().zoz() / "S_MN.DBF", {{"MN_IBGE", 'C', 6, 0}, {"MN_NOME", 'C', 30, 0}}, {});
  keys().add(key::kF10).add(key::kDown).add(key::kEnter);     // " Verificar Atualizações"
  keys().add(key::kEsc);                                      // ... left at once
  keys().add(key::kRight);                                    // bar 2 opens on item 2
  keys().add(key::kRight);                                    // bar 3 on its only item
  keys().add(key::kRight).add(key::kEnter);                   // bar 4: the period again
  keys().add(key::kEsc);                                      // ... left with Esc
  keys().add(key::kRight).add(key::kEnter).add(key::kRight);  // bar 5: "Não"
  keys().add(key::kEnter);
  keys().add(key::kEsc).add(key::kEnter);
  EXPECT_EQ(roda(), 0);
  // (The browse takes its Esc with a peek, which the recording does not see.)
  EXPECT_EQ(keys().atKeys.at(13).attr(5, 1), 0x4F);   // bar 1 again on item 2
  EXPECT_EQ(keys().atKeys.at(14).attr(5, 14), 0x4F);  // bar 2 opens on item 2
  EXPECT_EQ(keys().atKeys.at(15).attr(4, 25), 0x4F);  // bar 3 on its only item
  // After the period dialog was left with Esc the period is unset, the header
  // keeps 2022/11 and row 2 is the bar again.
  const auto& depois = keys().atKeys.at(18);
  EXPECT_EQ(text(depois, 1, 40, 7), "2022/11");
  EXPECT_EQ(text(depois, 2, 50, 5), " Fim ");
  EXPECT_EQ(s.ANO_REFERENCIA, 0);
  // Enter on " Finaliza Execução": the pull-down is gone under the question
  // and the bar item highlighted; "Não" brings the pull-down back.
  const auto& pergunta = keys().atKeys.at(20);
  EXPECT_TRUE(shows(pergunta, "Confirma encerramento?"));
  EXPECT_EQ(pergunta.attr(2, 51), 0xF4);
  EXPECT_FALSE(shows(pergunta, "Finaliza"));
  EXPECT_EQ(text(keys().atKeys.at(22), 4, 51, 18), " Finaliza Execução");
  EXPECT_EQ(keys().atKeys.at(22), keys().atKeys.at(19));
}

// The menu loop itself, over a plain backdrop, with actions that record
// what they find and leave behind what an action may leave.
class Ligamenu : public AppTest {
 protected:
  Ligamenu() {
    ERRORSYS(s);
    test::makeTable(drive().zoz() / "T.DBF", {{"X", 'C', 1, 0}}, {});
  }
  struct Chamada {
    int bar, item;
    std::size_t lidas;  // keys read before the action
    Screen tela;
    std::uint8_t cor;
    CursorShape cursor;
  };
  std::vector<Chamada> chamadas;
  std::vector<int> digitadas;  // keys the action leaves typed ahead

  void sair() { keys().add({key::kEsc, key::kEnter}); }

  int roda() {
    term().setColor("W/0");
    term().dispBox(0, 0, 24, 79, std::string(9, static_cast<char>(176)));
    Menus m;
    criaMenus(m);
    m.acao = [this](Sistema& sis, int bar, int item) {
      auto& t = sis.term();
      chamadas.push_back(
          {bar, item, keys().atKeys.size(), t.screen(), t.colors()[rt::term::Slot::Standard], t.cursor()});
      sis.rt.db.use("T", "T", true);
      t.setColor("W+/G");
      t.clear(1, 0, 24, 79);
      t.setCursor(CursorShape::Normal);
      for (int k : digitadas) t.stuff(k);
    };
    try {
      LIGAMENU(s, m, 2, "0/W", "R/W", "R*/W", "0/W, W+/R");
    } catch (const rt::err::ProgramExit& e) {
      return e.code();
    }
  }
  bool recusou() {
    for (const auto& t : keys().atKeys)
      if (shows(t, "Informe a data de referência.")) return true;
    return false;
  }
};

TEST_F(Ligamenu, DispatchAndPeriodGuard) {
  struct Caso {
    std::vector<int> teclas;
    int bar, item;  // the action run; 0 for none
  };
  const std::vector<Caso> casos = {
      {{key::kF10, key::kEnter}, 1, 1},
      {{key::kF10, key::kDown, key::kEnter}, 1, 2},
      {{key::alt('T'), key::kEnter}, 2, 1},
      {{key::alt('T'), key::kDown, key::kEnter}, 2, 2},
      {{key::alt('R'), key::kDown, key::kEnter}, 3, 1},
      {{key::alt('I'), key::kLeft, key::kLeft, key::kEnter}, 4, 1},
      {{key::alt('F'), key::kEnter, key::kRight, key::kEnter}, 0, 0},  // "Não"
  };
  for (bool periodo : {true, false}) {
    s.ANO_REFERENCIA = periodo ? 2022 : 0;
    s.MES_REFERENCIA = periodo ? 11 : 0;
    for (const auto& c : casos) {
      chamadas.clear();
      keys().atKeys.clear();
      keys().add(c.teclas).add('x');  // 'x' closes the refusal, or does nothing
      sair();
      ASSERT_EQ(roda(), 0);
      EXPECT_EQ(keys().pending(), 0u);
      const bool recusa = !periodo && c.bar >= 1 && c.bar <= 3;
      EXPECT_EQ(recusou(), recusa) << c.bar << c.item;
      if (c.bar == 0 || recusa) {
        EXPECT_TRUE(chamadas.empty()) << c.bar;
      } else {
        ASSERT_EQ(chamadas.size(), 1u) << c.bar;
        EXPECT_EQ(chamadas[0].bar, c.bar);
        EXPECT_EQ(chamadas[0].item, c.item);
      }
    }
  }
}

// What an action finds when it starts and what the menu restores after it.
TEST_F(Ligamenu, WhatAnActionReliesOn) {
  s.ANO_REFERENCIA = 2022;
  s.MES_REFERENCIA = 11;
  // Right and Enter typed ahead during the action: Right is read by the
  // pull-down, Enter is dropped when the next one opens.
  digitadas = {key::kRight, key::kEnter};
  keys().add({key::alt('T'), key::kDown, key::kEnter, 'x'});
  sair();
  EXPECT_EQ(roda(), 0);
  ASSERT_EQ(chamadas.size(), 1u);
  const auto& c = chamadas[0];
  const auto& a = keys().atKeys;
  const Screen& antes = a.at(0);            // the bar, no pull-down
  const Screen& enter = a.at(c.lidas - 1);  // the pull-down at Enter
  const Screen& depois = a.at(c.lidas);     // bar 3 opened after the action
  for (int r = 3; r <= 23; ++r) EXPECT_EQ(c.tela.rowText(r), antes.rowText(r)) << r;
  for (int col = 0; col < 80; ++col) {
    EXPECT_EQ(c.tela.cell(2, col).ch, antes.cell(2, col).ch) << col;
    EXPECT_EQ(c.tela.attr(2, col), col >= 14 && col <= 23 ? 0xF4 : antes.attr(2, col)) << col;
  }
  EXPECT_EQ(c.cor, 0xF4);
  EXPECT_EQ(c.cursor, CursorShape::None);
  EXPECT_EQ(text(enter, 5, 14, 30), " Verificar Críticas Realizadas");

  // Row 1, which the action wrote, stays; rows 2-24 are the menu's again.
  EXPECT_EQ(depois.attr(1, 0), 0x2F);
  EXPECT_EQ(text(depois, 4, 25, 22), " Produção das Unidades");
  EXPECT_EQ(depois.attr(2, 25), 0xF4);
  EXPECT_EQ(depois.attr(2, 14), 0x70);
  for (int r = 7; r <= 23; ++r) EXPECT_EQ(depois.rowText(r), antes.rowText(r)) << r;
  EXPECT_EQ(keys().cursorsAtKeys.at(c.lidas).shape, CursorShape::None);
  EXPECT_EQ(s.rt.db.find("T"), nullptr);
  // The next pull-down drops the typed-ahead Enter: 'x' is read there.
  EXPECT_EQ(a.size(), c.lidas + 3);
}

}  // namespace
}  // namespace fpo
