#include <fstream>

#include "app/errorsys/Errorsys.h"
#include "app/menu/Menu.h"
#include "rt/term/keys.h"
#include "support/app_fixture.h"
#include "support/tables.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;
using test::AppTest;
using test::C;

class Menu : public AppTest {
 protected:
  Menu() {
    ERRORSYS(s);
    test::makeTable(drive().zoz() / "S_CTR.DBF",
                    {{"CTR_MVM", 'C', 6, 0}, {"CTR_FPO", 'C', 1, 0}, {"CTR_BDP", 'C', 1, 0}, {"CTR_PRD", 'C', 1, 0},
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
  const rt::term::Screen& tela(std::size_t fromEnd) { return keys().atKeys.at(keys().atKeys.size() - 1 - fromEnd); }
};

TEST_F(Menu, StartUpToTheMenuAndOut) {
  std::ofstream(drive().zoz() / "zoz.exe") << "MZ";
  periodo();
  keys().add(' ').add(key::kEsc);  // ignored by the first notice
  avisos();
  keys().add({'x', key::kEnter, key::kF10});  // the menu opens on F10 only
  sair();
  EXPECT_EQ(roda(), 0);

  EXPECT_FALSE(fs::exists(drive().zoz() / "zoz.exe"));
  EXPECT_TRUE(fs::exists(drive().zoz() / "CTL.DBF"));
  // The exit leaves a cleared screen in the default colours.
  for (int r = 0; r < 25; ++r) EXPECT_EQ(text(r), std::string(80, ' ')) << r;
  EXPECT_EQ(screen().attr(10, 10), 0x07);

  // The first notice with the main screen around it.
  const auto& aviso = keys().atKeys.at(7);
  EXPECT_EQ(text(aviso, 0), "· Atualização da Ficha de Programação Orçamentaria-FPO dos Municípios em Gestão ");
  EXPECT_EQ(aviso.attr(0, 5), 0x1F);
  EXPECT_EQ(text(aviso, 1, 40, 7), "2022/11");
  EXPECT_EQ(text(aviso, 1, 50, 1), "║");
  EXPECT_EQ(text(aviso, 8, 34, 8), "Novidade");
  EXPECT_EQ(aviso.attr(8, 34), 0x4F);
  EXPECT_EQ(text(aviso, 24, 31, 14), "Tecle <ENTER>.");
  EXPECT_EQ(aviso.attr(24, 0), 0x70);  // the status line around it stays
  EXPECT_EQ(aviso.attr(24, 3), 0x4F);
  EXPECT_EQ(text(aviso, 3, 0, 1), "░");
  EXPECT_EQ(aviso.attr(3, 0), 0x07);

  // Waiting for the menu key: the bar and the prompt.
  const auto& barra = tela(4);
  EXPECT_EQ(text(barra, 2), " Importação   Crítica    Relatório    Referência   Fim                          ");
  EXPECT_EQ(barra.attr(2, 1), 0x74);   // hot letter in R/W
  EXPECT_EQ(barra.attr(2, 2), 0x70);
  EXPECT_EQ(barra.attr(2, 17), 0x74);
  EXPECT_EQ(text(barra, 24, 10, 60), "Pressione F10 ou ALT-(Letra Destacada) para ativar o menu...");
  EXPECT_EQ(text(barra, 4, 31, 13), "Atenção 1 !!!");

  // The first pull-down with its message.
  const auto& menu = tela(1);
  EXPECT_EQ(text(menu, 3, 0, 40), "┌──────────────────────────────────────┐");
  EXPECT_EQ(text(menu, 4, 1, 38), " Atualizar Cadastros e Programação    ");
  EXPECT_EQ(menu.attr(4, 1), 0x4F);
  EXPECT_EQ(menu.attr(5, 1), 0x70);
  EXPECT_EQ(text(menu, 6, 0, 1), "└");
  EXPECT_EQ(menu.attr(7, 2), 0x08);
  EXPECT_EQ(menu.attr(2, 1), 0xF4);  // the bar item blinks
  EXPECT_EQ(text(menu, 24, 3, 73), "Atualizar unidades, mantenedoras, servicos, especialidades e programação.");
  EXPECT_TRUE(shows(tela(0), "Confirma encerramento?"));
}

TEST_F(Menu, EscAtThePeriodLeavesItUnset) {
  keys().add(key::kEsc);
  avisos();
  keys().add(key::kF10).add(key::kEnter).add(key::kEnter);  // refused, then the notice closes
  keys().add(key::kRight).add(key::kEnter).add(key::kEnter);
  keys().add(key::kRight).add(key::kEnter).add(key::kEnter);
  sair();
  EXPECT_EQ(roda(), 0);
  EXPECT_EQ(s.ANO_REFERENCIA, 0);
  EXPECT_EQ(text(keys().atKeys.at(1), 1, 40, 7), "0000/00");
  for (std::size_t at : {6u, 9u, 12u}) {
    EXPECT_TRUE(shows(keys().atKeys.at(at), "Informe a data de referência.")) << at;
  }
  // The pull-down is back after the refusal.
  EXPECT_EQ(text(keys().atKeys.at(7), 4, 1, 10), " Atualizar");
}

TEST_F(Menu, MovesBetweenBarItems) {
  periodo();
  avisos();
  keys().add(rt::term::key::alt('N'));  // Alt-N opens bar item 4
  keys().add(key::kRight);               // 5
  keys().add(key::kRight);               // wraps to 1
  keys().add(key::kLeft);                // wraps to 5
  keys().add(key::kLeft).add(key::kLeft).add(key::kLeft);  // 2
  keys().add(key::kDown).add(key::kDown);  // 2 stays on its last item
  keys().add('a').add(key::kHome);       // nothing moves
  sair();
  EXPECT_EQ(roda(), 0);
  const std::size_t base = 11;  // the key that reads Right after Alt-N
  EXPECT_EQ(text(keys().atKeys.at(base), 4, 38, 26), " Define Data de Referência");
  EXPECT_EQ(text(keys().atKeys.at(base + 1), 4, 51, 18), " Finaliza Execução");
  EXPECT_EQ(text(keys().atKeys.at(base + 2), 4, 1, 10), " Atualizar");
  EXPECT_EQ(text(keys().atKeys.at(base + 3), 4, 51, 18), " Finaliza Execução");
  const auto& critica = keys().atKeys.at(base + 6);
  EXPECT_EQ(text(critica, 3, 13, 39), "┌─────────────────────────────────────┐");
  EXPECT_EQ(text(critica, 4, 14, 33), " Criticar Cadastros e Programação");
  EXPECT_EQ(text(critica, 24, 7, 66), "Comparar cadastros e programação com arquivos do BD_NAC (DATANAC).");
  EXPECT_EQ(text(critica, 24, 73, 7), "       ");
  const auto& ultimo = keys().atKeys.at(base + 8);
  EXPECT_EQ(ultimo.attr(5, 14), 0x4F);  // the second item, no wrap
  EXPECT_EQ(text(ultimo, 24, 10, 60), "Listagem de todo o movimento de críticas do(s) município(s).");
}

TEST_F(Menu, ActionsReturnToTheirItem) {
  periodo();
  avisos();
  test::makeTable(drive().zoz() / "S_MN.DBF", {{"MN_IBGE", 'C', 6, 0}, {"MN_NOME", 'C', 30, 0}}, {});
  keys().add(key::kF10).add(key::kDown).add(key::kEnter);  // " Verificar Atualizações"
  keys().add(key::kEsc);                                    // ... left at once
  keys().add(key::kRight);                                  // bar 2 opens on item 2
  keys().add(key::kRight);                                  // bar 3 on its only item
  keys().add(key::kRight).add(key::kEnter);                 // bar 4: the period again
  keys().add(key::kEsc);                                    // ... left with Esc
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
  EXPECT_TRUE(shows(keys().atKeys.at(20), "Confirma encerramento?"));
  EXPECT_EQ(text(keys().atKeys.at(22), 4, 51, 18), " Finaliza Execução");
}

}  // namespace
}  // namespace fpo
