// rt/os/file: the files under the table layer.
//
// File is one open handle: full positioned reads and writes, an exclusive
// or shared lock held per handle (so a second opener fails even inside the
// same process), size, sync. Replacement writes a new file beside its
// target and renames it over the target only when it is complete and
// synced, so the old file survives any failure. Failures carry the system's
// error number; dosCode() turns it into the DOS error number that the error
// object reports (32 for a file in use).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "rt/os/os.h"

namespace rt::os {

class File {
 public:
  using Mode = Access;
  using Lock = os::Lock;

  File() = default;
  ~File();
  File(File&& o) noexcept;
  File& operator=(File&& o) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens an existing file and takes the lock without waiting. False with
  // error() set (kInUse when another opener holds the file).
  bool open(const std::filesystem::path& p, Mode mode, Lock lock);

  bool isOpen() const { return h_ != kNoHandle; }
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
  // Starts the system's write-back of bytes [from, to) without waiting; a hint.
  void startWriteback(std::uint64_t from, std::uint64_t to) { os::startWriteback(h_, from, to); }
  void close();
  // The handle, given up (its view dropped) for the caller to close.
  Handle release();

  // Takes over an open handle (from Replacement::commit), closing the one
  // held before.
  void adopt(Handle h, std::filesystem::path p);

  // A read-only view of the first len bytes (which must lie inside the
  // file), kept coherent with writeAt by the system; nullptr when it
  // cannot be mapped. Replaced by the next map(), dropped by close().
  const char* map(std::uint64_t len);
  void unmap();
  // The view map() made, shared: it stays mapped while the caller holds it,
  // whatever becomes of the file and of its own view; nullptr for none.
  std::shared_ptr<const View> sharedView() const { return view_; }

 private:
  Handle h_ = kNoHandle;
  int err_ = 0;
  std::filesystem::path path_;
  std::shared_ptr<const View> view_;
};

// Bytes appended to a buffer that is never cleared first.
class Bytes {
 public:
  Bytes() = default;
  Bytes(Bytes&& o) noexcept { swap(o); }  // o is left empty
  Bytes& operator=(Bytes&& o) noexcept {
    Bytes(std::move(o)).swap(*this);
    return *this;
  }

  char* data() { return p_.get(); }
  const char* data() const { return p_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void reserve(std::size_t n);
  // n more bytes at the end, left as they are, for the caller to fill.
  char* grow(std::size_t n);
  void append(const void* data, std::size_t n);
  void shrink(std::size_t n) { size_ -= std::min(n, size_); }
  void clear() { size_ = 0; }
  void release();
  void swap(Bytes& o) noexcept;

 private:
  std::unique_ptr<char[]> p_;
  std::size_t size_ = 0, cap_ = 0;
};

// A whole file written beside its target and renamed over it. A target
// that a rename would not replace (a folder, a device) is refused; a link
// standing there is replaced itself, never written through. Where the
// system renames over open files, the file replaced is held open through
// the rename and its last handle closed on a thread of its own: the system
// frees a file's blocks and cached pages as that handle closes, which for
// a large index takes milliseconds that the caller need not wait for.
class Replacement {
 public:
  Replacement();
  ~Replacement();  // abandons (removes the temporary) unless committed
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  // Creates the temporary beside target. Refuses (kInUse) when the
  // target exists and another opener holds it locked, unless selfHeld (the
  // caller holds that lock and is replacing its own file).
  bool begin(const std::filesystem::path& target, bool selfHeld = false);

  // Appends bytes through a buffer of a megabyte. Each full buffer is
  // written at once, and the system starts writing it out to the disk, so
  // that the sync of commit() has little left to wait for.
  bool write(const void* data, std::size_t n);
  // n bytes appended to the buffer, for the caller to fill before the next
  // call; nullptr when a flush of the buffer failed. drop() takes back the
  // last n bytes appended.
  char* append(std::size_t n);
  void drop(std::size_t n) { buf_.shrink(n); }
  // Appends every byte of an open file, read from its start; a failed read
  // leaves error() as the file's.
  bool writeFrom(File& in);
  bool writeAt(std::uint64_t off, const void* data, std::size_t n);  // after flush()
  bool flush();
  std::uint64_t written() const { return pos_ + buf_.size(); }

  // Flushes, syncs and renames over the target. With keep (the caller's
  // handle of the target, if it holds one), the new file stays open (and
  // locked exclusively) in keep. Where the system cannot rename over a file
  // held open, keep is closed for the rename and opened again after it.
  bool commit(File* keep = nullptr);
  // Flushes, but leaves the file beside the target, not yet synced, for a
  // later sync and rename (rt/db's Switch): its path goes to temp, and it
  // is no longer removed here. With keep, it stays open in keep under the
  // target's name.
  bool stage(std::filesystem::path& temp, File* keep = nullptr);
  // Flushes, then hands the file to keep, which holds the target open (and
  // locked): keep reads and writes the new file anywhere from then on, under
  // the target's name, while the target's own handle is held here.
  // commit(&keep) syncs the file and renames it over the target;
  // abandon(&keep) removes it and gives keep the target back.
  bool handOver(File& keep);
  // Removes the file unless committed; keep as for handOver().
  void abandon(File* keep = nullptr);

  int error() const { return err_; }
  const std::filesystem::path& target() const { return target_; }

 private:
  Handle h_ = kNoHandle;
  int err_ = 0;
  std::filesystem::path target_, temp_;
  File original_;  // the target's handle while the file is handed over
  bool handed_ = false;
  bool commitHandedOver(File& keep);
  Handle holdTarget() const;  // the target's file, opened for its release after the rename
  bool handOff();             // the full buffer to the file

  Bytes buf_;
  std::uint64_t pos_ = 0;
  std::uint64_t started_ = 0;  // bytes handed to the system's write-back
};

// Whether a file name is one a Replacement gives its temporary file; with
// target and process, the name of the file it stands beside and the
// process that made it.
bool temporaryName(const std::string& name, std::string* target = nullptr, int* process = nullptr);

}  // namespace rt::os
