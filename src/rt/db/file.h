// rt/db/file: the files under the table layer.
//
// File is one open descriptor: full positioned reads and writes (EINTR and
// short transfers handled), an exclusive or shared operating-system lock
// (flock, so a second opener fails even inside the same process), size,
// sync. Replacement writes a new file beside its target and renames it over
// the target only when it is complete and synced, so the old file survives
// any failure. Failures carry errno; dosCode() turns it into the DOS error
// number that the error object reports (32 for a file in use).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "rt/err/error.h"

namespace rt::db {

int dosCode(int errnoValue);

// A hint that the memory range will be filled whole soon (a large buffer of
// index entries): the system may back it with large pages.
void adviseLarge(void* p, std::size_t n);

class File {
 public:
  enum class Mode { Read, ReadWrite };
  enum class Lock { None, Shared, Exclusive };

  File() = default;
  ~File();
  File(File&& o) noexcept;
  File& operator=(File&& o) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens an existing file and takes the lock without waiting. False with
  // error() set (EWOULDBLOCK when another opener holds the file).
  bool open(const std::filesystem::path& p, Mode mode, Lock lock);

  bool isOpen() const { return fd_ >= 0; }
  int error() const { return err_; }
  const std::filesystem::path& path() const { return path_; }
  // The name the file is known by when it was opened under another (the
  // staged new content of that file).
  void setName(std::filesystem::path p) { path_ = std::move(p); }

  // Reads up to n bytes at off; got is the count read (less at end of file).
  bool readAt(std::uint64_t off, void* buf, std::size_t n, std::size_t& got);
  bool writeAt(std::uint64_t off, const void* buf, std::size_t n);
  // Reads exactly n bytes at off; safe from several threads at once, and
  // records no error.
  bool readAll(std::uint64_t off, void* buf, std::size_t n) const;
  bool size(std::uint64_t& out);
  bool truncate(std::uint64_t len);
  bool sync();
  void close();

  // Takes over an open descriptor (from Replacement::commit). A descriptor
  // held before is closed on another thread: its file was just replaced,
  // and freeing a large one takes a while.
  void adopt(int fd, std::filesystem::path p);

  // A read-only view of the first len bytes (which must lie inside the
  // file), kept coherent with writeAt by the page cache; nullptr when the
  // system cannot map it. Replaced by the next map(), dropped by close().
  const char* map(std::uint64_t len);
  void unmap();

 private:
  int fd_ = -1;
  int err_ = 0;
  std::filesystem::path path_;
  void* map_ = nullptr;
  std::uint64_t mapLen_ = 0;
};

// A whole file written beside its target and renamed over it.
class Replacement {
 public:
  Replacement();
  ~Replacement();  // abandons (removes the temporary) unless committed
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  // Creates the temporary beside target. Refuses (EWOULDBLOCK) when the
  // target exists and another opener holds it locked, unless selfHeld (the
  // caller holds that lock and is replacing its own file).
  bool begin(const std::filesystem::path& target, bool selfHeld = false);

  // Appends bytes through a buffer. Once the file grows past a megabyte,
  // each full buffer is written by a thread of its own while the next one
  // fills, and the system starts writing it out to the disk at once, so
  // that the sync of commit() has little left to wait for. A failed write
  // is answered by a later call.
  bool write(const void* data, std::size_t n);
  // n bytes appended to the buffer, for the caller to fill before the next
  // call; nullptr when a flush of the buffer failed. drop() takes back the
  // last n bytes appended.
  char* append(std::size_t n);
  void drop(std::size_t n) { buf_.resize(buf_.size() - std::min(n, buf_.size())); }
  bool writeAt(std::uint64_t off, const void* data, std::size_t n);  // after flush()
  bool flush();
  std::uint64_t written() const { return pos_ + buf_.size(); }

  // Flushes, syncs and renames over the target. With keep, the new file
  // stays open (and locked exclusively) in keep.
  bool commit(File* keep = nullptr);
  // Flushes and syncs, but leaves the file beside the target for a Switch
  // to rename later: its path goes to temp, and it is no longer removed
  // here. With keep, it stays open in keep under the target's name.
  bool stage(std::filesystem::path& temp, File* keep = nullptr);
  void abandon();

  int error() const { return err_; }
  const std::filesystem::path& target() const { return target_; }

 private:
  int fd_ = -1;
  int err_ = 0;
  std::filesystem::path target_, temp_;
  struct Writer;
  bool handOff();  // the full buffer to the writer thread
  bool settle();   // waits for the writer; false when its write failed
  void stopWriter();

  std::string buf_;
  std::uint64_t pos_ = 0;
  std::uint64_t started_ = 0;  // bytes handed to the system's write-back
  std::unique_ptr<Writer> writer_;
};

// Whether a file is held locked by another opener (any of this process
// included).
bool heldElsewhere(const std::filesystem::path& p);
// Renames from over to; the folder's entry made durable.
bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& err);
bool removeFile(const std::filesystem::path& p, int& err);  // true when it is gone
void syncFolder(const std::filesystem::path& dir);
// The names of the ordinary files in a folder.
std::vector<std::string> folderFiles(const std::filesystem::path& dir);
// Whether a name is one a Replacement gives its temporary file.
bool temporaryName(const std::string& name);

// A test's fault point. Every write, sync, rename and removal of a file
// counts once armed; Crash ends the process at the n-th (as a power cut
// would), Full fails that write and every later one as a full disk does.
// While armed, syncs are counted but do not wait for the disk.
namespace faults {
enum class Kind { Off, Count, Crash, Full };
void arm(Kind kind, long n = 0);
long count();  // counted since the last arm
}  // namespace faults

// Error objects of the table driver (subsystem DBFNTX).
namespace fail {
err::Error open(const std::filesystem::path& p, int errnoValue, int subCode = 1001);
err::Error create(const std::filesystem::path& p, int errnoValue, int subCode = 1004);
err::Error read(const std::filesystem::path& p, int errnoValue);
err::Error write(const std::filesystem::path& p, int errnoValue);
err::Error corrupt(const std::filesystem::path& p, const std::string& why);
err::Error dataType(const std::string& field, const std::string& why = {});
err::Error dataWidth(const std::string& field);
}  // namespace fail

}  // namespace rt::db
