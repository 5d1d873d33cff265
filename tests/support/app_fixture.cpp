// The headless system's temporary drive C: (named after the run and the
// test, found again by a death test's child), the wait for files still
// locked, a folder's files read, written back and the dot-files among them,
// and the screen search.
#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "app/arquivos.h"
#include "support/tables.h"

namespace fpo::test {

namespace fs = std::filesystem;

namespace {

// A name of this run of the test program, handed down to its child
// processes: a death test's child on Windows is a new process that runs the
// test again, and works in the folder of its parent.
const std::string& runName() {
  static const std::string name = [] {
    if (const char* v = std::getenv("FPO_TEST_RUN"); v && *v) return std::string(v);
    std::random_device seed;
    char n[9];
    std::snprintf(n, sizeof n, "%08x", static_cast<unsigned>(seed()));
#ifdef _WIN32
    _putenv_s("FPO_TEST_RUN", n);
#else
    setenv("FPO_TEST_RUN", n, 1);
#endif
    return std::string(n);
  }();
  return name;
}

// The folder's lock file, held by every running program.
bool lockFile(const fs::path& p) { return std::string_view(kTrava).ends_with("\\" + p.filename().string()); }

}  // namespace

TempDrive::TempDrive() {
  // A child process a test started works in the drive its parent names.
  if (const char* v = std::getenv("FPO_TEST_DRIVE"); v && *v) {
    root_ = v;
    borrowed_ = true;
    previous_ = fs::current_path();
    fs::current_path(root_ / "ZOZ");
    return;
  }
  // Named after the run, the test and the folders the test made before;
  // short, as alerts show the paths.
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "-";
  static std::map<std::string, int> made;
  char name[32];
  std::snprintf(name, sizeof name, "fpo-%s-%06x-%d", runName().c_str(),
                static_cast<unsigned>(std::hash<std::string>{}(test)&0xFFFFFF), ++made[test]);
  root_ = fs::temp_directory_path() / name;
  fs::create_directories(root_ / "ZOZ");
  previous_ = fs::current_path();
  fs::current_path(root_ / "ZOZ");
}

TempDrive::~TempDrive() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  if (!borrowed_) fs::remove_all(root_, ec);
}

void waitUnlocked(const fs::path& folder) {
  for (int attempt = 0; attempt < 400; ++attempt) {
    bool free = true;
    for (const auto& e : fs::directory_iterator(folder)) {
      if (lockFile(e.path())) continue;  // held by this program too
      int err = 0;
      free = free && rt::os::lockFree(e.path(), err);
    }
    if (free) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ADD_FAILURE() << "files still locked in " << folder;
}

std::map<std::string, std::string> filesOf(const fs::path& folder) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.is_regular_file()) out[e.path().filename().string()] = bytes(e.path());
  return out;
}

void putFiles(const fs::path& folder, const std::map<std::string, std::string>& files) {
  for (const auto& e : fs::directory_iterator(folder)) fs::remove_all(e.path());
  for (const auto& [name, content] : files) std::ofstream(folder / name, std::ios::binary) << content;
}

std::vector<std::string> dotFiles(const fs::path& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string n = e.path().filename().string();
    if (n[0] == '.' && !lockFile(e.path())) out.push_back(n);
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool AppTest::shows(const rt::term::Screen& sc, const std::string& utf8) {
  for (int r = 0; r < rt::term::kRows; ++r)
    if (text(sc, r).find(utf8) != std::string::npos) return true;
  return false;
}

AppTest::AppTest(std::unique_ptr<RecordingBackend> backend)
    : keys_(backend.get()),
      runtime_(std::move(backend), rt::dos::Config{drive_.root(), {}, {}, ""}),
      s(runtime_) {}

}  // namespace fpo::test
