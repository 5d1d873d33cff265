// A small program on the real terminal for the tmux smoke test: draws a frame,
// code page 860 text and colours, then shows the code of every key it reads.
// F10 ends it with exit code 0; the cancel key ends it as the run-time does.
// (Not a .cpp: the unit test program takes every .cpp of this folder.)
#include <string>
#include <utility>

#include "rt/err/error.h"
#include "rt/term/device.h"
#include "rt/term/term.h"
#include "rt/text/cp860.h"

int main() {
  namespace term = rt::term;
  rt::err::ErrorSystem errors;
  int code = 0;
  {
    term::DeviceOpen open = term::openDevice();
    if (!open.backend) {
      term::writeErrorOutput("fpo_term_demo: " + open.error + "\n");
      return 1;
    }
    try {
      term::Terminal t(errors, std::move(open.backend));
      rt::err::Routine outer(errors, "DEMO", 7);
      rt::err::Routine inner(errors, "KEYS", 21);
      t.setColor("W+/B");
      t.cls();
      t.dispBox(0, 0, 24, 79, "╔═╗║╝═╚║ "_cp);
      t.devPos(1, 2);
      t.devOut("Atualização da Programação Orçamentária"_cp);
      t.devPos(2, 2);
      t.devOut("░▒▓█ ┌─┐ çãõé ºª "_cp + std::string("\x10\x11\x1E\x1F"));
      t.devPos(3, 2);
      t.devOut(" vermelho ", "W+/R");
      t.devOut(" ");
      t.devOut(" cinza ", "0+/W");
      t.devOut(" ");
      t.devOut(" pisca ", "R*/W");
      t.setCursor(term::CursorShape::None);
      for (int n = 1;; ++n) {
        const int k = t.readKey();
        std::string line = "#" + std::to_string(n) + " tecla " + std::to_string(k) + " ";
        line.resize(30, ' ');
        t.devPos(5, 2);
        t.devOut(line);
        if (k == term::key::kF10) break;
      }
    } catch (const rt::err::ProgramExit& e) {
      code = e.code();
    }
  }
  rt::term::writeErrorOutput(errors.takeErrOutput());
  return code;
}
