// Importar: the import of one municipality's monthly package into ZOZ's
// tables in \ZOZ. The menu calls IMPORTAR with a reference period set; it
// returns to the menu, or ends the program (Esc at the complement
// percentage, a procedure listed twice among the month's elective ones).
//
// What it promises: the tables it writes (arquivos.h) change together or not
// at all. Each is built whole beside its file and switched in through the
// journal \ZOZ\FPO.JNL; an error answered Default while they are built
// cancels the run with none of them changed, and a run cut off leaves them
// as they were or, once the next start-up has completed its switch, as a
// whole run leaves them.
#pragma once

#include "app/sistema.h"

namespace fpo {

void IMPORTAR(Sistema& s);

}  // namespace fpo
