#include "rt/db/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace rt::db {

namespace {
constexpr std::size_t kBuffer = 1u << 20;

std::atomic<faults::Kind> gFaultKind{faults::Kind::Off};
std::atomic<long> gFaultAt{0}, gFaultCount{0};

// Whether a test armed the fault point: its runs do not wait for the disk.
bool armed() { return gFaultKind.load(std::memory_order_relaxed) != faults::Kind::Off; }

// Counts one write, sync, rename or removal; false when it must fail as on
// a full disk.
bool faultPoint(bool write) {
  const faults::Kind k = gFaultKind.load(std::memory_order_relaxed);
  if (k == faults::Kind::Off) return true;
  const long n = gFaultCount.fetch_add(1) + 1;
  if (k == faults::Kind::Crash && n == gFaultAt.load()) ::_exit(86);
  return !(k == faults::Kind::Full && write && n >= gFaultAt.load());
}
}  // namespace

namespace faults {
void arm(Kind kind, long n) {
  gFaultCount = 0;
  gFaultAt = n;
  gFaultKind = kind;
}
long count() { return gFaultCount.load(); }
}  // namespace faults

int dosCode(int e) {
  switch (e) {
    case 0: return 0;
    case ENOENT: return 2;
    case ENXIO: return 21;  // drive not ready
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;
    case EWOULDBLOCK: return 32;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 112;
    default: return 31;  // general failure
  }
}

void adviseLarge(void* p, std::size_t n) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kLarge = 2u << 20;
  const auto from = (reinterpret_cast<std::uintptr_t>(p) + kLarge - 1) & ~(kLarge - 1);
  const auto to = (reinterpret_cast<std::uintptr_t>(p) + n) & ~(kLarge - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)p;
  (void)n;
#endif
}

File::~File() { close(); }

File::File(File&& o) noexcept
    : fd_(o.fd_), err_(o.err_), path_(std::move(o.path_)), map_(o.map_), mapLen_(o.mapLen_) {
  o.fd_ = -1;
  o.map_ = nullptr;
  o.mapLen_ = 0;
}

File& File::operator=(File&& o) noexcept {
  if (this != &o) {
    close();
    fd_ = o.fd_;
    err_ = o.err_;
    path_ = std::move(o.path_);
    map_ = o.map_;
    mapLen_ = o.mapLen_;
    o.fd_ = -1;
    o.map_ = nullptr;
    o.mapLen_ = 0;
  }
  return *this;
}

const char* File::map(std::uint64_t len) {
  unmap();
  if (fd_ < 0 || len == 0) return nullptr;
  void* p = ::mmap(nullptr, static_cast<std::size_t>(len), PROT_READ, MAP_SHARED, fd_, 0);
  if (p == MAP_FAILED) return nullptr;
  map_ = p;
  mapLen_ = len;
  return static_cast<const char*>(p);
}

void File::unmap() {
  if (map_) ::munmap(map_, static_cast<std::size_t>(mapLen_));
  map_ = nullptr;
  mapLen_ = 0;
}

bool File::open(const fs::path& p, Mode mode, Lock lock) {
  close();
  path_ = p;
  // Without waiting: a FIFO of that name would block the open.
  int fd = ::open(p.c_str(), (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    err_ = errno;
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    // Only ordinary files hold tables, indexes and text.
    err_ = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (lock != Lock::None) {
    int how = (lock == Lock::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    while (::flock(fd, how) != 0) {
      if (errno == EINTR) continue;
      err_ = errno == EAGAIN ? EWOULDBLOCK : errno;
      ::close(fd);
      return false;
    }
  }
  fd_ = fd;
  err_ = 0;
  return true;
}

bool File::readAt(std::uint64_t off, void* buf, std::size_t n, std::size_t& got) {
  got = 0;
  auto* p = static_cast<char*>(buf);
  while (got < n) {
    ssize_t r = ::pread(fd_, p + got, n - got, static_cast<off_t>(off + got));
    if (r < 0) {
      if (errno == EINTR) continue;
      err_ = errno;
      return false;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return true;
}

bool File::readAll(std::uint64_t off, void* buf, std::size_t n) const {
  auto* p = static_cast<char*>(buf);
  std::size_t got = 0;
  while (got < n) {
    ssize_t r = ::pread(fd_, p + got, n - got, static_cast<off_t>(off + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    got += static_cast<std::size_t>(r);
  }
  return true;
}

namespace {
bool writeAll(int fd, std::uint64_t off, const void* buf, std::size_t n, int& err) {
  if (!faultPoint(true)) {
    err = ENOSPC;
    return false;
  }
  auto* p = static_cast<const char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    ssize_t r = ::pwrite(fd, p + done, n - done, static_cast<off_t>(off + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    if (r == 0) {
      err = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(r);
  }
  return true;
}

bool syncFd(int fd, int& err) {
  faultPoint(false);
  if (armed()) return true;
  while (::fsync(fd) != 0) {
    if (errno == EINTR) continue;
    if (errno == EINVAL || errno == EROFS) return true;  // nothing to sync on this kind of file
    err = errno;
    return false;
  }
  return true;
}

void syncDir(const fs::path& dir) {
  if (armed()) return;
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
}  // namespace

bool File::writeAt(std::uint64_t off, const void* buf, std::size_t n) { return writeAll(fd_, off, buf, n, err_); }

bool File::size(std::uint64_t& out) {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    err_ = errno;
    return false;
  }
  out = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool File::truncate(std::uint64_t len) {
  faultPoint(false);
  while (::ftruncate(fd_, static_cast<off_t>(len)) != 0) {
    if (errno == EINTR) continue;
    err_ = errno;
    return false;
  }
  return true;
}

bool File::sync() { return syncFd(fd_, err_); }

void File::close() {
  unmap();
  if (fd_ >= 0) ::close(fd_);  // the lock goes with the descriptor
  fd_ = -1;
}

void File::adopt(int fd, fs::path p) {
  if (fd_ >= 0) {
    const int old = fd_;
    void* map = map_;
    const std::uint64_t len = mapLen_;
    try {
      std::thread([old, map, len] {
        if (map) ::munmap(map, static_cast<std::size_t>(len));
        ::close(old);
      }).detach();
      fd_ = -1;
      map_ = nullptr;
      mapLen_ = 0;
    } catch (const std::system_error&) {
      // no thread to be had: closed here
    }
  }
  close();
  fd_ = fd;
  path_ = std::move(p);
  err_ = 0;
}

// --- folder operations ---

namespace {
// Whether another opener holds p; e the reason when it does.
bool lockedBy(const fs::path& p, int& e) {
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  int r;
  while ((r = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  e = errno == EAGAIN ? EWOULDBLOCK : errno;
  ::close(fd);
  return r != 0;
}
}  // namespace

bool heldElsewhere(const fs::path& p) {
  int e = 0;
  return lockedBy(p, e);
}

bool renameOver(const fs::path& from, const fs::path& to, int& err) {
  faultPoint(false);
  if (::rename(from.c_str(), to.c_str()) != 0) {
    err = errno;
    return false;
  }
  syncDir(to.parent_path());
  return true;
}

bool removeFile(const fs::path& p, int& err) {
  faultPoint(false);
  if (::unlink(p.c_str()) != 0 && errno != ENOENT) {
    err = errno;
    return false;
  }
  return true;
}

void syncFolder(const fs::path& dir) { syncDir(dir); }

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

bool temporaryName(const std::string& n) {
  // "." name "." process "." attempt ".tmp"
  constexpr std::string_view kTail = ".tmp";
  if (n.size() < 9 || n[0] != '.' || n.compare(n.size() - kTail.size(), kTail.size(), kTail) != 0)
    return false;
  std::size_t end = n.size() - kTail.size();
  for (int part = 0; part < 2; ++part) {
    std::size_t dot = n.rfind('.', end - 1);
    if (dot == std::string::npos || dot + 1 == end || dot == 0) return false;
    for (std::size_t i = dot + 1; i < end; ++i)
      if (n[i] < '0' || n[i] > '9') return false;
    end = dot;
  }
  return end > 1;
}

// --- Replacement ---

namespace {
// Starts the system's write-back of the bytes from *started up to upTo.
void startWriteback(int fd, std::uint64_t& started, std::uint64_t upTo) {
#ifdef __linux__
  // Only a hint: the sync of commit() is what makes the bytes durable.
  if (upTo - started < kBuffer) return;
  ::sync_file_range(fd, static_cast<off_t>(started), static_cast<off_t>(upTo - started), SYNC_FILE_RANGE_WRITE);
  started = upTo;
#else
  (void)fd;
  (void)started;
  (void)upTo;
#endif
}
}  // namespace

// The thread that writes full buffers, one at a time.
struct Replacement::Writer {
  std::mutex m;
  std::condition_variable cv;
  std::string job;
  std::uint64_t at = 0;
  bool pending = false, quit = false;
  int err = 0;
  int fd = -1;
  std::uint64_t* started = nullptr;
  std::thread thread;

  void run() {
    std::unique_lock<std::mutex> lk(m);
    for (;;) {
      cv.wait(lk, [this] { return pending || quit; });
      if (!pending) return;
      lk.unlock();
      int e = 0;
      const bool ok = writeAll(fd, at, job.data(), job.size(), e);
      if (ok) startWriteback(fd, *started, at + job.size());
      lk.lock();
      if (!ok && err == 0) err = e;
      pending = false;
      cv.notify_all();
    }
  }
};

Replacement::Replacement() = default;
Replacement::~Replacement() { abandon(); }

bool Replacement::settle() {
  if (!writer_) return true;
  std::unique_lock<std::mutex> lk(writer_->m);
  writer_->cv.wait(lk, [this] { return !writer_->pending; });
  if (writer_->err == 0) return true;
  err_ = writer_->err;
  return false;
}

void Replacement::stopWriter() {
  if (!writer_) return;
  {
    std::lock_guard<std::mutex> lk(writer_->m);
    writer_->quit = true;
  }
  writer_->cv.notify_all();
  writer_->thread.join();
  writer_.reset();
}

bool Replacement::handOff() {
  if (!writer_) {
    auto w = std::make_unique<Writer>();
    w->fd = fd_;
    w->started = &started_;
    try {
      w->thread = std::thread([p = w.get()] { p->run(); });
      writer_ = std::move(w);
    } catch (const std::system_error&) {
      // no thread to be had: written here
      if (!writeAll(fd_, pos_, buf_.data(), buf_.size(), err_)) return false;
      pos_ += buf_.size();
      startWriteback(fd_, started_, pos_);
      buf_.clear();
      return true;
    }
  }
  if (!settle()) return false;
  {
    std::lock_guard<std::mutex> lk(writer_->m);
    writer_->job.swap(buf_);
    writer_->at = pos_;
    writer_->pending = true;
  }
  writer_->cv.notify_all();
  pos_ += writer_->job.size();
  buf_.clear();
  return true;
}

bool Replacement::begin(const fs::path& target, bool selfHeld) {
  abandon();
  target_ = target;
  err_ = 0;
  pos_ = started_ = 0;
  buf_.clear();
  buf_.reserve(kBuffer);
  if (!selfHeld) {
    // A file held by another opener (any area of this process included) is
    // in use and must not be replaced under it.
    int e = 0;
    if (lockedBy(target, e)) {
      err_ = e;
      return false;
    }
  }
  const fs::path dir = target.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                       std::to_string(attempt) + ".tmp";
    temp_ = dir / name;
    fd_ = ::open(temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ >= 0) break;
    if (errno != EEXIST) {
      err_ = errno;
      temp_.clear();
      return false;
    }
  }
  if (fd_ < 0) {
    err_ = EEXIST;
    temp_.clear();
    return false;
  }
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EINTR) {
  }
  return true;
}

bool Replacement::write(const void* data, std::size_t n) {
  if (fd_ < 0) return false;
  buf_.append(static_cast<const char*>(data), n);
  return buf_.size() < kBuffer || handOff();
}

char* Replacement::append(std::size_t n) {
  if (fd_ < 0) return nullptr;
  if (buf_.size() + n > kBuffer && !buf_.empty() && !handOff()) return nullptr;
  const std::size_t at = buf_.size();
  buf_.resize(at + n);
  return buf_.data() + at;
}

bool Replacement::flush() {
  if (fd_ < 0) return false;
  if (!settle()) return false;
  if (buf_.empty()) return true;
  if (!writeAll(fd_, pos_, buf_.data(), buf_.size(), err_)) return false;
  pos_ += buf_.size();
  buf_.clear();
  return true;
}

bool Replacement::writeAt(std::uint64_t off, const void* data, std::size_t n) {
  if (fd_ < 0 || !flush()) return false;
  return writeAll(fd_, off, data, n, err_);
}

bool Replacement::commit(File* keep) {
  if (fd_ < 0) return false;
  if (!flush()) return false;
  stopWriter();
  if (!syncFd(fd_, err_)) return false;
  if (!renameOver(temp_, target_, err_)) return false;
  temp_.clear();
  if (keep) {
    keep->adopt(fd_, target_);
  } else {
    ::close(fd_);
  }
  fd_ = -1;
  return true;
}

bool Replacement::stage(fs::path& temp, File* keep) {
  if (fd_ < 0) return false;
  if (!flush()) return false;
  stopWriter();
  if (!syncFd(fd_, err_)) return false;
  temp = std::exchange(temp_, {});
  if (keep) {
    keep->adopt(fd_, target_);
  } else {
    ::close(fd_);
  }
  fd_ = -1;
  return true;
}

void Replacement::abandon() {
  stopWriter();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) {
    std::error_code ec;
    fs::remove(temp_, ec);
    temp_.clear();
  }
  buf_.clear();
  buf_.shrink_to_fit();
}

// --- error objects ---

namespace fail {
namespace {
err::Error base(int gen, int sub, const char* what, const fs::path& p, int e) {
  err::Error x;
  x.genCode = gen;
  x.subSystem = "DBFNTX";
  x.subCode = sub;
  x.osCode = dosCode(e);
  x.description = what;
  x.filename = p.string();
  return x;
}
}  // namespace

err::Error open(const fs::path& p, int e, int subCode) {
  err::Error x = base(err::kOpen, subCode, "Open error", p, e);
  x.canRetry = true;
  x.canDefault = true;
  return x;
}

err::Error create(const fs::path& p, int e, int subCode) {
  err::Error x = base(err::kCreate, subCode, "Create error", p, e);
  x.canRetry = true;
  x.canDefault = true;
  return x;
}

err::Error read(const fs::path& p, int e) {
  err::Error x = base(err::kRead, 1010, "Read error", p, e);
  x.canRetry = true;
  x.canDefault = true;
  return x;
}

err::Error write(const fs::path& p, int e) {
  err::Error x = base(err::kWrite, 1011, "Write error", p, e);
  x.canRetry = true;
  x.canDefault = true;
  return x;
}

err::Error corrupt(const fs::path& p, const std::string& why) {
  err::Error x = base(err::kCorruption, 1012, "Corruption detected", p, 0);
  x.description += " (" + why + ")";
  x.canDefault = true;
  return x;
}

err::Error dataType(const std::string& field, const std::string& why) {
  err::Error x = base(err::kDataType, 1020, "Data type error", {}, 0);
  if (!why.empty()) x.description += " (" + why + ")";
  x.operation = field;
  x.canDefault = true;
  return x;
}

err::Error dataWidth(const std::string& field) {
  err::Error x = base(err::kDataWidth, 1021, "Data width error", {}, 0);
  x.operation = field;
  x.canDefault = true;
  return x;
}
}  // namespace fail

}  // namespace rt::db
