// rt/ui/prompt: the prompt menu (@ ... PROMPT / MENU TO).
//
// menuTo draws every prompt at its place in the standard colour and the
// current one in the enhanced colour (the colour setting at the call), starts
// on the first prompt and reads keys until one chooses:
//   Left, Up     previous prompt, stopping at the first (no wrap)
//   Right, Down  next prompt, stopping at the last
//   Home, End    first, last prompt
//   Enter, PgUp, PgDn  choose the current prompt
//   a character  chooses at once the first prompt whose text, leading blanks
//                skipped, begins with it, letters without regard to case
//                (code page 860); a character that begins no prompt is ignored
//   Esc          gives 0
// Other keys are ignored. The result is the number of the chosen prompt (1
// for the first), 0 after Esc or when there are no prompts (then no key is
// read). The last key is the key that ended the menu. The chosen prompt is
// left highlighted; the device position stands at the current prompt.
#pragma once

#include <span>
#include <string>

#include "rt/term/term.h"

namespace rt::ui {

struct Prompt {
  int row = 0;
  int col = 0;
  std::string text;  // code page 860
};

int menuTo(term::Terminal& term, std::span<const Prompt> prompts);

}  // namespace rt::ui
