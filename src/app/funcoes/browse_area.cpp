// BrowseArea: a work area's steps as the browse counts them.
#include "app/funcoes/browse_area.h"

namespace fpo {

std::int64_t BrowseArea::skip(std::int64_t n) {
  if (!area_.used()) return 0;
  std::int64_t moved = 0;
  if (n > 0) {
    if (area_.eof()) return 0;
    while (moved < n) {
      const auto before = area_.recNo();
      area_.skip(1);
      if (area_.eof()) {
        area_.goTo(before);
        break;
      }
      ++moved;
    }
    return moved;
  }
  if (n < 0 && area_.eof()) {
    area_.goBottom();
    if (area_.eof()) return 0;
    moved = -1;
  }
  while (moved > n) {
    const auto before = area_.recNo();
    area_.skip(-1);
    if (area_.bof() || area_.recNo() == before) break;
    --moved;
  }
  return moved;
}

void BrowseArea::goTo(Position p) {
  if (p < 0 || p > static_cast<Position>(UINT32_MAX)) p = 0;
  area_.goTo(static_cast<std::uint32_t>(p));
}

}  // namespace fpo
