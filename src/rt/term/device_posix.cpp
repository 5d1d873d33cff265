// rt/term/device off Windows: the console is the terminal through ncursesw,
// and the error output goes to stderr as UTF-8.
#include <cstdio>

#include "rt/term/curses_backend.h"
#include "rt/term/device.h"
#include "rt/text/cp860.h"

namespace rt::term {

DeviceOpen openDevice() { return openCurses(); }

void writeErrorOutput(std::string_view cp860) {
  const std::string utf8 = text::toUtf8Lines(cp860);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

}  // namespace rt::term
