#include "rt/db/numtext.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "rt/text/number.h"

namespace rt::db {

bool formatNumber(double v, int width, int decimals, char* out) {
  if (width <= 0) return false;
  // A whole number without decimals, the usual case, is its digits as Str
  // writes them, right-aligned.
  if (decimals == 0 && std::fabs(v) < 1e12 && v == std::trunc(v)) {
    char digits[16];
    const auto n = static_cast<std::size_t>(
        std::to_chars(digits, digits + sizeof digits, static_cast<long long>(v)).ptr - digits);
    const auto w = static_cast<std::size_t>(width);
    if (n > w) {
      std::memset(out, '*', w);
      return false;
    }
    std::memset(out, ' ', w - n);
    std::memcpy(out + w - n, digits, n);
    return true;
  }
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
