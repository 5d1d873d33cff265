// rt/ui/achoice: list selection (ACHOICE).
//
// achoice shows `items` in the box top..bottom, left..right, one per row, cut
// or padded to the box width: selectable items in the standard colour, items
// whose flag in `selectable` is false in the unselected colour (a missing flag
// counts as selectable), the current item in the enhanced colour (the colour
// setting at the call). The highlight skips unselectable items. With more
// items than rows the list scrolls. The start item is brought into 1..size
// (and onto a selectable item, looking down first). The device position
// stands at the current item.
//
// Movement keys, handled by the list with or without a callback, never wrap:
//   Up, Down       previous, next selectable item
//   PgUp, PgDn     a page up, down
//   Ctrl-PgUp, Ctrl-PgDn  first, last item
//   Ctrl-Home, Ctrl-End   first, last item in the window
//
// With a callback, after every key it reads (not before the first) the list
// calls callback(mode, item, row): item is the current item's number (from
// 1), row its row within the box (from 0), and mode
//   0  after a movement key that was not an attempt below,
//   1  an attempt to move above the first selectable item (Up, PgUp,
//      Ctrl-PgUp, Ctrl-Home there),
//   2  an attempt to move below the last (Down, PgDn, Ctrl-PgDn, Ctrl-End),
//   3  any other key (Enter, Esc, Left, Right, Home, End, characters, ...);
//      the callback reads it with Terminal::lastKey().
// The callback's result: 0 ends the list with 0, 1 ends it with the current
// item's number, anything else (2) redraws the items and reads the next key.
//
// Without a callback: Enter gives the current item's number, Esc gives 0,
// Left and Right end the list with 0 (the caller may open it again), Home and
// End go to the first and last item; other keys are ignored.
//
// No items, or no selectable one: 0 at once, no key read.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "rt/term/term.h"

namespace rt::ui {

using ListCallback = std::function<int(int mode, int item, int row)>;

int achoice(term::Terminal& term, int top, int left, int bottom, int right,
            std::span<const std::string> items, const std::vector<bool>& selectable = {},
            const ListCallback& callback = {}, int start = 1);

}  // namespace rt::ui
