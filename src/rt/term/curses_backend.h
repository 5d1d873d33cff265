// rt/term/curses_backend: the real terminal through ncursesw.
//
// Code page 860 bytes are shown as their Unicode glyphs; attributes map to the
// 8 curses colours, bold for a bright foreground and blink for the blink bit.
// Keys are decoded from the bytes the terminal sends (keydecode.h), whatever
// its terminfo entry lists; a lone Esc is delivered after a few tens of
// milliseconds. The screen is drawn at the top left; after a resize it is
// repainted from the cells, and while the terminal is smaller than 80x25 a
// notice stands in its place (keys typed meanwhile are dropped). When the
// backend is destroyed the terminal is restored and the last screen presented
// is written out on it, so that it stays visible after the program. SIGHUP,
// SIGINT, SIGQUIT, SIGTERM and the fault signals (SIGSEGV, SIGBUS, SIGFPE,
// SIGILL, SIGABRT) restore the terminal and end the process with exit code 1
// while the backend lives. One at a time.
#pragma once

#include "rt/term/device.h"

namespace rt::term {

// Takes over standard input and output. Fails, before anything is drawn,
// when they are not a terminal, the terminal type is unknown, or raw mode
// cannot be set.
DeviceOpen openCurses();

}  // namespace rt::term
