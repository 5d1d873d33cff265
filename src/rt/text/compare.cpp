// rt/text/compare: compare(), byte by byte, under the non-exact and the
// exact rule.
#include "rt/text/compare.h"

#include <algorithm>

namespace rt::text {

namespace {

int bytes(std::string_view a, std::string_view b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

std::string_view withoutTrailingBlanks(std::string_view s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

}  // namespace

int compare(std::string_view left, std::string_view right, bool exact) {
  if (exact) {
    left = withoutTrailingBlanks(left);
    right = withoutTrailingBlanks(right);
  }
  const int c = bytes(left, right, std::min(left.size(), right.size()));
  if (c != 0) return c;
  if (left.size() < right.size()) return -1;
  if (left.size() > right.size()) return exact ? 1 : 0;
  return 0;
}

}  // namespace rt::text
