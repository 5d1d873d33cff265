// rt/db/switch: files of one folder replaced together.
//
// A Switch collects the new contents of several files, each written whole
// beside its target by a Replacement (stage), and maybe written further
// there. commit() makes them take their targets' places together: every
// target is checked replaceable first (so that none is found in the way
// half-way), every new file is synced, once, and the folder's names after
// them; then the list of pairs goes into a journal file in the same folder
// (written beside, synced and renamed into place, so a journal that exists
// is complete), then every new file is renamed over its target, the folder
// synced again, and the journal removed. A run cut off before the journal
// is in place leaves every target as it was; one cut off after it is
// completed by recover(), which a start-up calls before anything opens the
// files. Staged files must be closed before commit(): a system may refuse
// to rename over a file that is still open.
//
// The journal is text, one line each:
//   FPO-SWITCH 2
//   <staged name> TAB <target name> TAB <bytes>   one per file, in the order renamed
//   END <number of files>
//   SUM <CRC-32 of every byte above, 8 hex digits>
//
// A journal read back is untrusted: recover() completes it only when it is
// whole and its sum agrees, it names only targets of the switch's list,
// each once and never itself, each staged name is the temporary name a
// Replacement gives beside that target, and each staged file still there
// is an ordinary file (never a link) of the size recorded. A staged file no
// longer there was renamed before the cut (the names of the staged files
// were synced before the journal was renamed in). A journal that fails a
// check changes nothing of the tables: it is set aside, with the temporary
// files the program's own names left in the folder, under names of their
// own (NAME_Dnn.EXT), and recover() says so.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rt/db/file.h"

namespace rt::db {

// The names a switch may replace in its folder (as the program writes
// them), and whether a name is one of a file the program writes there,
// whose temporary files are then its own. Names compare without regard to
// case.
struct SwitchNames {
  std::vector<std::string> targets;
  std::function<bool(std::string_view name)> own;  // empty: the targets alone
};

class Switch {
 public:
  Switch(std::filesystem::path journal, std::vector<std::string> targets);
  ~Switch();  // removes the staged files unless the journal is in place
  Switch(const Switch&) = delete;
  Switch& operator=(const Switch&) = delete;

  const std::filesystem::path& journal() const { return journal_; }

  // Takes the replacement of a file in the journal's folder, kept open in
  // keep (under the target's name) or closed; commit() syncs it. A file
  // staged before for the same target is dropped.
  bool stage(Replacement& r, File* keep = nullptr);
  // The file that holds target's new content; empty when none is staged.
  std::filesystem::path staged(const std::filesystem::path& target) const;
  bool empty() const { return entries_.empty(); }

  // False with error() set and failed() naming the file concerned. Before
  // the journal is in place (journaled() false) every target is as it was:
  // blocked() tells that a target or the journal's own name is in the way
  // (not in the list, not an ordinary file, held by another program, not
  // writable, or a journal already there), found before anything was
  // written. Once it is in place, a retry of commit() goes on from where
  // the failure stopped, or the journal stays for recover().
  bool commit();
  void abandon();
  int error() const { return err_; }
  bool journaled() const { return journaled_; }
  bool blocked() const { return blocked_; }
  const std::filesystem::path& failed() const { return failed_; }

  // What the start-up found.
  struct Recovery {
    enum class Outcome {
      Nothing,    // no journal: nothing was left half-switched
      Completed,  // the journal's switch was completed
      SetAside,   // the journal failed a check: set aside as `journal`
      Refused,    // it failed a check and could not be set aside: left as it was
      Skipped,    // another program holds the folder: nothing was looked at
    } outcome = Outcome::Nothing;
    std::filesystem::path journal;
  };
  // Completes the switch the journal records, or sets the journal aside
  // when it fails a check; then, unless one was set aside or refused,
  // removes the temporary files of the program's own names that another
  // process left (none that an opener holds). To be run while no other
  // program uses the folder (FolderLock). False with err when a rename or a
  // removal failed, failed naming the file: the journal stays and a retry
  // goes on.
  static bool recover(const std::filesystem::path& journal, const SwitchNames& names, Recovery& out, int& err,
                      std::filesystem::path& failed);

 private:
  struct Entry {
    std::filesystem::path temp, target;
  };
  bool check();   // every target replaceable, the journal's name free
  bool finish();  // renames, journal removed

  std::filesystem::path journal_;
  std::vector<std::string> targets_;
  std::vector<Entry> entries_;
  std::vector<std::filesystem::path> dropped_;
  bool journaled_ = false, blocked_ = false;
  int err_ = 0;
  std::filesystem::path failed_;
};

// The lock file of a folder. Every program on the folder holds it shared
// while it runs; one that finds no other there holds it alone first, for
// what only one program at a time may do (the recovery, the clean-up).
class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Holds the lock file (made when it is missing) alone: true when no other
  // program holds it. Otherwise it is held shared, or not at all when it
  // cannot be had.
  bool takeAlone(const std::filesystem::path& file);
  // From alone to shared: other programs may start.
  void share();

 private:
  void takeShared();
  os::Handle h_ = os::kNoHandle;
};

}  // namespace rt::db
