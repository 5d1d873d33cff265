// rt/term/device: the platform's real console. Off Windows it is the
// terminal through ncursesw (curses_backend.h); on Windows the console
// window (console_backend_win32.cpp).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "rt/term/screen.h"

namespace rt::term {

struct DeviceOpen {
  std::unique_ptr<Backend> backend;  // null on failure
  std::string error;                 // why, one line, when backend is null
};

// Takes over the console; fails, before anything is drawn, when there is
// none the program can use. The console is given back when the backend is
// destroyed, with the last screen left visible on it.
DeviceOpen openDevice();

// Writes code page 860 text to the error output once the console is given
// back: line breaks and tabs as they are, every other byte as its glyph.
void writeErrorOutput(std::string_view cp860);

}  // namespace rt::term
