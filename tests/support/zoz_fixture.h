// A small but realistic \ZOZ folder for the month 2022/11 (package
// extension "211"): the month's package, ZOZ's installed tables, its control
// and installation records and the system's control table.
//
// Package: ZOZ_CTRL with seven municipalities; S_UPS in an older layout
// (fields missing and extra, a row marked deleted); S_IPU with the month's
// rows of 0440 (FORTALEZA) and 0270 (CAUCAIA), a row of a unit the package's
// S_UPS lacks, one of its deleted unit and one of another month.
// Installed: S_UPS in an older layout (UPS_RZSC 40 wide, a deleted row, an
// extra field); S_IPU with rows of 2022/10 and of the month; S_PA with
// elective, non-elective, excluded and other-month procedures; S_VPA with
// earlier complement rows and rows before and after 2012/08; leftover .NTX.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "rt/db/dbf.h"
#include "zozgen/layouts.h"

namespace fpo::test {

namespace zoz {

// A unit identifier: the six digits and their check digit.
std::string unidade(int numero);
// The units of the fixture: 1 to 3, 5 and 6 of 230440, 4 of 230270; unit 5
// is missing from the package's S_UPS, unit 6 is deleted there, unit 3 is
// deleted in the installed S_UPS.
std::string U(int n);

using zozgen::kCtl;
using zozgen::kCtr;
using zozgen::kCtrl;  // ZOZ_CTRL
using zozgen::kIpu;   // S_IPU, package and installed
using zozgen::kPa;
using zozgen::kVpa;
extern const std::vector<rt::db::FieldSpec> kSs;

struct Options {
  int fillerIpu = 0;  // extra installed S_IPU rows of 2022/09
  int fillerVpa = 0;  // extra S_VPA rows of 2022/09
};

// Writes the folder's tables (the folder must exist).
void build(const std::filesystem::path& folder, const Options& o = {});

// ZOZ's control record: one row of the month and stage flags (CTR_CAD,
// CTR_FPO, CTR_BDP, CTR_PRD, CTR_CRD), repeated `rows` times.
void writeCtr(const std::filesystem::path& folder, const std::string& mvm, const std::string& flags = "1AAAA",
              int rows = 1);
// ZOZ's installation record, with the management code "ZZ" of no list row.
void writeSs(const std::filesystem::path& folder, const std::string& gestao, const std::string& uf = "23",
             const std::string& sigla = "LM", int rows = 1);

// The procedures of the month that get a complement row, with PA_TOTAL.
struct Procedimento {
  const char* id;
  double total;
};
std::vector<Procedimento> eletivasDoMes();

}  // namespace zoz

}  // namespace fpo::test
