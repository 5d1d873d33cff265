#include "rt/db/numtext.h"

#include <cstring>
#include <string>

#include "rt/text/number.h"

namespace rt::db {

bool formatNumber(double v, int width, int decimals, char* out) {
  if (width <= 0) return false;
  const std::string s = text::str(v, width, decimals);
  if (s.size() != static_cast<std::size_t>(width) || s[0] == '*') {
    std::memset(out, '*', static_cast<std::size_t>(width));
    return false;
  }
  std::memcpy(out, s.data(), s.size());
  return true;
}

double parseNumber(std::string_view text) { return text::val(text).value; }

}  // namespace rt::db
