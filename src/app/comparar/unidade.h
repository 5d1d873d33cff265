// What the sections after the units section share: the filter through a
// record's unit.
#pragma once

#include <string_view>

#include "app/comparar/critica.h"

namespace fpo::comparar {

// Whether the unit of a record's unit id belongs to the chosen municipality:
// its first six characters sought from the top of UPSZEB, which the units
// section leaves in unit-id order, so the first unit with that number
// whatever its check digit; a unit not there reads a blank UPS_MN.
bool doMunicipio(Sistema& s, Critica& c, Tabela& ups, std::string_view uid);

}  // namespace fpo::comparar
