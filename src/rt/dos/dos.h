// rt/dos: the DOS machine the system was written for, over rt/os. DOS paths
// with drive letters and "\" are resolved on this machine; drives, the
// printer Lpt1 and the one interpreter command the system runs are stood in
// for here. On Windows the drives, the current directory and Lpt1 are the
// real ones; on POSIX systems C: is the parent of the current directory and
// there are no diskette drives. These variables override them (read by
// Config::fromEnvironment only):
//
//   FPO_DRIVE_C  folder standing for the root of drive C:, the current drive
//   FPO_DRIVE_A, FPO_DRIVE_B  folders for the diskette drives (missing: the
//                drive is not ready)
//   FPO_LPT1     path opened for writing as the printer (default /dev/lp0,
//                \\.\LPT1 on Windows; a file, a shared printer), or
//                "|command" whose standard input receives the bytes
//
// Every path component is matched without regard to case; a component that
// does not exist is taken upper-case, so new files get upper-case names.
//
// The application speaks code page 860; the system names files in UTF-8
// (UTF-16 on Windows). Every name crosses between the two through nameText
// and systemName.
//
// A copy replaces its target whole (written beside it, renamed over it once
// complete), and no command the program gives reaches a shell: the one
// interpreter command is carried out here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rt/err/error.h"
#include "rt/os/os.h"

namespace rt::dos {

struct Config {
  std::filesystem::path driveC;  // empty: the parent of the current directory
  std::optional<std::filesystem::path> driveA;
  std::optional<std::filesystem::path> driveB;
  std::string lpt1 = os::defaultPrinter();  // as path::string() spells it (UTF-8 on Windows)

  static Config fromEnvironment();
};

class Platform {
 public:
  explicit Platform(Config cfg, err::ErrorSystem* errors = nullptr);

  const Config& config() const { return cfg_; }

  // Host path for a DOS path: "\ZOZ\S_UPS.211" (root of the current drive),
  // "s_ctr.dbf" (current directory), "C:\ZOZ\I01CTL", "A:FUPSLM11.TXT" or
  // "A:\FUPSLM11.TXT". nullopt when the drive is not ready.
  std::optional<std::filesystem::path> resolve(std::string_view dosPath) const;

  // The DOS name of a host path on one of the drives, as the program names
  // it: with the drive letter where the program last gave the path with one
  // ("C:\ZOZ\I01CTL.NTX"), else "\ZOZ\CTL1.DBF" on the current drive and
  // "A:\FUPSLM11.TXT", "D:\X" on another; the names as they are stored, in
  // code page 860. nullopt for a path on no drive, and for a relative one (a
  // name the program gave, such as "LPT1").
  std::optional<std::string> dosName(const std::filesystem::path& host) const;

  // The name an error text gives a file: the DOS name of a host path (as
  // path::string() spells it), a host path on no drive in code page 860, a
  // name of the program's own as it is.
  std::string fileName(std::string_view text) const;

  // The current directory as the run-time reports it (CURDIR): relative to
  // the current drive's root, no leading separator, "\" between folders.
  std::string curDir() const;

  // Names (as stored) of the ordinary files matching a pattern such as
  // "\ZOZ\*.???" ("*" any run, "?" one character or none at the end of a
  // part, the extension matched apart from the stem, no regard to case).
  std::vector<std::string> listFiles(std::string_view pattern) const;

  bool fileExists(std::string_view dosPath) const;
  bool deleteFile(std::string_view dosPath) const;  // false when it failed
  // Gives a file another name; false when it failed or the name is taken.
  bool renameFile(std::string_view from, std::string_view to) const;
  bool copyFile(std::string_view from, std::string_view to) const;  // byte for byte

  // Free bytes of a drive ('A', 'B', 'C'); a drive that is not ready raises an
  // open error (class 21) through the error system and gives nullopt.
  std::optional<std::uint64_t> diskSpace(char drive) const;

  // The printer Lpt1: ready when it can be opened for writing.
  bool printerReady() const;
  // Copies a file byte for byte to the printer; false when it failed.
  bool copyToPrinter(const std::filesystem::path& file) const;
  // COPY FILE <dosPath> TO LPT1: a path that names no ordinary file raises
  // the open error BASE/2011 with that name; a copy that fails raises the
  // write error BASE/2012 on "LPT1" and is made again while the handler
  // answers Retry. True when the file reached the printer.
  bool printFile(std::string_view dosPath) const;

  // The interpreter command "DEL <pattern> >nul", carried out by deleting
  // the matching files directly. Any other command is refused (false).
  bool run(std::string_view command) const;

 private:
  // The root of a drive by its letter, or of the current drive for '\0';
  // nullopt when it is not ready. driveFolder is where it would be.
  std::optional<std::filesystem::path> driveRoot(char drive) const;
  std::optional<std::filesystem::path> driveFolder(char drive) const;
  // The letter of the current drive ('\0' for a network folder on Windows).
  char currentDrive() const;
  // The ordinary files a pattern names, by their names in code page 860 and
  // as the system spells them, in name order.
  std::vector<std::pair<std::string, std::filesystem::path>> matchingFiles(std::string_view pattern) const;

  Config cfg_;
  err::ErrorSystem* errors_;
  // The host paths last given with a drive letter, and that letter.
  mutable std::mutex namedMutex_;
  mutable std::map<std::filesystem::path, char> named_;
};

// A name of the system in code page 860 (a character the code page lacks
// shows as text::kStandIn), and a name in code page 860 as the system spells
// it.
std::string nameText(const std::filesystem::path& systemName);
std::filesystem::path systemName(std::string_view cp860);

// Matches a name against a DOS wildcard pattern without regard to case.
bool wildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace rt::dos
