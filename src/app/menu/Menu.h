// Menu: the program's entry (run settings, main screen, control table,
// notices) and the menu bar with its pull-downs and the action dispatch.
// Before anything opens a table of \ZOZ the start-up takes the folder's
// lock and, when no other copy of the system holds it, finishes or sets
// aside an import cut off while it switched ZOZ's tables. MENU never
// returns: the program ends by ProgramExit.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/sistema.h"
#include "rt/db/switch.h"
#include "rt/term/screen_guard.h"

namespace fpo {

// The menu tables and the state of the menu loop.
struct Menus {
  struct Horizontal {
    std::string texto;  // "^" before the hot letter
    int tecla = 0;
  };
  struct Vertical {
    std::string texto;
    std::string mensagem;
    int opcao = 0;  // bar item
  };
  struct Tecla {
    int tecla = 0;
    int coluna = 0;
  };

  std::vector<Horizontal> VTHOR;
  std::vector<Vertical> VTVER;
  int HORPOS = 0;

  std::vector<Tecla> VTTEC;
  int INICIAL = 1;
  std::vector<std::string> OPCOES, MENSAGENS;
  std::optional<rt::term::ScreenGuard> AREA;  // under the pull-downs, put back after each
  int LI = 0, CI = 0, LF = 0, CF = 0;

  // The actions of the pull-down items, by bar item and item number.
  std::function<void(Sistema&, int bar, int item)> acao;
};

// The entry procedure; never returns (ends by throwing ProgramExit).
[[noreturn]] void MENU(Sistema& s);

// Creates \ZOZ\CTL.DBF when missing, else rebuilds it through \ZOZ\CTL1.DBF.
void preparaCtl(Sistema& s);

// What the start-up does first: takes the lock of \ZOZ, held from then on;
// when no other copy of the system holds it, completes an import cut off
// while it switched ZOZ's tables (or sets its journal aside when it fails a
// check) and removes the system's temporary files left in \ZOZ.
rt::db::Switch::Recovery recuperaImportacao(Sistema& s);
// Tells the operator of a journal that was set aside or left.
void avisaRecuperacao(Sistema& s, const rt::db::Switch::Recovery& r);

void CRIAMENU(Menus& m, std::string_view TIPO, std::string TEXTO, int TECLA = 0, std::string MENSAGEM = {},
              int OPCAO = 0);
// Fills the five bar items and seven pull-down items of the system.
void criaMenus(Menus& m);
[[noreturn]] void LIGAMENU(Sistema& s, Menus& m, int LINHA, std::string_view COROPC, std::string_view CORLET,
                           std::string_view CORREA, std::string_view CORMEN);
int ACHOPCOES(Sistema& s, Menus& m, int MODO, int NUMERO, int POSICAO);

// The system's actions by pull-down item.
void ACAO(Sistema& s, int bar, int item);

}  // namespace fpo
