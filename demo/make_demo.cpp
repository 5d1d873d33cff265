// Builds the demo drive C: with its \ZOZ folder for the month 2022/11:
// ZOZ's control record (stages open), its installation record for the
// municipality 0440, and the month's package with the installed tables.
//
//   fpo_demo <folder>     makes <folder>/ZOZ
#include <cstdio>
#include <filesystem>
#include <string>

#include "rt/db/dbf.h"
#include "rt/err/error.h"

#include "critica.h"
#include "package.h"
#include "producao.h"

namespace fs = std::filesystem;

namespace {

using rt::db::FieldSpec;

bool table(rt::err::ErrorSystem& es, const fs::path& path, const std::vector<FieldSpec>& fields,
           const std::vector<std::vector<std::string>>& rows) {
  if (!rt::db::Table::create(path, fields, es)) return false;
  auto t = rt::db::Table::open(path, es);
  if (!t) return false;
  for (const auto& row : rows) {
    if (!t->appendBlank()) return false;
    for (std::size_t f = 0; f < row.size(); ++f) t->put(static_cast<int>(f), rt::Value(row[f]));
  }
  return t->close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fpo_demo <folder>\n");
    return 2;
  }
  const fs::path zoz = fs::path(argv[1]) / "ZOZ";
  std::error_code ec;
  fs::create_directories(zoz, ec);
  if (ec) {
    std::fprintf(stderr, "fpo_demo: cannot create %s: %s\n", zoz.c_str(), ec.message().c_str());
    return 1;
  }

  rt::err::ErrorSystem es;
  try {
    bool ok = table(es, zoz / "S_CTR.DBF",
                    {{"CTR_MVM", 'C', 6, 0},
                     {"CTR_CAD", 'C', 1, 0},
                     {"CTR_FPO", 'C', 1, 0},
                     {"CTR_BDP", 'C', 1, 0},
                     {"CTR_PRD", 'C', 1, 0},
                     {"CTR_CRD", 'C', 1, 0},
                     {"CTR_CNES", 'C', 3, 0},
                     {"CTR_VERSAO", 'C', 10, 0}},
                    {{"202211", "A", "A", "A", "A", "A", "", "3.10"}});
    ok = ok && table(es, zoz / "S_SS.DBF",
                     {{"SS_GESTAO", 'C', 6, 0},
                      {"SS_CONDIC", 'C', 2, 0},
                      {"SS_UFIBGE", 'C', 2, 0},
                      {"SS_UFSIGL", 'C', 2, 0},
                      {"SS_DPCNES", 'C', 5, 0}},
                     {{"230440", "PM", "23", "LM", ""}});
    if (!ok) {
      std::fprintf(stderr, "fpo_demo: cannot write the tables in %s\n", zoz.c_str());
      return 1;
    }
    makeDemoPackage(zoz);
    makeDemoCritique(zoz);
    makeDemoProduction(zoz);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fpo_demo: %s\n", e.what());
    return 1;
  }
  std::printf("%s\n", zoz.c_str());
  return 0;
}
