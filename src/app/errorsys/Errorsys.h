// Errorsys: the error policy of the whole system. Open, read and
// unsupported-operation failures fail quietly into the running action's ERRO;
// a division by zero yields 0; a failed append lock sets NETERR and takes
// its default, where it has one; everything else is shown in the run-time's
// alert box with "Quit", "Retry" and "Default" as the operation allows, and
// "Quit" writes the error and the call chain to the error output and ends the
// program with exit code 1.
#pragma once

#include <string>

#include "app/sistema.h"
#include "rt/err/error.h"

namespace fpo {

// Installs DEFERROR as the handler of every run-time error.
void ERRORSYS(Sistema& s);

rt::err::Answer DEFERROR(Sistema& s, const rt::err::Error& E);

// "Error BASE/1081  Argument error: +" and the like.
std::string ERRORMESSAGE(const rt::err::Error& E);

}  // namespace fpo
