// rt/text/cp860: the code page's table (cp860_table.inc) both ways, UTF-8
// and the system's names into and out of the code page, and upper case.
#include "rt/text/cp860.h"

#include <array>
#include <unordered_map>

namespace rt::text {

namespace {

constexpr std::array<std::uint16_t, 256> kToUnicode = {
#include "rt/text/cp860_table.inc"
};

const std::unordered_map<char32_t, std::uint8_t>& reverseTable() {
  static const auto table = [] {
    std::unordered_map<char32_t, std::uint8_t> m;
    for (int i = 255; i >= 1; --i) m[kToUnicode[static_cast<std::size_t>(i)]] = static_cast<std::uint8_t>(i);
    // Printable ASCII maps to itself; control characters keep their bytes.
    for (int i = 0; i < 128; ++i) m[static_cast<char32_t>(i)] = static_cast<std::uint8_t>(i);
    return m;
  }();
  return table;
}

constexpr std::array<std::uint8_t, 256> kUpper = [] {
  std::array<std::uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  for (int c = 'a'; c <= 'z'; ++c) t[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - 32);
  constexpr std::uint8_t pairs[][2] = {{129, 154}, {130, 144}, {131, 143}, {132, 142}, {133, 145},
                                       {135, 128}, {136, 137}, {138, 146}, {141, 152}, {147, 140},
                                       {148, 153}, {149, 169}, {151, 157}, {160, 134}, {161, 139},
                                       {162, 159}, {163, 150}, {164, 165}};
  for (const auto& p : pairs) t[p[0]] = p[1];
  return t;
}();

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// The code point of the UTF-8 sequence at s[i] and its length, 0 when the
// bytes there are no sequence.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<std::uint8_t>(s[i]);
  const std::size_t len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1Fu) : len == 3 ? (b0 & 0x0Fu) : (b0 & 0x07u);
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<std::uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  return len;
}

// The byte of a character of a name, or the stand-in.
char nameByte(char32_t cp) {
  const int byte = fromUnicode(cp);
  return byte < 0x20 || byte == 0x7F ? kStandIn : static_cast<char>(byte);
}

}  // namespace

char32_t toUnicode(std::uint8_t byte) { return kToUnicode[byte]; }

std::string toUtf8(std::string_view cp860) {
  std::string out;
  out.reserve(cp860.size());
  for (char c : cp860) appendUtf8(out, toUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

std::string toUtf8Lines(std::string_view cp860) {
  std::string out;
  out.reserve(cp860.size());
  for (char c : cp860) {
    if (c == '\r' || c == '\n' || c == '\t')
      out.push_back(c);
    else
      appendUtf8(out, toUnicode(static_cast<std::uint8_t>(c)));
  }
  return out;
}

int fromUnicode(char32_t cp) {
  const auto& t = reverseTable();
  auto it = t.find(cp);
  return it == t.end() ? -1 : it->second;
}

std::string fromUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(s, i, cp);
    if (len == 0) {  // not UTF-8: keep the byte as it is
      out.push_back(s[i++]);
      continue;
    }
    const int byte = fromUnicode(cp);
    out.push_back(byte < 0 ? kStandIn : static_cast<char>(byte));
    i += len;
  }
  return out;
}

std::string fromSystemName(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(s, i, cp);
    out.push_back(len == 0 ? kStandIn : nameByte(cp));
    i += len == 0 ? 1 : len;
  }
  return out;
}

namespace {
template <class Unit>
std::string fromUtf16(std::basic_string_view<Unit> s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char32_t u = static_cast<char32_t>(s[i]);
    if (u < 0xD800 || u > 0xDFFF) {
      out.push_back(nameByte(u));
      continue;
    }
    // A pair is one character, beyond what the code page holds; half a pair
    // is none.
    if (u < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) ++i;
    out.push_back(kStandIn);
  }
  return out;
}
}  // namespace

std::string fromSystemName(std::u16string_view s) { return fromUtf16(s); }
std::string fromSystemName(std::wstring_view s) { return fromUtf16(s); }

std::uint8_t upper(std::uint8_t byte) { return kUpper[byte]; }

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(upper(static_cast<std::uint8_t>(c)));
  return out;
}

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = upperAscii(c);
  return out;
}

bool sameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

}  // namespace rt::text
