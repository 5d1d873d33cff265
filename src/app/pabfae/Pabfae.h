// Pabfae: the production report. Values every row of ZOZ's production S_PRD
// at the price table S_VPA, adds the values up per unit, split into PAB
// procedures and other procedures (S_PA), and writes one line per unit with
// page headers and grand totals into "PABFAE.PRN" in the current directory;
// then offers to copy the file to the printer Lpt1. The menu calls it with a
// reference period set; it closes every table before it returns.
#pragma once

#include "app/sistema.h"

namespace fpo {

void PABFAE(Sistema& s);

}  // namespace fpo
