// The error policy: the message text, the quiet failures, division by zero
// and the append lock, the options of its alert, the names of files, and
// "Quit" with the call chain.
#include "app/errorsys/Errorsys.h"

#include "rt/expr/expr.h"
#include "rt/term/keys.h"
#include "support/app_fixture.h"

namespace fpo {
namespace {

namespace key = rt::term::key;
using rt::err::Answer;
using rt::err::Error;
using test::AppTest;

Error makeError(int genCode, bool retry = false, bool dflt = false, int osCode = 0) {
  Error e;
  e.genCode = genCode;
  e.canRetry = retry;
  e.canDefault = dflt;
  e.osCode = osCode;
  e.subSystem = "DBFNTX";
  e.subCode = 1001;
  e.description = "Open error";
  e.filename = "\\ZOZ\\S_CTR.DBF";
  return e;
}

class Errorsys : public AppTest {
 protected:
  Errorsys() { ERRORSYS(s); }
};

TEST(Errormessage, Pieces) {
  Error e;
  e.subSystem = "BASE";
  e.subCode = 1081;
  e.description = "Argument error";
  e.operation = "+";
  EXPECT_EQ(ERRORMESSAGE(e), "Error BASE/1081  Argument error: +");
  e.severity = 1;
  e.subSystem.clear();
  e.description.clear();
  e.filename = "X.DBF";
  EXPECT_EQ(ERRORMESSAGE(e), "Warning ?\?\?/1081: X.DBF");
}

TEST_F(Errorsys, QuietFailuresAreRecordedOnlyInsideAnAction) {
  for (int code : {rt::err::kOpen, rt::err::kRead, rt::err::kUnsupported}) {
    EXPECT_EQ(s.rt.errors.raise(makeError(code, true, true)).kind, Answer::Kind::Default);
    ErroScope outer(s);
    {
      ErroScope inner(s);
      s.rt.errors.raise(makeError(code, true, true));
      EXPECT_EQ(inner.value, code);
    }
    EXPECT_EQ(outer.value, 0);
  }
  EXPECT_TRUE(keys().atKeys.empty());  // no message
  EXPECT_TRUE(keys().tones().empty());
}

// A little environment for evaluating expressions under the policy.
struct Env : rt::expr::Env {
  explicit Env(rt::err::ErrorSystem& es) : es_(es) {}
  rt::err::ErrorSystem& errors() override { return es_; }
  std::optional<rt::Value> lookup(std::string_view, std::string_view) override { return std::nullopt; }
  rt::err::ErrorSystem& es_;
};

TEST_F(Errorsys, ZeroDivisionYieldsZeroAndAppendLockSetsNetErr) {
  Env env(s.rt.errors);
  auto v = rt::expr::Expr::compile("10 / 0 + 1").eval(env);
  ASSERT_TRUE(v.isNumber());
  EXPECT_EQ(v.num(), 1);
  EXPECT_EQ(s.rt.errors.raise(makeError(rt::err::kAppendLock, false, true)).kind, Answer::Kind::Default);
  EXPECT_TRUE(s.rt.errors.netErr());
}

TEST_F(Errorsys, AlertOffersWhatTheOperationAllows) {
  struct Case {
    bool retry, dflt;
    std::vector<int> keys;
    Answer::Kind answer;
  } cases[] = {
      {true, true, {key::kRight, key::kEnter}, Answer::Kind::Retry},
      {true, true, {key::kEnd, key::kEnter}, Answer::Kind::Default},
      {false, true, {key::kRight, key::kEnter}, Answer::Kind::Default},
  };
  for (const auto& c : cases) {
    keys().add(std::span<const int>(c.keys));
    EXPECT_EQ(s.rt.errors.raise(makeError(rt::err::kWrite, c.retry, c.dflt)).kind, c.answer);
  }
  const auto& sc = keys().atKeys.at(0);
  EXPECT_TRUE(shows(sc, "Error DBFNTX/1001  Open error: \\ZOZ\\S_CTR.DBF"));
  EXPECT_TRUE(shows(sc, "Quit"));
  EXPECT_TRUE(shows(sc, "Retry"));
  EXPECT_TRUE(shows(sc, "Default"));
  EXPECT_FALSE(shows(keys().atKeys.at(4), "Retry"));
}

TEST_F(Errorsys, FilesAreNamedAsTheProgramNamesThem) {
  // The run-time reports the file it used on this machine.
  Error e = makeError(rt::err::kCreate);
  e.description = "Create error";
  e.filename = (drive().zoz() / "CTL1.DBF").string();
  keys().add({key::kEnter});
  EXPECT_THROW(s.rt.errors.raise(e), rt::err::ProgramExit);
  EXPECT_TRUE(shows(keys().atKeys.at(0), "Error DBFNTX/1001  Create error: \\ZOZ\\CTL1.DBF"));
  EXPECT_EQ(s.rt.errors.errOutput(), "\r\nError DBFNTX/1001  Create error: \\ZOZ\\CTL1.DBF");
}

TEST_F(Errorsys, QuitWritesTheChainAndEndsWithOne) {
  rt::err::Routine menu(s.rt.errors, "MENU", 40);
  rt::err::Routine datref(s.rt.errors, "DATREF", 12);
  // Esc shows the same alert again; Enter takes "Quit", the only option.
  keys().add({key::kEsc, key::kEsc, key::kEnter});
  try {
    s.rt.errors.raise(makeError(rt::err::kWrite, false, false, 32));
    FAIL() << "Quit must end the program";
  } catch (const rt::err::ProgramExit& e) {
    EXPECT_EQ(e.code(), 1);
  }
  ASSERT_EQ(keys().atKeys.size(), 3u);
  for (const auto& sc : keys().atKeys) {
    EXPECT_TRUE(shows(sc, "Quit"));
    EXPECT_FALSE(shows(sc, "Retry"));
    EXPECT_TRUE(shows(sc, "(DOS Error 32)"));
  }
  EXPECT_EQ(s.rt.errors.errOutput(),
            "\r\nError DBFNTX/1001  Open error: \\ZOZ\\S_CTR.DBF (DOS Error 32) "
            "\r\nCalled from DATREF(12)  \r\nCalled from MENU(40)  ");
}

}  // namespace
}  // namespace fpo
