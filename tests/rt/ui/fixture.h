// Helpers of the screen tests: a headless terminal and readable cell checks.
#pragma once

#include <cstdint>
#include <string>

#include "rt/term/fixture.h"
#include "rt/text/cp860.h"

namespace rt::ui::testing {

using term::testing::HeadlessTerminal;

// Part of a row, as UTF-8.
inline std::string at(const term::Terminal& t, int row, int col, int len) {
  return text::toUtf8(t.screen().text(row, col, len));
}

// The attribute of every cell of row, col..col+len-1, or -1 when they differ.
inline int attrs(const term::Terminal& t, int row, int col, int len) {
  const std::uint8_t a = t.screen().attr(row, col);
  for (int c = col; c < col + len; ++c)
    if (t.screen().attr(row, c) != a) return -1;
  return a;
}

}  // namespace rt::ui::testing
