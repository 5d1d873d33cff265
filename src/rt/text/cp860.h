// rt/text: the run-time's texts and values as the classic run-time shows and
// reads them: the code page (this file), the comparison of texts
// (compare.h), numbers (number.h), dates (date.h), pictures (picture.h) and
// the text functions (strings.h). What it promises: plain functions of their
// arguments that give what the classic run-time gives (its recorded
// behaviour is in tests/reference); nothing here keeps state or touches a
// file, and only Date::today() asks the system for anything.
//
// rt/text/cp860: the Portuguese DOS code page 860, in which every text of the
// system is held (screen cells, tables, reports). Source literals are UTF-8
// and are turned into code page 860 with the _cp suffix.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rt::text {

// Unicode code point shown for a code page 860 byte; control bytes map to
// their code-page glyphs (NUL to a blank), so none is ever shown raw.
char32_t toUnicode(std::uint8_t byte);

// Code page 860 text to UTF-8, byte by byte through toUnicode.
std::string toUtf8(std::string_view cp860);

// The same for a stream of lines (the error output on a terminal): CR, LF
// and TAB stay themselves, every other control byte is its glyph.
std::string toUtf8Lines(std::string_view cp860);

// UTF-8 text to code page 860; a character the code page lacks becomes '?'.
// Invalid UTF-8 bytes are taken as code page 860 bytes unchanged.
std::string fromUtf8(std::string_view utf8);

// Code page 860 byte of a Unicode code point, or -1 when it has none.
int fromUnicode(char32_t cp);

// A name of the system (a file's, a folder's) in code page 860, from UTF-8 or
// UTF-16: a character the code page lacks, one that would be a control byte,
// and a byte or unit that is no character each become kStandIn, as the
// system's own conversion to a code page gives. The way back is toUtf8.
inline constexpr char kStandIn = '?';
std::string fromSystemName(std::string_view utf8);
std::string fromSystemName(std::u16string_view utf16);
std::string fromSystemName(std::wstring_view utf16);  // the wide names of Windows

// Upper case of one byte: ASCII letters and the accented letters of the code
// page that have an upper-case form in it (ç -> Ç, ã -> Ã, ...).
std::uint8_t upper(std::uint8_t byte);
std::string upper(std::string_view cp860);

// Upper case of ASCII letters only (the classic Upper() without a code page).
// Names (of files, fields, aliases, variables and functions) are compared
// this way: sameNoCase tells whether two are equal without regard to the
// case of ASCII letters; other bytes stand as they are.
constexpr char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
std::string upperAscii(std::string_view text);
bool sameNoCase(std::string_view a, std::string_view b);

}  // namespace rt::text

// "Atualização"_cp is the code page 860 form of a UTF-8 literal.
inline std::string operator""_cp(const char* s, std::size_t n) {
  return rt::text::fromUtf8(std::string_view(s, n));
}
