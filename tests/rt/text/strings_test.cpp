#include "rt/text/strings.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(space(3), "   ");
  EXPECT_EQ(space(-2), "");
  EXPECT_TRUE(blank(" \t\r\n"));
  EXPECT_FALSE(blank(" x"));
}

TEST(Strings, LowerTakesCodePageCapitals) {
  EXPECT_EQ(lower("ATUALIZAÇÃO É"_cp), "atualização é"_cp);
}

TEST(Dates, ShownAndRead) {
  EXPECT_EQ(dtoc(Date::fromYmd(2022, 11, 5)), "05/11/2022");
  EXPECT_EQ(dtoc({}), "  /  /    ");
  struct Case {
    const char* text;
    int y, m, d;  // 0: the empty date
  };
  const Case cases[] = {
      {"05/11/2022", 2022, 11, 5}, {"05/11/22", 2022, 11, 5},  {"01/01/60", 1960, 1, 1},
      {"31/12/59", 2059, 12, 31},  {"  /  /    ", 0, 0, 0},      {"31/02/2022", 0, 0, 0},
      {"", 0, 0, 0},               {"29/02/2000", 2000, 2, 29},
  };
  for (const auto& c : cases) {
    const Date d = ctod(c.text);
    EXPECT_EQ(d, c.y ? Date::fromYmd(c.y, c.m, c.d) : Date{}) << c.text;
  }
}

}  // namespace
