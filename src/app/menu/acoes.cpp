// The actions behind the pull-down items.
#include "app/funcoes/Funcoes.h"
#include "app/importar/Importar.h"
#include "app/menu/Menu.h"

namespace fpo {

void ACAO(Sistema& s, int bar, int item) {
  switch (bar) {
    case 1:
      if (item == 1) IMPORTAR(s);
      break;
    case 4:
      DATREF(s);
      break;
    default:
      // Listings, critique and production report.
      break;
  }
}

}  // namespace fpo
