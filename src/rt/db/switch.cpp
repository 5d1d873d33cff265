// rt/db/switch: the Switch's stage and commit, its journal written and read
// back, the recovery at start-up, and the lock file of a folder.
#include "rt/db/switch.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "rt/os/os.h"
#include "rt/text/cp860.h"

namespace fs = std::filesystem;

namespace rt::db {

namespace {

constexpr std::string_view kMagic = "FPO-SWITCH 2";
constexpr std::uint64_t kLongest = 1u << 20;  // a journal longer than this is none of ours

std::uint32_t crc32(std::string_view s) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

std::string hex8(std::uint32_t v) {
  char b[9];
  std::snprintf(b, sizeof b, "%08x", static_cast<unsigned>(v));
  return b;
}

bool sameName(std::string_view a, std::string_view b) { return text::sameNoCase(a, b); }

bool listed(const std::vector<std::string>& names, std::string_view n) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& m) { return sameName(m, n); });
}

bool sameFolder(const fs::path& a, const fs::path& b) {
  return a.parent_path().lexically_normal() == b.parent_path().lexically_normal();
}

bool digits(std::string_view s) {
  return !s.empty() && s.size() <= 19 &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

struct Planned {
  std::string temp, target;
  std::uint64_t size = 0;
};

// The switch a journal records, when it is whole and every line checks out.
bool readJournal(const fs::path& journal, const std::vector<std::string>& targets,
                 std::vector<Planned>& out) {
  if (os::entryOf(journal) != os::Entry::File) return false;
  File f;
  if (!f.open(journal, File::Mode::Read, File::Lock::None)) return false;
  std::uint64_t size = 0;
  if (!f.size(size) || size > kLongest) return false;
  std::string text(static_cast<std::size_t>(size), '\0');
  std::size_t got = 0;
  if (!f.readAt(0, text.data(), text.size(), got) || got != text.size()) return false;
  std::vector<std::string_view> lines;
  const std::string_view all(text);
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t nl = all.find('\n', at);
    if (nl == std::string_view::npos) return false;
    lines.push_back(all.substr(at, nl - at));
    at = nl + 1;
  }
  if (lines.size() < 3 || lines.front() != kMagic) return false;
  const std::size_t summed = all.size() - lines.back().size() - 1;
  if (lines.back() != "SUM " + hex8(crc32(all.substr(0, summed)))) return false;
  const std::size_t n = lines.size() - 3;
  if (lines[lines.size() - 2] != "END " + std::to_string(n)) return false;
  const std::string self = journal.filename().string();
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string_view l = lines[i];
    const std::size_t t1 = l.find('\t'), t2 = t1 == l.npos ? l.npos : l.find('\t', t1 + 1);
    if (t2 == l.npos || l.find('\t', t2 + 1) != l.npos) return false;
    Planned p{std::string(l.substr(0, t1)), std::string(l.substr(t1 + 1, t2 - t1 - 1)), 0};
    const std::string_view bytes = l.substr(t2 + 1);
    std::string of;
    if (!listed(targets, p.target) || sameName(p.target, self) || !digits(bytes)) return false;
    if (!os::temporaryName(p.temp, &of) || of != p.target) return false;
    for (const Planned& q : out)
      if (sameName(q.target, p.target)) return false;
    p.size = std::stoull(std::string(bytes));
    out.push_back(std::move(p));
  }
  return true;
}

// The temporary files in dir that Replacements of the program's own names
// left: made by another process, held by no opener.
std::vector<std::string> leftBehind(const fs::path& dir, const fs::path& journal, const SwitchNames& names) {
  std::vector<std::string> out;
  const std::string self = journal.filename().string();
  for (const std::string& name : os::folderFiles(dir)) {
    std::string of;
    int pid = 0, ignored = 0;
    if (!os::temporaryName(name, &of, &pid) || pid == os::processId()) continue;
    const bool own = sameName(of, self) || (names.own ? names.own(of) : listed(names.targets, of));
    if (!own || os::entryOf(dir / name) != os::Entry::File || !os::lockFree(dir / name, ignored)) continue;
    out.push_back(name);
  }
  return out;
}

// A free name beside `name` for a file set aside: NAME_Dnn.EXT.
fs::path asideName(const fs::path& dir, const std::string& name) {
  const fs::path n(name);
  const std::string stem = n.stem().string(), ext = n.extension().string();
  for (int k = 1; k < 100; ++k) {
    const fs::path p = dir / (stem + "_D" + (k < 10 ? "0" : "") + std::to_string(k) + ext);
    if (os::entryOf(p) == os::Entry::None) return p;
  }
  return {};
}

// The journal and the temporary files that may belong to its switch go
// aside, nothing else changes; false when the journal could not be moved.
bool setAside(const fs::path& journal, const SwitchNames& names, fs::path& moved) {
  const fs::path dir = journal.parent_path();
  int err = 0;
  for (const std::string& name : leftBehind(dir, journal, names)) {
    std::string of;
    os::temporaryName(name, &of);
    const fs::path to = asideName(dir, of);
    if (!to.empty()) os::renameOver(dir / name, to, err);
  }
  moved = asideName(dir, journal.filename().string());
  const bool ok = !moved.empty() && os::renameOver(journal, moved, err);
  if (!ok) moved.clear();
  os::syncDir(dir);
  return ok;
}

}  // namespace

Switch::Switch(fs::path journal, std::vector<std::string> targets)
    : journal_(std::move(journal)), targets_(std::move(targets)) {}

Switch::~Switch() { abandon(); }

bool Switch::stage(Replacement& r, File* keep) {
  if (!sameFolder(r.target(), journal_)) {
    err_ = os::kIoFailed;
    r.abandon();
    return false;
  }
  fs::path temp;
  if (!r.stage(temp, keep)) {
    err_ = r.error();
    return false;
  }
  const fs::path target = r.target().lexically_normal();
  for (Entry& e : entries_) {
    if (e.target == target) {
      // The earlier content may still be open where it was kept: removed
      // at the end.
      dropped_.push_back(std::exchange(e.temp, temp));
      return true;
    }
  }
  entries_.push_back({temp, target});
  return true;
}

fs::path Switch::staged(const fs::path& target) const {
  const fs::path t = target.lexically_normal();
  for (const Entry& e : entries_)
    if (e.target == t) return e.temp;
  return {};
}

bool Switch::check() {
  for (const Entry& e : entries_) {
    failed_ = e.target;
    if (!listed(targets_, e.target.filename().string())) {
      err_ = os::kIoFailed;
      return false;
    }
    if (!os::replaceable(e.target, err_)) return false;
  }
  // A journal already there records a switch not finished: never replaced.
  failed_ = journal_;
  const os::Entry j = os::entryOf(journal_);
  if (j == os::Entry::File) {
    err_ = os::kInUse;
    return false;
  }
  if (j != os::Entry::None && !os::replaceable(journal_, err_)) return false;
  failed_.clear();
  return true;
}

bool Switch::commit() {
  err_ = 0;
  blocked_ = false;
  failed_.clear();
  if (!journaled_) {
    if (!check()) {
      blocked_ = true;
      return false;
    }
    // The staged files, with what was written into them after they were
    // staged (rows appended, a header), go to the disk before the journal
    // names them: the one sync of each. Then their names.
    std::string text = std::string(kMagic) + "\n";
    for (const Entry& e : entries_) {
      File f;
      std::uint64_t size = 0;
      if (!f.open(e.temp, File::Mode::ReadWrite, File::Lock::None) || !f.sync() || !f.size(size)) {
        err_ = f.error();
        failed_ = e.target;
        return false;
      }
      text += e.temp.filename().string() + "\t" + e.target.filename().string() + "\t" + std::to_string(size) +
              "\n";
    }
    os::syncDir(journal_.parent_path());
    text += "END " + std::to_string(entries_.size()) + "\n";
    text += "SUM " + hex8(crc32(text)) + "\n";
    Replacement j;
    if (!j.begin(journal_) || !j.write(text.data(), text.size()) || !j.commit()) {
      err_ = j.error();
      failed_ = journal_;
      return false;
    }
    journaled_ = true;
  }
  return finish();
}

bool Switch::finish() {
  for (Entry& e : entries_) {
    if (e.temp.empty()) continue;
    if (!os::renameOver(e.temp, e.target, err_)) {
      failed_ = e.target;
      return false;
    }
    e.temp.clear();
  }
  // Every new name is durable before the journal that would complete it goes.
  os::syncDir(journal_.parent_path());
  if (!os::removeFile(journal_, err_)) {
    failed_ = journal_;
    return false;
  }
  os::syncDir(journal_.parent_path());
  entries_.clear();
  journaled_ = false;
  int ignored = 0;
  for (const fs::path& p : dropped_) os::removeFile(p, ignored);
  dropped_.clear();
  return true;
}

void Switch::abandon() {
  // Once the journal is in place the switch belongs to recover().
  if (journaled_) return;
  int ignored = 0;
  for (const Entry& e : entries_) os::removeFile(e.temp, ignored);
  for (const fs::path& p : dropped_) os::removeFile(p, ignored);
  entries_.clear();
  dropped_.clear();
}

bool Switch::recover(const fs::path& journal, const SwitchNames& names, Recovery& out, int& err,
                     fs::path& failed) {
  err = 0;
  failed.clear();
  out = Recovery{};
  const fs::path dir = journal.parent_path();
  const os::Entry there = os::entryOf(journal);
  // A folder of that name records nothing: the next switch finds it in the way.
  if (there != os::Entry::None && there != os::Entry::Folder) {
    std::vector<Planned> plan;
    bool whole = readJournal(journal, names.targets, plan);
    // What is still to be renamed: ordinary files of the size recorded.
    for (const Planned& p : plan) {
      const os::Entry e = os::entryOf(dir / p.temp);
      std::error_code ec;
      if (e == os::Entry::None) continue;
      if (e != os::Entry::File || fs::file_size(dir / p.temp, ec) != p.size || ec) whole = false;
    }
    if (!whole) {
      out.outcome =
          setAside(journal, names, out.journal) ? Recovery::Outcome::SetAside : Recovery::Outcome::Refused;
      return true;
    }
    // Nothing is renamed before every target is known to take its new file.
    for (const Planned& p : plan) {
      if (os::entryOf(dir / p.temp) == os::Entry::None) continue;
      failed = dir / p.target;
      if (!os::replaceable(failed, err)) return false;
    }
    for (const Planned& p : plan) {
      if (os::entryOf(dir / p.temp) == os::Entry::None) continue;  // renamed before the cut
      failed = dir / p.target;
      if (!os::renameOver(dir / p.temp, failed, err)) return false;
    }
    os::syncDir(dir);
    failed = journal;
    if (!os::removeFile(journal, err)) return false;
    os::syncDir(dir);
    failed.clear();
    out.outcome = Recovery::Outcome::Completed;
  }
  for (const std::string& name : leftBehind(dir, journal, names)) {
    int ignored = 0;
    os::removeFile(dir / name, ignored);
  }
  return true;
}

// --- FolderLock ---

FolderLock::~FolderLock() { os::close(h_); }

bool FolderLock::takeAlone(const fs::path& file) {
  // Opened afresh: the file held before may have been removed since.
  os::close(h_);
  h_ = os::kNoHandle;
  int err = 0;
  if (!os::openOrCreate(file, h_, err)) {
    h_ = os::kNoHandle;
    return false;
  }
  if (os::relock(h_, os::Lock::Exclusive, err)) return true;
  takeShared();
  return false;
}

void FolderLock::share() {
  if (h_ != os::kNoHandle) takeShared();
}

void FolderLock::takeShared() {
  // Another program may hold it alone a moment, for its own start-up.
  for (int attempt = 0; attempt < 100; ++attempt) {
    int err = 0;
    if (os::relock(h_, os::Lock::Shared, err)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace rt::db
