// The recorded classic behaviour of str.tsv and strcmp.tsv, run as
// expressions.
#include "rt/text/reference.h"

#include <gtest/gtest.h>

#include "fake_env.h"

namespace {

using fpo::test::FakeEnv;
using rt::expr::Expr;

std::string evalText(FakeEnv& env, const std::string& text) {
  const rt::Value v = Expr::compile(text).eval(env);
  EXPECT_TRUE(v.isString()) << text;
  return v.isString() ? v.string() : std::string();
}

// Each row: the expression, its type, "[Str() of the result]" and details:
// len= for texts, ntos= (AllTrim(Str(x))) and str25_15= (AllTrim(Str(x, 25,
// 15))) for numbers.
TEST(Reference, StrValRoundInt) {
  const auto rows = fpo::test::readTsv("str.tsv");
  ASSERT_FALSE(rows.empty());
  for (const auto& r : rows) {
    ASSERT_EQ(r.size(), 4u);
    FakeEnv env;
    const rt::Value v = Expr::compile(r[0]).eval(env);
    ASSERT_EQ(std::string(1, v.typeLetter()), r[1]) << r[0];
    EXPECT_TRUE(env.raised.empty()) << r[0];
    const std::string shown = fpo::test::unwrap(r[2]);
    if (v.isString()) {
      EXPECT_EQ(v.string(), shown) << r[0];
      EXPECT_EQ("len=" + std::to_string(v.string().size()), r[3]) << r[0];
      continue;
    }
    env.set("X", v);
    EXPECT_EQ(evalText(env, "Str(X)"), shown) << r[0];
    const std::string details =
        "ntos=" + evalText(env, "AllTrim(Str(X))") + " str25_15=" + evalText(env, "AllTrim(Str(X, 25, 15))");
    EXPECT_EQ(details, r[3]) << r[0];
  }
}

// Every recorded comparison, through the operators; "<>" and "#" are "!=".
TEST(Reference, TextComparisonOperators) {
  const auto rows = fpo::test::readTsv("strcmp.tsv");
  ASSERT_FALSE(rows.empty());
  const char* ops[] = {"=", "==", "!=", "<", "<=", ">", ">="};
  for (const auto& r : rows) {
    ASSERT_EQ(r.size(), 10u);
    FakeEnv env;
    env.exactOn = r[0] == "ON";
    for (int i = 0; i < 7; ++i) {
      std::vector<std::string> spellings = {ops[i]};
      if (i == 2) spellings = {"!=", "<>", "#"};
      for (const auto& op : spellings) {
        const std::string text = r[1] + " " + op + " " + r[2];
        const rt::Value v = Expr::compile(text).eval(env);
        ASSERT_TRUE(v.isLogical()) << text;
        EXPECT_EQ(v.logical() ? ".T." : ".F.", r[static_cast<std::size_t>(3 + i)])
            << "EXACT " << r[0] << ": " << text;
      }
    }
  }
}

}  // namespace
