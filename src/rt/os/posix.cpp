// rt/os on POSIX systems.
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "rt/os/os.h"

namespace fs = std::filesystem;

namespace rt::os {

const int kInUse = EWOULDBLOCK;
const int kNotReady = ENXIO;
const int kIoFailed = EIO;
const int kDiskFull = ENOSPC;
const int kDenied = EACCES;
const bool kRenamesOpenFiles = true;

int dosCode(int e) {
  switch (e) {
    case 0:
      return 0;
    case ENOENT:
      return 2;
    case ENXIO:
      return 21;  // drive not ready
    case ENOTDIR:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;
    case EWOULDBLOCK:
      return 32;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 112;
    default:
      return 31;  // general failure
  }
}

namespace {
int fd(Handle h) { return static_cast<int>(h); }

bool takeLock(int f, Lock lock, int& err) {
  if (lock == Lock::None) return true;
  const int how = (lock == Lock::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  while (::flock(f, how) != 0) {
    if (errno == EINTR) continue;
    err = errno == EAGAIN ? EWOULDBLOCK : errno;
    return false;
  }
  return true;
}
}  // namespace

bool open(const fs::path& p, Access access, Lock lock, Handle& h, int& err) {
  // Without waiting: a FIFO of that name would block the open.
  const int f =
      ::open(p.c_str(), (access == Access::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (f < 0) {
    err = errno;
    return false;
  }
  struct stat st {};
  if (::fstat(f, &st) != 0 || !S_ISREG(st.st_mode)) {
    // Only ordinary files hold tables, indexes and text.
    err = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
    ::close(f);
    return false;
  }
  ::fcntl(f, F_SETFL, ::fcntl(f, F_GETFL) & ~O_NONBLOCK);
  if (!takeLock(f, lock, err)) {
    ::close(f);
    return false;
  }
  h = f;
  return true;
}

bool createNew(const fs::path& p, Handle& h, int& err, bool& exists) {
  const int f = ::open(p.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  exists = f < 0 && errno == EEXIST;
  if (f < 0) {
    err = errno;
    return false;
  }
  int ignored = 0;
  takeLock(f, Lock::Exclusive, ignored);
  faults::record(faults::Step::Op::Create, p);
  h = f;
  return true;
}

bool lockFree(const fs::path& p, int& err) {
  const int f = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (f < 0) return true;
  const bool ok = takeLock(f, Lock::Exclusive, err);
  ::close(f);
  return ok;
}

bool openOrCreate(const fs::path& p, Handle& h, int& err) {
  const int f = ::open(p.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0644);
  if (f < 0) {
    err = errno;
    return false;
  }
  struct stat st {};
  if (::fstat(f, &st) != 0 || !S_ISREG(st.st_mode)) {
    err = kDenied;
    ::close(f);
    return false;
  }
  ::fcntl(f, F_SETFL, ::fcntl(f, F_GETFL) & ~O_NONBLOCK);
  h = f;
  return true;
}

bool relock(Handle h, Lock lock, int& err) { return takeLock(fd(h), lock, err); }

Entry entryOf(const fs::path& p) {
  struct stat st {};
  if (::lstat(p.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? Entry::None : Entry::Other;
  if (S_ISLNK(st.st_mode)) return Entry::Link;
  if (S_ISDIR(st.st_mode)) return Entry::Folder;
  return S_ISREG(st.st_mode) ? Entry::File : Entry::Other;
}

bool replaceable(const fs::path& p, int& err) {
  switch (entryOf(p)) {
    case Entry::None:
      return true;
    case Entry::File:
      break;
    default:
      err = kDenied;
      return false;
  }
  const int f = ::open(p.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (f < 0) {
    err = errno;
    return false;
  }
  const bool ok = takeLock(f, Lock::Exclusive, err);
  ::close(f);
  return ok;
}

bool readAt(Handle h, std::uint64_t off, void* buf, std::size_t n, std::size_t& got, int& err) {
  got = 0;
  auto* p = static_cast<char*>(buf);
  while (got < n) {
    const ssize_t r = ::pread(fd(h), p + got, n - got, static_cast<off_t>(off + got));
    if (r < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  return true;
}

bool writeAt(Handle h, std::uint64_t off, const void* buf, std::size_t n, int& err) {
  if (!faults::point(true)) {
    err = ENOSPC;
    return false;
  }
  auto* p = static_cast<const char*>(buf);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pwrite(fd(h), p + done, n - done, static_cast<off_t>(off + done));
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

bool sync(Handle h, int& err) {
  faults::point(false);
  if (faults::armed()) return true;
  while (::fsync(fd(h)) != 0) {
    if (errno == EINTR) continue;
    if (errno == EINVAL || errno == EROFS) return true;  // nothing to sync on this kind of file
    err = errno;
    return false;
  }
  return true;
}

bool size(Handle h, std::uint64_t& out, int& err) {
  struct stat st {};
  if (::fstat(fd(h), &st) != 0) {
    err = errno;
    return false;
  }
  out = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool truncate(Handle h, std::uint64_t len, int& err) {
  faults::point(false);
  while (::ftruncate(fd(h), static_cast<off_t>(len)) != 0) {
    if (errno == EINTR) continue;
    err = errno;
    return false;
  }
  return true;
}

bool close(Handle h) { return h == kNoHandle || ::close(fd(h)) == 0; }

void startWriteback(Handle h, std::uint64_t from, std::uint64_t to) {
#ifdef __linux__
  if (to > from)
    ::sync_file_range(fd(h), static_cast<off_t>(from), static_cast<off_t>(to - from), SYNC_FILE_RANGE_WRITE);
#else
  (void)h;
  (void)from;
  (void)to;
#endif
}

View map(Handle h, std::uint64_t len) {
  View v;
  if (h == kNoHandle || len == 0) return v;
  void* p = ::mmap(nullptr, static_cast<std::size_t>(len), PROT_READ, MAP_SHARED, fd(h), 0);
  if (p == MAP_FAILED) return v;
  v.data = static_cast<const char*>(p);
  v.len = len;
  return v;
}

void unmap(View& v) {
  if (v.data) ::munmap(const_cast<char*>(v.data), static_cast<std::size_t>(v.len));
  v = View{};
}

// The whole 2 MiB pages of the range are asked for as huge pages: a large
// buffer filled whole then takes far fewer page faults.
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

bool renameOver(const fs::path& from, const fs::path& to, int& err) {
  faults::point(false);
  if (::rename(from.c_str(), to.c_str()) == 0) {
    faults::record(faults::Step::Op::Rename, from, to);
    return true;
  }
  err = errno;
  return false;
}

void syncDir(const fs::path& dir) {
  faults::point(false);
  faults::record(faults::Step::Op::SyncFolder, dir);
  if (faults::armed()) return;
  const int f = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (f < 0) return;
  ::fsync(f);
  ::close(f);
}

// Names are matched exactly here: only a look at every entry can tell.
std::optional<fs::path> storedName(const fs::path&, const fs::path&) { return std::nullopt; }

int processId() { return static_cast<int>(::getpid()); }

bool openOutput(const fs::path& p, bool append, Handle& h, int& err) {
  // A device is opened as it is; any other path may be created.
  const bool device = p.native().rfind("/dev/", 0) == 0;
  int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | (append ? O_APPEND : O_TRUNC);
  if (!device) flags |= O_CREAT;
  const int f = ::open(p.c_str(), flags, 0644);
  if (f < 0) {
    err = errno;
    return false;
  }
  h = f;
  return true;
}

bool writeOut(Handle h, const void* buf, std::size_t n, int& err) {
  auto* p = static_cast<const char*>(buf);
  while (n > 0) {
    const ssize_t w = ::write(fd(h), p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      err = w == 0 ? ENOSPC : errno;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool runWithInput(const std::string& command, const std::string& bytes) {
  // A command that stops reading must not end the program.
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, &previous);
  bool ok = false;
  if (FILE* p = ::popen(command.c_str(), "w")) {
    ok = std::fwrite(bytes.data(), 1, bytes.size(), p) == bytes.size();
    ok = (::pclose(p) == 0) && ok;
  }
  ::sigaction(SIGPIPE, &previous, nullptr);
  return ok;
}

bool commandExists(const std::string& cmd) {
  const std::string prog = programOf(cmd);
  if (prog.empty()) return false;
  if (prog.find('/') != std::string::npos) return ::access(prog.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  std::string p = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= p.size()) {
    auto end = p.find(':', start);
    std::string dir = p.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && ::access((dir + "/" + prog).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

std::string defaultPrinter() { return "/dev/lp0"; }

// No drive letters here: C: is the parent of the current directory, the
// diskette drives exist only when configured.
std::optional<fs::path> driveRoot(char letter) {
  if (letter != 'C' && letter != 'c') return std::nullopt;
  return currentDriveRoot();
}

fs::path currentDriveRoot() {
  std::error_code ec;
  return fs::current_path(ec).parent_path();
}

std::optional<std::uint64_t> freeSpace(const fs::path& root) {
  struct statvfs st {};
  if (::statvfs(root.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

std::tm localTime(std::time_t t) {
  std::tm tm{};
  ::localtime_r(&t, &tm);
  return tm;
}

std::optional<fs::path> environmentPath(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') return std::nullopt;
  return fs::path(v);
}

void limitFileSize(std::uint64_t bytes) {
  // The system's own limit: a write past it fails with EFBIG, and SIGXFSZ
  // (ignored here) would otherwise end the program.
  static rlimit saved{};
  static bool limited = false;
  if (!limited) ::getrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, bytes ? SIG_IGN : SIG_DFL);
  rlimit r = saved;
  if (bytes) r.rlim_cur = static_cast<rlim_t>(bytes);
  ::setrlimit(RLIMIT_FSIZE, &r);
  limited = bytes != 0;
}

void aroundFork(void (*before)(), void (*after)()) { ::pthread_atfork(before, after, after); }

}  // namespace rt::os
