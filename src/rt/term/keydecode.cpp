// rt/term/keydecode: the terminals' escape sequences (CSI and SS3, VT220
// numbered keys, the Linux console's function keys, the application keypad)
// decoded into the classic key codes, and the decoder's queue.
#include "rt/term/keydecode.h"

#include <vector>

#include "rt/term/keys.h"
#include "rt/text/cp860.h"

namespace rt::term {

namespace {

constexpr char32_t kEscChar = 27;
constexpr std::size_t kLongest = 16;  // longer sequences are dropped

// Modifier bits of an xterm parameter (2 Shift, 3 Alt, 5 Ctrl, ...).
constexpr int kShift = 1, kAlt = 2, kCtrl = 4;

struct Nav {
  int plain, ctrl, alt;
};
constexpr Nav kUpKey{key::kUp, key::kCtrlUp, key::kAltUp};
constexpr Nav kDownKey{key::kDown, key::kCtrlDown, key::kAltDown};
constexpr Nav kRightKey{key::kRight, key::kCtrlRight, key::kAltRight};
constexpr Nav kLeftKey{key::kLeft, key::kCtrlLeft, key::kAltLeft};
constexpr Nav kHomeKey{key::kHome, key::kCtrlHome, key::kAltHome};
constexpr Nav kEndKey{key::kEnd, key::kCtrlEnd, key::kAltEnd};
constexpr Nav kPgUpKey{key::kPgUp, key::kCtrlPgUp, key::kAltPgUp};
constexpr Nav kPgDnKey{key::kPgDn, key::kCtrlPgDn, key::kAltPgDn};
constexpr Nav kInsKey{key::kIns, key::kCtrlIns, key::kAltIns};
constexpr Nav kDelKey{key::kDel, key::kCtrlDel, key::kAltDel};

int nav(const Nav& k, int mods) {
  if (mods & kCtrl) return k.ctrl;
  if (mods & kAlt) return k.alt;
  return k.plain;
}

int fn(int n, int mods) {
  if (mods & kCtrl) return key::fkey(n, key::Mod::Ctrl);
  if (mods & kAlt) return key::fkey(n, key::Mod::Alt);
  if (mods & kShift) return key::fkey(n, key::Mod::Shift);
  return key::fkey(n);
}

// The keys named by a final letter after CSI or SS3; 0 when it names none.
int letterKey(char32_t f, int mods) {
  switch (f) {
    case 'A':
      return nav(kUpKey, mods);
    case 'B':
      return nav(kDownKey, mods);
    case 'C':
      return nav(kRightKey, mods);
    case 'D':
      return nav(kLeftKey, mods);
    case 'H':
      return nav(kHomeKey, mods);
    case 'F':
      return nav(kEndKey, mods);
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
      return fn(static_cast<int>(f - 'P') + 1, mods);
    case 'Z':
      return key::kShiftTab;
    default:
      return 0;
  }
}

// VT220 numbered keys: ESC [ n ~.
int numberedKey(int n, int mods) {
  switch (n) {
    case 1:
    case 7:
      return nav(kHomeKey, mods);
    case 2:
      return nav(kInsKey, mods);
    case 3:
      return nav(kDelKey, mods);
    case 4:
    case 8:
      return nav(kEndKey, mods);
    case 5:
      return nav(kPgUpKey, mods);
    case 6:
      return nav(kPgDnKey, mods);
    default:
      break;
  }
  if (n >= 11 && n <= 15) return fn(n - 10, mods);
  if (n >= 17 && n <= 21) return fn(n - 11, mods);
  if (n == 23 || n == 24) return fn(n - 12, mods);
  return 0;
}

// Keypad keys in application mode (ESC O p .. ESC O y and the operators).
int keypadKey(char32_t f) {
  if (f >= 'p' && f <= 'y') return '0' + static_cast<int>(f - 'p');
  switch (f) {
    case 'M':
      return key::kEnter;
    case 'I':
      return key::kTab;
    case 'j':
      return '*';
    case 'k':
      return '+';
    case 'l':
      return ',';
    case 'm':
      return '-';
    case 'n':
      return '.';
    case 'o':
      return '/';
    case 'X':
      return '=';
    default:
      return 0;
  }
}

bool isParam(char32_t c) { return c >= 0x30 && c <= 0x3F; }
bool isFinal(char32_t c) { return (c >= 0x40 && c <= 0x7E) || c == '$'; }
bool isIntermediate(char32_t c) { return c >= 0x20 && c <= 0x2F; }

// Numbers of a parameter string "1;5"; an empty one is 1.
std::vector<int> numbers(std::u32string_view p) {
  std::vector<int> out{0};
  bool any = false;
  for (char32_t c : p) {
    if (c == ';') {
      if (!any) out.back() = 1;
      out.push_back(0);
      any = false;
    } else if (c >= '0' && c <= '9') {
      if (out.back() < 1000) out.back() = out.back() * 10 + static_cast<int>(c - '0');
      any = true;
    } else {
      return {};  // private markers: not a key
    }
  }
  if (!any) out.back() = 1;
  return out;
}

int modsOf(const std::vector<int>& n) { return n.size() >= 2 && n[1] >= 1 ? (n[1] - 1) & 7 : 0; }

// CSI (ESC [) and SS3 (ESC O) sequences.
Escape control(std::u32string_view seq, bool ended, bool csi) {
  std::size_t i = 2;
  // The Linux console's F1..F5: ESC [ [ A .. ESC [ [ E.
  if (csi && seq.size() > 2 && seq[2] == '[') {
    if (seq.size() == 3) return ended ? Escape{Escape::Kind::Drop, 0, 3} : Escape{};
    const char32_t f = seq[3];
    if (f >= 'A' && f <= 'E') return {Escape::Kind::Key, key::fkey(static_cast<int>(f - 'A') + 1), 4};
    return {Escape::Kind::Drop, 0, isFinal(f) ? 4u : 3u};
  }
  while (i < seq.size() && (isParam(seq[i]) || isIntermediate(seq[i])) && seq[i] != '$') ++i;
  if (i > kLongest) return {Escape::Kind::Overlong, 0, i};
  if (i == seq.size()) {
    if (!ended) return {};
    // ESC O alone is Alt+O (Alt+Shift+O).
    if (!csi && i == 2) return {Escape::Kind::Key, key::alt('O'), 2};
    return {Escape::Kind::Drop, 0, i};
  }
  const char32_t f = seq[i];
  if (!isFinal(f)) return {Escape::Kind::Drop, 0, i};  // cut off: the character is read again
  const std::size_t used = i + 1;
  const std::u32string_view params = seq.substr(2, i - 2);
  const std::vector<int> n = numbers(params);
  int k = 0;
  if (!n.empty()) {
    int mods = modsOf(n);
    if (csi) {
      switch (f) {
        case '~':
        case '^':
        case '$':
        case '@':
          // rxvt marks Ctrl with ^, Shift with $ and both with @.
          if (f == '^' || f == '@') mods |= kCtrl;
          if (f == '$' || f == '@') mods |= kShift;
          k = n.size() <= 2 ? numberedKey(n[0], mods) : 0;
          break;
        case 'a':
        case 'b':
        case 'c':
        case 'd':  // rxvt's Shift+arrow
          k = params.empty() ? letterKey(static_cast<char32_t>(f - 'a' + 'A'), kShift) : 0;
          break;
        default:
          k = letterKey(f, mods);
          break;
      }
    } else if (f >= 'a' && f <= 'd') {  // rxvt's Ctrl+arrow
      k = params.empty() ? letterKey(static_cast<char32_t>(f - 'a' + 'A'), kCtrl) : 0;
    } else {
      k = letterKey(f, mods);
      if (k == 0 && params.empty()) k = keypadKey(f);
    }
  }
  return {k != 0 ? Escape::Kind::Key : Escape::Kind::Drop, k, used};
}

bool isLetter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

Escape decodeEscape(std::u32string_view seq, bool ended) {
  if (seq.size() < 2) return ended ? Escape{Escape::Kind::Key, key::kEsc, 1} : Escape{};
  const char32_t c = seq[1];
  if (c == '[' || c == 'O') return control(seq, ended, c == '[');
  if (c == kEscChar && seq.size() >= 3 && (seq[2] == '[' || seq[2] == 'O')) {
    // rxvt sends Alt with a key's sequence as ESC before it.
    Escape e = control(seq.substr(1), ended, seq[2] == '[');
    if (e.kind == Escape::Kind::NeedMore) return e;
    if (e.kind == Escape::Kind::Key) {
      // Alt of a navigation key where the keyboard has one; otherwise the key.
      for (const Nav& k :
           {kUpKey, kDownKey, kRightKey, kLeftKey, kHomeKey, kEndKey, kPgUpKey, kPgDnKey, kInsKey, kDelKey})
        if (e.key == k.plain) e.key = k.alt;
      for (int f = 1; f <= 12; ++f)
        if (e.key == key::fkey(f)) e.key = key::fkey(f, key::Mod::Alt);
    }
    e.used += 1;
    return e;
  }
  if (c == kEscChar && seq.size() == 2 && !ended) return {};
  if (c < 128 && isLetter(c)) return {Escape::Kind::Key, key::alt(static_cast<char>(c)), 2};
  return {Escape::Kind::Key, key::kEsc, 1};
}

void KeyDecoder::feed(char32_t c) {
  pending_.push_back(c);
  decode(false);
}

void KeyDecoder::timeout() { decode(true); }

int KeyDecoder::take() {
  if (keys_.empty()) return 0;
  const int k = keys_.front();
  keys_.pop_front();
  return k;
}

void KeyDecoder::clear() {
  pending_.clear();
  keys_.clear();
  skipping_ = false;
}

void KeyDecoder::decode(bool ended) {
  while (!pending_.empty()) {
    const char32_t c = pending_.front();
    if (skipping_) {
      skipping_ = isParam(c) || isIntermediate(c);
      if (skipping_ || isFinal(c)) {
        pending_.erase(0, 1);
        continue;
      }
    }
    if (c != kEscChar) {
      pending_.erase(0, 1);
      if (c == 127) {
        keys_.push_back(key::kBackspace);
      } else if (c >= 1 && c < 127) {
        keys_.push_back(static_cast<int>(c));
      } else if (c >= 128) {
        const int b = text::fromUnicode(c);
        if (b >= 128) keys_.push_back(b);  // characters the code page lacks are dropped
      }
      continue;
    }
    const Escape e = decodeEscape(pending_, ended);
    if (e.kind == Escape::Kind::NeedMore) return;
    if (e.kind == Escape::Kind::Key && e.key != 0) keys_.push_back(e.key);
    skipping_ = e.kind == Escape::Kind::Overlong;
    pending_.erase(0, e.used);
  }
}

}  // namespace rt::term
