// The files the system writes in \ZOZ, named in one place: those the
// import switches in together, and every other one whose temporary files
// are the system's own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rt/db/switch.h"

namespace fpo {

// The journal of the import's switch, and the lock file every running
// copy of the system holds on \ZOZ.
inline constexpr const char* kJornal = "\\ZOZ\\FPO.JNL";
inline constexpr const char* kTrava = "\\ZOZ\\.FPO.LCK";

// The names the import's switch may replace in \ZOZ.
const std::vector<std::string>& arquivosDaImportacao();
// Whether a name is that of a file the system writes in \ZOZ (without
// regard to case).
bool arquivoDoSistema(std::string_view nome);
// Both, as the switch and the start-up take them.
rt::db::SwitchNames nomesDaTroca();

}  // namespace fpo
