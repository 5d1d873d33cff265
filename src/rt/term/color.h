// rt/term/color: colour strings and attribute bytes.
//
// An attribute byte holds the foreground in its low nibble and the background
// in its high nibble (attr = fg | bg << 4); colours 0..7 are black, blue,
// green, cyan, red, magenta, brown, white, +8 is bright (foreground) or blink
// (background bit 3, 0x80 of the attribute).
//
// A colour string is up to five comma-separated slots: standard, enhanced,
// border, background, unselected. Each slot is a pair "fg/bg":
//   - a colour is made of the letters N B G R W (any case; letters add up, so
//     BG = GB = cyan, RB = magenta, GR = brown, W = white) or a number 0..15;
//   - "+" anywhere in the pair makes the foreground bright ("w/r+" = W+/R);
//   - "*" anywhere in the pair sets the blink bit ("R*/W" = R/W*);
//   - a missing side is black ("W" = W/N); blanks and other characters are
//     ignored.
// An empty (or blank) slot keeps its value; a given enhanced slot also sets
// the unselected slot unless the string gives that one too; the empty string
// resets every slot to its default.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rt::term {

enum class Slot : std::size_t { Standard = 0, Enhanced, Border, Background, Unselected };
inline constexpr std::size_t kSlotCount = 5;

// The five slots of a colour setting; the defaults are "W/N,N/W,N/N,N/N,N/W".
struct ColorSet {
  std::array<std::uint8_t, kSlotCount> slot = {0x07, 0x70, 0x00, 0x00, 0x70};

  std::uint8_t operator[](Slot s) const { return slot[static_cast<std::size_t>(s)]; }
  std::uint8_t& operator[](Slot s) { return slot[static_cast<std::size_t>(s)]; }
  friend bool operator==(const ColorSet&, const ColorSet&) = default;
};

// Attribute of one pair, or nullopt for an empty or blank pair.
std::optional<std::uint8_t> parseColorPair(std::string_view pair);

// The setting that results from applying a colour string to `current`.
ColorSet applyColorSpec(const ColorSet& current, std::string_view spec);

// A pair that parseColorPair reads back as `attr`, e.g. 0x4F -> "W+/R",
// 0xF0 -> "N/W*".
std::string colorPairText(std::uint8_t attr);

// All five slots as a colour string that applyColorSpec reads back exactly,
// e.g. "W/N,N/W,N/N,N/N,N/W".
std::string colorSpecText(const ColorSet& colors);

}  // namespace rt::term
