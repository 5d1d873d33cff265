// rt/ui/prompt: the prompt menu: its keys and the choice by first letter.
#include "rt/ui/prompt.h"

#include "rt/term/keys.h"
#include "rt/text/cp860.h"

namespace rt::ui {

namespace {

// The first prompt whose label (leading blanks skipped) begins with `ch`,
// from 0; -1 when none does.
int byFirstLetter(std::span<const Prompt> prompts, std::uint8_t ch) {
  const std::uint8_t want = text::upper(ch);
  for (std::size_t i = 0; i < prompts.size(); ++i) {
    const std::string& t = prompts[i].text;
    const std::size_t first = t.find_first_not_of(' ');
    if (first != std::string::npos && text::upper(static_cast<std::uint8_t>(t[first])) == want)
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

int menuTo(term::Terminal& term, std::span<const Prompt> prompts) {
  if (prompts.empty()) return 0;
  const std::uint8_t standard = term.colors()[term::Slot::Standard];
  const std::uint8_t enhanced = term.colors()[term::Slot::Enhanced];
  const int last = static_cast<int>(prompts.size()) - 1;

  auto draw = [&](int i, std::uint8_t attr) {
    const Prompt& p = prompts[static_cast<std::size_t>(i)];
    term.devPos(p.row, p.col);
    term.devOutAttr(p.text, attr);
  };
  for (int i = 0; i <= last; ++i) draw(i, standard);

  int cur = 0;
  for (;;) {
    draw(cur, enhanced);
    term.devPos(prompts[static_cast<std::size_t>(cur)].row, prompts[static_cast<std::size_t>(cur)].col);
    const int k = term.readKey();
    int next = cur;
    switch (k) {
      case term::key::kLeft:
      case term::key::kUp:
        next = cur > 0 ? cur - 1 : 0;
        break;
      case term::key::kRight:
      case term::key::kDown:
        next = cur < last ? cur + 1 : last;
        break;
      case term::key::kHome:
        next = 0;
        break;
      case term::key::kEnd:
        next = last;
        break;
      case term::key::kEnter:
      case term::key::kPgUp:
      case term::key::kPgDn:
        return cur + 1;
      case term::key::kEsc:
        return 0;
      default:
        if (k >= 32 && k <= 255) {
          const int hit = byFirstLetter(prompts, static_cast<std::uint8_t>(k));
          if (hit >= 0) {
            if (hit != cur) {
              draw(cur, standard);
              draw(hit, enhanced);
            }
            term.devPos(prompts[static_cast<std::size_t>(hit)].row,
                        prompts[static_cast<std::size_t>(hit)].col);
            return hit + 1;
          }
        }
        break;
    }
    if (next != cur) {
      draw(cur, standard);
      cur = next;
    }
  }
}

}  // namespace rt::ui
