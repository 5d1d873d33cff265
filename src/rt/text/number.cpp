// rt/text/number: Round and Int with the scaled rule, the texts of numbers
// (Str, StrZero, fixed) and their reading (Val).
#include "rt/text/number.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace rt::text {

namespace {

// 1 + 2^-52: lifts a scaled value lying one rounding error below a whole
// number onto it before the cut toward zero.
constexpr double kAllowance = 1.0 + 0x1p-52;

double pow10(int n) {
  constexpr int kExact = 23;  // 10^0 .. 10^22 are exact doubles
  static const auto table = [] {
    std::array<double, kExact> t{};
    double p = 1;
    for (double& v : t) {
      v = p;
      p *= 10;
    }
    return t;
  }();
  if (n >= 0 && n < kExact) return table[static_cast<std::size_t>(n)];
  // Negative powers as quotients of exact ones: correctly rounded, which not
  // every C library's pow() is.
  if (n < 0 && n > -kExact) return 1.0 / table[static_cast<std::size_t>(-n)];
  return std::pow(10.0, n);
}

// Decimal digits a double holds.
constexpr int kDigits = 15;
// The first number with more than ten integer digits.
constexpr double kTenDigits = 1e10;

// More decimals than any number prints with.
constexpr int kMaxDecimals = 398;

// Largest scaled magnitude at which the cut toward zero still means something.
constexpr double kExactLimit = 0x1p52;

}  // namespace

double roundTo(double x, int decimals) {
  if (!std::isfinite(x)) return x;
  const double p = pow10(decimals);
  double t = x * p * 10;
  if (!(std::fabs(t) < kExactLimit)) return x;
  t += x < 0 ? -5 : 5;
  t /= 10;
  t *= kAllowance;
  return std::trunc(t) / p;
}

double intPart(double x) {
  if (!std::isfinite(x)) return x;
  return std::trunc(x * kAllowance);
}

int defaultWidth(int width, int decimals) {
  if (width > 0) return width;
  // Past a few hundred decimals a number no longer prints (see writeFixed).
  return 10 + (decimals > 0 ? std::min(decimals, kMaxDecimals) + 1 : 0);
}

namespace {

// The digits of fixed() written into buf (kBuf bytes); returns the length,
// 0 for a value that is not finite or does not fit.
constexpr std::size_t kBuf = 400;  // room for any double with its decimals
static_assert(kMaxDecimals + 2 <= static_cast<int>(kBuf), "\"0.\" and the decimals fit the buffer");

std::size_t writeFixed(double x, int decimals, char* buf) {
  if (!std::isfinite(x)) return 0;
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) return 0;
  double r = roundTo(x, decimals);
  if (r == 0) r = 0;  // never "-0"
  char* const end = buf + kBuf;
  // Whole numbers, the common case (codes, periods), as integers.
  if (decimals == 0 && std::fabs(r) < 1e15) {
    return static_cast<std::size_t>(std::to_chars(buf, end, static_cast<long long>(r)).ptr - buf);
  }
  // Within 15 digits the text is that of the whole number nearest to the
  // value times 10^decimals, made with integers; a product near a half is
  // left to to_chars.
  if (decimals <= kDigits && std::fabs(r) < pow10(kDigits - decimals)) {
    const double scaled = r * pow10(decimals);
    const double whole = std::nearbyint(scaled);
    if (std::fabs(scaled - whole) < 0.25) {
      const auto m = static_cast<long long>(std::fabs(whole));
      const auto p = static_cast<long long>(pow10(decimals));
      char* at = buf;
      if (whole < 0) *at++ = '-';
      at = std::to_chars(at, end, m / p).ptr;
      *at++ = '.';
      long long frac = m % p;
      for (int i = decimals; i-- > 0; frac /= 10) at[i] = static_cast<char>('0' + frac % 10);
      return static_cast<std::size_t>(at + decimals - buf);
    }
  }
  // A double carries 15 decimal digits: past them the digits shown are zeros,
  // not the binary value's noise (45.67 with 15 decimals ends in zeros).
  int shown = decimals;
  if (r != 0 && std::fabs(r) >= pow10(kDigits - decimals)) {
    const int intDigits = static_cast<int>(std::floor(std::log10(std::fabs(r)))) + 1;
    shown = std::max(0, std::min(decimals, kDigits - intDigits));
  }
  const auto res = std::to_chars(buf, end, r, std::chars_format::fixed, shown);
  if (res.ec != std::errc()) return 0;
  std::size_t n = static_cast<std::size_t>(res.ptr - buf);
  // Decimals past what the buffer holds (a damaged field, a picture of
  // hundreds of places): not representable.
  if (n + 1 + static_cast<std::size_t>(decimals - shown) > kBuf) return 0;
  if (shown < decimals) {
    if (shown == 0) buf[n++] = '.';
    for (int i = shown; i < decimals; ++i) buf[n++] = '0';
  }
  // A value that rounds to zero at these decimals shows no sign.
  if (buf[0] == '-' && std::string_view(buf, n).find_first_of("123456789") == std::string_view::npos) {
    std::memmove(buf, buf + 1, --n);
  }
  return n;
}

}  // namespace

std::string fixed(double x, int decimals) {
  char buf[kBuf + 32];
  return std::string(buf, writeFixed(x, decimals, buf));
}

std::string str(double x, int width, int decimals) {
  if (decimals < 0) decimals = 0;
  int w = defaultWidth(width, decimals);
  // Without a width of its own, a number past ten integer digits gets twenty.
  if (width <= 0 && std::fabs(x) >= kTenDigits) w += 10;
  const auto size = static_cast<std::size_t>(w);
  char buf[kBuf + 32];
  const std::size_t n = writeFixed(x, decimals, buf);
  if (n == 0 || n > size) return std::string(size, '*');
  std::string s(size - n, ' ');
  s.append(buf, n);
  return s;
}

std::string strZero(double x, int width, int decimals) {
  std::string s = str(x, width, decimals);
  if (s.empty() || s[0] == '*') return s;
  const std::size_t lead = s.find_first_not_of(' ');
  if (lead == std::string::npos || lead == 0) return s;
  if (s[lead] == '-') {
    s[lead] = '0';
    s[0] = '-';
    for (std::size_t i = 1; i < lead; ++i) s[i] = '0';
  } else {
    for (std::size_t i = 0; i < lead; ++i) s[i] = '0';
  }
  return s;
}

NumberText val(std::string_view text) {
  NumberText r;
  r.width = text.empty() ? 10 : static_cast<int>(text.size());
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const std::size_t start = i;
  // Up to 15 digits make an exact integer, and an exact integer over an
  // exact power of ten is the correctly rounded value from_chars gives.
  std::uint64_t n = 0;
  int count = 0, after = 0;
  auto digit = [&](char c) {
    if (n != 0 || c != '0') {
      n = n * 10 + static_cast<std::uint64_t>(c - '0');
      ++count;
    }
  };
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) digit(text[i]);
  if (i < text.size() && text[i] == '.') {
    r.decimals = static_cast<int>(text.size() - i - 1);
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++after) digit(text[i]);
  }
  double v = 0;
  const std::string_view digits = text.substr(start, i - start);
  if (count <= kDigits && after <= 22) {
    v = static_cast<double>(n) / pow10(after);
  } else if (!digits.empty() && digits != ".") {
    // "5." and ".5" are read as 5.0 and 0.5.
    std::string buf(digits);
    if (buf.front() == '.') buf.insert(0, 1, '0');
    if (buf.back() == '.') buf.pop_back();
    std::from_chars(buf.data(), buf.data() + buf.size(), v);
  }
  r.value = negative && v != 0 ? -v : v;
  // A value past ten integer digits gets the width of twenty.
  if (std::fabs(r.value) >= kTenDigits) {
    const int need = 20 + (r.decimals > 0 ? r.decimals + 1 : 0);
    if (need > r.width) r.width = need;
  }
  return r;
}

}  // namespace rt::text
