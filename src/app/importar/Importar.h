// Importar: the import of one municipality's monthly package into ZOZ's
// tables in \ZOZ. The menu calls IMPORTAR with a reference period set; it
// returns to the menu, or ends the program (Esc at the complement
// percentage, a procedure listed twice among the month's elective ones).
#pragma once

#include "app/sistema.h"

namespace fpo {

void IMPORTAR(Sistema& s);

}  // namespace fpo
