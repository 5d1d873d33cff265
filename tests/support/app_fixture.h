// A headless system for screen and scenario tests: keys from a script, the
// screen as it stood at every key read, and a \ZOZ folder of its own in a
// temporary drive C: that is the current directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/sistema.h"
#include "rt/os/os.h"
#include "rt/runtime.h"
#include "rt/term/headless.h"
#include "rt/text/cp860.h"

namespace fpo::test {

// Keeps a copy of the screen each time a key is waited for.
class RecordingBackend : public rt::term::Headless {
 public:
  void present(const rt::term::Screen& screen, const rt::term::CursorState& cursor) override {
    shown = screen;
    shownCursor = cursor;
  }
  int readKey(int timeoutMs) override {
    if (timeoutMs != 0) {
      atKeys.push_back(shown);
      cursorsAtKeys.push_back(shownCursor);
      writesAtKeys.push_back(rt::os::faults::count());
      if (onWait) onWait();
    }
    return Headless::readKey(timeoutMs);
  }

  rt::term::Screen shown;
  rt::term::CursorState shownCursor;
  std::vector<rt::term::Screen> atKeys;  // the screen at every waiting read
  std::vector<rt::term::CursorState> cursorsAtKeys;
  std::vector<long> writesAtKeys;  // the file operations the fault point counted by then
  std::function<void()> onWait;    // called at every waiting read, the screen as it stands
};

// A temporary drive C: holding an empty ZOZ folder, made the current
// directory while it lives.
class TempDrive {
 public:
  TempDrive();
  ~TempDrive();
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path zoz() const { return root_ / "ZOZ"; }
  // Another process's drive (FPO_TEST_DRIVE), neither filled nor removed.
  bool borrowed() const { return borrowed_; }

 private:
  std::filesystem::path root_, previous_;
  bool borrowed_ = false;
};

// Waits until no file of the folder is locked: the locks of a child process
// that ended go with its files, which the system may release a moment after
// the process was reaped (on a busy machine). A failure when they stay.
void waitUnlocked(const std::filesystem::path& folder);

// The bytes of every file of the folder by name (its folders left out).
std::map<std::string, std::string> filesOf(const std::filesystem::path& folder);
// Empties the folder and writes these files into it.
void putFiles(const std::filesystem::path& folder, const std::map<std::string, std::string>& files);
// The names in the folder that begin with a dot, sorted, but the lock file's
// (which every running program holds): what a run may leave behind.
std::vector<std::string> dotFiles(const std::filesystem::path& folder);

class AppTest : public ::testing::Test {
 public:
  // Text of a screen row (or part of it) in UTF-8.
  static std::string text(const rt::term::Screen& sc, int row, int col = 0, int len = 80) {
    return rt::text::toUtf8(sc.text(row, col, len));
  }
  // Whether some row of the screen holds the UTF-8 text.
  static bool shows(const rt::term::Screen& sc, const std::string& utf8);

 protected:
  AppTest() : AppTest(std::make_unique<RecordingBackend>()) {}

  RecordingBackend& keys() { return *keys_; }
  rt::term::Terminal& term() { return runtime_.term; }
  const rt::term::Screen& screen() { return runtime_.term.screen(); }
  std::string text(int row, int col = 0, int len = 80) { return text(screen(), row, col, len); }
  const TempDrive& drive() const { return drive_; }

 private:
  explicit AppTest(std::unique_ptr<RecordingBackend> backend);

  TempDrive drive_;
  RecordingBackend* keys_;
  rt::Runtime runtime_;

 protected:
  Sistema s;
};

}  // namespace fpo::test
