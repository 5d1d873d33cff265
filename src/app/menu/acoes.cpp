// The actions behind the pull-down items.
#include "app/funcoes/Funcoes.h"
#include "app/menu/Menu.h"

namespace fpo {

void ACAO(Sistema& s, int bar, int item) {
  switch (bar) {
    case 4:
      DATREF(s);
      break;
    default:
      // Import, listings, critique and production report.
      (void)item;
      break;
  }
}

}  // namespace fpo
