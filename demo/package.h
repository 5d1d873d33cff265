// The demo month's package and ZOZ's installed tables for 2022/11.
#pragma once

#include <filesystem>

// Writes into zozFolder the package ZOZ_CTRL, S_MNT, S_UPS, S_SRV, S_EMU and
// S_IPU with the extension 211, and the installed S_MNT, S_UPS, S_SRV, S_EMU,
// S_IPU, S_PA and S_VPA.DBF. Throws on a failure of the table layer.
void makeDemoPackage(const std::filesystem::path& zozFolder);
