// Check digits of unit numbers and municipality codes.
#include <gtest/gtest.h>

#include "app/funcoes/Funcoes.h"

namespace {

TEST(CheckDigits, Units) {
  const std::pair<long long, int> cases[] = {
      {654321, 9}, {123456, 0}, {111111, 6}, {6, 0}, {1234567, 6}, {0, 0},
  };
  for (auto [num, digit] : cases) EXPECT_EQ(fpo::CALDIGUPS(num), digit) << num;
  // Remainders 0 and 1 both give 0: never 10.
  for (long long n = 0; n < 200000; n += 7) EXPECT_LE(fpo::CALDIGUPS(n), 9);
}

TEST(CheckDigits, Municipalities) {
  const std::pair<long long, int> cases[] = {
      {440, 0}, {1003, 5}, {9999, 6}, {230440, 0}, {0, 2}, {5, 1},
  };
  for (auto [num, digit] : cases) EXPECT_EQ(fpo::CALDIGMNC(num), digit) << num;
}

}  // namespace
