// rt/os/file: File, the growing buffer Bytes, and Replacement: a new file
// written beside its target through a megabyte buffer, then synced and
// renamed over it, or staged for a switch, or abandoned with its temporary.
#include "rt/os/file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace rt::os {

namespace {
constexpr std::size_t kBuffer = 1u << 20;

// Closes the last handles of replaced files, one at a time on a thread of
// its own. The next release, a fork and the end of the program wait for
// the close under way, so that none is inherited or cut short. It is never
// destroyed: a file may be replaced as other objects end.
class Releaser {
 public:
  void release(Handle h) {
    const std::lock_guard<std::mutex> g(mu_);
    join();
    try {
      thread_ = std::thread([h] { os::close(h); });
    } catch (const std::system_error&) {
      os::close(h);
    }
  }
  void wait() {
    const std::lock_guard<std::mutex> g(mu_);
    join();
  }

 private:
  void join() {
    if (thread_.joinable()) thread_.join();
  }
  std::mutex mu_;
  std::thread thread_;
};

Releaser& releaser() {
  static Releaser* const r = [] {
    auto* one = new Releaser;
    aroundFork([] { releaser().wait(); }, [] {});
    std::atexit([] { releaser().wait(); });
    return one;
  }();
  return *r;
}

void releaseLater(Handle h) {
  if (h != kNoHandle) releaser().release(h);
}
}  // namespace

File::~File() { close(); }

File::File(File&& o) noexcept
    : h_(std::exchange(o.h_, kNoHandle)),
      err_(o.err_),
      path_(std::move(o.path_)),
      view_(std::move(o.view_)) {}

File& File::operator=(File&& o) noexcept {
  if (this != &o) {
    close();
    h_ = o.h_;
    err_ = o.err_;
    path_ = std::move(o.path_);
    view_ = std::move(o.view_);
    o.h_ = kNoHandle;
  }
  return *this;
}

const char* File::map(std::uint64_t len) {
  unmap();
  const View v = os::map(h_, len);
  if (!v.data) return nullptr;
  view_.reset(new View(v), [](const View* p) {
    View w = *p;
    os::unmap(w);
    delete p;
  });
  return view_->data;
}

void File::unmap() { view_.reset(); }

bool File::open(const fs::path& p, Mode mode, Lock lock) {
  close();
  path_ = p;
  Handle h = kNoHandle;
  if (!os::open(p, mode, lock, h, err_)) return false;
  h_ = h;
  err_ = 0;
  return true;
}

bool File::readAt(std::uint64_t off, void* buf, std::size_t n, std::size_t& got) {
  return os::readAt(h_, off, buf, n, got, err_);
}

bool File::readAll(std::uint64_t off, void* buf, std::size_t n) const {
  std::size_t got = 0;
  int e = 0;
  return os::readAt(h_, off, buf, n, got, e) && got == n;
}

bool File::writeAt(std::uint64_t off, const void* buf, std::size_t n) {
  return os::writeAt(h_, off, buf, n, err_);
}

bool File::size(std::uint64_t& out) { return os::size(h_, out, err_); }

bool File::truncate(std::uint64_t len) {
  // A view must not outlast a truncation (the system may refuse it).
  unmap();
  return os::truncate(h_, len, err_);
}

bool File::sync() { return os::sync(h_, err_); }

void File::close() {
  unmap();
  os::close(h_);
  h_ = kNoHandle;
}

Handle File::release() {
  unmap();
  return std::exchange(h_, kNoHandle);
}

void File::adopt(Handle h, fs::path p) {
  close();
  h_ = h;
  path_ = std::move(p);
  err_ = 0;
}

// --- Bytes ---

void Bytes::reserve(std::size_t n) {
  if (n <= cap_) return;
  std::unique_ptr<char[]> p(new char[n]);
  if (size_) std::memcpy(p.get(), p_.get(), size_);
  p_ = std::move(p);
  cap_ = n;
}

char* Bytes::grow(std::size_t n) {
  if (!p_ || cap_ - size_ < n) reserve(std::max({size_ + n, 2 * cap_, std::size_t{64}}));
  char* at = p_.get() + size_;
  size_ += n;
  return at;
}

void Bytes::append(const void* data, std::size_t n) {
  if (n) std::memcpy(grow(n), data, n);
}

void Bytes::release() {
  p_.reset();
  size_ = cap_ = 0;
}

void Bytes::swap(Bytes& o) noexcept {
  p_.swap(o.p_);
  std::swap(size_, o.size_);
  std::swap(cap_, o.cap_);
}

// --- Replacement ---

namespace {
// Starts the system's write-back of the bytes from *started up to upTo.
void writeBack(Handle h, std::uint64_t& started, std::uint64_t upTo) {
  // Only a hint: the sync of commit() is what makes the bytes durable.
  if (upTo - started < kBuffer) return;
  os::startWriteback(h, started, upTo);
  started = upTo;
}
}  // namespace

Replacement::Replacement() = default;
Replacement::~Replacement() { abandon(); }

bool Replacement::handOff() {
  if (!flush()) return false;
  writeBack(h_, started_, pos_);
  return true;
}

bool Replacement::begin(const fs::path& target, bool selfHeld) {
  abandon();
  target_ = target;
  err_ = 0;
  pos_ = started_ = 0;
  buf_.clear();
  buf_.reserve(kBuffer);
  // A folder or a device is not replaced by a rename; a file held by another
  // opener (any area of this process included) is in use and must not be
  // replaced under it.
  if (const Entry e = entryOf(target); e == Entry::Folder || e == Entry::Other) {
    err_ = kDenied;  // a link is replaced itself, never what it names
    return false;
  }
  if (!selfHeld && !lockFree(target, err_)) return false;
  const fs::path dir = target.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "." + target.filename().string() + "." + std::to_string(processId()) + "." +
                       std::to_string(attempt) + ".tmp";
    temp_ = dir / name;
    Handle h = kNoHandle;
    bool exists = false;
    if (createNew(temp_, h, err_, exists)) {
      h_ = h;
      err_ = 0;
      return true;
    }
    if (!exists) break;
  }
  if (err_ == 0) err_ = kIoFailed;
  temp_.clear();
  return false;
}

bool Replacement::write(const void* data, std::size_t n) {
  if (h_ == kNoHandle) return false;
  buf_.append(data, n);
  return buf_.size() < kBuffer || handOff();
}

char* Replacement::append(std::size_t n) {
  if (h_ == kNoHandle) return nullptr;
  if (buf_.size() + n > kBuffer && !buf_.empty() && !handOff()) return nullptr;
  return buf_.grow(n);
}

bool Replacement::writeFrom(File& in) {
  constexpr std::size_t kChunk = 1u << 16;
  for (std::uint64_t at = 0;;) {
    char* to = append(kChunk);
    if (!to) return false;
    std::size_t got = 0;
    if (!in.readAt(at, to, kChunk, got)) {
      drop(kChunk);
      err_ = in.error();
      return false;
    }
    drop(kChunk - got);
    if (got == 0) return true;
    at += got;
  }
}

bool Replacement::flush() {
  if (h_ == kNoHandle) return false;
  if (buf_.empty()) return true;
  if (!os::writeAt(h_, pos_, buf_.data(), buf_.size(), err_)) return false;
  pos_ += buf_.size();
  buf_.clear();
  return true;
}

bool Replacement::writeAt(std::uint64_t off, const void* data, std::size_t n) {
  if (h_ == kNoHandle || !flush()) return false;
  return os::writeAt(h_, off, data, n, err_);
}

bool Replacement::commit(File* keep) {
  if (handed_) return keep && commitHandedOver(*keep);
  if (h_ == kNoHandle) return false;
  if (!flush()) return false;
  if (!os::sync(h_, err_)) return false;
  const bool held = keep && keep->isOpen();
  if (!kRenamesOpenFiles) {
    // Every handle of both names is closed for the rename; keep opens the
    // file again under its own name afterwards.
    if (held) keep->close();
    os::close(h_);
    h_ = kNoHandle;
  }
  const Handle replaced = held ? kNoHandle : holdTarget();
  if (!renameOver(temp_, target_, err_)) {
    os::close(replaced);
    if (!kRenamesOpenFiles) {
      // The temporary goes; the old file is held again as before.
      std::error_code ec;
      fs::remove(temp_, ec);
      temp_.clear();
      if (held) keep->open(target_, File::Mode::ReadWrite, File::Lock::Exclusive);
    }
    return false;
  }
  syncDir(target_.parent_path());
  temp_.clear();
  releaseLater(held ? keep->release() : replaced);  // keep takes the new file below
  if (h_ == kNoHandle) {
    if (keep && !keep->open(target_, File::Mode::ReadWrite, File::Lock::Exclusive)) {
      err_ = keep->error();
      return false;
    }
  } else if (keep) {
    keep->adopt(h_, target_);
  } else {
    os::close(h_);
  }
  h_ = kNoHandle;
  return true;
}

Handle Replacement::holdTarget() const {
  Handle h = kNoHandle;
  int e = 0;
  if (kRenamesOpenFiles && entryOf(target_) == Entry::File) os::open(target_, Access::Read, Lock::None, h, e);
  return h;
}

bool Replacement::stage(fs::path& temp, File* keep) {
  if (h_ == kNoHandle) return false;
  if (!flush()) return false;
  temp = std::exchange(temp_, {});
  if (keep) {
    // The old file stays where it is, its lock given up with its handle.
    keep->adopt(h_, target_);
  } else {
    os::close(h_);
  }
  h_ = kNoHandle;
  return true;
}

bool Replacement::handOver(File& keep) {
  if (h_ == kNoHandle || !flush()) return false;
  original_ = std::move(keep);
  keep.adopt(h_, target_);
  h_ = kNoHandle;
  handed_ = true;
  buf_.release();  // written through keep from now on
  return true;
}

bool Replacement::commitHandedOver(File& keep) {
  if (!keep.sync()) {
    err_ = keep.error();
    return false;
  }
  if (!kRenamesOpenFiles) {
    keep.close();
    original_.close();
  }
  if (!renameOver(temp_, target_, err_)) {
    if (!kRenamesOpenFiles) {
      // Both held again as before, for another try or abandon().
      original_.open(target_, File::Mode::ReadWrite, File::Lock::Exclusive);
      if (keep.open(temp_, File::Mode::ReadWrite, File::Lock::Exclusive)) keep.setName(target_);
    }
    return false;
  }
  syncDir(target_.parent_path());
  temp_.clear();
  handed_ = false;
  releaseLater(original_.release());
  if (!kRenamesOpenFiles && !keep.open(target_, File::Mode::ReadWrite, File::Lock::Exclusive)) {
    err_ = keep.error();
    return false;
  }
  return true;
}

bool temporaryName(const std::string& n, std::string* target, int* process) {
  // "." name "." process "." attempt ".tmp"
  const std::string tail = ".tmp";
  if (n.size() < 9 || n[0] != '.' || n.compare(n.size() - tail.size(), tail.size(), tail) != 0) return false;
  std::size_t end = n.size() - tail.size(), pid = 0;
  for (int part = 0; part < 2; ++part) {
    const std::size_t dot = n.rfind('.', end - 1);
    if (dot == std::string::npos || dot == 0 || dot + 1 == end || end - dot > 10) return false;
    for (std::size_t i = dot + 1; i < end; ++i)
      if (n[i] < '0' || n[i] > '9') return false;
    pid = dot + 1;
    end = dot;
  }
  if (end <= 1) return false;
  if (target) *target = n.substr(1, end - 1);
  if (process) *process = static_cast<int>(std::stoul(n.substr(pid, n.find('.', pid) - pid)));
  return true;
}

void Replacement::abandon(File* keep) {
  os::close(h_);
  h_ = kNoHandle;
  if (handed_) {
    if (keep) {
      keep->close();
      if (original_.isOpen())
        *keep = std::move(original_);
      else
        keep->open(target_, File::Mode::ReadWrite, File::Lock::Exclusive);
    }
    original_.close();
    handed_ = false;
  }
  if (!temp_.empty()) {
    std::error_code ec;
    fs::remove(temp_, ec);
    temp_.clear();
  }
  buf_.release();
}

}  // namespace rt::os
