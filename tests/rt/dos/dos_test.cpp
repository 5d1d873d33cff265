// The DOS machine over this one: host paths named as DOS names, paths
// resolved without regard to case, names in the code page, the current
// directory, wildcards, the file commands, free space, the real drives and
// the printer.
#include "rt/dos/dos.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>

#include "rt/os/file.h"
#include "rt/os/os.h"
#include "rt/text/cp860.h"

namespace fs = std::filesystem;
using rt::dos::Config;
using rt::dos::Platform;

namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// Host paths compared as the file system compares them (without regard to
// case on Windows).
std::optional<std::string> host(const std::optional<fs::path>& p) {
  if (!p) return std::nullopt;
  std::string s = p->string();
  if (kWindows)
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A temporary drive C: with a ZOZ folder as the current directory.
class DosTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    do root_ = fs::temp_directory_path() / ("fpo-dos-" + std::to_string(rd()));
    while (!fs::create_directory(root_));
    root_ = fs::canonical(root_);
    fs::create_directories(root_ / "ZOZ");
    old_ = fs::current_path();
    fs::current_path(root_ / "ZOZ");
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(root_);
  }
  void touch(const fs::path& p, const std::string& bytes = "x") {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  Platform platform(Config c = {}) {
    if (c.driveC.empty()) c.driveC = root_;
    return Platform(c, &errors_);
  }

  fs::path root_, old_;
  rt::err::ErrorSystem errors_;
};

TEST_F(DosTest, NamesHostPathsAsDosNames) {
  touch(root_ / "ZOZ" / "s_ctr.dbf");
  fs::create_directories(root_ / "floppy");
  Config c;
  c.driveA = root_ / "floppy";  // inside drive C's folder
  auto p = platform(c);

  struct Case {
    fs::path host;
    std::optional<std::string> dos;
  } cases[] = {
      {root_ / "ZOZ" / "CTL1.DBF", "\\ZOZ\\CTL1.DBF"},
      {root_ / "ZOZ" / "s_ctr.dbf", "\\ZOZ\\s_ctr.dbf"},  // as stored
      {root_ / "ZOZ" / "NEW" / "X.TXT", "\\ZOZ\\NEW\\X.TXT"},
      {root_ / "ZOZ" / ".." / "ZOZ" / "I01CTL.NTX", "\\ZOZ\\I01CTL.NTX"},
      {root_, "\\"},
      {root_ / "floppy" / "FUPSLM11.TXT", "A:\\FUPSLM11.TXT"},
      {"LPT1", std::nullopt},  // a name of the program's own
      {"\\ZOZ\\S_CTR.DBF", std::nullopt},
      {"/elsewhere/CTL.DBF", std::nullopt},
      {root_.string() + "x/CTL.DBF", std::nullopt},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.host);
    EXPECT_EQ(p.dosName(k.host), k.dos);
  }
  // Every DOS path resolved comes back as its name.
  for (const char* name : {"\\ZOZ\\s_ctr.dbf", "A:\\X.TXT"}) EXPECT_EQ(p.dosName(*p.resolve(name)), name);
}

// A name the program gives with its drive keeps it in the name an error
// shows; the last naming counts.
TEST_F(DosTest, NamesKeepTheDriveTheProgramGave) {
  touch(root_ / "ZOZ" / "S_CTR.DBF");
  fs::create_directories(root_ / "floppy");
  Config c;
  c.driveA = root_ / "floppy";
  auto p = platform(c);
  struct Case {
    const char* given;
    const char* named;
  } cases[] = {
      {"C:\\ZOZ\\I01CTL.NTX", "C:\\ZOZ\\I01CTL.NTX"},
      {"\\ZOZ\\I01CTL.NTX", "\\ZOZ\\I01CTL.NTX"},
      {"c:\\zoz\\s_ctr.dbf", "C:\\ZOZ\\S_CTR.DBF"},  // the letter upper-case, the names as stored
      {"s_ctr.dbf", "\\ZOZ\\S_CTR.DBF"},
      {"C:s_ctr.dbf", "C:\\ZOZ\\S_CTR.DBF"},
      {"A:FUPSLM11.TXT", "A:\\FUPSLM11.TXT"},
      {"C:\\floppy\\X.TXT", "C:\\floppy\\X.TXT"},  // the drive named, not the closest
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.given);
    const auto host = p.resolve(k.given);
    ASSERT_TRUE(host);
    EXPECT_EQ(p.dosName(*host), k.named);
    EXPECT_EQ(p.fileName(host->string()), k.named);  // as an error carries it
  }
  EXPECT_EQ(p.dosName(root_ / "floppy" / "Y.TXT"), "A:\\Y.TXT");  // never named: the closest drive
  // The program's own names stay as they are.
  for (const std::string& own : std::vector<std::string>{"LPT1", "\\ZOZ\\S_CTR", "\\ZOZ\\Ação.DBF"_cp})
    EXPECT_EQ(p.fileName(own), own);
}

#ifdef _WIN32
// The real drives: the current one's files named from its root, every other
// letter's with their drive, also where nothing was resolved.
TEST_F(DosTest, AnyDriveLetterIsNamed) {
  Platform p(Config{}, &errors_);
  const fs::path cur = fs::current_path().root_path();
  const char own = static_cast<char>(std::toupper(cur.string()[0]));
  const char other = own == 'Q' ? 'R' : 'Q';
  EXPECT_EQ(p.dosName(cur / "ZOZ" / "S_UPS.DBF"), "\\ZOZ\\S_UPS.DBF");
  const std::string elsewhere = std::string(1, other) + ":\\ZOZ\\S_UPS.DBF";
  EXPECT_EQ(p.dosName(fs::path(elsewhere)), elsewhere);
  EXPECT_EQ(p.fileName(elsewhere), elsewhere);
  const std::string given = std::string(1, own) + ":\\ZOZ\\I01CTL.NTX";
  EXPECT_EQ(p.dosName(*p.resolve(given)), given);
}
#endif

// Names cross between the system (UTF-8, UTF-16 on Windows) and code page
// 860 both ways: found, made, listed, reported and deleted by their letters.
TEST_F(DosTest, NamesInTheCodePage) {
  const auto u8 = [](const char* utf8) { return fs::path(reinterpret_cast<const char8_t*>(utf8)); };
  const fs::path pasta = root_ / "ZOZ" / u8("Saúde Pública");
  touch(pasta / u8("Relatório.TXT"));
  touch(pasta / u8("€uro.TXT"));
  auto p = platform();

  EXPECT_EQ(host(p.resolve("\\zoz\\SAúDE PúBLICA\\relatório.txt"_cp)), host(pasta / u8("Relatório.TXT")));
  EXPECT_EQ(host(p.resolve("\\ZOZ\\Saúde Pública\\Ação.txt"_cp)), host(pasta / u8("AçãO.TXT")));
  // A stand-in matches no letter.
  EXPECT_EQ(host(p.resolve("\\ZOZ\\Saúde Pública\\?uro.TXT"_cp)), host(pasta / "?URO.TXT"));
  EXPECT_EQ(p.listFiles("\\ZOZ\\Saúde Pública\\*.TXT"_cp),
            (std::vector<std::string>{"?uro.TXT", "Relatório.TXT"_cp}));
  EXPECT_EQ(p.dosName(pasta / u8("Relatório.TXT")), "\\ZOZ\\Saúde Pública\\Relatório.TXT"_cp);
  EXPECT_EQ(p.fileName((pasta / u8("€uro.TXT")).string()), "\\ZOZ\\Saúde Pública\\?uro.TXT"_cp);
  if (!kWindows) {
    EXPECT_EQ(p.fileName("/elsewhere/Saúde €"), "/elsewhere/Saúde ?"_cp);  // on no drive
  }
  fs::current_path(pasta);
  EXPECT_EQ(p.curDir(), "ZOZ\\Saúde Pública"_cp);
  EXPECT_TRUE(p.run("DEL *.TXT"));
  EXPECT_TRUE(fs::is_empty(pasta));
}

TEST_F(DosTest, ResolvesPathsWithoutRegardToCase) {
  touch(root_ / "ZOZ" / "s_ctr.dbf");
  touch(root_ / "ZOZ" / "S_UPS.211");
  touch(root_ / "ZOZ" / "A b$~-1.DBF");
  fs::create_directories(root_ / "floppy");
  Config c;
  c.driveA = root_ / "floppy";
  c.driveB = root_ / "no-such-folder";
  auto p = platform(c);

  struct Case {
    std::string dos;
    std::optional<fs::path> host;
  } cases[] = {
      {"\\ZOZ\\S_CTR.DBF", root_ / "ZOZ" / "s_ctr.dbf"},
      {"\\zoz\\s_ups.211", root_ / "ZOZ" / "S_UPS.211"},
      {"s_ctr.DBF", root_ / "ZOZ" / "s_ctr.dbf"},
      {"C:\\ZOZ\\i01ctl.ntx", root_ / "ZOZ" / "I01CTL.NTX"},  // new names upper-case
      {"\\ZOZ\\new\\file.txt", root_ / "ZOZ" / "NEW" / "FILE.TXT"},
      {"A:FUPSLM11.TXT", root_ / "floppy" / "FUPSLM11.TXT"},
      {"A:\\FUPSLM11.TXT", root_ / "floppy" / "FUPSLM11.TXT"},
      {"B:\\FUPSLM11.TXT", std::nullopt},  // folder missing: not ready
      {"D:\\X", std::nullopt},
      // ".." never climbs above a drive's root, and names match again after it
      {"\\..\\..\\ZOZ\\S_CTR.DBF", root_ / "ZOZ" / "s_ctr.dbf"},
      {"..\\..\\..\\zoz\\s_ctr.dbf", root_ / "ZOZ" / "s_ctr.dbf"},
      {"\\NOPE\\..\\zoz\\.\\s_ctr.dbf", root_ / "ZOZ" / "s_ctr.dbf"},
      {"A:\\..\\X", root_ / "floppy" / "X"},
      {"\\ZOZ\\a b$~-1.dbf", root_ / "ZOZ" / "A b$~-1.DBF"},
      {std::string("\\ZOZ\\S_CTR.DBF\0X", 16), std::nullopt},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.dos);
    EXPECT_EQ(host(p.resolve(k.dos)), host(k.host));
  }
  // The names as they are stored, also where the system ignores case; a
  // wildcard or a trailing dot is a name of its own, never another file.
  struct Stored {
    std::string dos;
    fs::path host;
  } stored[] = {
      {"\\ZOZ\\S_CTR.DBF", root_ / "ZOZ" / "s_ctr.dbf"},   {"\\zoz\\s_ups.211", root_ / "ZOZ" / "S_UPS.211"},
      {"\\ZOZ\\s_?tr.dbf", root_ / "ZOZ" / "S_?TR.DBF"},   {"\\ZOZ\\s_*.dbf", root_ / "ZOZ" / "S_*.DBF"},
      {"\\ZOZ\\s_ctr.dbf.", root_ / "ZOZ" / "S_CTR.DBF."},
  };
  for (const auto& k : stored) {
    SCOPED_TRACE(k.dos);
    const auto got = p.resolve(k.dos);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->native(), k.host.native());
  }
  if (!kWindows) {
    EXPECT_EQ(Platform(Config{root_, {}, {}, ""}).resolve("A:X"), std::nullopt);  // unset: not ready
  }
  // A drive variable with a trailing separator, or naming a file.
  EXPECT_EQ(host(Platform(Config{root_ / "ZOZ" / "", {}, {}, ""}).resolve("\\..\\s_ctr.dbf")),
            host(root_ / "ZOZ" / "s_ctr.dbf"));
  EXPECT_EQ(Platform(Config{root_ / "ZOZ" / "s_ctr.dbf", {}, {}, ""}).resolve("\\X"), std::nullopt);
}

TEST_F(DosTest, CurrentDirectoryAsTheRunTimeReportsIt) {
  EXPECT_EQ(platform().curDir(), "ZOZ");
  fs::create_directories(root_ / "ZOZ" / "SUB");
  fs::current_path(root_ / "ZOZ" / "SUB");
  EXPECT_EQ(platform().curDir(), "ZOZ\\SUB");
  fs::current_path(root_);
  EXPECT_EQ(platform().curDir(), "");
  // Without FPO_DRIVE_C: the parent of the current directory is the root;
  // on Windows the current drive's root is.
  fs::current_path(root_ / "ZOZ");
  std::string real;
  for (const auto& part : (root_ / "ZOZ").relative_path()) real += (real.empty() ? "" : "\\") + part.string();
  EXPECT_EQ(Platform(Config{}).curDir(), kWindows ? real : "ZOZ");
  if (kWindows) {
    const auto zoz = Platform(Config{}).resolve("\\" + real);
    ASSERT_TRUE(zoz);
    EXPECT_TRUE(fs::equivalent(*zoz, root_ / "ZOZ"));
  }
}

TEST(Wildcard, DosRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.???", "S_UPS.211", true},   {"*.???", "README", true},      {"*.???", "A.DBFX", false},
      {"*.NTX", "i01ctl.ntx", true},  {"*.NTX", "I01CTL.DBF", false}, {"*", "ANY.THING", true},
      {"S_*.DBF", "s_ups.dbf", true}, {"S_*.DBF", "CTL.DBF", false},  {"?.DBF", "A.DBF", true},
  };
  for (const auto& k : cases)
    EXPECT_EQ(rt::dos::wildcardMatch(k.pattern, k.name), k.match) << k.pattern << " " << k.name;
}

TEST_F(DosTest, ListsOrdinaryFilesAndDeletesIndexes) {
  auto p = platform();
  EXPECT_TRUE(p.listFiles("\\ZOZ\\*.???").empty());
  touch(root_ / "ZOZ" / "S_UPS.DBF");
  touch(root_ / "ZOZ" / "i01ups.ntx");
  touch(root_ / "ZOZ" / "I01CTL.NTX");
  touch(root_ / "ZOZ" / ".hidden");
  fs::create_directories(root_ / "ZOZ" / "DIR.NTX");
  EXPECT_EQ(p.listFiles("\\ZOZ\\*.???"), (std::vector<std::string>{"I01CTL.NTX", "S_UPS.DBF", "i01ups.ntx"}));

  EXPECT_TRUE(p.run("DEL \\ZOZ\\*.NTX >nul"));
  EXPECT_EQ(p.listFiles("\\ZOZ\\*.???"), (std::vector<std::string>{"S_UPS.DBF"}));
  EXPECT_TRUE(fs::is_directory(root_ / "ZOZ" / "DIR.NTX"));
  EXPECT_TRUE(p.run("DEL \\ZOZ\\*.NTX >nul"));  // nothing left to delete is no failure
  EXPECT_FALSE(p.run("FORMAT C:"));

  // A stored name that reads as a path elsewhere is no DOS name: neither
  // listed nor followed.
  touch(root_ / "OTHER" / "I01.NTX");
  touch(root_ / "ZOZ" / "A\\..\\..\\OTHER\\I01.NTX");
  EXPECT_EQ(p.listFiles("\\ZOZ\\*.NTX"), std::vector<std::string>{});
  EXPECT_TRUE(p.run("DEL \\ZOZ\\*.NTX >nul"));
  EXPECT_TRUE(fs::exists(root_ / "OTHER" / "I01.NTX"));
}

TEST_F(DosTest, FileExistsDeleteAndCopy) {
  auto p = platform();
  touch(root_ / "ZOZ" / "zoz.exe", "MZ");
  EXPECT_TRUE(p.fileExists("ZOZ.EXE"));
  EXPECT_TRUE(p.copyFile("ZOZ.EXE", "\\ZOZ\\COPY.BIN"));
  std::ifstream in(root_ / "ZOZ" / "COPY.BIN", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "MZ");
  EXPECT_TRUE(p.deleteFile("zoz.exe"));
  EXPECT_FALSE(p.fileExists("ZOZ.EXE"));
  EXPECT_FALSE(p.deleteFile("ZOZ.EXE"));
}

// A copy replaces its target whole: an empty source gives an empty file,
// and a copy that cannot be written leaves the old target and nothing else.
TEST_F(DosTest, CopyReplacesTheTargetWhole) {
  auto p = platform();
  auto read = [](const fs::path& f) {
    std::ifstream in(f, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  touch(root_ / "ZOZ" / "EMPTY.TXT", "");
  touch(root_ / "ZOZ" / "OLD.TXT", "old");
  EXPECT_TRUE(p.copyFile("empty.txt", "old.txt"));
  EXPECT_EQ(read(root_ / "ZOZ" / "OLD.TXT"), "");
  EXPECT_FALSE(p.copyFile("missing.txt", "old.txt"));
  EXPECT_FALSE(p.copyFile("\\ZOZ", "old.txt"));  // a folder is no file

  touch(root_ / "ZOZ" / "BIG.TXT", std::string(100000, 'b'));
  touch(root_ / "ZOZ" / "OLD.TXT", "old");
  auto names = [&] {
    std::vector<std::string> n;
    for (const auto& e : fs::directory_iterator(root_ / "ZOZ")) n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
  };
  rt::os::limitFileSize(4096);  // a disk that fills up
  const bool copied = p.copyFile("big.txt", "old.txt");
  rt::os::limitFileSize(0);
  EXPECT_FALSE(copied);
  EXPECT_EQ(read(root_ / "ZOZ" / "OLD.TXT"), "old");
  EXPECT_EQ(names(), (std::vector<std::string>{"BIG.TXT", "EMPTY.TXT", "OLD.TXT"}));

  // A target that another opener holds (ZOZ itself using the file) stays
  // as it was where the system cannot replace it.
  rt::os::File held;
  ASSERT_TRUE(held.open(root_ / "ZOZ" / "OLD.TXT", rt::os::File::Mode::Read, rt::os::File::Lock::Shared));
  const bool replaced = p.copyFile("big.txt", "old.txt");
  held.close();
  EXPECT_EQ(replaced, rt::os::kRenamesOpenFiles);
  EXPECT_EQ(read(root_ / "ZOZ" / "OLD.TXT"), replaced ? std::string(100000, 'b') : "old");
  EXPECT_EQ(names(), (std::vector<std::string>{"BIG.TXT", "EMPTY.TXT", "OLD.TXT"}));
}

TEST_F(DosTest, DiskSpaceOfAMissingDriveIsAQuietOpenError) {
  std::vector<rt::err::Error> seen;
  errors_.install([&](const rt::err::Error& e) {
    seen.push_back(e);
    return rt::err::Answer::byDefault();
  });
  Config c;
  c.driveA = root_ / "no-such-folder";
  auto p = platform(c);
  EXPECT_TRUE(p.diskSpace('C').has_value());
  EXPECT_FALSE(p.diskSpace('A').has_value());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].genCode, rt::err::kOpen);
}

#ifdef _WIN32
// Without overrides the drives are the real ones: a diskette drive with no
// diskette (or none at all) is not ready, through the error system and
// without a system dialog; \ZOZ is on the current drive.
TEST_F(DosTest, RealDrives) {
  std::vector<rt::err::Error> seen;
  errors_.install([&](const rt::err::Error& e) {
    seen.push_back(e);
    return rt::err::Answer::byDefault();
  });
  Platform p(Config{}, &errors_);
  EXPECT_TRUE(p.diskSpace('C').has_value());
  const fs::path cur = fs::current_path().root_path();
  EXPECT_TRUE(fs::equivalent(*p.resolve("\\"), cur));
  const DWORD present = ::GetLogicalDrives();
  for (char d : {'A', 'B'}) {
    if (present & (1u << (d - 'A'))) continue;
    SCOPED_TRACE(d);
    seen.clear();
    EXPECT_EQ(p.resolve(std::string(1, d) + ":X"), std::nullopt);
    EXPECT_FALSE(p.diskSpace(d).has_value());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].osCode, 21);
  }
}
#endif

// A report copied to the printer: one that is not there is an open error;
// a printer that fails is a write error, tried again while the answer is
// Retry.
TEST_F(DosTest, PrintFileRaisesOpenAndWriteErrors) {
  touch(root_ / "ZOZ" / "REPORT.PRN", "line\r\n");
  fs::create_directories(root_ / "ZOZ" / "FOLDER.PRN");
  std::vector<rt::err::Error> seen;
  int retries = 0;
  errors_.install([&](const rt::err::Error& e) {
    seen.push_back(e);
    return retries-- > 0 ? rt::err::Answer::retry() : rt::err::Answer::byDefault();
  });
  Config c;
  c.lpt1 = (root_ / "printer.out").string();
  EXPECT_TRUE(platform(c).printFile("\\ZOZ\\report.prn"));
  std::ifstream in(root_ / "printer.out", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "line\r\n");
  EXPECT_TRUE(seen.empty());

  for (const char* missing : {"\\ZOZ\\NONE.PRN", "\\ZOZ\\FOLDER.PRN"}) {
    seen.clear();
    EXPECT_FALSE(platform(c).printFile(missing));
    ASSERT_EQ(seen.size(), 1u) << missing;
    EXPECT_EQ(seen[0].genCode, rt::err::kOpen);
    EXPECT_EQ(seen[0].subCode, 2011);
    EXPECT_EQ(seen[0].filename, missing);
    EXPECT_FALSE(seen[0].canRetry);
  }

  seen.clear();
  retries = 2;
  c.lpt1 = kWindows ? "|find \"absent\"" : "|grep -q absent";
  EXPECT_FALSE(platform(c).printFile("\\ZOZ\\REPORT.PRN"));
  ASSERT_EQ(seen.size(), 3u);
  for (const auto& e : seen) {
    EXPECT_EQ(e.genCode, rt::err::kWrite);
    EXPECT_EQ(e.subSystem, "BASE");
    EXPECT_EQ(e.subCode, 2012);
    EXPECT_EQ(e.filename, "LPT1");
    EXPECT_TRUE(e.canRetry && e.canDefault);
  }
}

TEST_F(DosTest, PrinterIsAFileOrACommand) {
  touch(root_ / "ZOZ" / "REPORT.PRN", "line\r\n\f\r");
  Config c;
  c.lpt1 = (root_ / "printer.out").string();  // not LPT1.*: a device name on Windows
  auto p = platform(c);
  EXPECT_TRUE(p.printerReady());
  EXPECT_TRUE(p.copyToPrinter(root_ / "ZOZ" / "REPORT.PRN"));
  std::ifstream in(root_ / "printer.out", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "line\r\n\f\r");

  // A command reading the bytes; one that fails is a failed copy.
  const std::string piped = (root_ / "piped.out").string();
  c.lpt1 = kWindows ? "|find \"line\" > \"" + piped + "\"" : "|cat > " + piped;
  EXPECT_TRUE(platform(c).printerReady());
  EXPECT_TRUE(platform(c).copyToPrinter(root_ / "ZOZ" / "REPORT.PRN"));
  std::ifstream in2(piped, std::ios::binary);
  const std::string got(std::istreambuf_iterator<char>(in2), {});
  EXPECT_EQ(got, kWindows ? "line\r\n" : "line\r\n\f\r");
  c.lpt1 = kWindows ? "|find \"absent\"" : "|grep -q absent";
  EXPECT_FALSE(platform(c).copyToPrinter(root_ / "ZOZ" / "REPORT.PRN"));

  // A device that is not there is not ready, and is not created.
  const std::string device = kWindows ? "\\\\.\\LPT9" : "/dev/no-such-printer";
  c.lpt1 = device;
  EXPECT_FALSE(platform(c).printerReady());
  EXPECT_FALSE(platform(c).copyToPrinter(root_ / "ZOZ" / "REPORT.PRN"));
  if (!kWindows) {
    EXPECT_FALSE(fs::exists(device));
  }
  c.lpt1 = "|no-such-command-xyz";
  EXPECT_FALSE(platform(c).printerReady());
}

// The printer named in the environment, by letters beyond ASCII too.
TEST_F(DosTest, PrinterFromTheEnvironment) {
  touch(root_ / "ZOZ" / "REPORT.PRN", "line\r\n");
  const fs::path out = root_ / fs::path(u8"Impressão €.out");
#ifdef _WIN32
  _wputenv_s(L"FPO_LPT1", out.c_str());
#else
  setenv("FPO_LPT1", out.c_str(), 1);
#endif
  const Config c = Config::fromEnvironment();
#ifdef _WIN32
  _wputenv_s(L"FPO_LPT1", L"");
#else
  unsetenv("FPO_LPT1");
#endif
  auto p = platform(c);
  EXPECT_TRUE(p.printerReady());
  EXPECT_TRUE(p.copyToPrinter(root_ / "ZOZ" / "REPORT.PRN"));
  std::ifstream in(out, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "line\r\n");
}

}  // namespace
