// Numbers as the table driver writes them: the same text as Str of the
// value in the field's width, asterisks when it does not fit.
#include "rt/db/numtext.h"

#include <gtest/gtest.h>

#include <string>

#include "rt/text/number.h"

namespace {

TEST(NumberText, FieldTextIsStrOfTheValue) {
  const double values[] = {0,
                           -0.0,
                           7,
                           -7,
                           42,
                           999,
                           1000,
                           -999,
                           12345678,
                           1e11,
                           -1e11,
                           1e12 - 1,
                           1e12,
                           123456789012345,
                           2.5,
                           -2.5,
                           0.4999,
                           1234.5678,
                           -0.001,
                           99999.9999,
                           1e15,
                           -123456789,
                           5e-324,
                           1e300,
                           4503599627370497.0};
  for (const int width : {1, 2, 3, 4, 6, 8, 10, 12, 13, 16, 20}) {
    for (const int decimals : {0, 2}) {
      if (decimals >= width) continue;
      for (const double v : values) {
        SCOPED_TRACE(std::to_string(v) + " in " + std::to_string(width) + "," + std::to_string(decimals));
        std::string got(static_cast<std::size_t>(width), '?');
        const bool fits = rt::db::formatNumber(v, width, decimals, got.data());
        const std::string want = rt::text::str(v, width, decimals);
        if (want.size() == static_cast<std::size_t>(width) && want[0] != '*') {
          EXPECT_TRUE(fits);
          EXPECT_EQ(got, want);
        } else {
          EXPECT_FALSE(fits);
          EXPECT_EQ(got, std::string(static_cast<std::size_t>(width), '*'));
        }
      }
    }
  }
}

}  // namespace
