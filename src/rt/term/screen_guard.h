// rt/term/screen_guard: the screen state saved for the length of a scope.
//
// A ScreenGuard saves the parts of a Terminal's state it is given when it is
// made, and gives them back when it is destroyed: the cells of a rectangle of
// the screen, then the colour setting, the cursor shape and the output device.
// It gives them back also when the scope is left by an exception, but not by
// one that ends the program (err::programEnding): the screen is then left as
// the program leaves it at its end.
//
// restore() gives parts back at once, and they stay saved; keep() leaves
// parts as they stand at the end of the scope. Guards nest: an inner one is
// destroyed first, so the outer one gives back the older state last.
#pragma once

#include "rt/term/color.h"
#include "rt/term/screen.h"
#include "rt/term/term.h"

namespace rt::term {

// A rectangle of the screen, its corners included; by default the whole
// screen.
struct Rect {
  int top = 0;
  int left = 0;
  int bottom = kRows - 1;
  int right = kCols - 1;
};

class ScreenGuard {
 public:
  enum Part : unsigned { kRegion = 1, kColors = 2, kCursor = 4, kDevice = 8 };

  // Saves `parts`; kRegion saves the cells of `region`.
  ScreenGuard(Terminal& term, unsigned parts, Rect region = {});
  ~ScreenGuard();
  ScreenGuard(const ScreenGuard&) = delete;
  ScreenGuard& operator=(const ScreenGuard&) = delete;

  // Gives back the saved ones among `parts` now.
  void restore(unsigned parts) const;
  // Leaves `parts` as they stand at the end of the scope.
  void keep(unsigned parts) { atEnd_ &= ~parts; }

 private:
  Terminal& term_;
  unsigned saved_;
  unsigned atEnd_;
  Region region_;
  ColorSet colors_;
  CursorShape cursor_;
  Terminal::Device device_;
};

}  // namespace rt::term
