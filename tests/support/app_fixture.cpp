#include "support/app_fixture.h"

#include <random>

namespace fpo::test {

namespace fs = std::filesystem;

TempDrive::TempDrive() {
  // A fresh folder of a name nobody else took.
  std::random_device seed;
  std::mt19937_64 gen(seed());
  for (int i = 0;; ++i) {
    root_ = fs::temp_directory_path() / ("fpo-test-" + std::to_string(gen()));
    if (fs::create_directory(root_)) break;
    if (i == 100) throw std::runtime_error("no fresh temporary folder");
  }
  fs::create_directories(root_ / "ZOZ");
  previous_ = fs::current_path();
  fs::current_path(root_ / "ZOZ");
}

TempDrive::~TempDrive() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(root_, ec);
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
