// Numbers written into fields and read from them. A whole number, the usual
// case, is written from its digits without Str; a field already in the form
// formatNumber writes is carried over as it stands.
#include "rt/db/numtext.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
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

namespace {

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

}  // namespace

double parseNumber(std::string_view text) {
  // Val's value of a field as tables hold them, read here without its
  // width: blanks, a sign, up to 15 digits with at most 22 decimals, each
  // an exact integer over an exact power of ten. Anything else goes to Val.
  const char* p = text.data();
  const char* const end = p + text.size();
  // Blanks a word at a time: numbers stand right-aligned in their fields.
  while (end - p >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    w ^= 0x2020202020202020ull;
    if (w != 0) {
      p += (std::endian::native == std::endian::little ? std::countr_zero(w) : std::countl_zero(w)) / 8;
      break;
    }
    p += 8;
  }
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  // Up to 19 digits fit in the word whatever they are; fewer than 16
  // counted from the first that is not zero is a number below 10^15.
  const char* const from = p;
  std::uint64_t n = 0;
  for (; p < end && digit(*p); ++p) n = n * 10 + static_cast<std::uint64_t>(*p - '0');
  std::ptrdiff_t digits = p - from, after = 0;
  if (p < end && *p == '.') {
    const char* const point = ++p;
    for (; p < end && digit(*p); ++p) n = n * 10 + static_cast<std::uint64_t>(*p - '0');
    after = p - point;
    digits += after;
  }
  if (digits > 19 || n >= 1000000000000000ull) return text::val(text).value;
  double v = static_cast<double>(n);
  if (after > 0) v /= kPow10[after];
  return negative && n != 0 ? -v : v;
}

// What formatNumber writes:
// blanks, an optional minus, the integer digits without leading zeros (a
// single 0 below one), then exactly `decimals` decimals after a point, not
// zero when signed, and at most 15 digits in all (an exact double both ways).
bool numberAsWritten(std::string_view t, int width, int decimals) {
  if (width <= 0 || decimals < 0 || t.size() != static_cast<std::size_t>(width)) return false;
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  const bool minus = i < t.size() && t[i] == '-';
  if (minus) ++i;
  const std::size_t from = i;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  const std::size_t whole = i - from;
  if (whole == 0 || (whole > 1 && t[from] == '0')) return false;
  bool zero = t[from] == '0';
  const auto dec = static_cast<std::size_t>(decimals);
  if (dec > 0) {
    if (i == t.size() || t[i] != '.' || t.size() - i - 1 != dec) return false;
    for (++i; i < t.size(); ++i) {
      if (t[i] < '0' || t[i] > '9') return false;
      zero = zero && t[i] == '0';
    }
  }
  return i == t.size() && whole + dec <= 15 && !(minus && zero);
}

bool reformatNumber(std::string_view text, int width, int decimals, char* out) {
  if (numberAsWritten(text, width, decimals)) {
    std::memmove(out, text.data(), text.size());
    return true;
  }
  return formatNumber(parseNumber(text), width, decimals, out);
}

}  // namespace rt::db
