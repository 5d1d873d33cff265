// The printer device: rows, columns and ejects; its file replacing the
// target only when closed; targets that are no file; a run cut off while it
// writes; a file that cannot be created.
#include "rt/term/printer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "rt/os/os.h"
#include "rt/term/fixture.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace rt::term {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TempFile {
  TempFile() {
    std::string t = (fs::temp_directory_path() / "fpo-prn-XXXXXX").string();
    close(mkstemp(t.data()));
    path = t;
  }
  ~TempFile() { fs::remove(path); }
  fs::path path;
};

TEST(Printer, RowsColumnsAndEjects) {
  testing::HeadlessTerminal h;
  TempFile f;
  ASSERT_TRUE(h.term.printer().open(f.path));
  h.term.setDevice(Terminal::Device::Printer);
  h.term.devPos(1, 0);
  h.term.devOut("ESTADO");
  h.term.devPos(1, 10);
  h.term.devOut("X");
  h.term.devPos(3, 2);
  h.term.devOut("ab", "R/W");  // colours mean nothing on paper
  EXPECT_EQ(h.term.printer().prow(), 3);
  EXPECT_EQ(h.term.printer().pcol(), 4);
  h.term.printer().eject();
  h.term.devPos(1, 0);
  h.term.devOut("p2");
  h.term.devPos(0, 0);  // a row above: a new page
  h.term.setDevice(Terminal::Device::Screen);
  h.term.devPos(0, 0);
  h.term.devOut("screen");
  ASSERT_TRUE(h.term.printer().close());
  EXPECT_EQ(slurp(f.path), "\r\nESTADO    X\r\n\r\n  ab\f\r\r\np2\f\r");
  EXPECT_EQ(h.term.screen().text(0, 0, 6), "screen");

  // Reopening empties the file; additive appends.
  ASSERT_TRUE(h.term.printer().open(f.path));
  h.term.printer().out("a");
  h.term.printer().close();
  ASSERT_TRUE(h.term.printer().open(f.path, true));
  h.term.printer().out("b");
  h.term.printer().close();
  EXPECT_EQ(slurp(f.path), "ab");
}

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  return out;
}

// The file takes its target's place only when closed: until then, and when
// it never is (the printer gone while open), the target is as it was, and
// nothing is left beside it.
TEST(Printer, ReplacesItsTargetWhenClosed) {
  const fpo::test::TempDir tmp("fpo-prn");
  const fs::path& dir = tmp.path();
  const fs::path report = dir / "REPORT.PRN";
  std::ofstream(report, std::ios::binary) << "old";
  {
    testing::HeadlessTerminal h;
    ASSERT_TRUE(h.term.printer().open(report));
    h.term.printer().out("new");
    EXPECT_EQ(slurp(report), "old");
    ASSERT_TRUE(h.term.printer().close());
    EXPECT_EQ(slurp(report), "new");
    ASSERT_TRUE(h.term.printer().open(report));
    h.term.printer().out("lost");
  }
  EXPECT_EQ(slurp(report), "new");
  EXPECT_EQ(namesIn(dir), std::vector<std::string>{"REPORT.PRN"});
}

// A link where the file goes is replaced, and what it names left as it
// was; a folder or a device is the create error naming it.
TEST(Printer, TargetsThatAreNoFile) {
  const fpo::test::TempDir tmp("fpo-prn");
  const fs::path& dir = tmp.path();
  const fs::path outside = dir / "OUTSIDE.TXT";
  struct Case {
    const char* what;
    std::function<fs::path()> make;  // the target; empty: not on this system
    bool written;
  };
  const std::vector<Case> cases = {
      {"a link",
       [&] {
         std::error_code ec;
         fs::create_symlink(outside, dir / "LINK.PRN", ec);
         return ec ? fs::path() : dir / "LINK.PRN";
       },
       true},
      {"a folder",
       [&] {
         fs::create_directory(dir / "FOLDER.PRN");
         return dir / "FOLDER.PRN";
       },
       false},
#ifdef _WIN32
      {"a device", [] { return fs::path("NUL"); }, false},
#else
      {"a device", [] { return fs::path("/dev/null"); }, false},
      {"a named pipe",
       [&] { return ::mkfifo((dir / "PIPE.PRN").c_str(), 0644) == 0 ? dir / "PIPE.PRN" : fs::path(); },
       false},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(outside, std::ios::binary) << "outside";
    const fs::path target = c.make();
    if (target.empty()) continue;
    testing::HeadlessTerminal h;
    std::vector<err::Error> raised;
    h.errors.install([&](const err::Error& e) {
      raised.push_back(e);
      return err::Answer::byDefault();
    });
    ASSERT_EQ(h.term.printer().open(target), c.written);
    h.term.printer().out("report");
    EXPECT_TRUE(h.term.printer().close());
    EXPECT_EQ(slurp(outside), "outside");
    if (c.written) {
      EXPECT_TRUE(raised.empty());
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target)));
      EXPECT_EQ(slurp(target), "report");
    } else {
      ASSERT_EQ(raised.size(), 1u);
      EXPECT_EQ(raised[0].genCode, err::kCreate);
      EXPECT_EQ(raised[0].osCode, 5);
      EXPECT_EQ(raised[0].filename, target.string());
    }
  }
}

// Cut off at the first, a middle and the last write of a report of a few
// megabytes (written a megabyte at a time, then synced and renamed), the
// file that stood there is whole.
TEST(Printer, CutOffWhileWriting) {
  // The child of a death test on Windows works in the parent's folder.
  const fpo::test::TempDir tmp("fpo-prn");
  const fs::path dir = fpo::test::deathFolder(tmp.path());
  const fs::path report = dir / "REPORT.PRN";
  const std::string before = "the earlier report\r\n\f\r";
  const std::string line(79, 'x');
  const auto print = [&](const fs::path& target) {
    testing::HeadlessTerminal h;
    if (!h.term.printer().open(target)) return false;
    for (int row = 0; row < 40000; ++row) {
      h.term.printer().pos(h.term.printer().prow() + 1, 0);
      h.term.printer().out(line);
    }
    return h.term.printer().close();
  };
  rt::os::faults::arm(rt::os::faults::Kind::Count);
  ASSERT_TRUE(print(dir / "COUNTED.PRN"));
  const long total = rt::os::faults::count();
  rt::os::faults::arm(rt::os::faults::Kind::Off);
  ASSERT_GE(total, 5);
  // The last step counted is the folder's sync after the rename: the rename
  // before it is the last cut that must leave the earlier report.
  for (const long n : {1L, total / 2, total - 1}) {
    SCOPED_TRACE("cut off at write " + std::to_string(n) + " of " + std::to_string(total));
    std::ofstream(report, std::ios::binary) << before;
    EXPECT_EXIT(
        {
          rt::os::faults::arm(rt::os::faults::Kind::Crash, n);
          std::_Exit(print(report) ? 0 : 1);
        },
        ::testing::ExitedWithCode(86), "");
    EXPECT_EQ(slurp(report), before);
  }
}

TEST(Printer, AFileThatCannotBeCreatedIsRaised) {
  testing::HeadlessTerminal h;
  int raised = 0;
  h.errors.install([&](const err::Error& e) {
    ++raised;
    EXPECT_EQ(e.genCode, err::kCreate);
    return err::Answer::byDefault();
  });
  EXPECT_FALSE(h.term.printer().open("/no/such/folder/REPORT.PRN"));
  EXPECT_EQ(raised, 1);
  h.term.printer().out("nothing happens");
}

}  // namespace
}  // namespace rt::term
