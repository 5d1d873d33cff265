// The national database's text files of the demo month 2022/11 for
// FORTALEZA (0440), to critique the demo package against.
#pragma once

#include <filesystem>

// Writes FMANLM11.TXT, FUPSLM11.TXT, FSRVLM11.TXT, FESPLM11.TXT and
// FAFOLM11.TXT into zozFolder (choose "\ZOZ" at the critique's drive
// question). They agree with the package of demo/package.cpp except for a
// maintainer's bank account, a unit's type code, a unit the package lacks,
// a service the national file lacks and a speciality's hours. Throws on a
// write failure.
void makeDemoCritique(const std::filesystem::path& zozFolder);
