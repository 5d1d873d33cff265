// Funcoes: the shared toolkit (windows, message box, status line, input
// dialog) and the period, municipality and check-digit routines.
#pragma once

namespace fpo {

// Check digit of a unit number: only its six lowest digits count.
int CALDIGUPS(long long num);
// Check digit of a municipality code of the home state: only its four lowest
// digits count, so 440 and 230440 give the same digit.
int CALDIGMNC(long long num);

}  // namespace fpo
