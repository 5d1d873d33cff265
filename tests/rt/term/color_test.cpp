// Colour strings: the slots they set, the attribute bytes of their pairs,
// and the text of a setting read back as the same setting.
#include "rt/term/color.h"

#include <gtest/gtest.h>

#include <string>

namespace rt::term {
namespace {

struct Case {
  const char* start;  // setting before, as a colour string over the defaults
  const char* spec;
  const char* expected;  // the five slots afterwards
};

const Case kCases[] = {
    // pairs: letters, "0", "+" and "*" anywhere in the pair
    {"", "W/N", "W/N,N/W,N/N,N/N,N/W"},
    {"", "w/r+", "W+/R,N/W,N/N,N/N,N/W"},
    {"", "+w/r", "W+/R,N/W,N/N,N/N,N/W"},
    {"", "0+/W", "N+/W,N/W,N/N,N/N,N/W"},
    {"", "R*/W", "R/W*,N/W,N/N,N/N,N/W"},
    {"", "r/w*", "R/W*,N/W,N/N,N/N,N/W"},
    {"", "*R+/W", "R+/W*,N/W,N/N,N/N,N/W"},
    {"", "W+/GB", "W+/BG,N/W,N/N,N/N,N/W"},
    {"", "bg/rb", "BG/RB,N/W,N/N,N/N,N/W"},
    {"", "GR+/N", "GR+/N,N/W,N/N,N/N,N/W"},
    {"", "0/0", "N/N,N/W,N/N,N/N,N/W"},
    {"", "W", "W/N,N/W,N/N,N/N,N/W"},
    {"", "/B", "N/B,N/W,N/N,N/N,N/W"},
    {"", "15/1", "W+/B,N/W,N/N,N/N,N/W"},
    // slots, blanks around pairs, empty slots keep their value
    {"", "0/W, W+/R,,, 0/W", "N/W,W+/R,N/N,N/N,N/W"},
    {"", "W+/B,W+/R,B/B,G/G,R/R", "W+/B,W+/R,B/B,G/G,R/R"},
    {"B/B,G/G,R/R,W/W,BG/BG", ",,,,", "B/B,G/G,R/R,W/W,BG/BG"},
    {"B/B,G/G,R/R,W/W,BG/BG", "W/R", "W/R,G/G,R/R,W/W,BG/BG"},
    {"B/B,G/G,R/R,W/W,BG/BG", ",,N/B", "B/B,G/G,N/B,W/W,BG/BG"},
    // a given enhanced slot also sets the unselected one, unless that is given too
    {"", "W+/GB, W+/R", "W+/BG,W+/R,N/N,N/N,W+/R"},
    {"", ",GR+/B", "W/N,GR+/B,N/N,N/N,GR+/B"},
    {"", ",GR+/B,,,W/R", "W/N,GR+/B,N/N,N/N,W/R"},
    {"", "W/R,,,,G/B", "W/R,N/W,N/N,N/N,G/B"},
    // the empty string resets every slot
    {"B/B,G/G,R/R,W/W,BG/BG", "", "W/N,N/W,N/N,N/N,N/W"},
};

TEST(ColorSpec, SlotsAfterApplying) {
  for (const Case& c : kCases) {
    const ColorSet before = applyColorSpec(ColorSet{}, c.start);
    EXPECT_EQ(colorSpecText(applyColorSpec(before, c.spec)), c.expected)
        << "start \"" << c.start << "\" spec \"" << c.spec << "\"";
  }
}

TEST(ColorSpec, AttributeBytes) {
  const struct {
    const char* pair;
    int attr;
  } cases[] = {{"W/N", 0x07}, {"w/r+", 0x4F},  {"0+/W", 0x78},  {"R*/W", 0xF4},
               {"N/W", 0x70}, {"W+/GB", 0x3F}, {"GR+/B", 0x1E}, {"W+/R*", 0xCF}};
  for (const auto& c : cases) EXPECT_EQ(parseColorPair(c.pair), c.attr) << c.pair;
  EXPECT_EQ(parseColorPair(""), std::nullopt);
  EXPECT_EQ(parseColorPair("  "), std::nullopt);
}

// What colorSpec() gives must restore the same setting, whatever it was.
TEST(ColorSpec, TextReadsBackAsTheSameAttribute) {
  for (int a = 0; a < 256; ++a) {
    const auto attr = static_cast<std::uint8_t>(a);
    EXPECT_EQ(parseColorPair(colorPairText(attr)), attr) << colorPairText(attr);
  }
  const ColorSet odd = applyColorSpec(ColorSet{}, "N+/W*,W/N,GR/RB,B*/G,R+/W");
  EXPECT_EQ(applyColorSpec(applyColorSpec(ColorSet{}, "W/B,W/B,W/B,W/B,W/B"), colorSpecText(odd)), odd);
}

}  // namespace
}  // namespace rt::term
