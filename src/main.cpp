// The program: installs the error policy, then runs MENU.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/errorsys/Errorsys.h"
#include "app/menu/Menu.h"
#include "rt/runtime.h"
#include "rt/term/curses_backend.h"

int main() {
  auto opened = rt::term::openCurses();
  if (!opened.backend) {
    std::fprintf(stderr, "fpo: %s\n", opened.error.c_str());
    return 1;
  }

  int code = 0;
  std::string errorOutput;
  {
    rt::Runtime runtime(std::move(opened.backend), rt::dos::Config::fromEnvironment());
    fpo::Sistema s(runtime);
    fpo::ERRORSYS(s);
    try {
      fpo::MENU(s);
    } catch (const rt::err::ProgramExit& e) {
      code = e.code();
    }
    errorOutput = runtime.errors.takeErrOutput();
    // The runtime closes the tables, then gives the terminal back.
  }
  if (!errorOutput.empty()) {
    std::fwrite(errorOutput.data(), 1, errorOutput.size(), stderr);
    std::fputs("\n", stderr);
  }
  return code;
}
