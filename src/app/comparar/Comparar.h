// Comparar: the critique of one municipality's cadastre and programming in
// the month's package against the national database's fixed-width text
// files (from A:, B: or \ZOZ). It writes the error report CRInnnn.<ext> in
// the current directory, records the date and outcome ("C" without errors,
// "E" with errors) in \ZOZ\CTL.DBF and offers to print the report on Lpt1.
// The menu calls it with a reference period set; it returns to the menu.
#pragma once

#include "app/sistema.h"

namespace fpo {

void COMPARAR(Sistema& s);

}  // namespace fpo
