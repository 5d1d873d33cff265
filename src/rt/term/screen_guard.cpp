// rt/term/screen_guard: what a ScreenGuard saves, and gives back.
#include "rt/term/screen_guard.h"

#include "rt/err/error.h"

namespace rt::term {

ScreenGuard::ScreenGuard(Terminal& term, unsigned parts, Rect region)
    : term_(term),
      saved_(parts),
      atEnd_(parts),
      colors_(term.colors()),
      cursor_(term.cursor()),
      device_(term.device()) {
  if (parts & kRegion) region_ = term.saveRegion(region.top, region.left, region.bottom, region.right);
}

ScreenGuard::~ScreenGuard() {
  if (!err::programEnding()) restore(atEnd_);
}

void ScreenGuard::restore(unsigned parts) const {
  parts &= saved_;
  if (parts & kRegion) term_.restoreRegion(region_);
  if (parts & kColors) term_.setColors(colors_);
  if (parts & kCursor) term_.setCursor(cursor_);
  if (parts & kDevice) term_.setDevice(device_);
}

}  // namespace rt::term
