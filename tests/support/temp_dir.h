// A scratch folder of a test, and the folder a death test's statement works
// in. Header-only and needing only GoogleTest, for the run-time's tests too.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fpo::test {

// A fresh empty folder in the system's temporary folder, named after the
// prefix, this process and a count; removed with what it holds when it goes.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "fpo-test") {
    static int counter = 0;
#ifdef _WIN32
    const int process = _getpid();
#else
    const int process = static_cast<int>(getpid());
#endif
    path_ = std::filesystem::temp_directory_path() /
            (prefix + "-" + std::to_string(process) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The folder a death test's statement works in: the test's own. The child
// of a death test on Windows is a new run of this program, with folders of
// its own: it is told the parent's through the environment.
inline std::filesystem::path deathFolder(const std::filesystem::path& mine) {
#ifdef _WIN32
  if (::testing::internal::InDeathTestChild())
    if (const char* v = std::getenv("FPO_DEATH_FOLDER"); v && *v) return std::filesystem::path(v);
  _putenv_s("FPO_DEATH_FOLDER", mine.string().c_str());
#endif
  return mine;
}

}  // namespace fpo::test
