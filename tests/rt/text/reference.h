// Reading the recorded classic behaviour (tests/reference/*.tsv).
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fpo::test {

inline std::vector<std::vector<std::string>> readTsv(const std::string& name) {
  std::ifstream in(std::string(FPO_REFERENCE_DIR) + "/" + name);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  bool header = true;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (header) {
      header = false;
      continue;
    }
    if (line.empty()) continue;
    std::vector<std::string> cols;
    std::stringstream ss(line);
    std::string col;
    while (std::getline(ss, col, '\t')) cols.push_back(col);
    rows.push_back(cols);
  }
  return rows;
}

// "[text]" -> text; "\"text\"" -> text.
inline std::string unwrap(const std::string& s) {
  if (s.size() >= 2 && ((s.front() == '[' && s.back() == ']') || (s.front() == '"' && s.back() == '"')))
    return s.substr(1, s.size() - 2);
  return s;
}

inline std::string fromHex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

}  // namespace fpo::test
