// Text functions, the code page's glyphs and system names, and dates shown
// and read.
#include "rt/text/strings.h"

#include <gtest/gtest.h>

#include <string>

#include "rt/text/cp860.h"
#include "rt/text/date.h"

namespace {

using namespace rt::text;

TEST(Strings, Pads) {
  EXPECT_EQ(padC("abc", 10), "   abc    ");
  EXPECT_EQ(padC("abcdefghijkl", 10), "abcdefghij");
  EXPECT_EQ(padL("ab", 4, '0'), "00ab");
  EXPECT_EQ(padR("ab", 4), "ab  ");
  EXPECT_EQ(padL("abcdef", 3), "abc");
  EXPECT_EQ(padR("ab", -1), "");
}

TEST(Strings, Trims) {
  EXPECT_EQ(allTrim("  a b  "), "a b");
  EXPECT_EQ(rTrim("  a  "), "  a");
  EXPECT_EQ(lTrim("  a  "), "a  ");
  EXPECT_EQ(allTrim("   "), "");
  // Tails longer than a word, of every length around its multiples.
  for (std::size_t n = 0; n <= 25; ++n) {
    EXPECT_EQ(rTrim("x y" + std::string(n, ' ')), "x y") << n;
    EXPECT_EQ(rTrim(std::string(n, ' ')), "") << n;
    EXPECT_EQ(rTrim(std::string(n, ' ') + "z" + std::string(n, ' ')), std::string(n, ' ') + "z") << n;
  }
  EXPECT_EQ(rTrim("a\t        "), "a\t");
  EXPECT_EQ(space(3), "   ");
  EXPECT_EQ(space(-2), "");
  EXPECT_TRUE(blank(" \t\r\n"));
  EXPECT_FALSE(blank(" x"));
}

TEST(Strings, SubStrCountsFromOne) {
  const struct {
    long long start, count;
    const char* expected;
  } cases[] = {
      {1, 3, "abc"}, {3, 2, "cd"},  {0, 2, "ab"},  {5, 9, "ef"}, {6, 1, "f"}, {7, 1, ""},
      {99, 1, ""},   {-2, 9, "ef"}, {-9, 2, "ab"}, {2, 0, ""},   {2, -1, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(subStr("abcdef", c.start, c.count), c.expected) << c.start << "," << c.count;
  EXPECT_EQ(subStr("abcdef", 4), "def");
  EXPECT_EQ(subStr("", 1, 1), "");
}

TEST(Strings, LowerTakesCodePageCapitals) { EXPECT_EQ(lower("ATUALIZAÇÃO É"_cp), "atualização é"_cp); }

// Text bound for a terminal never carries a raw control byte: each shows as
// its glyph, except the line ends and tabs of the error output.
TEST(CodePage, TerminalTextHasNoRawControls) {
  struct Case {
    std::string cp860, utf8, lines;
  } cases[] = {
      {"A\x1B[2J\x07" + "ção"_cp, "A\u2190[2J\u2022ção", "A\u2190[2J\u2022ção"},
      {std::string("\r\n\t\0\x7F\xFF", 6), "\u266A\u25D9\u25CB \u2302\u00A0",
       std::string("\r\n\t \u2302\u00A0")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toUtf8(c.cp860), c.utf8);
    EXPECT_EQ(toUtf8Lines(c.cp860), c.lines);
    for (char ch : toUtf8Lines(c.cp860)) {
      const auto b = static_cast<unsigned char>(ch);
      EXPECT_TRUE(b >= 0x20 || ch == '\r' || ch == '\n' || ch == '\t') << int(b);
    }
  }
}

// The system's names in code page 860: what the code page lacks, a control
// character and each byte of a broken sequence show as the stand-in, never as
// raw bytes; the way back gives the same name.
TEST(CodePage, SystemNames) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
    std::string cp860;
  } cases[] = {
      {"Saúde Pública", u"Saúde Pública", "Saúde Pública"_cp},
      {"AÇÃO ºª.TXT", u"AÇÃO ºª.TXT", "AÇÃO ºª.TXT"_cp},
      {"€uro 日本", u"€uro 日本", "?uro ??"},
      {"a\nb\x1B\x7F", u"a\nb\x1B\x7F", "a?b??"},
      {"♪◙", u"♪◙", "??"},  // glyphs of control bytes
      {"\xF0\x9F\x98\x80x", u"\U0001F600x", "?x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(fromSystemName(c.utf8), c.cp860);
    EXPECT_EQ(fromSystemName(std::u16string_view(c.utf16)), c.cp860);
    EXPECT_EQ(fromSystemName(std::wstring(c.utf16.begin(), c.utf16.end())), c.cp860);
  }
  EXPECT_EQ(fromSystemName(std::string("Sa\xFA\xC3"
                                       "de\xE2\x82")),
            "Sa??de??");  // no UTF-8
  EXPECT_EQ(fromSystemName(std::u16string_view(u"a\xD800"
                                               u"b\xDC00")),
            "a?b?");  // half pairs
  for (const char* name : {"Saúde Pública", "ÁÉÍÓÚ çãõ ÀÂÊÔ ñ"})
    EXPECT_EQ(toUtf8(fromSystemName(name)), name);
}

TEST(Dates, ShownAndRead) {
  EXPECT_EQ(dtoc(Date::fromYmd(2022, 11, 5)), "05/11/2022");
  EXPECT_EQ(dtoc({}), "  /  /    ");
  struct Case {
    const char* text;
    int y, m, d;  // 0: the empty date
  };
  const Case cases[] = {
      {"05/11/2022", 2022, 11, 5},
      {"05/11/22", 2022, 11, 5},
      {"01/01/60", 1960, 1, 1},
      {"31/12/59", 2059, 12, 31},
      {"  /  /    ", 0, 0, 0},
      {"31/02/2022", 0, 0, 0},
      {"", 0, 0, 0},
      {"29/02/2000", 2000, 2, 29},
  };
  for (const auto& c : cases) {
    const Date d = ctod(c.text);
    EXPECT_EQ(d, c.y ? Date::fromYmd(c.y, c.m, c.d) : Date{}) << c.text;
  }
}

}  // namespace
