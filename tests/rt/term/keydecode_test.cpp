// Key decoding: the sequences of the common terminals, unknown ones dropped
// whole, and a sequence waited for until it is complete.
#include "rt/term/keydecode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rt/term/keys.h"

namespace rt::term {
namespace {

// Everything the device sent, then a pause: the keys decoded.
std::vector<int> decodeAll(std::u32string_view sent) {
  KeyDecoder d;
  for (char32_t c : sent) d.feed(c);
  if (d.waiting()) d.timeout();
  std::vector<int> out;
  for (int k; (k = d.take()) != 0;) out.push_back(k);
  return out;
}

struct Case {
  const char* what;
  std::u32string sent;
  std::vector<int> keys;
};

TEST(KeyDecoder, KnownSequencesOfTheCommonTerminals) {
  using namespace key;
  const Case cases[] = {
      // Cursor keys, normal and application mode.
      {"xterm up", U"\x1b[A", {kUp}},
      {"xterm down", U"\x1b[B", {kDown}},
      {"xterm right", U"\x1b[C", {kRight}},
      {"xterm left", U"\x1b[D", {kLeft}},
      {"app up", U"\x1bOA", {kUp}},
      {"app left", U"\x1bOD", {kLeft}},
      // Home and End in all their forms.
      {"xterm home", U"\x1b[H", {kHome}},
      {"xterm end", U"\x1b[F", {kEnd}},
      {"app home", U"\x1bOH", {kHome}},
      {"app end", U"\x1bOF", {kEnd}},
      {"vt220 home", U"\x1b[1~", {kHome}},
      {"vt220 end", U"\x1b[4~", {kEnd}},
      {"rxvt home", U"\x1b[7~", {kHome}},
      {"rxvt end", U"\x1b[8~", {kEnd}},
      // Editing keys.
      {"insert", U"\x1b[2~", {kIns}},
      {"delete", U"\x1b[3~", {kDel}},
      {"page up", U"\x1b[5~", {kPgUp}},
      {"page down", U"\x1b[6~", {kPgDn}},
      // Function keys.
      {"F1 ss3", U"\x1bOP", {kF1}},
      {"F4 ss3", U"\x1bOS", {kF4}},
      {"F1 vt220", U"\x1b[11~", {kF1}},
      {"F5 vt220", U"\x1b[15~", {kF5}},
      {"F6", U"\x1b[17~", {kF6}},
      {"F10", U"\x1b[21~", {kF10}},
      {"F11", U"\x1b[23~", {kF11}},
      {"F12", U"\x1b[24~", {kF12}},
      {"F1 linux", U"\x1b[[A", {kF1}},
      {"F5 linux", U"\x1b[[E", {kF5}},
      // Modifiers: xterm parameters, rxvt endings.
      {"ctrl right", U"\x1b[1;5C", {kCtrlRight}},
      {"ctrl left", U"\x1b[1;5D", {kCtrlLeft}},
      {"ctrl up", U"\x1b[1;5A", {kCtrlUp}},
      {"ctrl home", U"\x1b[1;5H", {kCtrlHome}},
      {"ctrl end", U"\x1b[1;5F", {kCtrlEnd}},
      {"ctrl page up", U"\x1b[5;5~", {kCtrlPgUp}},
      {"ctrl page down", U"\x1b[6;5~", {kCtrlPgDn}},
      {"alt down", U"\x1b[1;3B", {kAltDown}},
      {"shift up", U"\x1b[1;2A", {kUp}},
      {"shift end", U"\x1b[1;2F", {kEnd}},
      {"ctrl shift left", U"\x1b[1;6D", {kCtrlLeft}},
      {"shift F1", U"\x1b[1;2P", {fkey(1, Mod::Shift)}},
      {"ctrl F5", U"\x1b[15;5~", {fkey(5, Mod::Ctrl)}},
      {"alt F10", U"\x1b[21;3~", {fkey(10, Mod::Alt)}},
      {"shift F12", U"\x1b[24;2~", {-43}},
      {"rxvt ctrl right", U"\x1bOc", {kCtrlRight}},
      {"rxvt shift up", U"\x1b[a", {kUp}},
      {"rxvt ctrl page up", U"\x1b[5^", {kCtrlPgUp}},
      {"rxvt shift home", U"\x1b[7$", {kHome}},
      {"rxvt alt up", U"\x1b\x1b[A", {kAltUp}},
      {"back tab", U"\x1b[Z", {kShiftTab}},
      // The keypad in application mode.
      {"keypad enter", U"\x1bOM", {kEnter}},
      {"keypad digits", U"\x1bOp\x1bOy", {'0', '9'}},
      {"keypad minus", U"\x1bOm", {'-'}},
      // Esc and Alt.
      {"lone esc", U"\x1b", {kEsc}},
      {"two esc", U"\x1b\x1b", {kEsc, kEsc}},
      {"alt n", U"\x1bn", {alt('N')}},
      {"alt shift q", U"\x1bQ", {alt('Q')}},
      {"alt shift o", U"\x1bO", {alt('O')}},
      {"esc then digit",
       U"\x1b"
       U"4",
       {kEsc, '4'}},
      // Ordinary characters around sequences.
      {"text", U"a1 ", {'a', '1', ' '}},
      {"code page", U"\u00e7\u00c3", {135, 142}},
      {"not in the code page", U"\u20ac", {}},
      {"del is backspace", U"\x7f", {kBackspace}},
      {"enter", U"\r", {kEnter}},
      {"keys in a row", U"x\x1b[4~\x1b[1~y", {'x', kEnd, kHome, 'y'}},
  };
  for (const Case& c : cases) EXPECT_EQ(decodeAll(c.sent), c.keys) << c.what;
}

TEST(KeyDecoder, UnknownSequencesAreDroppedWhole) {
  const Case cases[] = {
      {"unknown number", U"\x1b[99~x", {'x'}},
      {"unknown final", U"\x1b[1;5Yx", {'x'}},
      {"private marker", U"\x1b[?1;2cx", {'x'}},
      {"three parameters", U"\x1b[27;5;13~x", {'x'}},
      {"unknown ss3", U"\x1bOzx", {'x'}},
      {"unknown linux", U"\x1b[[Zx", {'x'}},
      {"keypad five", U"\x1b[Ex", {'x'}},
      {"cut off by a control", U"\x1b[1;\r", {key::kEnter}},
      {"cut off at the end", U"\x1b[1;5", {}},
      {"bare csi", U"\x1b[", {}},
      {"cut off by a new one", U"\x1b[2\x1b[4~", {key::kEnd}},
      {"too long", U"\x1b[1111111111111111111111111;5~x", {'x'}},
  };
  for (const Case& c : cases) EXPECT_EQ(decodeAll(c.sent), c.keys) << c.what;
}

TEST(KeyDecoder, WaitsForTheRestOfASequence) {
  KeyDecoder d;
  d.feed(U'\x1b');
  EXPECT_TRUE(d.waiting());
  EXPECT_EQ(d.take(), 0);
  d.feed(U'[');
  d.feed(U'4');
  EXPECT_EQ(d.take(), 0);
  d.feed(U'~');
  EXPECT_FALSE(d.waiting());
  EXPECT_EQ(d.take(), key::kEnd);
  // A lone Esc only once the device pauses.
  d.feed(U'\x1b');
  EXPECT_EQ(d.take(), 0);
  d.timeout();
  EXPECT_EQ(d.take(), key::kEsc);
  // Clearing drops a sequence half read.
  d.feed(U'\x1b');
  d.feed(U'[');
  d.clear();
  d.feed(U'1');
  d.feed(U'~');
  EXPECT_EQ(d.take(), '1');
  EXPECT_EQ(d.take(), '~');
}

}  // namespace
}  // namespace rt::term
