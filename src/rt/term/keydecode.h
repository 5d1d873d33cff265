// rt/term/keydecode: classic key codes from the characters a terminal sends.
//
// Characters are Unicode code points as they come from the device. A
// printable one becomes its code page 860 byte (dropped when the code page
// lacks it), DEL (127) is Backspace, the other controls are their byte value.
// ESC begins an escape sequence: the cursor, editing and function keys as
// xterm, VT220, rxvt, the Linux console, PuTTY, tmux and screen send them, in
// normal and application keypad mode, with xterm's modifier parameters and
// rxvt's modifier endings; Shift is ignored where the classic keyboard has no
// shifted key, Ctrl wins over Alt. ESC + letter is Alt+letter. A sequence
// that is not known, or is cut off by a character that cannot belong to it,
// is dropped whole. ESC alone is Esc once the device has sent nothing more
// for a short while (timeout()); ESC + any other character is Esc followed by
// that character.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace rt::term {

// The meaning of the escape sequence at the front of `seq` (seq[0] is ESC).
// With `ended` the device has nothing more to send for now.
struct Escape {
  // Overlong: dropped, and so is the rest of it as it comes.
  enum class Kind { NeedMore, Key, Drop, Overlong };
  Kind kind = Kind::NeedMore;
  int key = 0;           // with Key
  std::size_t used = 0;  // characters taken from the front of seq
};
Escape decodeEscape(std::u32string_view seq, bool ended);

class KeyDecoder {
 public:
  // The next character from the device.
  void feed(char32_t c);
  // The device sent nothing more within the wait for the rest of a sequence.
  void timeout();
  // Inside an escape sequence: wait a short while for more, then timeout().
  bool waiting() const { return !pending_.empty(); }
  // The next decoded key, 0 when there is none.
  int take();
  void clear();

 private:
  void decode(bool ended);

  std::u32string pending_;
  std::deque<int> keys_;
  bool skipping_ = false;  // inside the rest of an overlong sequence
};

}  // namespace rt::term
