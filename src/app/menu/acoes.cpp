// The actions behind the pull-down items.
#include "app/comparar/Comparar.h"
#include "app/funcoes/Funcoes.h"
#include "app/importar/Importar.h"
#include "app/listings/Ver_Atu.h"
#include "app/listings/Ver_Cri.h"
#include "app/menu/Menu.h"
#include "app/pabfae/Pabfae.h"

namespace fpo {

void ACAO(Sistema& s, int bar, int item) {
  switch (bar) {
    case 1:
      if (item == 1)
        IMPORTAR(s);
      else
        VER_ATU(s);
      break;
    case 2:
      if (item == 1)
        COMPARAR(s);
      else
        VER_CRI(s);
      break;
    case 3:
      PABFAE(s);
      break;
    case 4:
      DATREF(s);
      break;
    default:
      break;
  }
}

}  // namespace fpo
