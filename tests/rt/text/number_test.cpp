// Str, StrZero, Val, Round and Int beyond the recorded cases (those run
// through the expression evaluator, in tests/rt/expr).
#include "rt/text/number.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

namespace {

using namespace rt::text;

TEST(Number, Str) {
  struct Case {
    double x;
    int width, decimals;
    std::string want;
  };
  const Case cases[] = {
      {202211, 6, 0, "202211"},
      {40, -1, 0, "        40"},     // default width 10
      {1.5, -1, 1, "         1.5"},  // 10 + the decimals
      {-0.004, 5, 2, " 0.00"},       // no "-0.00"
      {-1.005, 6, 2, " -1.01"},      // half away from zero, the scaled rule
      {1.005, 5, 2, " 1.01"},
      {1e15, 10, 0, "**********"},
      {5, 0, 0, "         5"},  // no width: the default
      // Decimals beyond any buffer (a damaged field, Val() of a long text).
      {1, 10, 1000, "**********"},
      {1e255, 255, 254, std::string(255, '*')},
      {0, 6, 100000, "******"},
  };
  for (const auto& c : cases) EXPECT_EQ(str(c.x, c.width, c.decimals), c.want) << c.x;
  EXPECT_EQ(fixed(1, 600), "");
}

// Decimals as the exact binary value of the rounded number gives them,
// over many magnitudes and places.
TEST(Number, FixedDigitsAreThoseOfTheRoundedValue) {
  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> mantissa(-1, 1);
  for (int k = 0; k < 20000; ++k) {
    const double x = mantissa(gen) * std::pow(10.0, k % 17 - 3);
    for (int d = 1; d <= 6; ++d) {
      const double r = roundTo(x, d);
      char buf[64];
      const auto end =
          std::to_chars(buf, buf + sizeof buf, r == 0 ? 0.0 : r, std::chars_format::fixed, d).ptr;
      std::string want(buf, end);
      if (want[0] == '-' && want.find_first_of("123456789") == std::string::npos) want.erase(0, 1);
      if (std::fabs(r) >= std::pow(10.0, 15 - d)) continue;  // digits past 15 are shown as zeros
      ASSERT_EQ(fixed(x, d), want) << x << " " << d;
    }
  }
  EXPECT_EQ(fixed(-0.004, 2), "0.00");
  EXPECT_EQ(fixed(1234.5, 2), "1234.50");
  EXPECT_EQ(fixed(-0.05, 3), "-0.050");
}

TEST(Number, StrZero) {
  EXPECT_EQ(strZero(40, 4), "0040");
  EXPECT_EQ(strZero(-1.5, 6, 1), "-001.5");
  EXPECT_EQ(strZero(0, 2), "00");
  EXPECT_EQ(strZero(123, 2), "**");
}

TEST(Number, Val) {
  struct Case {
    const char* text;
    double value;
    int width, decimals;
  };
  const Case cases[] = {
      {"202211", 202211, 6, 0}, {"+7", 7, 2, 0},   {"- 3", 0, 3, 0},      // a sign must touch its digits
      {".5", 0.5, 2, 1},        {"12.", 12, 3, 0}, {"1.2.3", 1.2, 5, 3},  // the second point ends the number
      {"abc", 0, 3, 0},
  };
  for (const auto& c : cases) {
    const NumberText v = val(c.text);
    EXPECT_EQ(v.value, c.value) << c.text;
    EXPECT_EQ(v.width, c.width) << c.text;
    EXPECT_EQ(v.decimals, c.decimals) << c.text;
  }
}

// Whatever the number of digits and decimals, the value is the double
// nearest to the decimal text.
TEST(Number, ValIsTheNearestDouble) {
  const char* const texts[] = {
      "0.1",
      "0.3",
      "1234567.89",
      "00012.50",
      "999999999999999",
      "9999999999999999",
      "0.0000000000000000000001",
      "0.00000000000000000000001",
      "123456789012345.6",
      "1.7976931348623157",
      "4503599627370497",
      "9007199254740993",
      "0.000000000000000000000000000001",
      "  -45.677",
  };
  for (const char* t : texts) {
    std::string digits(t);
    digits.erase(0, digits.find_first_not_of(' '));
    EXPECT_EQ(val(t).value, std::strtod(digits.c_str(), nullptr)) << t;
  }
}

TEST(Number, RoundAndInt) {
  // The worked examples of the price complement: round to 3, then cut to 2.
  struct Case {
    double product, rounded, cut;
  };
  const Case cases[] = {
      {123.45 * (37.0 / 100), 45.677, 45.67}, {10.01 * (15.0 / 100), 1.502, 1.50},
      {8.55 * (33.0 / 100), 2.822, 2.82},     {250.00 * (20.0 / 100), 50.0, 50.0},
      {0.50 * (1.0 / 100), 0.005, 0.0},
  };
  for (const auto& c : cases) {
    const double r = roundTo(c.product, 3);
    EXPECT_EQ(r, c.rounded) << c.product;
    EXPECT_EQ(intPart(r * 1000 / 10) / 100, c.cut) << c.product;
  }
  EXPECT_EQ(roundTo(-45.6765, 3), -45.677);
  EXPECT_EQ(roundTo(1250, -2), 1300);
  EXPECT_EQ(intPart(-7.9), -7);
  // One rounding error below a whole number counts as that number.
  EXPECT_EQ(intPart(0.1 * 3 * 10), 3);
}

}  // namespace
