// Helpers of the table-layer tests: a scratch folder, an error handler that
// records what it is asked and answers as told, file bytes and hex dumps.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "rt/db/workspace.h"
#include "rt/err/error.h"
#include "rt/os/os.h"
#include "support/temp_dir.h"

namespace dbtest {

namespace fs = std::filesystem;

inline std::string refDir() { return std::string(FPO_REFERENCE_DIR); }

// A scratch folder, and the one a death test's statement works in.
using fpo::test::deathFolder;
using fpo::test::TempDir;

inline std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The bytes of an `xxd` dump.
inline std::string fromXxd(const fs::path& p) {
  std::ifstream in(p);
  std::string line, out;
  while (std::getline(in, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    // Hex groups end at two blanks before the text column.
    std::string hex = line.substr(colon + 1, 40);
    for (std::size_t i = 0; i + 1 < hex.size();) {
      if (hex[i] == ' ') {
        ++i;
        continue;
      }
      out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
      i += 2;
    }
  }
  return out;
}

// A table's bytes with the date of writing (bytes 1 to 3) masked.
inline std::string masked(std::string b) {
  for (std::size_t i = 1; i < 4 && i < b.size(); ++i) b[i] = 0;
  return b;
}

struct Recorder {
  std::vector<rt::err::Error> seen;
  std::function<rt::err::Answer(const rt::err::Error&)> answer;

  void install(rt::err::ErrorSystem& es) {
    es.install([this](const rt::err::Error& e) {
      seen.push_back(e);
      return answer ? answer(e) : rt::err::Answer::byDefault();
    });
  }
  bool any(int genCode) const {
    for (const auto& e : seen)
      if (e.genCode == genCode) return true;
    return false;
  }
};

// A workspace on host paths with a recording handler.
struct Fixture {
  rt::err::ErrorSystem es;
  Recorder rec;
  rt::db::Workspace ws{es};
  TempDir dir;

  Fixture() { rec.install(es); }
  std::string at(const std::string& name) const { return dir / name; }
};

inline std::vector<rt::db::FieldSpec> ctlFields() {
  return {{"CODDER", 'N', 2, 0}, {"CODMNC", 'N', 4, 0}, {"DATREF", 'N', 6, 0}, {"DATATU", 'D', 8, 0},
          {"DATSES", 'D', 8, 0}, {"DATVRS", 'D', 8, 0}, {"DATIMP", 'D', 8, 0}, {"STASES", 'C', 1, 0},
          {"CODRMS", 'C', 1, 0}, {"CODGST", 'C', 2, 0}};
}

}  // namespace dbtest
