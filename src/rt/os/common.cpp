// The parts of rt/os that the standard library gives on every system.
#include <atomic>
#include <cstdlib>
#include <mutex>
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
std::mutex gMutex;
std::vector<Step> gSteps;
std::function<void()> gCall;
}  // namespace

void arm(Kind kind, long n) {
  {
    std::lock_guard<std::mutex> lk(gMutex);
    gSteps.clear();
  }
  gCount = 0;
  gAt = n;
  gKind = kind;
}

void callAt(long n, std::function<void()> f) {
  gCall = std::move(f);
  arm(Kind::Call, n);
}

long count() { return gCount.load(); }

std::vector<Step> steps() {
  std::lock_guard<std::mutex> lk(gMutex);
  return gSteps;
}

bool armed() { return gKind.load(std::memory_order_relaxed) != Kind::Off; }

bool point(bool write) {
  const Kind k = gKind.load(std::memory_order_relaxed);
  if (k == Kind::Off) return true;
  const long n = gCount.fetch_add(1) + 1;
  if (k == Kind::Crash && n == gAt.load()) std::_Exit(86);
  if (k == Kind::Call && n == gAt.load() && gCall) gCall();
  if (!write) return true;
  return !(k == Kind::Full && n >= gAt.load()) && !(k == Kind::Once && n == gAt.load());
}

void record(Step::Op op, const fs::path& path, const fs::path& to) {
  if (!armed()) return;
  std::lock_guard<std::mutex> lk(gMutex);
  gSteps.push_back({op, gCount.load(), path, to});
}
}  // namespace faults

bool removeFile(const fs::path& p, int& err) {
  faults::point(false);
  faults::record(faults::Step::Op::Remove, p);
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
