// The error system: retries while the handler says so, the error thrown
// without a handler, files named through the installed naming, and the call
// chain with each routine's line.
#include "rt/err/error.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using rt::err::Answer;
using rt::err::Error;
using rt::err::ErrorSystem;

Error withCode(int code) {
  Error e;
  e.genCode = code;
  return e;
}

TEST(ErrorSystem, AttemptRepeatsWhileTheHandlerSaysRetry) {
  ErrorSystem es;
  int asked = 0;
  es.install([&](const Error&) { return ++asked < 3 ? Answer::retry() : Answer::byDefault(); });
  int tries = 0;
  auto answer = rt::err::attempt(es, [&]() -> std::optional<Error> {
    ++tries;
    return withCode(rt::err::kOpen);
  });
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->kind, Answer::Kind::Default);
  EXPECT_EQ(tries, 3);

  // An operation that succeeds on a retry reports no failure.
  tries = 0;
  asked = 0;
  answer = rt::err::attempt(es, [&]() -> std::optional<Error> {
    if (++tries < 2) return withCode(rt::err::kRead);
    return std::nullopt;
  });
  EXPECT_FALSE(answer);
}

TEST(ErrorSystem, WithoutAHandlerTheErrorIsThrown) {
  ErrorSystem es;
  Error e;
  e.subSystem = "DBFNTX";
  e.subCode = 1001;
  e.description = "Open error";
  e.filename = "S_CTR.DBF";
  try {
    es.raise(e);
    FAIL();
  } catch (const rt::err::Unhandled& u) {
    EXPECT_STREQ(u.what(), "DBFNTX/1001  Open error: S_CTR.DBF");
  }
}

TEST(ErrorSystem, FileNamesAreShownThroughTheInstalledNaming) {
  ErrorSystem es;
  std::vector<std::string> seen;
  es.install([&](const Error& e) {
    seen.push_back(e.filename);
    return Answer::byDefault();
  });
  es.nameFiles([](std::string_view host) { return "named:" + std::string(host); });
  Error e;
  e.filename = "/drive/ZOZ/CTL1.DBF";
  es.raise(e);
  e.filename.clear();
  e.operation = "+";
  es.raise(e);
  EXPECT_EQ(seen, (std::vector<std::string>{"named:/drive/ZOZ/CTL1.DBF", ""}));
}

TEST(ErrorSystem, CallChainFollowsActiveRoutines) {
  ErrorSystem es;
  {
    rt::err::Routine menu(es, "MENU", 10);
    {
      rt::err::Routine datref(es, "DATREF", 20);
      es.setLine(25);
      ASSERT_EQ(es.chain().size(), 2u);
      EXPECT_EQ(es.chain()[1].name, "DATREF");
      EXPECT_EQ(es.chain()[1].line, 25);
    }
    EXPECT_EQ(es.chain().size(), 1u);
  }
  EXPECT_TRUE(es.chain().empty());
}

TEST(ErrorSystem, EachRoutineKeepsTheLineOfItsCurrentStep) {
  ErrorSystem es;
  rt::err::Routine menu(es, "MENU", 10);
  menu.at(14);
  {
    rt::err::Routine datref(es, "DATREF", 20);
    datref.at(31);
    {
      rt::err::Routine edita(es, "EDITA", 40);
      EXPECT_EQ(es.chain()[0].line, 14);  // where each level stood
      EXPECT_EQ(es.chain()[1].line, 31);
      EXPECT_EQ(es.chain()[2].line, 40);
      menu.at(15);  // a step of an outer routine names that routine only
    }
    datref.at(35);
  }
  ASSERT_EQ(es.chain().size(), 1u);
  EXPECT_EQ(es.chain()[0].line, 15);
}

}  // namespace
