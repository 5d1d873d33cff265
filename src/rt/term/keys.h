// rt/term/keys: the classic console key codes. Every key read of the terminal
// returns one of these, or a printable character as its code page 860 byte
// value (32..255), or a control character as its byte value (Ctrl-A = 1, ...).
#pragma once

namespace rt::term::key {

inline constexpr int kCtrlRight = 2;
inline constexpr int kPgDn = 3;
inline constexpr int kRight = 4;
inline constexpr int kUp = 5;
inline constexpr int kEnd = 6;
inline constexpr int kDel = 7;
inline constexpr int kBackspace = 8;
inline constexpr int kTab = 9;
inline constexpr int kEnter = 13;
inline constexpr int kHome = 1;
inline constexpr int kPgUp = 18;
inline constexpr int kLeft = 19;
inline constexpr int kIns = 22;
inline constexpr int kCtrlEnd = 23;
inline constexpr int kDown = 24;
inline constexpr int kCtrlLeft = 26;
inline constexpr int kEsc = 27;
inline constexpr int kF1 = 28;
inline constexpr int kCtrlHome = 29;
inline constexpr int kCtrlPgDn = 30;
inline constexpr int kCtrlPgUp = 31;
inline constexpr int kF2 = -1;
inline constexpr int kF3 = -2;
inline constexpr int kF4 = -3;
inline constexpr int kF5 = -4;
inline constexpr int kF6 = -5;
inline constexpr int kF7 = -6;
inline constexpr int kF8 = -7;
inline constexpr int kF9 = -8;
inline constexpr int kF10 = -9;
inline constexpr int kF11 = -40;
inline constexpr int kF12 = -41;
inline constexpr int kShiftTab = 271;

// The function key n (1..12) alone or with Shift, Ctrl or Alt.
enum class Mod { None, Shift, Ctrl, Alt };
constexpr int fkey(int n, Mod m = Mod::None) {
  if (n < 1 || n > 12) return 0;
  if (n > 10) return -40 - (n - 11) - 2 * static_cast<int>(m);
  if (m == Mod::None) return n == 1 ? kF1 : 1 - n;
  return -10 * static_cast<int>(m) - (n - 1);
}

// The navigation keys with Ctrl or Alt, where the classic keyboard has them.
inline constexpr int kCtrlUp = 397;
inline constexpr int kCtrlDown = 401;
inline constexpr int kCtrlIns = 402;
inline constexpr int kCtrlDel = 403;
inline constexpr int kAltHome = 407;
inline constexpr int kAltUp = 408;
inline constexpr int kAltPgUp = 409;
inline constexpr int kAltLeft = 411;
inline constexpr int kAltRight = 413;
inline constexpr int kAltEnd = 415;
inline constexpr int kAltDown = 416;
inline constexpr int kAltPgDn = 417;
inline constexpr int kAltIns = 418;
inline constexpr int kAltDel = 419;

// Alt+letter, by the keyboard row of the letter: Q..P 272..281, A..L 286..294,
// Z..M 300..306. Either case; 0 for anything that is not an ASCII letter.
constexpr int alt(char letter) {
  constexpr const char* kRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  constexpr int kFirst[] = {272, 286, 300};
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  for (int r = 0; r < 3; ++r)
    for (int i = 0; kRows[r][i] != '\0'; ++i)
      if (kRows[r][i] == letter) return kFirst[r] + i;
  return 0;
}

inline constexpr int kAltC = alt('C');  // 302, the cancel key

}  // namespace rt::term::key
