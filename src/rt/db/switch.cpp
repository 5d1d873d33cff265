#include "rt/db/switch.h"

#include <algorithm>

#include "rt/os/os.h"

namespace fs = std::filesystem;

namespace rt::db {

namespace {

constexpr std::string_view kMagic = "FPO-SWITCH 1";

bool sameFolder(const fs::path& a, const fs::path& b) {
  return a.parent_path().lexically_normal() == b.parent_path().lexically_normal();
}

// The pairs a journal records; false when it is not a whole journal.
bool readJournal(const fs::path& journal, std::vector<std::pair<std::string, std::string>>& out) {
  File f;
  if (!f.open(journal, File::Mode::Read, File::Lock::None)) return false;
  std::uint64_t size = 0;
  if (!f.size(size) || size > (1u << 20)) return false;
  std::string text(static_cast<std::size_t>(size), '\0');
  std::size_t got = 0;
  if (!f.readAt(0, text.data(), text.size(), got) || got != text.size()) return false;
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t nl = text.find('\n', at);
    if (nl == std::string::npos) return false;
    lines.push_back(text.substr(at, nl - at));
    at = nl + 1;
  }
  if (lines.size() < 2 || lines.front() != kMagic) return false;
  if (lines.back() != "END " + std::to_string(lines.size() - 2)) return false;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string& l = lines[i];
    const std::size_t tab = l.find('\t');
    if (tab == std::string::npos || tab == 0 || tab + 1 == l.size()) return false;
    const std::string a = l.substr(0, tab), b = l.substr(tab + 1);
    if (a.find_first_of("/\\") != std::string::npos || b.find_first_of("/\\") != std::string::npos)
      return false;
    out.emplace_back(a, b);
  }
  return true;
}

}  // namespace

Switch::Switch(fs::path journal) : journal_(std::move(journal)) {}

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

bool Switch::commit() {
  err_ = 0;
  if (!journaled_) {
    // The staged files, with what was written into them after they were
    // staged (rows appended, a header), go to the disk before the journal
    // names them: the one sync of each.
    for (const Entry& e : entries_) {
      File f;
      if (!f.open(e.temp, File::Mode::ReadWrite, File::Lock::None) || !f.sync()) {
        err_ = f.error();
        return false;
      }
    }
    std::string text = std::string(kMagic) + "\n";
    for (const Entry& e : entries_)
      text += e.temp.filename().string() + "\t" + e.target.filename().string() + "\n";
    text += "END " + std::to_string(entries_.size()) + "\n";
    Replacement j;
    if (!j.begin(journal_) || !j.write(text.data(), text.size()) || !j.commit()) {
      err_ = j.error();
      return false;
    }
    journaled_ = true;
  }
  return finish();
}

bool Switch::finish() {
  for (Entry& e : entries_) {
    if (e.temp.empty()) continue;
    if (!os::renameOver(e.temp, e.target, err_)) return false;
    e.temp.clear();
  }
  if (!os::removeFile(journal_, err_)) return false;
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

bool Switch::recover(const fs::path& journal, int& err) {
  err = 0;
  const fs::path dir = journal.parent_path();
  std::vector<std::pair<std::string, std::string>> pairs;
  File probe;
  if (probe.open(journal, File::Mode::Read, File::Lock::None)) {
    probe.close();
    if (readJournal(journal, pairs)) {
      const std::vector<std::string> there = os::folderFiles(dir);
      for (const auto& [temp, target] : pairs) {
        // A file renamed before the cut is no longer there.
        if (std::find(there.begin(), there.end(), temp) == there.end()) continue;
        if (!os::renameOver(dir / temp, dir / target, err)) return false;
      }
    }
    if (!os::removeFile(journal, err)) return false;
    os::syncDir(dir);
  }
  for (const std::string& name : os::folderFiles(dir)) {
    int ignored = 0;
    if (!os::temporaryName(name) || !os::lockFree(dir / name, ignored)) continue;
    os::removeFile(dir / name, ignored);
  }
  return true;
}

}  // namespace rt::db
