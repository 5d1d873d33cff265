// Transform(): every recorded case, and numbers, texts, dates and logicals
// at their edges.
#include "rt/text/picture.h"

#include <gtest/gtest.h>

#include <map>

#include "reference.h"
#include "rt/text/cp860.h"

namespace {

using rt::text::transformNumber;
using rt::text::transformText;

// Code page 850 bytes of the recorded run, as Unicode.
std::string cp850ToCp860(const std::string& bytes) {
  static const std::map<unsigned char, char32_t> cp850 = {
      {0x87, U'ç'}, {0xC6, U'ã'}, {0x80, U'Ç'}, {0xC7, U'Ã'}};
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
      continue;
    }
    const auto it = cp850.find(b);
    EXPECT_NE(it, cp850.end()) << "unmapped byte " << int(b);
    out.push_back(static_cast<char>(rt::text::fromUnicode(it->second)));
  }
  return out;
}

// A recorded text: "quoted" UTF-8 or hex: bytes, with an optional code page
// marker of the recorded run in front.
std::string recordedText(std::string s, bool cp850) {
  if (s.rfind("hex:", 0) == 0) {
    const std::string bytes = fpo::test::fromHex(s.substr(4));
    return cp850 ? cp850ToCp860(bytes) : bytes;
  }
  return rt::text::fromUtf8(fpo::test::unwrap(s));
}

// Every row of transform.tsv. This system upper-cases code page 860 letters
// with "@!", as the recorded run does under a code page that has them (rows
// PT850 and UTF8EX), so the row recorded without a code page expects what
// the UTF8EX row records for the same text.
TEST(Transform, MatchesTheRecordedRun) {
  const auto rows = fpo::test::readTsv("transform.tsv");
  ASSERT_FALSE(rows.empty());
  std::map<std::string, std::string> underCodePage;  // value -> result with a code page
  for (const auto& r : rows)
    if (r[1].rfind("UTF8EX ", 0) == 0) underCodePage[r[1].substr(7)] = r[3];

  for (const auto& r : rows) {
    ASSERT_EQ(r.size(), 4u);
    const std::string& picture = r[2];
    std::string got, want;
    if (r[0] == "N") {
      got = transformNumber(std::stod(r[1]), picture);
      want = fpo::test::unwrap(r[3]);
    } else {
      std::string value = r[1];
      bool cp850 = false;
      std::string result = r[3];
      if (value.rfind("PT850 ", 0) == 0) {
        value = value.substr(6);
        cp850 = true;
      } else if (value.rfind("UTF8EX ", 0) == 0) {
        value = value.substr(7);
      } else if (picture.find('!') != std::string::npos && underCodePage.count(value)) {
        result = underCodePage[value];
      }
      got = transformText(recordedText(value, cp850), picture);
      want = recordedText(fpo::test::unwrap(result), cp850);
    }
    EXPECT_EQ(got, want) << r[0] << " " << r[1] << " with " << picture;
  }
}

struct NumberCase {
  double value;
  const char* picture;
  const char* want;
};

TEST(Transform, NumberEdges) {
  const NumberCase cases[] = {
      {-500, "9,999", " -500"},  // the sign takes a blank separator's place
      {-1234.5, "@E 9,999,999.99", "   -1.234,50"},
      {-1500, "@E 9,999", "*****"},      // the digits fill every place: no room for the sign
      {-100, "999", "***"},              // the sign needs a place too
      {1234.5, "9,999.99", "1,234.50"},  // without E
      {2.5, "99", " 3"},                 // half away from zero
      {-2.5, "99", "-3"},
      {-0.001, "9.99", "0.00"},    // rounds to zero: no sign
      {0.001, "@Z 9.99", "    "},  // blank when it shows as zero
      {0.5, ".99", ".50"},         // no integer places: no leading zero
      {1000, "@E 999%", "***%"},   // literal kept on overflow
      {12.5, "", "        12.5"},  // no template: as Str() shows it
      {1234.5, "@E", "      1234,5"},
  };
  for (const auto& c : cases) {
    const int decimals = c.picture[0] == '\0' || std::string(c.picture) == "@E" ? 1 : 0;
    EXPECT_EQ(transformNumber(c.value, c.picture, -1, decimals), c.want) << c.value << " with " << c.picture;
  }
}

TEST(Transform, TextEdges) {
  struct Case {
    const char* value;
    const char* picture;
    const char* want;
  };
  const Case cases[] = {
      {"abcdef", "@R XX-XX", "ab-cd"},  // extra characters dropped
      {"abcd", "XX-X", "ab-d"},         // without R a literal replaces its character
      {"abc", "!XX", "Abc"},            // ! place upper-cases
      {"abc", "@R", "abc"},             // no template
      {"", "@!", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(transformText(c.value, c.picture), c.want) << c.value << " " << c.picture;
}

TEST(Transform, DatesAndLogicals) {
  EXPECT_EQ(rt::text::transformDate(rt::text::Date::fromYmd(2022, 11, 5), ""), "05/11/2022");
  EXPECT_EQ(rt::text::transformDate({}, ""), "  /  /    ");
  EXPECT_EQ(rt::text::transformLogical(true, ""), "T");
  EXPECT_EQ(rt::text::transformLogical(false, "Y"), "N");
}

}  // namespace
