// The demo month's production and municipality tables for 2022/11.
#pragma once

#include <cstdint>
#include <filesystem>

// Writes into zozFolder ZOZ's production table S_PRD.DBF (the months 2022/10
// and 2022/11 of every unit of S_UPS.DBF, over the procedures of S_PA.DBF)
// and its municipality table S_MN.DBF (the municipalities of ZOZ_CTRL.211
// under the home state's code "23"); and, when the folder has no CTL.DBF
// yet, a control table with a few imports and critiques to list. Reads the
// tables that makeDemoPackage writes, so it runs after it. Throws on a
// failure of the table layer or a missing table.
void makeDemoProduction(const std::filesystem::path& zozFolder);

// Makes ZOZ's S_PRD.DBF hold at least `rows` rows by repeating its rows in
// their order, the copies marked deleted (a large table to index for the
// smoke tests). Throws when it cannot.
void enlargeProduction(const std::filesystem::path& zozFolder, std::uint32_t rows);
