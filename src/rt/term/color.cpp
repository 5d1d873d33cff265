// rt/term/color: colour strings read into attribute bytes and slots, and
// attribute bytes written back as colour strings.
#include "rt/term/color.h"

namespace rt::term {

namespace {

// Colour of one side of a pair: letters add their bits, digits form a number.
int sideColor(std::string_view side) {
  int c = 0;
  int number = -1;
  for (char ch : side) {
    switch (ch) {
      case 'b':
      case 'B':
        c |= 1;
        break;
      case 'g':
      case 'G':
        c |= 2;
        break;
      case 'r':
      case 'R':
        c |= 4;
        break;
      case 'w':
      case 'W':
        c |= 7;
        break;
      default:
        if (ch >= '0' && ch <= '9') number = (number < 0 ? 0 : number * 10 % 1000) + (ch - '0');
        break;
    }
  }
  if (number >= 0) c |= number & 0x0F;
  return c;
}

bool blank(std::string_view s) {
  for (char ch : s)
    if (ch != ' ' && ch != '\t') return false;
  return true;
}

constexpr const char* kNames[8] = {"N", "B", "G", "BG", "R", "RB", "GR", "W"};

}  // namespace

std::optional<std::uint8_t> parseColorPair(std::string_view pair) {
  if (blank(pair)) return std::nullopt;
  const std::size_t slash = pair.find('/');
  std::string_view fgText = pair.substr(0, slash);
  std::string_view bgText = slash == std::string_view::npos ? std::string_view{} : pair.substr(slash + 1);
  int fg = sideColor(fgText);
  int bg = sideColor(bgText);
  if (pair.find('+') != std::string_view::npos) fg |= 8;
  if (pair.find('*') != std::string_view::npos) bg |= 8;
  return static_cast<std::uint8_t>(fg | bg << 4);
}

ColorSet applyColorSpec(const ColorSet& current, std::string_view spec) {
  if (blank(spec)) return ColorSet{};
  ColorSet out = current;
  bool unselectedGiven = false;
  std::optional<std::uint8_t> enhanced;
  std::size_t start = 0;
  for (std::size_t i = 0; i < kSlotCount && start <= spec.size(); ++i) {
    std::size_t comma = spec.find(',', start);
    std::string_view part = spec.substr(start, comma == std::string_view::npos ? spec.npos : comma - start);
    if (auto a = parseColorPair(part)) {
      out.slot[i] = *a;
      if (i == static_cast<std::size_t>(Slot::Enhanced)) enhanced = a;
      if (i == static_cast<std::size_t>(Slot::Unselected)) unselectedGiven = true;
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (enhanced && !unselectedGiven) out[Slot::Unselected] = *enhanced;
  return out;
}

std::string colorPairText(std::uint8_t attr) {
  std::string s = kNames[attr & 7];
  if (attr & 0x08) s += '+';
  s += '/';
  s += kNames[(attr >> 4) & 7];
  if (attr & 0x80) s += '*';
  return s;
}

std::string colorSpecText(const ColorSet& colors) {
  std::string s;
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    if (i) s += ',';
    s += colorPairText(colors.slot[i]);
  }
  return s;
}

}  // namespace rt::term
