// rt/text/strings: pads, trims, SubStr, Space, Lower and Empty on code page
// 860 bytes.
#include "rt/text/strings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "rt/text/cp860.h"

namespace rt::text {

namespace {

std::string pad(std::string_view s, int width, char fill, int leftShare) {
  if (width <= 0) return {};
  const auto w = static_cast<std::size_t>(width);
  if (s.size() >= w) return std::string(s.substr(0, w));
  const std::size_t room = w - s.size();
  // leftShare: 0 all on the right, 1 half on the left, 2 all on the left.
  const std::size_t left = leftShare == 0 ? 0 : leftShare == 1 ? room / 2 : room;
  std::string out(left, fill);
  out.append(s);
  out.append(room - left, fill);
  return out;
}

const std::array<std::uint8_t, 256>& lowerTable() {
  static const auto table = [] {
    std::array<std::uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 256; ++i) {
      const std::uint8_t u = upper(static_cast<std::uint8_t>(i));
      if (u != i) t[u] = static_cast<std::uint8_t>(i);
    }
    return t;
  }();
  return table;
}

}  // namespace

std::string padC(std::string_view s, int width, char fill) { return pad(s, width, fill, 1); }
std::string padL(std::string_view s, int width, char fill) { return pad(s, width, fill, 2); }
std::string padR(std::string_view s, int width, char fill) { return pad(s, width, fill, 0); }

std::string_view rTrim(std::string_view s) {
  std::size_t n = s.size();
  // Long blank tails (wide fields) eight bytes at a time.
  constexpr std::uint64_t kBrancos = 0x2020202020202020ull;
  for (std::uint64_t w = 0; n >= 8; n -= 8) {
    std::memcpy(&w, s.data() + n - 8, 8);
    if (w != kBrancos) break;
  }
  while (n > 0 && s[n - 1] == ' ') --n;
  return n == 0 ? std::string_view() : s.substr(0, n);
}

std::string_view subStr(std::string_view s, long long start, long long count) {
  const auto size = static_cast<long long>(s.size());
  if (start < 0)
    start = std::max(0LL, size + start);
  else if (start > 0)
    --start;
  if (start >= size) return s.substr(s.size());
  return s.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(std::max(0LL, count)));
}

std::string_view lTrim(std::string_view s) {
  const std::size_t start = s.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view() : s.substr(start);
}

std::string_view allTrim(std::string_view s) { return lTrim(rTrim(s)); }

std::string space(int n) { return n > 0 ? std::string(static_cast<std::size_t>(n), ' ') : std::string(); }

std::string lower(std::string_view s) {
  const auto& t = lowerTable();
  std::string out(s);
  for (char& c : out) c = static_cast<char>(t[static_cast<unsigned char>(c)]);
  return out;
}

bool blank(std::string_view s) { return s.find_first_not_of(" \t\r\n") == std::string_view::npos; }

}  // namespace rt::text
