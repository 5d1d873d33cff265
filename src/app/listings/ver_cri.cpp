// VER_CRI: the critique listing, and FNC_MNC_CRI, its key handler.
#include "app/listings/Ver_Cri.h"

#include "rt/text/cp860.h"

namespace fpo {

void VER_CRI(Sistema& s) {
  FPO_ROUTINE(s, "VER_CRI");
  FPO_LINE(s);
  listaCtl(
      s,
      "'    ' + Str(CTL->DATREF, 6) + '          ' + DtoC(CTL->DATSES) + '     ' + StrZero(CTL->CODMNC, 4) + "
      "' - ' + Nome_Municipio(CTL->CODMNC) + '   ' + CTL->STASES + Space(10)",
      " Referência     Data Crítica             Município              Status"_cp, FNC_MNC_CRI);
}

int FNC_MNC_CRI(Sistema& s, Listagem& v, int MODO, int COLUNA) {
  FPO_ROUTINE(s, "FNC_MNC_CRI");
  return teclaListagem(s, v, MODO, COLUNA);
}

}  // namespace fpo
