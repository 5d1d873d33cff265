// The evaluator's errors: compile errors and their place, nesting too deep,
// the syntax error through the error system, and run-time errors (zero
// divisor, wrong types, unknown names) answered Substitute, Default or
// Retry.
#include <gtest/gtest.h>

#include "fake_env.h"

namespace {

using fpo::test::FakeEnv;
using fpo::test::show;
using rt::Value;
using rt::err::Answer;
using rt::err::Error;
using rt::expr::CompileError;
using rt::expr::Expr;

TEST(ExprErrors, CompileErrorsSayWhatAndWhere) {
  struct Case {
    const char* text;
    const char* message;
    std::size_t position;
  };
  const Case cases[] = {
      {"1 +", "Syntax error at column 4: expression incomplete", 3},
      {"Str(1", "Syntax error at column 6: \")\" expected", 5},
      {"(1 + 2", "Syntax error at column 7: \")\" expected", 6},
      {"'abc", "Syntax error at column 5: unterminated string from column 1", 4},
      {"1 2", "Syntax error at column 3 near \"2\"", 2},
      {"a .xor. b", "Syntax error at column 3 near \".xor. b\"", 2},
      {"x := 1", "Syntax error at column 3 near \":= 1\"", 2},
      {"", "Syntax error: empty expression", 0},
      {"   ", "Syntax error: empty expression", 0},
      {"SubStr('a')", "Syntax error at column 1 near \"SubStr('a')\": SUBSTR takes 2 to 3 arguments", 0},
      {"1 + Len()", "Syntax error at column 5 near \"Len()\": LEN takes 1 argument", 4},
      {"CTL->", "Syntax error at column 6: field name expected", 5},
      {"Val(Variavel) >= 199802 .and. )", "Syntax error at column 31 near \")\"", 30},
      {"Str(CTL->DATREF, 6) + Str(CTL->CODMNC, 4) +++", "Syntax error at column 46: expression incomplete",
       45},
  };
  for (const auto& c : cases) {
    try {
      Expr::compile(c.text);
      ADD_FAILURE() << "compiled: " << c.text;
    } catch (const CompileError& e) {
      EXPECT_STREQ(e.what(), c.message) << c.text;
      EXPECT_EQ(e.position, c.position) << c.text;
    }
  }
}

// Nesting deeper than the evaluator walks is refused at compile time, however
// it is written; ordinary depths compile and run.
TEST(ExprErrors, DeepNestingIsACompileError) {
  auto repeat = [](const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
  };
  const std::string deep[] = {
      repeat("(", 100000) + "1" + repeat(")", 100000),
      "1" + repeat(" + 1", 100000),
      repeat("!", 100000) + ".T.",
      repeat("-", 100000) + "1",
      repeat("Abs(", 100000) + "1" + repeat(")", 100000),
      repeat("(", 100000),
  };
  for (const std::string& text : deep) {
    try {
      Expr::compile(text);
      ADD_FAILURE() << "compiled: " << text.substr(0, 20);
    } catch (const CompileError& e) {
      EXPECT_NE(std::string(e.what()).find("nested too deeply"), std::string::npos) << text.substr(0, 20);
    }
  }
  FakeEnv env;
  EXPECT_EQ(show(Expr::compile(repeat("(", 50) + "1" + repeat(" + 1)", 50)).eval(env)), "N:51");
  EXPECT_EQ(show(Expr::compile("1" + repeat(" + 1", 150)).eval(env)), "N:151");
}

TEST(ExprErrors, CompileThroughTheErrorSystemRaisesASyntaxError) {
  FakeEnv env;
  EXPECT_FALSE(Expr::compile("!Empty(Variavel) .and.", env.es));
  ASSERT_EQ(env.raised.size(), 1u);
  const Error& e = env.raised[0];
  EXPECT_EQ(e.genCode, rt::err::kSyntax);
  EXPECT_EQ(e.subSystem, "BASE");
  EXPECT_EQ(e.description, "Syntax error at column 23: expression incomplete");
  EXPECT_EQ(e.operation, "!Empty(Variavel) .and.");

  const auto ok = Expr::compile("Val(Variavel) > 0", env.es);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->text(), "Val(Variavel) > 0");
  EXPECT_EQ(env.raised.size(), 1u);
}

// The error policy substitutes 0 for a division by zero.
TEST(ExprErrors, ZeroDivisionTakesTheSubstitute) {
  struct Case {
    const char* text;
    std::string want;
    int subCode;
    const char* operation;
  };
  const Case cases[] = {
      {"10 / 0", "N:0", 1340, "/"},
      {"1 + 10 / (2 - 2)", "N:1", 1340, "/"},
      {"5 % 0", "N:0", 1341, "%"},
  };
  for (const auto& c : cases) {
    FakeEnv env;
    env.answer = [](const Error& e) {
      return e.genCode == rt::err::kZeroDivide ? Answer::substitute(0) : Answer::byDefault();
    };
    EXPECT_EQ(show(Expr::compile(c.text).eval(env)), c.want) << c.text;
    ASSERT_EQ(env.raised.size(), 1u) << c.text;
    EXPECT_EQ(env.raised[0].genCode, rt::err::kZeroDivide);
    EXPECT_EQ(env.raised[0].subSystem, "BASE");
    EXPECT_EQ(env.raised[0].subCode, c.subCode);
    EXPECT_EQ(env.raised[0].description, "Zero divisor");
    EXPECT_EQ(env.raised[0].operation, c.operation);
  }
}

// Wrong types raise an argument error naming the operation; Default yields
// nil (.F. for comparisons and logical operators).
TEST(ExprErrors, TypeMismatchNamesTheOperation) {
  struct Case {
    const char* text;
    int subCode;
    const char* operation;
    const char* onDefault;
  };
  const Case cases[] = {
      {"1 + 'a'", 1081, "+", "U"},
      {"'a' - 1", 1082, "-", "U"},
      {"'a' * 2", 1083, "*", "U"},
      {"CtoD('') / 2", 1084, "/", "U"},
      {"'a' < 1", 1073, "<", "L:F"},
      {"1 = 'a'", 1071, "=", "L:F"},
      {"1 <> 'a'", 1072, "<>", "L:F"},
      {".not. 1", 1077, ".NOT.", "L:F"},
      {"1 .and. .T.", 1078, ".AND.", "L:F"},
      {"1 $ 'a'", 1109, "$", "L:F"},
      {"-'a'", 1080, "-", "U"},
      {"Str('x')", 1099, "STR", "U"},
      {"SubStr(1, 2)", 1110, "SUBSTR", "U"},
      {"Val(5)", 1098, "VAL", "U"},
      {"Iif(1, 2, 3)", 1066, "IIF", "U"},
  };
  for (const auto& c : cases) {
    FakeEnv env;
    EXPECT_EQ(show(Expr::compile(c.text).eval(env)), c.onDefault) << c.text;
    ASSERT_EQ(env.raised.size(), 1u) << c.text;
    const Error& e = env.raised[0];
    EXPECT_EQ(e.genCode, rt::err::kArgument) << c.text;
    EXPECT_EQ(e.subSystem, "BASE") << c.text;
    EXPECT_EQ(e.subCode, c.subCode) << c.text;
    EXPECT_EQ(e.description, "Argument error") << c.text;
    EXPECT_EQ(e.operation, c.operation) << c.text;
  }

  // An argument error cannot be retried: a Retry is taken as Default.
  for (const auto& c : cases) {
    FakeEnv env;
    env.answer = [&env](const Error&) {
      return env.raised.size() < 3 ? Answer::retry() : Answer::byDefault();
    };
    EXPECT_EQ(show(Expr::compile(c.text).eval(env)), c.onDefault) << c.text;
    EXPECT_EQ(env.raised.size(), 1u) << c.text;
  }

  // A substitute stands in for the failed operation.
  FakeEnv env;
  env.answer = [](const Error&) { return Answer::substitute(7); };
  EXPECT_EQ(show(Expr::compile("(1 + 'a') * 2").eval(env)), "N:14");
}

TEST(ExprErrors, UnknownNames) {
  FakeEnv env;
  EXPECT_EQ(show(Expr::compile("Nope + 1").eval(env)), "U");  // nil + 1: a second error
  ASSERT_EQ(env.raised.size(), 2u);
  EXPECT_EQ(env.raised[0].genCode, rt::err::kNoVariable);
  EXPECT_EQ(env.raised[0].subSystem, "BASE");
  EXPECT_EQ(env.raised[0].description, "Variable does not exist");
  EXPECT_EQ(env.raised[0].operation, "NOPE");
  EXPECT_EQ(env.raised[1].subCode, 1081);

  env.raised.clear();
  Expr::compile("ctl->nope").eval(env);
  ASSERT_EQ(env.raised.size(), 1u);
  EXPECT_EQ(env.raised[0].operation, "CTL->NOPE");

  env.raised.clear();
  EXPECT_EQ(show(Expr::compile("Nome_Municipio(40)").eval(env)), "U");
  ASSERT_EQ(env.raised.size(), 1u);
  EXPECT_EQ(env.raised[0].genCode, rt::err::kNoFunction);
  EXPECT_EQ(env.raised[0].description, "Undefined function");
  EXPECT_EQ(env.raised[0].operation, "NOME_MUNICIPIO");
}

// Retry evaluates the failed node again.
TEST(ExprErrors, RetryEvaluatesAgain) {
  FakeEnv env;
  env.answer = [&env](const Error&) {
    env.set("LATE", Value::number(41));
    return Answer::retry();
  };
  EXPECT_EQ(show(Expr::compile("Late + 1").eval(env)), "N:42");
  EXPECT_EQ(env.raised.size(), 1u);
}

}  // namespace
