// rt/ui/alert: the run-time's own alert box (ALERT).
//
// alert shows `text` (";" starts a new line; a line wider than 76 columns is
// broken at its last blank that fits, or cut) in a framed box centred on the
// screen, bright white on red, with the options as a row of buttons under a
// blank line; the current button is bright white on blue. The buttons are
// chosen with the prompt menu (prompt.h): the result is the chosen option's
// number (1 for the first) or 0 after Esc, and the last key is the key that
// ended the choice. Without options the single button "Ok" is offered. Keys
// typed ahead are read as they come. The screen, the colour setting and the
// cursor shape are as before the call when it returns; the device position
// is not kept. At most 21 lines are shown.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "rt/term/term.h"

namespace rt::ui {

int alert(term::Terminal& term, std::string_view text, std::span<const std::string> options);

}  // namespace rt::ui
