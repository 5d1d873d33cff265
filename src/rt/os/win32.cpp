// rt/os on Windows. Error numbers are GetLastError()'s, which are the DOS
// codes themselves. Paths are wide (std::filesystem::path is wide here).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <system_error>

#include "rt/os/os.h"

namespace fs = std::filesystem;

namespace rt::os {

const int kInUse = ERROR_SHARING_VIOLATION;
const int kNotReady = ERROR_NOT_READY;
const int kIoFailed = ERROR_GEN_FAILURE;
const int kDiskFull = ERROR_DISK_FULL;
const int kDenied = ERROR_ACCESS_DENIED;
const bool kRenamesOpenFiles = false;

int dosCode(int e) {
  switch (e) {
    case ERROR_LOCK_VIOLATION:
      return ERROR_SHARING_VIOLATION;
    case ERROR_HANDLE_DISK_FULL:
      return ERROR_DISK_FULL;
    case ERROR_DIRECTORY:
      return ERROR_ACCESS_DENIED;
    default:
      return e;
  }
}

namespace {

// A drive that is not ready (no diskette) is reported to the caller, never
// by a system dialog.
struct QuietDrives {
  QuietDrives() { ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }
} const quietDrives;

HANDLE handle(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle own(HANDLE h) { return reinterpret_cast<Handle>(h); }
int lastError() { return static_cast<int>(::GetLastError()); }

// Locks are taken on one byte far past any file's end: they keep other
// openers out without standing in the way of reads and writes.
constexpr DWORD kLockHigh = 0x40000000;

OVERLAPPED at(std::uint64_t off) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(off & 0xFFFFFFFFu);
  ov.OffsetHigh = static_cast<DWORD>(off >> 32);
  return ov;
}

bool takeLock(HANDLE h, Lock lock, int& err) {
  if (lock == Lock::None) return true;
  OVERLAPPED ov = at(static_cast<std::uint64_t>(kLockHigh) << 32);
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (lock == Lock::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (::LockFileEx(h, flags, 0, 1, 0, &ov)) return true;
  const int e = lastError();
  err = e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING ? kInUse : e;
  return false;
}

void dropLock(HANDLE h) {
  OVERLAPPED ov = at(static_cast<std::uint64_t>(kLockHigh) << 32);
  ::UnlockFileEx(h, 0, 1, 0, &ov);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD chunk(std::size_t n) { return static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30)); }

std::atomic<std::uint64_t> sizeLimit{0};

// How much of n bytes at off fits under the limit of limitFileSize().
std::size_t allowed(std::uint64_t off, std::size_t n) {
  const std::uint64_t limit = sizeLimit.load();
  if (limit == 0 || off + n <= limit) return n;
  return off >= limit ? 0 : static_cast<std::size_t>(limit - off);
}

std::uint64_t position(HANDLE h) {
  LARGE_INTEGER zero{}, at{};
  ::SetFilePointerEx(h, zero, &at, FILE_CURRENT);
  return static_cast<std::uint64_t>(at.QuadPart);
}

}  // namespace

bool open(const fs::path& p, Access access, Lock lock, Handle& h, int& err) {
  const DWORD want = GENERIC_READ | (access == Access::ReadWrite ? GENERIC_WRITE : 0);
  HANDLE f =
      ::CreateFileW(p.c_str(), want, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    err = lastError();
    return false;
  }
  // Only ordinary files hold tables, indexes and text (not CON, NUL, LPT1).
  if (::GetFileType(f) != FILE_TYPE_DISK) {
    err = ERROR_ACCESS_DENIED;
    ::CloseHandle(f);
    return false;
  }
  if (!takeLock(f, lock, err)) {
    ::CloseHandle(f);
    return false;
  }
  h = own(f);
  return true;
}

bool createNew(const fs::path& p, Handle& h, int& err, bool& exists) {
  HANDLE f = ::CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    err = lastError();
    exists = err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
    return false;
  }
  exists = false;
  int ignored = 0;
  takeLock(f, Lock::Exclusive, ignored);
  faults::record(faults::Step::Op::Create, p);
  h = own(f);
  return true;
}

bool lockFree(const fs::path& p, int& err) {
  HANDLE f = ::CreateFileW(p.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    // Held without sharing by some other program.
    if (::GetLastError() != ERROR_SHARING_VIOLATION) return true;
    err = kInUse;
    return false;
  }
  const bool ok = takeLock(f, Lock::Exclusive, err);
  if (ok) dropLock(f);
  ::CloseHandle(f);
  return ok;
}

namespace {
// A file opened for reading and writing beside any other opener.
HANDLE openShared(const fs::path& p, DWORD disposition, int& err) {
  HANDLE f = ::CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) err = lastError();
  return f;
}

// What the attributes of a name (set in a) tell of it. A device's name
// (NUL, LPT1, CON) may answer as a file: only a handle tells.
Entry byAttributes(const fs::path& p, DWORD& a) {
  a = ::GetFileAttributesW(p.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    const DWORD e = ::GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? Entry::None : Entry::Other;
  }
  if (a & FILE_ATTRIBUTE_REPARSE_POINT) return Entry::Link;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return Entry::Folder;
  if (a & FILE_ATTRIBUTE_DEVICE) return Entry::Other;
  return Entry::File;
}
}  // namespace

bool openOrCreate(const fs::path& p, Handle& h, int& err) {
  DWORD a = 0;
  if (byAttributes(p, a) == Entry::Link) {
    err = kDenied;
    return false;
  }
  HANDLE f = openShared(p, OPEN_ALWAYS, err);
  if (f == INVALID_HANDLE_VALUE) return false;
  if (::GetFileType(f) != FILE_TYPE_DISK) {
    err = kDenied;
    ::CloseHandle(f);
    return false;
  }
  h = own(f);
  return true;
}

bool relock(Handle h, Lock lock, int& err) {
  dropLock(handle(h));
  return takeLock(handle(h), lock, err);
}

Entry entryOf(const fs::path& p) {
  DWORD a = 0;
  if (const Entry e = byAttributes(p, a); e != Entry::File) return e;
  HANDLE f = ::CreateFileW(p.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (f == INVALID_HANDLE_VALUE) return Entry::File;
  const bool disk = ::GetFileType(f) == FILE_TYPE_DISK;
  ::CloseHandle(f);
  return disk ? Entry::File : Entry::Other;
}

bool replaceable(const fs::path& p, int& err) {
  DWORD a = 0;
  const Entry kind = byAttributes(p, a);
  if (kind == Entry::None) return true;
  // A read-only file cannot be renamed over either.
  if (kind != Entry::File || (a & FILE_ATTRIBUTE_READONLY)) {
    err = kDenied;
    return false;
  }
  HANDLE f = openShared(p, OPEN_EXISTING, err);
  if (f == INVALID_HANDLE_VALUE) {
    if (entryOf(p) == Entry::Other) err = kDenied;  // a device that refused the open
    return false;
  }
  const bool disk = ::GetFileType(f) == FILE_TYPE_DISK;
  if (!disk) err = kDenied;
  const bool ok = disk && takeLock(f, Lock::Exclusive, err);
  if (ok) dropLock(f);
  ::CloseHandle(f);
  return ok;
}

bool readAt(Handle h, std::uint64_t off, void* buf, std::size_t n, std::size_t& got, int& err) {
  got = 0;
  auto* p = static_cast<char*>(buf);
  while (got < n) {
    OVERLAPPED ov = at(off + got);
    DWORD r = 0;
    if (!::ReadFile(handle(h), p + got, chunk(n - got), &r, &ov)) {
      const int e = lastError();
      if (e == ERROR_HANDLE_EOF) break;
      err = e;
      return false;
    }
    if (r == 0) break;
    got += r;
  }
  return true;
}

bool writeAt(Handle h, std::uint64_t off, const void* buf, std::size_t n, int& err) {
  if (!faults::point(true)) {
    err = ERROR_DISK_FULL;
    return false;
  }
  auto* p = static_cast<const char*>(buf);
  const std::size_t want = n;
  n = allowed(off, n);
  std::size_t done = 0;
  while (done < n) {
    OVERLAPPED ov = at(off + done);
    DWORD w = 0;
    if (!::WriteFile(handle(h), p + done, chunk(n - done), &w, &ov)) {
      err = lastError();
      return false;
    }
    if (w == 0) {
      err = ERROR_DISK_FULL;
      return false;
    }
    done += w;
  }
  if (n < want) {
    err = ERROR_DISK_FULL;
    return false;
  }
  return true;
}

bool sync(Handle h, int& err) {
  faults::point(false);
  if (faults::armed()) return true;
  if (::FlushFileBuffers(handle(h))) return true;
  const int e = lastError();
  // Nothing to sync on this kind of file (a device).
  if (e == ERROR_INVALID_FUNCTION || e == ERROR_INVALID_HANDLE || e == ERROR_NOT_SUPPORTED) return true;
  err = e;
  return false;
}

bool size(Handle h, std::uint64_t& out, int& err) {
  LARGE_INTEGER n{};
  if (!::GetFileSizeEx(handle(h), &n)) {
    err = lastError();
    return false;
  }
  out = static_cast<std::uint64_t>(n.QuadPart);
  return true;
}

bool truncate(Handle h, std::uint64_t len, int& err) {
  faults::point(false);
  FILE_END_OF_FILE_INFO info{};
  info.EndOfFile.QuadPart = static_cast<LONGLONG>(len);
  if (::SetFileInformationByHandle(handle(h), FileEndOfFileInfo, &info, sizeof info)) return true;
  err = lastError();
  return false;
}

bool close(Handle h) {
  if (h == kNoHandle) return true;
  dropLock(handle(h));
  return ::CloseHandle(handle(h)) != 0;
}

void startWriteback(Handle, std::uint64_t, std::uint64_t) {}

View map(Handle h, std::uint64_t len) {
  View v;
  if (h == kNoHandle || len == 0) return v;
  HANDLE section = ::CreateFileMappingW(handle(h), nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!section) return v;
  void* p = ::MapViewOfFile(section, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(len));
  if (!p) {
    ::CloseHandle(section);
    return v;
  }
  v.data = static_cast<const char*>(p);
  v.len = len;
  v.section = own(section);
  return v;
}

void unmap(View& v) {
  if (v.data) ::UnmapViewOfFile(v.data);
  if (v.section != kNoHandle) ::CloseHandle(handle(v.section));
  v = View{};
}

void adviseLarge(void*, std::size_t) {}

bool renameOver(const fs::path& from, const fs::path& to, int& err) {
  faults::point(false);
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    faults::record(faults::Step::Op::Rename, from, to);
    return true;
  }
  err = lastError();
  return false;
}

// The rename is written through; a folder has nothing else to sync here.
void syncDir(const fs::path& dir) {
  faults::point(false);
  faults::record(faults::Step::Op::SyncFolder, dir);
}

std::optional<fs::path> storedName(const fs::path& dir, const fs::path& name) {
  // A pattern would answer for other names ("<", ">" and the quote are
  // wildcards of the system's search too), a separator for another folder.
  const std::wstring& n = name.native();
  if (n.empty() || n == L"." || n == L".." || n.find_first_of(L"*?<>\"\\/:") != std::wstring::npos)
    return std::nullopt;
  WIN32_FIND_DATAW found{};
  HANDLE f =
      ::FindFirstFileExW((dir / name).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  // A folder whose names differ by case alone may hold more than one.
  WIN32_FIND_DATAW next{};
  const bool one = !::FindNextFileW(f, &next) && ::GetLastError() == ERROR_NO_MORE_FILES;
  ::FindClose(f);
  if (!one) return std::nullopt;
  return fs::path(found.cFileName);
}

int processId() { return static_cast<int>(::GetCurrentProcessId()); }

bool openOutput(const fs::path& p, bool append, Handle& h, int& err) {
  // A device (\\.\LPT1) is opened as it is; any other path may be created.
  const bool device = p.native().rfind(L"\\\\.\\", 0) == 0;
  const DWORD how = device ? OPEN_EXISTING : append ? OPEN_ALWAYS : CREATE_ALWAYS;
  HANDLE f = ::CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, how,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    err = lastError();
    return false;
  }
  // A device name may stand for a file (wine's dosdevices): appended to.
  if (append && ::GetFileType(f) == FILE_TYPE_DISK) {
    LARGE_INTEGER zero{};
    ::SetFilePointerEx(f, zero, nullptr, FILE_END);
  }
  h = own(f);
  return true;
}

bool writeOut(Handle h, const void* buf, std::size_t n, int& err) {
  auto* p = static_cast<const char*>(buf);
  const std::size_t want = n;
  if (sizeLimit.load() != 0 && ::GetFileType(handle(h)) == FILE_TYPE_DISK)
    n = allowed(position(handle(h)), n);
  const bool cut = n < want;
  while (n > 0) {
    DWORD w = 0;
    if (!::WriteFile(handle(h), p, chunk(n), &w, nullptr)) {
      err = lastError();
      return false;
    }
    if (w == 0) {
      err = ERROR_DISK_FULL;
      return false;
    }
    p += w;
    n -= w;
  }
  if (cut) {
    err = ERROR_DISK_FULL;
    return false;
  }
  return true;
}

namespace {
// UTF-8 text as the system's wide text; nullopt when it is not UTF-8.
std::optional<std::wstring> wideText(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  std::wstring wide(utf8.size(), L'\0');  // never more units than bytes
  const int n =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                            wide.data(), static_cast<int>(wide.size()));
  if (n == 0) return std::nullopt;
  wide.resize(static_cast<std::size_t>(n));
  return wide;
}
}  // namespace

bool runWithInput(const std::string& command, const std::string& bytes) {
  const auto wide = wideText(command);
  if (!wide) return false;
  FILE* p = ::_wpopen(wide->c_str(), L"wb");
  if (!p) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), p) == bytes.size();
  ok = (::_pclose(p) == 0) && ok;
  return ok;
}

bool commandExists(const std::string& cmd) {
  const std::string prog = programOf(cmd);
  if (prog.empty()) return false;
  const auto name = wideText(prog);
  if (!name) return false;
  if (prog.find_first_of("\\/:") != std::string::npos) {
    const DWORD a = ::GetFileAttributesW(name->c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }
  for (const wchar_t* ext : {L".exe", L".com", L".bat", L".cmd"}) {
    wchar_t found[MAX_PATH];
    if (::SearchPathW(nullptr, name->c_str(), ext, MAX_PATH, found, nullptr) != 0) return true;
  }
  return false;
}

std::string defaultPrinter() { return "\\\\.\\LPT1"; }

std::optional<fs::path> driveRoot(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  return fs::path(std::string(1, letter) + ":\\");
}

fs::path currentDriveRoot() {
  std::error_code ec;
  return fs::current_path(ec).root_path();
}

std::optional<std::uint64_t> freeSpace(const fs::path& root) {
  ULARGE_INTEGER avail{};
  if (!::GetDiskFreeSpaceExW(root.c_str(), &avail, nullptr, nullptr)) return std::nullopt;
  return static_cast<std::uint64_t>(avail.QuadPart);
}

std::tm localTime(std::time_t t) {
  std::tm tm{};
  ::localtime_s(&tm, &t);
  return tm;
}

std::optional<fs::path> environmentPath(const char* name) {
  const std::wstring wide(name, name + std::char_traits<char>::length(name));  // the names are ASCII
  std::wstring value(64, L'\0');
  for (;;) {
    const DWORD n = ::GetEnvironmentVariableW(wide.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return std::nullopt;  // unset or empty
    if (n < value.size()) {
      value.resize(n);
      return fs::path(value);
    }
    value.assign(n, L'\0');  // n counts the terminating zero
  }
}

void limitFileSize(std::uint64_t bytes) { sizeLimit.store(bytes); }

void aroundFork(void (*)(), void (*)()) {}

}  // namespace rt::os
