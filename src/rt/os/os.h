// rt/os: the operating system under the run-time. Every system call that
// the standard library does not make the same on every system goes through
// here (the terminal backends aside, which own their device); posix.cpp and
// win32.cpp implement it, common.cpp the parts alike on both.
//
// Failures carry the system's error number (errno on POSIX, GetLastError()
// on Windows, where it is itself the DOS code); dosCode() turns it into the
// DOS error number that the error objects report.
//
// What it promises the layers above: the same calls with the same meaning on
// both systems (where they cannot agree, a constant here says so:
// kRenamesOpenFiles); an open never waits for another opener, it fails at
// once with kInUse; a drive that is not ready never shows a system dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rt::os {

int dosCode(int error);
extern const int kInUse;     // locked by another opener (DOS 32)
extern const int kNotReady;  // drive not ready (DOS 21)
extern const int kIoFailed;  // general failure, a short read (DOS 31)
extern const int kDiskFull;  // DOS 112
extern const int kDenied;    // access denied: a folder or a device where a file goes (DOS 5)

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

enum class Access { Read, ReadWrite };
enum class Lock { None, Shared, Exclusive };

// Opens an existing ordinary file and takes the lock, both without waiting;
// a lock is held per handle, so a second opener fails even inside the same
// process (kInUse).
bool open(const std::filesystem::path& p, Access access, Lock lock, Handle& h, int& err);
// Creates a file that does not exist yet, for reading and writing, locked
// exclusively. exists is set when a file of that name was there.
bool createNew(const std::filesystem::path& p, Handle& h, int& err, bool& exists);
// False with kInUse when another opener holds a lock on p; a file that is
// not there is free.
bool lockFree(const std::filesystem::path& p, int& err);
// Opens a file for reading and writing, made when it is not there, without
// a lock; never through a link, and only an ordinary file.
bool openOrCreate(const std::filesystem::path& p, Handle& h, int& err);
// Changes the lock a handle holds to a shared or an exclusive one, without
// waiting. A failed change may leave the handle without a lock.
bool relock(Handle h, Lock lock, int& err);

// Positioned transfers, short ones and interruptions handled. readAt stops
// early only at the end of the file. Safe from several threads at once.
bool readAt(Handle h, std::uint64_t off, void* buf, std::size_t n, std::size_t& got, int& err);
bool writeAt(Handle h, std::uint64_t off, const void* buf, std::size_t n, int& err);
bool sync(Handle h, int& err);  // a kind of file that cannot be synced counts as synced
bool size(Handle h, std::uint64_t& out, int& err);
bool truncate(Handle h, std::uint64_t len, int& err);
bool close(Handle h);  // the lock goes with the handle
// Starts the system's write-back of bytes [from, to) without waiting; a hint.
void startWriteback(Handle h, std::uint64_t from, std::uint64_t to);

// A read-only view of the first len bytes of a file.
struct View {
  const char* data = nullptr;
  std::uint64_t len = 0;
  Handle section = kNoHandle;
};
View map(Handle h, std::uint64_t len);  // data is nullptr when it cannot be mapped
void unmap(View& v);

// A hint that the memory range will be filled whole soon.
void adviseLarge(void* p, std::size_t n);

// Whether a file that this process holds open can be renamed over.
extern const bool kRenamesOpenFiles;
// Renames from over to, replacing it, in one step.
bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& err);
// Makes the names in a folder durable (after a rename).
void syncDir(const std::filesystem::path& dir);
// Removes a file; true when it is gone (or was never there).
bool removeFile(const std::filesystem::path& p, int& err);
// What a name in a folder stands for, the name itself looked at: a link is
// not followed.
enum class Entry { None, File, Folder, Link, Other };
Entry entryOf(const std::filesystem::path& p);
// Whether a rename can put a new file in p's place: nothing is there, or an
// ordinary file (not a link) that may be written and that no other opener
// holds. False with err telling why (kInUse when held). Stricter than
// Replacement::begin, which replaces a link standing there.
bool replaceable(const std::filesystem::path& p, int& err);
// The names of the ordinary files in a folder.
std::vector<std::string> folderFiles(const std::filesystem::path& dir);
// Where the system itself matches names without regard to case (Windows):
// the one entry of dir it takes name for, spelled as stored. nullopt where
// it cannot tell that way: names matched exactly (POSIX), no entry or more
// than one answering, a wildcard in name, a failure.
std::optional<std::filesystem::path> storedName(const std::filesystem::path& dir,
                                                const std::filesystem::path& name);
int processId();

// Output to a printer or a file: created (unless it is a device) and
// emptied, or appended to; then written in sequence.
bool openOutput(const std::filesystem::path& p, bool append, Handle& h, int& err);
bool writeOut(Handle h, const void* buf, std::size_t n, int& err);
// Runs a command of the system's shell with bytes as its standard input;
// false when it could not run, stopped reading or failed. A command is text
// as path::string() spells it (UTF-8 on Windows).
bool runWithInput(const std::string& command, const std::string& bytes);
// Whether the program a command line starts can be found.
bool commandExists(const std::string& command);
// The program a command line starts: its first word ("" when it has none).
std::string programOf(const std::string& command);
std::string defaultPrinter();

// The drives: the root of a drive of the system by its letter (nullopt where
// the system has none), the root of the current drive, free bytes (nullopt
// when not ready). A drive that is not ready never shows a system dialog.
std::optional<std::filesystem::path> driveRoot(char letter);
std::filesystem::path currentDriveRoot();
std::optional<std::uint64_t> freeSpace(const std::filesystem::path& root);

std::tm localTime(std::time_t t);

// A variable of the environment as the system spells it (wide on Windows);
// nullopt when it is unset or empty.
std::optional<std::filesystem::path> environmentPath(const char* name);

// A test's fault point. Once armed, every write, sync, rename and removal
// of a file and every sync of a folder's names counts; Crash ends the
// process at the n-th (as a process killed would), Full fails that write and
// every later one as a full disk does, Once fails that write alone (a disk
// that had room again), Call runs the function given at the n-th and goes
// on. While armed, syncs are counted but do not wait for the disk.
namespace faults {
enum class Kind { Off, Count, Crash, Full, Once, Call };
void arm(Kind kind, long n = 0);
void callAt(long n, std::function<void()> f);
long count();  // counted since the last arm
// What happened to the names of folders since the last arm, in order: each
// step numbered by the count when it was made, so that a run cut off at
// the n-th operation made the steps numbered below n.
struct Step {
  enum class Op { Create, Rename, Remove, SyncFolder } op;
  long n;
  std::filesystem::path path, to;
};
std::vector<Step> steps();
// For the implementations: counts one operation; false when a write must
// fail as on a full disk. record() notes a step of the names.
bool point(bool write);
void record(Step::Op op, const std::filesystem::path& path, const std::filesystem::path& to = {});
bool armed();
}  // namespace faults

// For tests: from now on a write that would take a file past bytes fails as
// on a full disk (0: no limit again).
void limitFileSize(std::uint64_t bytes);

// Calls before() just ahead of every fork of this process (a test's child)
// and after() once it is done, in the parent and in the child, where only
// the forking thread goes on. Nothing where there is no fork.
void aroundFork(void (*before)(), void (*after)());

}  // namespace rt::os
