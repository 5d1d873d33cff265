// rt/ui/alert: the alert box: its lines broken to fit, the box centred with
// its buttons, the choice through the prompt menu, the screen put back.
#include "rt/ui/alert.h"

#include <algorithm>
#include <vector>

#include "rt/term/screen_guard.h"
#include "rt/text/cp860.h"
#include "rt/ui/prompt.h"

namespace rt::ui {

namespace {

constexpr int kMaxWidth = term::kCols - 4;  // frame and one blank each side
constexpr int kMaxLines = term::kRows - 4;  // frames, gap line, buttons

// The lines of the text: ";" breaks, and a line too wide breaks at its last
// blank that fits (the blank is dropped), or is cut.
std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t semi = text.find(';', start);
    std::string_view line =
        text.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start);
    while (static_cast<int>(line.size()) > kMaxWidth) {
      std::size_t cut = line.rfind(' ', static_cast<std::size_t>(kMaxWidth));
      if (cut == std::string_view::npos || cut == 0) {
        lines.emplace_back(line.substr(0, static_cast<std::size_t>(kMaxWidth)));
        line.remove_prefix(static_cast<std::size_t>(kMaxWidth));
      } else {
        lines.emplace_back(line.substr(0, cut));
        line.remove_prefix(cut + 1);
      }
    }
    lines.emplace_back(line);
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  if (static_cast<int>(lines.size()) > kMaxLines) lines.resize(static_cast<std::size_t>(kMaxLines));
  return lines;
}

}  // namespace

int alert(term::Terminal& term, std::string_view text, std::span<const std::string> options) {
  static const std::string kOk[] = {"Ok"};
  if (options.empty()) options = kOk;

  using G = term::ScreenGuard;
  const G saved(term, G::kRegion | G::kColors | G::kCursor | G::kDevice);
  term.setCursor(term::CursorShape::None);
  // The box is for the operator even while a report is the output device.
  term.setDevice(term::Terminal::Device::Screen);

  const std::vector<std::string> lines = splitLines(text);
  int buttons = -2;  // each label framed by blanks, two blanks between
  for (const std::string& o : options) buttons += static_cast<int>(o.size()) + 4;
  int width = std::min(buttons, kMaxWidth);
  for (const std::string& l : lines) width = std::max(width, static_cast<int>(l.size()));

  const int n = static_cast<int>(lines.size());
  const int height = n + 4;
  const int top = (term::kRows - height) / 2;
  const int left = (term::kCols - (width + 4)) / 2;
  const int right = left + width + 3;
  const int bottom = top + height - 1;

  term.setColor("W+/R,W+/B");  // box and buttons, the current button
  term.dispBox(top, left, bottom, right, "┌─┐│┘─└│ "_cp);
  for (int i = 0; i < n; ++i) {
    const std::string& l = lines[static_cast<std::size_t>(i)];
    term.devPos(top + 1 + i, left + 2 + (width - static_cast<int>(l.size())) / 2);
    term.devOut(l);
  }

  std::vector<Prompt> prompts;
  int col = left + 2 + std::max(0, (width - buttons) / 2);
  for (const std::string& o : options) {
    prompts.push_back({bottom - 1, col, " " + o + " "});
    col += static_cast<int>(o.size()) + 4;
  }
  return menuTo(term, prompts);
}

}  // namespace rt::ui
