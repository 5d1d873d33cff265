// rt/term/screen: the text of part of a row.
#include "rt/term/screen.h"

namespace rt::term {

std::string Screen::text(int row, int col, int len) const {
  std::string s;
  if (len <= 0) return s;
  s.reserve(static_cast<std::size_t>(len));
  for (int i = 0; i < len; ++i) {
    const long long c = static_cast<long long>(col) + i;
    s.push_back(c >= 0 && c < kCols ? static_cast<char>(cell(row, static_cast<int>(c)).ch) : ' ');
  }
  return s;
}

}  // namespace rt::term
