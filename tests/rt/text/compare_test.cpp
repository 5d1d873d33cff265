// Text comparison: the recorded comparisons, unsigned bytes, and the prefix
// rule of seeks.
#include "rt/text/compare.h"

#include <gtest/gtest.h>

#include "reference.h"

namespace {

using rt::text::compare;

// Every recorded comparison of strcmp.tsv, through the functions the
// operators stand on.
TEST(Compare, MatchesTheRecordedRun) {
  const auto rows = fpo::test::readTsv("strcmp.tsv");
  ASSERT_FALSE(rows.empty());
  for (const auto& r : rows) {
    ASSERT_EQ(r.size(), 10u);
    const bool exact = r[0] == "ON";
    const std::string l = fpo::test::unwrap(r[1]);
    const std::string rt = fpo::test::unwrap(r[2]);
    const int c = compare(l, rt, exact);
    const bool got[] = {c == 0, rt::text::exactlyEqual(l, rt), c != 0, c<0, c <= 0, c> 0, c >= 0};
    for (int i = 0; i < 7; ++i)
      EXPECT_EQ(got[i] ? ".T." : ".F.", r[static_cast<std::size_t>(3 + i)])
          << "EXACT " << r[0] << " " << r[1] << " vs " << r[2] << " column " << i;
  }
}

TEST(Compare, BytesCompareUnsigned) {
  // Code page 860 letters sort above ASCII.
  EXPECT_GT(compare("\x87", "z", false), 0);
  EXPECT_LT(compare("A", "\xc7", true), 0);
}

TEST(Compare, SeekPrefixRule) {
  EXPECT_TRUE(rt::text::startsWith("202211  40", "202211"));
  EXPECT_TRUE(rt::text::startsWith("abc", ""));
  EXPECT_FALSE(rt::text::startsWith("20", "202"));
}

}  // namespace
