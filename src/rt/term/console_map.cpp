// rt/term/console_map: Windows console key records to the classic key codes
// (navigation keys plain and with Ctrl, F1..F12 with Shift, Ctrl or Alt,
// Alt+letter, characters through code page 860).
#include "rt/term/console_map.h"

#include "rt/term/keys.h"
#include "rt/text/cp860.h"

namespace rt::term::console {

namespace {

// Navigation keys: plain and with Ctrl.
struct Nav {
  std::uint16_t vk;
  int plain;
  int ctrl;
};
constexpr Nav kNav[] = {
    {kVkPrior, key::kPgUp, key::kCtrlPgUp},   {kVkNext, key::kPgDn, key::kCtrlPgDn},
    {kVkEnd, key::kEnd, key::kCtrlEnd},       {kVkHome, key::kHome, key::kCtrlHome},
    {kVkLeft, key::kLeft, key::kCtrlLeft},    {kVkUp, key::kUp, key::kUp},
    {kVkRight, key::kRight, key::kCtrlRight}, {kVkDown, key::kDown, key::kDown},
    {kVkInsert, key::kIns, key::kIns},        {kVkDelete, key::kDel, key::kDel},
};

// F1..F12: plain, with Shift, with Ctrl, with Alt.
constexpr int kFunction[4][12] = {
    {key::kF1, key::kF2, key::kF3, key::kF4, key::kF5, key::kF6, key::kF7, key::kF8, key::kF9, key::kF10,
     key::kF11, key::kF12},
    {-10, -11, -12, -13, -14, -15, -16, -17, -18, -19, -42, -43},
    {-20, -21, -22, -23, -24, -25, -26, -27, -28, -29, -44, -45},
    {-30, -31, -32, -33, -34, -35, -36, -37, -38, -39, -46, -47},
};

}  // namespace

int keyCode(const KeyRecord& k) {
  const bool ctrl = (k.state & (kLeftCtrl | kRightCtrl)) != 0;
  const bool alt = (k.state & (kLeftAlt | kRightAlt)) != 0;
  for (const Nav& n : kNav)
    if (k.vk == n.vk) return ctrl ? n.ctrl : n.plain;
  if (k.vk >= kVkF1 && k.vk <= kVkF12) {
    const int row = alt ? 3 : ctrl ? 2 : (k.state & kShift) ? 1 : 0;
    return kFunction[row][k.vk - kVkF1];
  }
  // Alt with a letter, told by the key (the character may be absent or
  // another); with Ctrl as well it is AltGr.
  if (alt && !ctrl && k.vk >= 'A' && k.vk <= 'Z') return key::alt(static_cast<char>(k.vk));
  if (k.ch == 0) return k.vk == kVkEscape ? key::kEsc : 0;  // some consoles give Esc no character
  if (k.ch == 127) return key::kBackspace;
  if (k.ch < 128) return k.ch;
  const int b = text::fromUnicode(static_cast<char32_t>(k.ch));
  return b >= 128 ? b : 0;
}

}  // namespace rt::term::console
