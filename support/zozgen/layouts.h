// The layouts of ZOZ's tables that the test fixtures, the demo and the
// benchmarks write: the package's (extension of the month) and the
// installed ones (.DBF), the control table and the state's critique files.
#pragma once

#include <vector>

#include "rt/db/dbf.h"

namespace zozgen {

using Layout = std::vector<rt::db::FieldSpec>;

extern const Layout kCtrl;       // ZOZ_CTRL: CODMNC NMEMNC CODGES DATREF
extern const Layout kCtrlDer;    // ZOZ_CTRL with CODDER
extern const Layout kMnt;        // S_MNT with name, address and account
extern const Layout kSrv;        // S_SRV
extern const Layout kEmu;        // S_EMU with the count of procedures
extern const Layout kEmuHoras;   // S_EMU with procedures and hours
extern const Layout kIpu;        // S_IPU, package and installed
extern const Layout kUpsAntigo;  // S_UPS installed by an older ZOZ (12 fields)
extern const Layout kPa;         // S_PA
extern const Layout kVpa;        // S_VPA
extern const Layout kCtr;        // S_CTR
extern const Layout kSsAntigo;   // S_SS without SS_NOME
extern const Layout kCtl;        // the system's control table CTL.DBF
extern const Layout kFman;       // the state's maintainers file
extern const Layout kFups;       // the state's units file
extern const Layout kFafo;       // the state's budget file

}  // namespace zozgen
