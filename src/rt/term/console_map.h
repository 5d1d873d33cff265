// rt/term/console_map: what the Windows console backend maps, as plain data,
// so that it is the same (and tested) on every platform.
//
// A key record is the key event of the console input (virtual-key code, the
// UTF-16 character it typed, the control-key state); the values below are
// those of the console API.
#pragma once

#include <cstdint>

namespace rt::term::console {

// Control-key state bits.
inline constexpr std::uint32_t kRightAlt = 0x0001;
inline constexpr std::uint32_t kLeftAlt = 0x0002;
inline constexpr std::uint32_t kRightCtrl = 0x0004;
inline constexpr std::uint32_t kLeftCtrl = 0x0008;
inline constexpr std::uint32_t kShift = 0x0010;

// Virtual-key codes of the keys mapped by code.
inline constexpr std::uint16_t kVkBack = 0x08;
inline constexpr std::uint16_t kVkEscape = 0x1B;
inline constexpr std::uint16_t kVkPrior = 0x21;
inline constexpr std::uint16_t kVkNext = 0x22;
inline constexpr std::uint16_t kVkEnd = 0x23;
inline constexpr std::uint16_t kVkHome = 0x24;
inline constexpr std::uint16_t kVkLeft = 0x25;
inline constexpr std::uint16_t kVkUp = 0x26;
inline constexpr std::uint16_t kVkRight = 0x27;
inline constexpr std::uint16_t kVkDown = 0x28;
inline constexpr std::uint16_t kVkInsert = 0x2D;
inline constexpr std::uint16_t kVkDelete = 0x2E;
inline constexpr std::uint16_t kVkF1 = 0x70;
inline constexpr std::uint16_t kVkF12 = 0x7B;

struct KeyRecord {
  std::uint16_t vk = 0;     // virtual-key code
  char16_t ch = 0;          // the character typed, 0 for none
  std::uint32_t state = 0;  // control-key state
};

// The classic key code (keys.h) of a key press, 0 for a key that gives none
// (a lone Shift, a character the code page lacks, ...). Alt with a letter is
// Alt+letter; AltGr (Ctrl with Alt) types its character. Characters are
// code page 860 bytes; DEL (Ctrl-Backspace) is Backspace.
int keyCode(const KeyRecord& key);

// The console attribute of a cell's attribute byte: the same bit layout
// (blue 1, green 2, red 4, bright 8; background << 4), the blink bit
// being the bright background.
constexpr std::uint16_t attribute(std::uint8_t attr) { return attr; }

}  // namespace rt::term::console
