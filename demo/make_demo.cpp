// Builds the demo drive C: with its \ZOZ folder for the month 2022/11:
// ZOZ's control record (stages open), its installation record for the
// municipality 0440, and the month's package with the installed tables.
//
//   fpo_demo <folder> [rows]   makes <folder>/ZOZ; with rows, its production
//                              table S_PRD repeated to at least that many rows
#include <cstdio>
#include <filesystem>
#include <string>

#include "critica.h"
#include "package.h"
#include "producao.h"
#include "tabela.h"
#include "zozgen/layouts.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: fpo_demo <folder> [rows]\n");
    return 2;
  }
  const fs::path zoz = fs::path(argv[1]) / "ZOZ";
  std::error_code ec;
  fs::create_directories(zoz, ec);
  if (ec) {
    std::fprintf(stderr, "fpo_demo: cannot create %s: %s\n", zoz.string().c_str(), ec.message().c_str());
    return 1;
  }

  try {
    using demo::T;
    demo::tabela(zoz / "S_CTR.DBF", zozgen::kCtr,
                 {{T("202211"), T("A"), T("A"), T("A"), T("A"), T("A"), T(""), T("3.10")}});
    demo::tabela(zoz / "S_SS.DBF",
                 {{"SS_GESTAO", 'C', 6, 0},
                  {"SS_CONDIC", 'C', 2, 0},
                  {"SS_UFIBGE", 'C', 2, 0},
                  {"SS_UFSIGL", 'C', 2, 0},
                  {"SS_DPCNES", 'C', 5, 0}},
                 {{T("230440"), T("PM"), T("23"), T("LM"), T("")}});
    makeDemoPackage(zoz);
    makeDemoCritique(zoz);
    makeDemoProduction(zoz);
    if (argc == 3) enlargeProduction(zoz, static_cast<std::uint32_t>(std::stoul(argv[2])));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fpo_demo: %s\n", e.what());
    return 1;
  }
  std::printf("%s\n", zoz.string().c_str());
  return 0;
}
