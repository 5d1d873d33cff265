// The Windows console's key records and colours as the console backend maps
// them.
#include "rt/term/console_map.h"

#include <gtest/gtest.h>

#include "rt/term/keys.h"

namespace rt::term::console {
namespace {

constexpr std::uint32_t kNumLock = 0x0020;
constexpr std::uint32_t kEnhanced = 0x0100;
constexpr std::uint32_t kAltGr = kRightAlt | kLeftCtrl;

TEST(ConsoleKeys, RecordsMapToTheClassicCodes) {
  struct Case {
    KeyRecord rec;
    int code;
    const char* what;
  };
  const Case cases[] = {
      // Navigation, also from the keypad (NumLock off) and with NumLock on.
      {{kVkUp, 0, kEnhanced}, key::kUp, "Up"},
      {{kVkDown, 0, 0}, key::kDown, "keypad Down"},
      {{kVkLeft, 0, kEnhanced | kNumLock}, key::kLeft, "Left"},
      {{kVkRight, 0, kEnhanced}, key::kRight, "Right"},
      {{kVkHome, 0, kEnhanced}, key::kHome, "Home"},
      {{kVkEnd, 0, 0}, key::kEnd, "keypad End"},
      {{kVkPrior, 0, kEnhanced}, key::kPgUp, "PgUp"},
      {{kVkNext, 0, kEnhanced}, key::kPgDn, "PgDn"},
      {{kVkInsert, 0, kEnhanced}, key::kIns, "Ins"},
      {{kVkDelete, 0, kEnhanced}, key::kDel, "Del"},
      {{kVkLeft, 0, kLeftCtrl}, key::kCtrlLeft, "Ctrl-Left"},
      {{kVkRight, 0, kRightCtrl}, key::kCtrlRight, "Ctrl-Right"},
      {{kVkHome, 0, kLeftCtrl}, key::kCtrlHome, "Ctrl-Home"},
      {{kVkEnd, 0, kLeftCtrl}, key::kCtrlEnd, "Ctrl-End"},
      {{kVkPrior, 0, kLeftCtrl}, key::kCtrlPgUp, "Ctrl-PgUp"},
      {{kVkNext, 0, kLeftCtrl}, key::kCtrlPgDn, "Ctrl-PgDn"},
      {{kVkUp, 0, kShift}, key::kUp, "Shift-Up"},
      // Function keys, plain and with Shift, Ctrl, Alt.
      {{kVkF1, 0, 0}, key::kF1, "F1"},
      {{kVkF1 + 1, 0, 0}, key::kF2, "F2"},
      {{kVkF1 + 9, 0, kNumLock}, key::kF10, "F10"},
      {{kVkF1 + 10, 0, 0}, key::kF11, "F11"},
      {{kVkF12, 0, 0}, key::kF12, "F12"},
      {{kVkF1, 0, kShift}, -10, "Shift-F1"},
      {{kVkF1 + 9, 0, kLeftCtrl}, -29, "Ctrl-F10"},
      {{kVkF1 + 2, 0, kLeftAlt}, -32, "Alt-F3"},
      {{kVkF12, 0, kShift}, -43, "Shift-F12"},
      // Alt with a letter by its key, whatever the character; AltGr types.
      {{'C', 0, kLeftAlt}, key::kAltC, "Alt-C"},
      {{'I', u'i', kLeftAlt}, key::alt('I'), "Alt-I with its character"},
      {{'Q', 0, kRightAlt}, key::alt('Q'), "right Alt alone"},
      {{'E', u'€', kAltGr}, 0, "AltGr-E: the euro is not in the code page"},
      {{'Q', u'@', kAltGr}, '@', "AltGr-Q"},
      {{0xDB, u'[', kAltGr}, '[', "AltGr bracket"},
      {{'2', u'2', kLeftAlt}, '2', "Alt with a digit types it"},
      // Control keys and characters.
      {{'A', 1, kLeftCtrl}, 1, "Ctrl-A"},
      {{'C', 3, kLeftCtrl}, 3, "Ctrl-C"},
      {{'W', 23, kRightCtrl}, 23, "Ctrl-W"},
      {{0x0D, 13, 0}, key::kEnter, "Enter"},
      {{0x0D, 10, kLeftCtrl}, 10, "Ctrl-Enter"},
      {{kVkEscape, 27, 0}, key::kEsc, "Esc"},
      {{kVkEscape, 0, 0}, key::kEsc, "Esc without its character"},
      {{0x09, 9, 0}, key::kTab, "Tab"},
      {{kVkBack, 8, 0}, key::kBackspace, "Backspace"},
      {{kVkBack, 127, kLeftCtrl}, key::kBackspace, "Ctrl-Backspace"},
      {{'A', u'a', 0}, 'a', "a"},
      {{'A', u'A', kShift}, 'A', "A"},
      {{0x20, u' ', 0}, ' ', "space"},
      // Accented letters (also from dead keys) to code page 860.
      {{0xBA, u'ç', 0}, 0x87, "ç"},
      {{0xBA, u'Ç', kShift}, 0x80, "Ç"},
      {{'A', u'ã', 0}, 0x84, "ã"},
      {{'O', u'õ', 0}, 0x94, "õ"},
      {{'E', u'é', 0}, 0x82, "é"},
      {{'A', u'Á', kShift}, 0x86, "Á"},
      {{0xDE, u'º', 0}, 0xA7, "º"},
      {{'E', u'ë', 0}, 0, "ë is not in the code page"},
      // Keys that give no code.
      {{0x10, 0, kShift}, 0, "Shift alone"},
      {{0x11, 0, kLeftCtrl}, 0, "Ctrl alone"},
      {{0x12, 0, kLeftAlt}, 0, "Alt alone"},
  };
  for (const Case& c : cases) EXPECT_EQ(keyCode(c.rec), c.code) << c.what;
}

TEST(ConsoleAttributes, ClassicColoursAreTheConsoleBits) {
  // Console attribute bits: FOREGROUND_BLUE 1, GREEN 2, RED 4, INTENSITY 8;
  // BACKGROUND_BLUE 0x10, GREEN 0x20, RED 0x40, INTENSITY 0x80.
  struct Case {
    std::uint8_t attr;
    std::uint16_t console;
    const char* what;
  };
  const Case cases[] = {
      {0x07, 0x0001 | 0x0002 | 0x0004, "W/N"},
      {0x4F, 0x0001 | 0x0002 | 0x0004 | 0x0008 | 0x0040, "W+/R"},
      {0x70, 0x0010 | 0x0020 | 0x0040, "N/W"},
      {0x1E, 0x0002 | 0x0004 | 0x0008 | 0x0010, "GR+/B"},
      {0xF4, 0x0004 | 0x0010 | 0x0020 | 0x0040 | 0x0080, "R/W*: blinking as the bright background"},
      {0x00, 0x0000, "N/N"},
  };
  for (const Case& c : cases) EXPECT_EQ(attribute(c.attr), c.console) << c.what;
}

}  // namespace
}  // namespace rt::term::console
