// Ver_Atu: the update listing, a browse of the control table \ZOZ\CTL.DBF
// showing each row's period, import date and municipality, with searches by
// period (Alt-R), code (Alt-O), name (Alt-M) and typed first letters, and
// the switch between its two orders (Alt-T). Called by the menu; returns
// after Esc with CTL and MN left open for the menu to close.
#pragma once

#include <string>

#include "app/listings/listagem.h"

namespace fpo {

void VER_ATU(Sistema& s);

// The update listing's key handler.
int FNC_MNC(Sistema& s, Listagem& v, int MODO, int COLUNA);

// The first 25 characters of the name of the home state's municipality
// CODIGO_MUNICIPIO in MN (blanks when MN lacks it). Leaves MN in order 1
// and CTL selected. The row texts of both listings call it by name.
std::string NOME_MUNICIPIO(Sistema& s, double CODIGO_MUNICIPIO);

}  // namespace fpo
