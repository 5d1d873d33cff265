// rt/db/switch: files of one folder replaced together.
//
// A Switch collects the new contents of several files, each written whole
// beside its target by a Replacement (stage), and maybe written further
// there. commit() makes them take their targets' places together: every
// new file is synced, once, then the list of pairs goes into a journal file
// in the same folder (written beside, synced and renamed into place, so a
// journal that exists is complete), then every new file is
// renamed over its target, then the journal is removed. A run cut off before
// the journal is in place leaves every target as it was; one cut off after
// it is completed by recover(), which a start-up calls before anything opens
// the files. Staged files must be closed before commit(): a system may
// refuse to rename over a file that is still open.
//
// The journal is text, one line each:
//   FPO-SWITCH 1
//   <staged file name> TAB <target name>     one per file, names in the folder
//   END <number of files>
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "rt/db/file.h"

namespace rt::db {

class Switch {
 public:
  explicit Switch(std::filesystem::path journal);
  ~Switch();  // removes the staged files unless committed
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

  // False with error() set when the journal could not be written (every
  // target as it was, the staged files removed) or a rename failed (the
  // journal stays for recover(); a retry of commit() goes on from there).
  bool commit();
  void abandon();
  int error() const { return err_; }

  // Completes the switch the journal records, then removes the temporary
  // files of replacements a cut-off run left in the journal's folder (those
  // another opener holds stay). False with err when a rename failed.
  static bool recover(const std::filesystem::path& journal, int& err);

 private:
  struct Entry {
    std::filesystem::path temp, target;
  };
  bool finish();  // renames, journal removed

  std::filesystem::path journal_;
  std::vector<Entry> entries_;
  std::vector<std::filesystem::path> dropped_;
  bool journaled_ = false;
  int err_ = 0;
};

}  // namespace rt::db
