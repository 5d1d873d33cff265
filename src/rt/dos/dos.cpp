// rt/dos: DOS paths resolved on the drives of this machine, every part
// matched without regard to case; DOS names given back for host paths; the
// file commands, the free-space probe, the printer Lpt1 and the one
// interpreter command.
#include "rt/dos/dos.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "rt/os/file.h"
#include "rt/os/os.h"
#include "rt/text/cp860.h"

namespace fs = std::filesystem;

namespace rt::dos {

using text::sameNoCase;
using text::upperAscii;

namespace {

// The non-empty pieces of s between any of the separator characters.
std::vector<std::string> split(std::string_view s, std::string_view separators) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (separators.find(c) != std::string_view::npos) {
      if (!cur.empty()) parts.push_back(std::move(cur));
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) parts.push_back(std::move(cur));
  return parts;
}

// The entry of dir whose name equals name (code page 860) without regard to
// case: the exact spelling first, else the first in name order. The name
// comes back as stored, also where the system itself ignores case; one that
// code page 860 cannot spell is no match.
std::optional<fs::path> findNoCase(const fs::path& dir, const std::string& name) {
  const fs::path exact = systemName(name);
  // An entry answers for name: the same text without regard to case, spelled
  // back as it is stored.
  const auto answers = [&](const fs::path& entry) {
    const std::string text = nameText(entry);
    return sameNoCase(text, name) && systemName(text) == entry;
  };
  // Where the system finds names without regard to case, it names the one
  // entry itself: the folder is not read through for every name.
  if (auto stored = os::storedName(dir, exact))
    if (*stored == exact || answers(*stored)) return stored;
  std::error_code ec;
  if (fs::exists(dir / exact, ec)) {
    std::string other = name;
    for (char& c : other)
      c = c >= 'a' && c <= 'z' ? upperAscii(c) : c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    // Only the exact spelling answers: that is the stored name.
    if (other == name || !fs::exists(dir / systemName(other), ec)) return exact;
  }
  std::optional<fs::path> best;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    fs::path entry = it->path().filename();
    if (entry == exact) return entry;
    if (answers(entry) && (!best || entry < *best)) best = std::move(entry);
  }
  return best;
}

// The letter of a drive a host path names itself ("D:\X" on Windows).
std::optional<char> letterOf(const fs::path& p) {
  const fs::path rootName = p.root_name();
  const auto& n = rootName.native();
  if (n.size() != 2 || n[1] != ':') return std::nullopt;
  const char c = upperAscii(static_cast<char>(n[0]));
  if (c < 'A' || c > 'Z') return std::nullopt;
  return c;
}

// The text of path::string() as a path again: UTF-8 on Windows, the system's
// own bytes elsewhere. nullopt for text that is neither.
std::optional<fs::path> hostPath(std::string_view text) {
  try {
    return fs::path(std::u8string(text.begin(), text.end()));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// A name as the system holds it (bytes, or UTF-16 units on Windows) in code
// page 860.
template <class Native>
std::string nativeText(const Native& n) {
  if constexpr (sizeof(typename Native::value_type) == 1)
    return text::fromSystemName(std::string_view(n));
  else
    return text::fromSystemName(std::wstring_view(n));
}

// Matches one part (stem or extension) of a DOS wildcard.
bool matchPart(std::string_view p, std::string_view s) {
  if (p.empty()) return s.empty();
  if (p[0] == '*') {
    for (std::size_t k = 0; k <= s.size(); ++k)
      if (matchPart(p.substr(1), s.substr(k))) return true;
    return false;
  }
  if (p[0] == '?') {
    // "?" takes one character, or none where the name has run out.
    if (s.empty()) return matchPart(p.substr(1), s);
    return matchPart(p.substr(1), s.substr(1));
  }
  return !s.empty() && upperAscii(p[0]) == upperAscii(s[0]) && matchPart(p.substr(1), s.substr(1));
}

void splitExt(std::string_view name, std::string_view& stem, std::string_view& ext, bool& hasDot) {
  auto dot = name.rfind('.');
  hasDot = dot != std::string_view::npos;
  stem = hasDot ? name.substr(0, dot) : name;
  ext = hasDot ? name.substr(dot + 1) : std::string_view{};
}

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
  std::string_view ps, pe, ns, ne;
  bool pDot, nDot;
  splitExt(pattern, ps, pe, pDot);
  if (!pDot) return matchPart(pattern, name);
  splitExt(name, ns, ne, nDot);
  return matchPart(ps, ns) && matchPart(pe, ne);
}

std::string nameText(const fs::path& name) { return nativeText(name.native()); }

fs::path systemName(std::string_view cp860) {
  const std::string utf8 = text::toUtf8(cp860);
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

Config Config::fromEnvironment() {
  Config c;
  if (auto v = os::environmentPath("FPO_DRIVE_C")) c.driveC = *v;
  c.driveA = os::environmentPath("FPO_DRIVE_A");
  c.driveB = os::environmentPath("FPO_DRIVE_B");
  if (auto v = os::environmentPath("FPO_LPT1")) {
    try {
      c.lpt1 = v->string();
    } catch (const std::exception&) {
      // Not text (half a UTF-16 pair): the default printer stays.
    }
  }
  return c;
}

Platform::Platform(Config cfg, err::ErrorSystem* errors) : cfg_(std::move(cfg)), errors_(errors) {}

std::optional<fs::path> Platform::driveFolder(char drive) const {
  std::error_code ec;
  fs::path root;
  switch (upperAscii(drive)) {
    case '\0':
      root = cfg_.driveC.empty() ? os::currentDriveRoot() : cfg_.driveC;
      break;
    case 'C':
      if (!cfg_.driveC.empty()) {
        root = cfg_.driveC;
        break;
      }
      [[fallthrough]];
    default: {
      const std::optional<fs::path>* d = upperAscii(drive) == 'A'   ? &cfg_.driveA
                                         : upperAscii(drive) == 'B' ? &cfg_.driveB
                                                                    : nullptr;
      auto r = d && *d ? **d : os::driveRoot(upperAscii(drive));
      if (!r) return std::nullopt;
      root = *r;
      break;
    }
  }
  if (root.empty()) return std::nullopt;
  // Without "." or ".." or a trailing separator, so that ".." stops here.
  root = fs::absolute(root, ec).lexically_normal();
  if (ec) return std::nullopt;
  if (root.filename().empty() && root.has_relative_path()) root = root.parent_path();
  return root;
}

std::optional<fs::path> Platform::driveRoot(char drive) const {
  auto root = driveFolder(drive);
  std::error_code ec;
  if (!root || !fs::is_directory(*root, ec)) return std::nullopt;
  return root;
}

char Platform::currentDrive() const {
  if (!cfg_.driveC.empty()) return 'C';
  const fs::path root = os::currentDriveRoot();
  if (auto letter = letterOf(root)) return *letter;
  return os::driveRoot('C') == root ? 'C' : '\0';
}

std::optional<fs::path> Platform::resolve(std::string_view dosPath) const {
  char drive = '\0';  // the current drive
  bool explicitDrive = false;
  if (dosPath.size() >= 2 && dosPath[1] == ':') {
    drive = upperAscii(dosPath[0]);
    explicitDrive = true;
    dosPath.remove_prefix(2);
  }
  // A name cannot hold a NUL (the system would see a shorter one).
  if (dosPath.find('\0') != std::string_view::npos) return std::nullopt;
  const bool absolute = !dosPath.empty() && (dosPath[0] == '\\' || dosPath[0] == '/');
  auto root = driveRoot(drive);
  if (!root) return std::nullopt;

  fs::path base;
  if (absolute || (explicitDrive && drive != currentDrive())) {
    base = *root;  // other drives than the current one are always at their root
  } else {
    std::error_code ec;
    base = fs::current_path(ec);
    if (ec) return std::nullopt;
  }

  fs::path cur = base;
  bool exists = true;
  for (const std::string& part : split(dosPath, "\\/")) {
    if (part == ".") continue;
    if (part == "..") {
      // As on DOS, ".." at the root of a drive stays there.
      if (cur != *root && cur.has_relative_path()) cur = cur.parent_path();
      std::error_code ec;
      exists = fs::is_directory(cur, ec);
      continue;
    }
    if (exists) {
      if (auto found = findNoCase(cur, part)) {
        cur /= *found;
        continue;
      }
      exists = false;
    }
    cur /= systemName(upperAscii(part));
  }
  // How the program named it, for its DOS name.
  const fs::path key = cur.lexically_normal();
  const std::lock_guard lock(namedMutex_);
  if (explicitDrive)
    named_[key] = drive;
  else
    named_.erase(key);
  return cur;
}

std::optional<std::string> Platform::dosName(const fs::path& host) const {
  // A relative name is the program's own already.
  if (!host.is_absolute()) return std::nullopt;
  const fs::path path = host.lexically_normal();
  char named = '\0';
  {
    const std::lock_guard lock(namedMutex_);
    if (auto it = named_.find(path); it != named_.end()) named = it->second;
  }
  // The drive the program named it on, else the one whose root holds it
  // most closely (a diskette folder may lie inside drive C's), the current
  // drive before the others.
  struct Found {
    char drive;
    fs::path rel;
    std::ptrdiff_t depth;
  };
  const auto under = [&](char drive) -> std::optional<Found> {
    const auto root = driveFolder(drive);
    if (!root) return std::nullopt;
    fs::path rel = path.lexically_relative(*root);
    if (rel.empty() || *rel.begin() == "..") return std::nullopt;
    return Found{drive, std::move(rel), std::distance(root->begin(), root->end())};
  };
  std::optional<Found> best;
  if (named != '\0') best = under(named);
  if (!best) {
    std::vector<char> drives = {'\0', 'A', 'B', 'C'};
    if (auto own = letterOf(path)) drives.push_back(*own);
    for (char d : drives)
      if (auto f = under(d); f && (!best || f->depth > best->depth)) best = std::move(f);
  }
  if (!best) return std::nullopt;
  const bool current = best->drive == '\0' || (best->drive == currentDrive() && best->drive != named);
  std::string name = current ? "\\" : std::string(1, best->drive) + ":\\";
  for (const auto& part : best->rel) {
    if (part == ".") continue;
    if (name.back() != '\\') name += '\\';
    name += nameText(part);
  }
  return name;
}

std::string Platform::fileName(std::string_view text) const {
  const auto host = hostPath(text);
  if (!host || !host->is_absolute()) return std::string(text);
  if (auto name = dosName(*host)) return *name;
  return nameText(*host);
}

std::string Platform::curDir() const {
  std::error_code ec;
  fs::path cwd = fs::current_path(ec);
  auto root = driveRoot('\0');
  fs::path rel;
  if (root) {
    auto r = fs::weakly_canonical(*root, ec);
    auto c = fs::weakly_canonical(cwd, ec);
    rel = c.lexically_relative(r);
    if (rel.empty() || *rel.begin() == "..") rel = c.relative_path();
    if (rel == ".") rel.clear();
  } else {
    rel = cwd.relative_path();
  }
  std::string out;
  for (const auto& part : rel) {
    if (!out.empty()) out += '\\';
    out += nameText(part);
  }
  return out;
}

std::vector<std::pair<std::string, fs::path>> Platform::matchingFiles(std::string_view pattern) const {
  std::string_view dirPart, namePart = pattern;
  auto cut = pattern.find_last_of("\\/:");
  if (cut != std::string_view::npos) {
    dirPart = pattern.substr(0, cut + 1);
    namePart = pattern.substr(cut + 1);
  }
  std::vector<std::pair<std::string, fs::path>> out;
  std::optional<fs::path> dir;
  if (dirPart.empty()) {
    std::error_code ec;
    dir = fs::current_path(ec);
  } else {
    dir = resolve(dirPart);
  }
  std::error_code ec;
  if (!dir || !fs::is_directory(*dir, ec)) return out;
  for (fs::directory_iterator it(*dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = nameText(it->path().filename());
    // Hidden files are none of DOS's; a name holding a backslash cannot be written
    // as a DOS path.
    if (name.empty() || name[0] == '.' || name.find('\\') != std::string::npos) continue;
    std::error_code ec2;
    if (!it->is_regular_file(ec2)) continue;
    if (wildcardMatch(namePart, name)) out.emplace_back(std::move(name), it->path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> Platform::listFiles(std::string_view pattern) const {
  std::vector<std::string> out;
  for (auto& file : matchingFiles(pattern)) out.push_back(std::move(file.first));
  return out;
}

bool Platform::fileExists(std::string_view dosPath) const {
  auto p = resolve(dosPath);
  std::error_code ec;
  return p && fs::is_regular_file(*p, ec);
}

bool Platform::deleteFile(std::string_view dosPath) const {
  auto p = resolve(dosPath);
  std::error_code ec;
  return p && fs::is_regular_file(*p, ec) && fs::remove(*p, ec);
}

bool Platform::renameFile(std::string_view from, std::string_view to) const {
  auto src = resolve(from);
  auto dst = resolve(to);
  std::error_code ec;
  if (!src || !dst || !fs::is_regular_file(*src, ec) || fs::exists(*dst, ec)) return false;
  int err = 0;
  if (!os::renameOver(*src, *dst, err)) return false;
  os::syncDir(dst->parent_path());
  return true;
}

bool Platform::copyFile(std::string_view from, std::string_view to) const {
  auto src = resolve(from);
  auto dst = resolve(to);
  if (!src || !dst) return false;
  os::File in;
  if (!in.open(*src, os::File::Mode::Read, os::File::Lock::None)) return false;
  // Written beside the target and renamed over it once complete and on the
  // disk: the old file stays whole whatever fails.
  os::Replacement out;
  if (!out.begin(*dst, true)) return false;
  if (!out.writeFrom(in)) return false;
  in.close();
  return out.commit();
}

std::optional<std::uint64_t> Platform::diskSpace(char drive) const {
  auto root = driveRoot(drive);
  if (root)
    if (auto n = os::freeSpace(*root)) return n;
  if (errors_) {
    err::Error e;
    e.genCode = err::kOpen;
    e.osCode = 21;  // drive not ready
    e.subSystem = "DOS";
    e.subCode = 1;
    e.description = "Drive not ready";
    e.operation = std::string(1, upperAscii(drive)) + ":";
    e.canDefault = true;
    e.canRetry = true;
    for (;;) {
      if (!err::retry(*errors_, e)) break;
      root = driveRoot(drive);
      if (root)
        if (auto n = os::freeSpace(*root)) return n;
    }
  }
  return std::nullopt;
}

namespace {
bool isPipe(const std::string& lpt) { return !lpt.empty() && lpt[0] == '|'; }
}  // namespace

bool Platform::printerReady() const {
  if (isPipe(cfg_.lpt1)) return os::commandExists(cfg_.lpt1.substr(1));
  const auto printer = hostPath(cfg_.lpt1);
  os::Handle h = os::kNoHandle;
  int error = 0;
  if (!printer || !os::openOutput(*printer, true, h, error)) return false;
  os::close(h);
  return true;
}

bool Platform::copyToPrinter(const fs::path& file) const {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  if (isPipe(cfg_.lpt1)) return os::runWithInput(cfg_.lpt1.substr(1), bytes);
  const auto printer = hostPath(cfg_.lpt1);
  os::Handle h = os::kNoHandle;
  int error = 0;
  if (!printer || !os::openOutput(*printer, true, h, error)) return false;
  const bool ok = os::writeOut(h, bytes.data(), bytes.size(), error);
  return os::close(h) && ok;
}

bool Platform::printFile(std::string_view dosPath) const {
  const auto file = resolve(dosPath);
  std::error_code ec;
  if (!file || !fs::is_regular_file(*file, ec)) {
    if (errors_) {
      err::Error e;
      e.genCode = err::kOpen;
      e.subSystem = "BASE";
      e.subCode = 2011;
      e.description = "Open error";
      e.filename = std::string(dosPath);
      e.canDefault = true;
      errors_->raise(e);
    }
    return false;
  }
  if (!errors_) return copyToPrinter(*file);
  return !err::attempt(*errors_, [&]() -> std::optional<err::Error> {
    if (copyToPrinter(*file)) return std::nullopt;
    err::Error e;
    e.genCode = err::kWrite;
    e.subSystem = "BASE";
    e.subCode = 2012;
    e.description = "Write error";
    e.filename = "LPT1";
    e.canRetry = true;
    e.canDefault = true;
    return e;
  });
}

bool Platform::run(std::string_view command) const {
  auto w = split(command, " \t");
  if (w.size() == 3 && sameNoCase(w[2], ">nul")) w.pop_back();
  if (w.size() != 2 || !(sameNoCase(w[0], "DEL") || sameNoCase(w[0], "ERASE"))) return false;

  // The files listed are removed by their names as stored: a name is never
  // read again as a DOS path.
  for (const auto& file : matchingFiles(w[1])) {
    std::error_code ec;
    fs::remove(file.second, ec);
  }
  return true;  // like the interpreter with its messages discarded
}

}  // namespace rt::dos
