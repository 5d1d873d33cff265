#include "rt/term/printer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "rt/term/fixture.h"

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
