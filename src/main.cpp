// The program: installs the error policy, then runs MENU.
#include <exception>
#include <string>

#include "app/errorsys/Errorsys.h"
#include "app/menu/Menu.h"
#include "rt/runtime.h"
#include "rt/term/device.h"

int main() {
  auto opened = rt::term::openDevice();
  if (!opened.backend) {
    rt::term::writeErrorOutput("fpo: " + opened.error + "\n");
    return 1;
  }

  int code = 0;
  std::string errorOutput;
  std::string failure;
  {
    rt::Runtime runtime(std::move(opened.backend), rt::dos::Config::fromEnvironment());
    fpo::Sistema s(runtime);
    fpo::ERRORSYS(s);
    try {
      fpo::MENU(s);
    } catch (const rt::err::ProgramExit& e) {
      code = e.code();
    } catch (const std::exception& e) {
      // A fault of the program itself: the terminal is still given back.
      failure = e.what();
      code = 1;
    }
    errorOutput = runtime.errors.takeErrOutput();
    // The runtime closes the tables, then gives the terminal back.
  }
  // The error output goes out only now, on the restored console; a last
  // line break keeps the shell's prompt off its last line. Control bytes of
  // a file name or key text show as their glyphs, never raw.
  if (!errorOutput.empty()) {
    if (errorOutput.back() != '\n') errorOutput += '\n';
    rt::term::writeErrorOutput(errorOutput);
  }
  if (!failure.empty()) rt::term::writeErrorOutput("fpo: " + failure + "\n");
  return code;
}
