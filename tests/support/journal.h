// The text of a switch's journal as the program writes it, made by the tests
// on their own: the heading line, one line per staged file (its name, its
// target's and its bytes, tab-separated), the END line counting them and the
// SUM line, the CRC-32 of all the text before it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fpo::test {

// The CRC-32 of the bytes (the reflected polynomial of zip and PNG).
inline std::uint32_t crc32(const std::string& s) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
  }
  return ~c;
}

// A journal of these lines, with its END and SUM lines.
inline std::string switchJournal(const std::vector<std::string>& lines) {
  std::string t = "FPO-SWITCH 2\n";
  for (const std::string& l : lines) t += l + "\n";
  t += "END " + std::to_string(lines.size()) + "\n";
  char sum[16];
  std::snprintf(sum, sizeof sum, "SUM %08x\n", static_cast<unsigned>(crc32(t)));
  return t + sum;
}

}  // namespace fpo::test
