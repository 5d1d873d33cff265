// The parts of rt/os that the standard library gives on every system.
#include <atomic>
#include <cstdlib>
#include <system_error>

#include "rt/os/os.h"

namespace fs = std::filesystem;

namespace rt::os {

std::string programOf(const std::string& command) {
  std::string prog;
  for (char c : command) {
    if (c == ' ' || c == '\t') {
      if (!prog.empty()) break;
      continue;
    }
    prog.push_back(c);
  }
  return prog;
}

namespace faults {
namespace {
std::atomic<Kind> gKind{Kind::Off};
std::atomic<long> gAt{0}, gCount{0};
}  // namespace

void arm(Kind kind, long n) {
  gCount = 0;
  gAt = n;
  gKind = kind;
}

long count() { return gCount.load(); }

bool armed() { return gKind.load(std::memory_order_relaxed) != Kind::Off; }

bool point(bool write) {
  const Kind k = gKind.load(std::memory_order_relaxed);
  if (k == Kind::Off) return true;
  const long n = gCount.fetch_add(1) + 1;
  if (k == Kind::Crash && n == gAt.load()) std::_Exit(86);
  return !(k == Kind::Full && write && n >= gAt.load());
}
}  // namespace faults

bool removeFile(const fs::path& p, int& err) {
  faults::point(false);
  std::error_code ec;
  fs::remove(p, ec);
  if (!ec) return true;
  err = ec.value();
  return false;
}

std::vector<std::string> folderFiles(const fs::path& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code ec2;
    if (it->is_regular_file(ec2)) out.push_back(it->path().filename().string());
  }
  return out;
}

}  // namespace rt::os
