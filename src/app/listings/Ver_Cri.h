// Ver_Cri: the critique listing, a browse of the control table \ZOZ\CTL.DBF
// showing each row's period, critique date, municipality and critique
// status, with the same searches and order switch as the update listing.
// Called by the menu; returns after Esc with CTL and MN left open.
#pragma once

#include "app/listings/listagem.h"

namespace fpo {

void VER_CRI(Sistema& s);

// The critique listing's key handler.
int FNC_MNC_CRI(Sistema& s, Listagem& v, int MODO, int COLUNA);

}  // namespace fpo
