// rt/db/dbf: the Table (dbf.h): its header read and checked against the
// file, records read and written, the copy made beside the file before the
// first write, pack and zap written as new files, and the scans.
//
// Reads come from the mapped view where the system gives one; otherwise
// consecutive records are read 64 KiB at a time, and consecutive writes are
// gathered into one run of up to 256 KiB, so that a pass over a table costs
// few system calls. Scans and rewrites move a megabyte of records at a time;
// scanParallel shares a large scan among threads (threads.h) for the index
// creation, which reads every record of the table at once.
#include "rt/db/dbf.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#include "rt/db/numtext.h"
#include "rt/db/switch.h"
#include "rt/db/threads.h"
#include "rt/dos/dos.h"
#include "rt/text/cp860.h"
#include "rt/text/date.h"

namespace fs = std::filesystem;

namespace rt::db {

namespace {

constexpr std::size_t kReadAhead = 64 * 1024;
constexpr std::size_t kWriteBehind = 256 * 1024;
constexpr std::size_t kScanRun = 1024 * 1024;  // bytes read at once by scans and rewrites

std::atomic<std::uint64_t> gSerial{0};

std::uint32_t u32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
unsigned u16(const std::string& b, std::size_t at) {
  return static_cast<unsigned>(static_cast<unsigned char>(b[at])) |
         static_cast<unsigned>(static_cast<unsigned char>(b[at + 1])) << 8;
}
void put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put16(std::string& b, std::size_t at, unsigned v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void stampDate(std::string& hdr) {
  int y, m, d;
  text::Date::today().ymd(y, m, d);
  hdr[1] = static_cast<char>((y - 1900) & 0xFF);
  hdr[2] = static_cast<char>(m);
  hdr[3] = static_cast<char>(d);
}

using text::sameNoCase;
using text::upperAscii;

bool numericType(char t) { return t == 'N' || t == 'F'; }

}  // namespace

Table::Table(File f, err::ErrorSystem& es)
    : file_(std::move(f)), name_(file_.path()), es_(es), serial_(++gSerial) {}

Table::~Table() { closeQuietly(); }

bool Table::failed(const err::Error& e) { return !quiet_ && err::retry(es_, e); }

Table::Load Table::loadHeader(std::string& head, std::string& why) {
  File& f = file_;
  std::uint64_t size = 0;
  head.assign(32, '\0');
  std::size_t got = 0;
  if (!f.size(size) || !f.readAt(0, head.data(), head.size(), got)) return Load::Unreadable;
  if (got < 32) {
    why = "shorter than a table header";
    return Load::Damaged;
  }
  const unsigned hl = u16(head, 8);
  if (hl < 32 + 32 + 1) {
    why = "header length too small";
  } else if (hl > size) {
    why = "header longer than the file";
  } else {
    head.resize(hl);
    if (!f.readAt(0, head.data(), hl, got) || got != hl) {
      why = "header cannot be read";
    } else if (parseHeader(head, size, why)) {
      return Load::Ok;
    }
  }
  return Load::Damaged;
}

Table::Health Table::check(const fs::path& p, std::string& why, const std::vector<FieldSpec>* layout) {
  File f;
  if (!f.open(p, File::Mode::Read, File::Lock::Shared)) return Health::Unopened;
  static err::ErrorSystem none;
  Table t(std::move(f), none);
  t.quiet_ = t.readOnly_ = true;
  std::string head;
  switch (t.loadHeader(head, why)) {
    case Load::Ok:
      break;
    case Load::Damaged:
      return Health::Damaged;
    default:
      return Health::Unopened;
  }
  if (!layout) return Health::Good;
  for (const FieldSpec& want : *layout) {
    const int i = t.fieldIndex(want.name);
    if (i < 0) continue;
    const Field& got = t.fields_[static_cast<std::size_t>(i)];
    if (got.type != upperAscii(want.type)) {
      why = "field " + got.name + " is of type " + got.type + ", not " + upperAscii(want.type);
      return Health::Damaged;
    }
  }
  return Health::Good;
}

std::unique_ptr<Table> Table::open(const fs::path& p, err::ErrorSystem& es, Access access,
                                   const fs::path& content) {
  for (;;) {
    File f;
    const bool ro = access == Access::SharedRead;
    if (!f.open(content.empty() ? p : content, ro ? File::Mode::Read : File::Mode::ReadWrite,
                ro ? File::Lock::Shared : File::Lock::Exclusive)) {
      if (err::retry(es, fail::open(p, f.error()))) continue;
      return nullptr;
    }
    std::unique_ptr<Table> t(new Table(std::move(f), es));
    t->name_ = p;
    t->readOnly_ = ro;
    std::string why;
    std::string head;
    const Load l = t->loadHeader(head, why);
    if (l == Load::Unreadable) {
      int e = t->file_.error();
      t->file_.close();
      if (err::retry(es, fail::read(p, e))) continue;
      return nullptr;
    }
    if (l == Load::Damaged) {
      t->file_.close();
      // Damage is not retried (the error says so): a Retry is taken as Default.
      es.raise(fail::corrupt(p, why));
      return nullptr;
    }
    t->header_ = std::move(head);
    t->rec_.assign(static_cast<std::size_t>(t->recLen_), ' ');
    t->recNo_ = t->lastRec_ + 1;
    t->remap();
    return t;
  }
}

bool Table::parseHeader(const std::string& hdr, std::uint64_t fileSize, std::string& why) {
  const std::size_t hl = hdr.size();
  const std::uint32_t count = u32(hdr, 4);
  const unsigned rl = u16(hdr, 10);
  std::size_t pos = 32;
  int offset = 1;
  std::vector<Field> fields;
  while (pos < hl && static_cast<unsigned char>(hdr[pos]) != 0x0D) {
    if (pos + 32 > hl) {
      why = "field descriptors run past the header";
      return false;
    }
    Field f;
    for (std::size_t i = 0; i < 11 && hdr[pos + i] != '\0'; ++i) {
      const auto c = static_cast<unsigned char>(hdr[pos + i]);
      if (c <= 0x20 || c >= 0x7F) {
        why = "field " + std::to_string(fields.size() + 1) + " has a damaged name";
        return false;
      }
      f.name.push_back(static_cast<char>(c));
    }
    if (f.name.empty()) {
      why = "field " + std::to_string(fields.size() + 1) + " has no name";
      return false;
    }
    f.type = upperAscii(hdr[pos + 11]);
    const int w = static_cast<unsigned char>(hdr[pos + 16]);
    const int d = static_cast<unsigned char>(hdr[pos + 17]);
    if (f.type == 'C') {
      f.width = w + 256 * d;  // long text fields keep the high byte in the decimals
    } else {
      f.width = w;
      f.decimals = d;
    }
    if (f.width <= 0 || (numericType(f.type) && f.decimals >= f.width && f.decimals > 0)) {
      why = "field " + f.name + " has a damaged width";
      return false;
    }
    f.offset = offset;
    offset += f.width;
    if (offset > 65536) {
      why = "fields longer than a record can be";
      return false;
    }
    fields.push_back(std::move(f));
    pos += 32;
  }
  if (pos >= hl) {
    why = "header has no terminator";
    return false;
  }
  if (fields.empty()) {
    why = "no fields";
    return false;
  }
  if (static_cast<unsigned>(offset) != rl) {
    why = "record length disagrees with the fields";
    return false;
  }
  if (static_cast<std::uint64_t>(count) * rl + hl > fileSize) {
    why = "record count beyond the file";
    return false;
  }
  if ((fileSize - hl) / rl > count) {
    // Rows written after the ones the header counts (a write cut off
    // before its header): they would be lost to every reader.
    why = "record count below the records the file holds";
    return false;
  }
  if (count == 0xFFFFFFFFu) {
    why = "record count too large";
    return false;
  }
  fields_ = std::move(fields);
  hdrLen_ = static_cast<int>(hl);
  recLen_ = static_cast<int>(rl);
  lastRec_ = count;
  fileRecs_ = count;
  return true;
}

bool Table::create(const fs::path& p, const std::vector<FieldSpec>& specs, err::ErrorSystem& es, Switch* sw) {
  // The structure first: a bad field list is refused before any file is touched.
  std::string why;
  std::vector<FieldSpec> list;
  int recLen = 1;
  for (const FieldSpec& s : specs) {
    FieldSpec f = s;
    for (char& c : f.name) c = upperAscii(c);
    f.type = upperAscii(f.type);
    bool nameOk = !f.name.empty() && f.name.size() <= 10 && !(f.name[0] >= '0' && f.name[0] <= '9');
    for (char c : f.name)
      if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) nameOk = false;
    if (!nameOk) why = "invalid field name \"" + s.name + "\"";
    for (const FieldSpec& o : list)
      if (o.name == f.name) why = "field " + f.name + " given twice";
    switch (f.type) {
      case 'C':
        if (f.width < 1 || f.width > 65535) why = "field " + f.name + " has an invalid width";
        f.decimals = 0;
        break;
      case 'N':
        if (f.width < 1 || f.width > 255 || f.decimals < 0 || f.decimals > 20 ||
            (f.decimals > 0 && f.decimals >= f.width))
          why = "field " + f.name + " has an invalid width";
        break;
      case 'D':
        f.width = 8;
        f.decimals = 0;
        break;
      case 'L':
        f.width = 1;
        f.decimals = 0;
        break;
      default:
        why = "field " + f.name + " has an unsupported type";
    }
    if (!why.empty()) break;
    recLen += f.width;
    list.push_back(std::move(f));
  }
  if (why.empty() && list.empty()) why = "no fields";
  if (why.empty() && (recLen > 65535 || 32 + 32 * list.size() + 2 > 65535)) why = "record too long";
  if (!why.empty()) {
    err::Error e = fail::create(p, 0);
    e.description += " (" + why + ")";
    e.canRetry = false;
    es.raise(e);
    return false;
  }

  std::string hdr = makeHeader(list, 0);
  hdr.push_back(0x1A);
  for (;;) {
    Replacement r;
    if (r.begin(p) && r.write(hdr.data(), hdr.size()) && (sw ? sw->stage(r) : r.commit())) return true;
    if (!err::retry(es, fail::create(p, r.error()))) return false;
  }
}

std::string Table::makeHeader(const std::vector<FieldSpec>& fs, std::uint32_t count) {
  const std::size_t hl = 32 + 32 * fs.size() + 2;
  std::string hdr(hl, '\0');
  int recLen = 1;
  for (const FieldSpec& f : fs) recLen += f.width;
  hdr[0] = 0x03;
  stampDate(hdr);
  put32(hdr, 4, count);
  put16(hdr, 8, static_cast<unsigned>(hl));
  put16(hdr, 10, static_cast<unsigned>(recLen));
  for (std::size_t i = 0; i < fs.size(); ++i) {
    const std::size_t at = 32 + 32 * i;
    std::memcpy(&hdr[at], fs[i].name.data(), std::min<std::size_t>(fs[i].name.size(), 10));
    hdr[at + 11] = fs[i].type;
    hdr[at + 16] = static_cast<char>(fs[i].width & 0xFF);
    hdr[at + 17] = static_cast<char>(fs[i].type == 'C' ? (fs[i].width >> 8) : fs[i].decimals);
  }
  hdr[hl - 2] = 0x0D;
  return hdr;
}

std::vector<FieldSpec> Table::structure() const {
  std::vector<FieldSpec> out;
  out.reserve(fields_.size());
  for (const Field& f : fields_) out.push_back({f.name, f.type, f.width, f.decimals});
  return out;
}

int Table::fieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (sameNoCase(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::string_view Table::raw(int field) const {
  const Field& f = fields_[static_cast<std::size_t>(field)];
  return std::string_view(rec_).substr(static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.width));
}

// --- reading ---

void Table::remap() {
  ++edits_;  // the file may hold other bytes now
  map_ = nullptr;
  mappedRecs_ = 0;
  mapRefused_ = false;
  if (fileRecs_ == 0) {
    file_.unmap();
    return;
  }
  map_ = file_.map(static_cast<std::uint64_t>(hdrLen_) + static_cast<std::uint64_t>(fileRecs_) * recLen_);
  if (map_) mappedRecs_ = fileRecs_;
}

// Once every record is in the file, the ones written since the last mapping
// are read through the view too.
void Table::mapWritten() {
  if (lastRec_ <= mappedRecs_ || wCount_ || changed_ || mapRefused_) return;
  map_ = file_.map(static_cast<std::uint64_t>(hdrLen_) + static_cast<std::uint64_t>(lastRec_) * recLen_);
  mappedRecs_ = map_ ? lastRec_ : 0;
  mapRefused_ = !map_;
}

const char* Table::peek(std::uint32_t recno) {
  if (recno < 1 || recno > lastRec_) return nullptr;
  const auto rl = static_cast<std::size_t>(recLen_);
  if (recno == recNo_ && changed_) return rec_.data();
  if (wCount_ && recno >= wFirst_ && recno < wFirst_ + wCount_) return wbuf_.data() + (recno - wFirst_) * rl;
  if (map_ && recno <= mappedRecs_) return map_ + hdrLen_ + static_cast<std::size_t>(recno - 1) * rl;
  scratch_.resize(rl);
  const bool seq = recno == lastRead_ + 1;
  lastRead_ = recno;
  return readInto(recno, scratch_.data(), seq) ? scratch_.data() : nullptr;
}

bool Table::readInto(std::uint32_t recno, char* out, bool sequential) {
  const auto rl = static_cast<std::size_t>(recLen_);
  if (wCount_ && recno >= wFirst_ && recno < wFirst_ + wCount_) {
    std::memcpy(out, wbuf_.data() + (recno - wFirst_) * rl, rl);
    return true;
  }
  if (map_ && recno <= mappedRecs_) {
    std::memcpy(out, map_ + hdrLen_ + static_cast<std::size_t>(recno - 1) * rl, rl);
    return true;
  }
  if (cacheCount_ && recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_) {
    std::memcpy(out, cache_.data() + (recno - cacheFirst_) * rl, rl);
    return true;
  }
  // Records read out of order from a table grown well past its view: the
  // pending writes go out and the view takes in every record.
  if (!sequential && lastRec_ - mappedRecs_ >= std::max<std::uint32_t>(1024, mappedRecs_ / 8) && !changed_ &&
      !mapRefused_ && flushWrites()) {
    mapWritten();
    if (map_ && recno <= mappedRecs_) {
      std::memcpy(out, map_ + hdrLen_ + static_cast<std::size_t>(recno - 1) * rl, rl);
      return true;
    }
  }
  for (;;) {
    std::size_t got = 0;
    const std::uint64_t off =
        static_cast<std::uint64_t>(hdrLen_) + static_cast<std::uint64_t>(recno - 1) * rl;
    bool ok;
    if (sequential) {
      std::uint32_t n = static_cast<std::uint32_t>(std::max<std::size_t>(1, kReadAhead / rl));
      n = std::min(n, lastRec_ - recno + 1);
      if (wCount_ && wFirst_ < recno + n && wFirst_ + wCount_ > recno) flushWrites();
      cache_.resize(n * rl);
      cacheCount_ = 0;
      ok = file_.readAt(off, cache_.data(), n * rl, got);
      if (ok && got >= rl) {
        cacheFirst_ = recno;
        cacheCount_ = static_cast<std::uint32_t>(got / rl);
        std::memcpy(out, cache_.data(), rl);
        return true;
      }
    } else {
      ok = file_.readAt(off, out, rl, got);
      if (ok && got == rl) return true;
    }
    if (!failed(fail::read(path(), ok ? os::kIoFailed : file_.error()))) return false;
  }
}

bool Table::readRecord(std::uint32_t recno, char* out) {
  if (recno < 1 || recno > lastRec_) return false;
  if (recno == recNo_) {
    std::memcpy(out, rec_.data(), rec_.size());
    return true;
  }
  const bool seq = recno == lastRead_ + 1;
  lastRead_ = recno;
  return readInto(recno, out, seq);
}

bool Table::storedRecord(char* out) {
  if (atPhantom() || isNew_) return false;
  return readInto(recNo_, out, false);
}

bool Table::load(std::uint32_t recno) {
  if (changed_ && !flushRecord()) {
    // the record could not be written; it is dropped
  }
  if (recno == recNo_ && recno <= lastRec_) return true;
  if (recno < 1 || recno > lastRec_) {
    recNo_ = lastRec_ + 1;
    std::fill(rec_.begin(), rec_.end(), ' ');
    return true;
  }
  const bool seq = recno == lastRead_ + 1;
  lastRead_ = recno;
  if (!readInto(recno, rec_.data(), seq)) {
    recNo_ = lastRec_ + 1;
    std::fill(rec_.begin(), rec_.end(), ' ');
    return false;
  }
  recNo_ = recno;
  return true;
}

Value Table::get(int field) { return get(field, rec_.data()); }

Value Table::get(int field, const char* rec) {
  const Field& f = fields_[static_cast<std::size_t>(field)];
  const std::string_view r(rec + f.offset, static_cast<std::size_t>(f.width));
  switch (f.type) {
    case 'C':
      return Value(std::string(r));
    case 'N':
    case 'F':
      return Value::number(parseNumber(r), f.width, f.decimals);
    case 'D':
      return Value(text::Date::fromDtos(r));
    case 'L':
      return Value(r[0] == 'T' || r[0] == 't' || r[0] == 'Y' || r[0] == 'y');
    default:
      es_.raise(fail::dataType(path(), f.name, std::string("field type ") + f.type + " is not supported"));
      return Value();
  }
}

// --- writing ---

void Table::putRaw(int field, std::string_view bytes) {
  if (atPhantom() || readOnly_) return;
  const Field& f = fields_[static_cast<std::size_t>(field)];
  const auto w = static_cast<std::size_t>(f.width);
  char* dst = rec_.data() + f.offset;
  const std::size_t n = std::min(w, bytes.size());
  if (n) std::memcpy(dst, bytes.data(), n);
  std::memset(dst + n, ' ', w - n);
  edited();
}

bool Table::put(int field, const Value& v) {
  if (atPhantom() || readOnly_) return true;
  const Encoded e = encode(field, v, rec_.data());
  if (e != Encoded::Refused) {
    edited();
  }
  return e == Encoded::Ok;
}

bool Table::putFrom(int field, Table& src, int from) {
  const Field& f = fields_[static_cast<std::size_t>(field)];
  const Field& s = src.fields_[static_cast<std::size_t>(from)];
  const bool text = f.type == 'C' && s.type == 'C';
  if (!text && !(numericType(f.type) && numericType(s.type))) return put(field, src.get(from));
  if (atPhantom() || readOnly_) return true;
  edited();
  // memmove: src may be this table.
  char* dst = rec_.data() + f.offset;
  if (text) {
    const auto w = static_cast<std::size_t>(f.width), n = std::min(w, static_cast<std::size_t>(s.width));
    std::memmove(dst, src.rec_.data() + s.offset, n);
    std::memset(dst + n, ' ', w - n);
    return true;
  }
  if (reformatNumber(src.raw(from), f.width, f.decimals, dst)) return true;
  es_.raise(fail::dataWidth(path(), f.name));
  return false;
}

const Table::CarryPlan& Table::carryPlan(const Table& src, const std::vector<std::pair<int, int>>& fields) {
  if (carry_.src == src.serial_ && carry_.fields == fields) return carry_;
  carry_ = CarryPlan{src.serial_, fields, {}};
  for (const auto& [to, from] : fields) {
    const Field& f = fields_[static_cast<std::size_t>(to)];
    const Field& s = src.fields_[static_cast<std::size_t>(from)];
    const bool joins =
        f.width == s.width && ((f.type == 'C' && s.type == 'C') ||
                               (numericType(f.type) && numericType(s.type) && f.decimals == s.decimals));
    CarryRun* last = carry_.runs.empty() ? nullptr : &carry_.runs.back();
    if (joins && last && last->joined && last->to + last->len == f.offset &&
        last->from + last->len == s.offset) {
      last->len += f.width;
    } else {
      carry_.runs.push_back({f.offset, s.offset, f.width, {}, joins});
    }
    carry_.runs.back().pairs.emplace_back(to, from);
  }
  return carry_;
}

bool Table::putFrom(Table& src, const std::vector<std::pair<int, int>>& fields) {
  bool ok = true;
  if (atPhantom() || readOnly_) {
    for (const auto& [to, from] : fields) ok = putFrom(to, src, from) && ok;
    return ok;
  }
  for (const CarryRun& run : carryPlan(src, fields).runs) {
    bool whole = run.joined;
    for (std::size_t k = 0; whole && k < run.pairs.size(); ++k) {
      const Field& f = fields_[static_cast<std::size_t>(run.pairs[k].first)];
      if (f.type != 'C') whole = numberAsWritten(src.raw(run.pairs[k].second), f.width, f.decimals);
    }
    if (whole) {
      std::memmove(rec_.data() + run.to, src.rec_.data() + run.from, static_cast<std::size_t>(run.len));
      edited();
      continue;
    }
    for (const auto& [to, from] : run.pairs) ok = putFrom(to, src, from) && ok;
  }
  return ok;
}

Table::Encoded Table::encode(int field, const Value& v, char* rec) {
  const Field& f = fields_[static_cast<std::size_t>(field)];
  char* dst = rec + f.offset;
  const auto w = static_cast<std::size_t>(f.width);
  const auto text = [&](std::string_view bytes) {
    const std::size_t n = std::min(w, bytes.size());
    if (n) std::memcpy(dst, bytes.data(), n);
    std::memset(dst + n, ' ', w - n);
    return Encoded::Ok;
  };
  switch (f.type) {
    case 'C':
      if (v.isString()) return text(v.string());
      break;
    case 'N':
    case 'F':
      if (v.isNumber()) {
        if (formatNumber(v.num(), f.width, f.decimals, dst)) return Encoded::Ok;
        es_.raise(fail::dataWidth(path(), f.name));
        return Encoded::TooWide;
      }
      break;
    case 'D':
      if (v.isDate()) return text(v.date().dtos());
      break;
    case 'L':
      if (v.isLogical()) {
        dst[0] = v.logical() ? 'T' : 'F';
        if (w > 1) std::memset(dst + 1, ' ', w - 1);
        return Encoded::Ok;
      }
      break;
    default:
      es_.raise(fail::dataType(path(), f.name, std::string("field type ") + f.type + " is not supported"));
      return Encoded::Refused;
  }
  es_.raise(fail::dataType(path(), f.name));
  return Encoded::Refused;
}

void Table::setRecord(const char* bytes) {
  if (atPhantom() || readOnly_) return;
  std::memcpy(rec_.data(), bytes, rec_.size());
  edited();
}

void Table::setDeleted(bool on) {
  if (atPhantom() || readOnly_) return;
  rec_[0] = on ? '*' : ' ';
  edited();
}

bool Table::appendBlank() {
  if (readOnly_) return false;
  if (changed_) flushRecord();
  if (lastRec_ >= 0xFFFFFFFEu) return false;
  ++lastRec_;
  recNo_ = lastRec_;
  std::fill(rec_.begin(), rec_.end(), ' ');
  edited();
  isNew_ = true;
  modified_ = true;
  return true;
}

void Table::dropAppended() {
  if (!isNew_ || !changed_ || recNo_ != lastRec_) return;
  --lastRec_;
  recNo_ = lastRec_ + 1;
  std::fill(rec_.begin(), rec_.end(), ' ');
  changed_ = isNew_ = false;
  ++edits_;
}

bool Table::appendRecords(const char* recs, std::uint32_t count) {
  if (readOnly_) return false;
  if (count == 0) return true;
  if (changed_) flushRecord();
  if (count > 0xFFFFFFFEu - lastRec_) return false;
  if (!flushWrites() || !writable()) return false;
  const auto rl = static_cast<std::uint64_t>(recLen_);
  const std::uint64_t off = static_cast<std::uint64_t>(hdrLen_) + lastRec_ * rl;
  while (!file_.writeAt(off, recs, count * rl)) {
    if (!failed(fail::write(path(), file_.error()))) {
      lost_ = true;
      return false;
    }
  }
  wrote(off, count * rl);
  lastRec_ += count;
  recNo_ = lastRec_;
  std::memcpy(rec_.data(), recs + (count - 1) * rl, rec_.size());
  changed_ = isNew_ = false;
  modified_ = true;
  ++edits_;
  return true;
}

void Table::bufferWrite(std::uint32_t recno, const char* rec) {
  const auto rl = static_cast<std::size_t>(recLen_);
  if (cacheCount_ && recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_)
    std::memcpy(cache_.data() + (recno - cacheFirst_) * rl, rec, rl);
  if (wCount_ && recno >= wFirst_ && recno < wFirst_ + wCount_) {
    std::memcpy(wbuf_.data() + (recno - wFirst_) * rl, rec, rl);
    return;
  }
  if (wCount_ && recno == wFirst_ + wCount_ && wbuf_.size() + rl <= kWriteBehind) {
    wbuf_.append(rec, rl);
    ++wCount_;
    return;
  }
  if (wCount_) flushWrites();
  wbuf_.assign(rec, rl);
  wFirst_ = recno;
  wCount_ = 1;
}

bool Table::flushRecord() {
  if (!changed_) return true;
  changed_ = false;
  isNew_ = false;
  if (atPhantom() || readOnly_) return true;
  bufferWrite(recNo_, rec_.data());
  modified_ = true;
  return true;
}

bool Table::writable() {
  if (staged_ || beside_ || readOnly_) return true;
  for (;;) {
    // The whole file as it is, beside it; the writes go to the copy.
    auto r = std::make_unique<Replacement>();
    std::uint64_t size = 0;
    bool ok = r->begin(path(), true) && file_.size(size);
    std::string buf;
    for (std::uint64_t at = 0; ok && at < size;) {
      buf.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size - at, kScanRun)));
      std::size_t got = 0;
      ok = file_.readAt(at, buf.data(), buf.size(), got) && got == buf.size() && r->write(buf.data(), got);
      at += got;
    }
    if (ok && switch_ && finish(*r)) return true;
    if (ok && !switch_ && r->handOver(file_)) {
      beside_ = std::move(r);
      remap();  // the same bytes, read from the copy
      return true;
    }
    if (!failed(fail::write(path(), r->error() ? r->error() : file_.error()))) return false;
  }
}

bool Table::land() {
  if (!beside_) return true;
  for (;;) {
    if (beside_->commit(&file_)) {
      beside_.reset();
      remap();
      return true;
    }
    if (!failed(fail::write(path(), beside_->error()))) {
      revert();
      return false;
    }
  }
}

void Table::revert() {
  lost_ = false;
  ++reverts_;
  if (beside_) beside_->abandon(&file_);
  beside_.reset();
  map_ = nullptr;
  mappedRecs_ = 0;
  std::string why;
  if (!file_.isOpen() || loadHeader(header_, why) != Load::Ok) {
    // Not to be read again: the table stands empty.
    file_.close();
    lastRec_ = fileRecs_ = 0;
  }
  cacheCount_ = wCount_ = 0;
  wbuf_.clear();
  lastRead_ = 0;
  recNo_ = lastRec_ + 1;
  std::fill(rec_.begin(), rec_.end(), ' ');
  changed_ = isNew_ = modified_ = false;
  remap();
}

bool Table::finish(Replacement& r) {
  if (!switch_) return r.commit(&file_);
  if (!switch_->stage(r, &file_)) return false;
  staged_ = true;
  return true;
}

bool Table::flushWrites() {
  if (wCount_ && !writable()) {
    wCount_ = 0;
    wbuf_.clear();
    lost_ = true;
    ++edits_;
    return false;
  }
  while (wCount_) {
    const std::uint64_t off = static_cast<std::uint64_t>(hdrLen_) +
                              static_cast<std::uint64_t>(wFirst_ - 1) * static_cast<std::uint64_t>(recLen_);
    if (file_.writeAt(off, wbuf_.data(), wbuf_.size())) {
      wrote(off, wbuf_.size());
      wCount_ = 0;
      wbuf_.clear();
      return true;
    }
    if (!failed(fail::write(path(), file_.error()))) {
      wCount_ = 0;  // abandoned: the run is lost
      wbuf_.clear();
      lost_ = true;
      ++edits_;
      return false;
    }
  }
  return true;
}

void Table::wrote(std::uint64_t off, std::uint64_t n) {
  if (unstarted_ == 0) {
    unstartedFrom_ = off;
    unstartedTo_ = off + n;
  } else {
    unstartedFrom_ = std::min(unstartedFrom_, off);
    unstartedTo_ = std::max(unstartedTo_, off + n);
  }
  unstarted_ += n;
  if (unstarted_ >= kWriteBehind / 2) {
    file_.startWriteback(unstartedFrom_, unstartedTo_);
    unstarted_ = 0;
  }
}

bool Table::writeHeader() {
  if (!writable()) return false;
  stampDate(header_);
  put32(header_, 4, lastRec_);
  for (;;) {
    bool ok = file_.writeAt(0, header_.data(), 12);
    if (ok && fileRecs_ != lastRec_) {
      const char eof = 0x1A;
      ok = file_.writeAt(static_cast<std::uint64_t>(hdrLen_) + static_cast<std::uint64_t>(lastRec_) * recLen_,
                         &eof, 1);
    }
    if (ok) {
      if (fileRecs_ != lastRec_) {
        fileRecs_ = lastRec_;
        remap();
      }
      return true;
    }
    if (!failed(fail::write(path(), file_.error()))) {
      lost_ = true;
      return false;
    }
  }
}

bool Table::commit(bool sync) {
  if (!file_.isOpen() || readOnly_) return true;
  bool ok = flushRecord();
  ok = flushWrites() && ok;
  const bool written = modified_;
  if (written && !(lost_ && !switch_)) ok = writeHeader() && ok;
  modified_ = false;
  if (lost_ && !switch_) {
    // Writes answered with their default: the table goes back to its file,
    // never to a header over rows that are not there.
    revert();
    return false;
  }
  // The new content of a file in a switch is synced by the switch; a copy
  // written beside the file takes its place.
  if (sync && beside_) return land() && ok;
  if (sync && written && !(switch_ && staged_)) {
    while (!file_.sync()) {
      if (!failed(fail::write(path(), file_.error()))) {
        ok = false;
        break;
      }
    }
  }
  return ok;
}

bool Table::close() {
  if (!file_.isOpen()) return true;
  bool ok = commit(true);
  map_ = nullptr;
  mappedRecs_ = 0;
  file_.close();
  return ok;
}

bool Table::closeQuietly() {
  quiet_ = true;
  const bool ok = close();
  quiet_ = false;
  return ok;
}

bool Table::readRun(std::uint32_t first, std::uint32_t count, char* out) {
  const auto rl = static_cast<std::size_t>(recLen_);
  const std::uint64_t off = static_cast<std::uint64_t>(hdrLen_) + static_cast<std::uint64_t>(first - 1) * rl;
  for (;;) {
    std::size_t got = 0;
    const bool ok = file_.readAt(off, out, count * rl, got);
    if (ok && got == count * rl) return true;
    if (!failed(fail::read(path(), ok ? os::kIoFailed : file_.error()))) return false;
  }
}

bool Table::scan(std::uint32_t first, std::uint32_t last,
                 const std::function<bool(std::uint32_t recno, std::uint32_t count, const char* recs)>& fn) {
  if (first < 1) first = 1;
  if (last > lastRec_) last = lastRec_;
  if (first > last) return true;
  flushRecord();
  if (!flushWrites()) return false;
  mapWritten();
  const auto rl = static_cast<std::size_t>(recLen_);
  const auto per = static_cast<std::uint32_t>(std::max<std::size_t>(1, kScanRun / rl));
  std::string run(std::min<std::uint64_t>(per, last - first + 1) * rl, '\0');
  for (std::uint32_t n = first; n <= last;) {
    const std::uint32_t c = std::min(per, last - n + 1);
    if (!readRun(n, c, run.data())) return false;
    if (!fn(n, c, run.data())) return false;
    n += c;
  }
  return true;
}

bool Table::scanParallel(
    std::uint32_t first, std::uint32_t last,
    const std::function<bool(std::uint32_t recno, std::uint32_t count, const char* recs)>& fn) {
  if (first < 1) first = 1;
  if (last > lastRec_) last = lastRec_;
  if (first > last) return true;
  const auto rl = static_cast<std::size_t>(recLen_);
  const std::uint64_t total = static_cast<std::uint64_t>(last - first + 1) * rl;
  const unsigned threads = workThreads();
  if (threads < 2 || total < 4 * kScanRun) return scan(first, last, fn);
  flushRecord();
  if (!flushWrites()) return false;
  mapWritten();
  // Smaller runs than a scan's: the buffers of all threads are alive at once.
  const auto per = static_cast<std::uint32_t>(std::max<std::size_t>(1, kScanRun / 4 / rl));
  const std::size_t runBytes = static_cast<std::size_t>(per) * rl;
  std::unique_ptr<char[]> runs(new char[runBytes * threads]);
  const std::uint32_t n = last - first + 1;
  std::vector<std::uint32_t> from(threads + 1), failedAt(threads, 0);
  for (unsigned t = 0; t <= threads; ++t)
    from[t] = first + static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) * t / threads);
  std::atomic<bool> stop{false};
  auto work = [&](unsigned t) {
    char* const run = runs.get() + runBytes * t;
    for (std::uint32_t r = from[t]; r < from[t + 1] && !stop;) {
      const std::uint32_t c = std::min(per, from[t + 1] - r);
      const std::uint64_t off = static_cast<std::uint64_t>(hdrLen_) + static_cast<std::uint64_t>(r - 1) * rl;
      if (!file_.readAll(off, run, c * rl)) {
        failedAt[t] = r;
        return;
      }
      if (!fn(r, c, run)) {
        stop = true;
        return;
      }
      r += c;
    }
  };
  onThreads(threads, work);
  if (stop) return false;
  for (unsigned t = 0; t < threads; ++t)
    if (failedAt[t] && !scan(failedAt[t], from[t + 1] - 1, fn)) return false;
  return true;
}

void copyRows(const char* rows, std::size_t rl, const std::uint32_t* recnos, std::size_t n, char* out) {
  constexpr std::size_t kAhead = 16;
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) {
      const char* a = rows + static_cast<std::size_t>(recnos[i + kAhead] - 1) * rl;
      __builtin_prefetch(a);
      __builtin_prefetch(a + 64);
    }
    std::memcpy(out + i * rl, rows + static_cast<std::size_t>(recnos[i] - 1) * rl, rl);
  }
}

std::shared_ptr<const os::View> Table::sharedRows(std::uint32_t& rows) {
  rows = 0;
  if (!os::kRenamesOpenFiles || !inFile()) return nullptr;
  mapWritten();
  if (!map_) return nullptr;
  rows = mappedRecs_;
  return file_.sharedView();
}

bool Table::gather(const std::uint32_t* recnos, std::size_t n, char* out) {
  mapWritten();  // rows appended since the view was made
  const auto rl = static_cast<std::size_t>(recLen_);
  bool mapped = map_ && inFile();
  for (std::size_t i = 0; mapped && i < n; ++i) mapped = recnos[i] >= 1 && recnos[i] <= mappedRecs_;
  if (!mapped) {
    for (std::size_t i = 0; i < n; ++i) {
      const char* r = peek(recnos[i]);
      if (!r) return false;
      std::memcpy(out + i * rl, r, rl);
    }
    return true;
  }
  // A few threads share the reads a piece at a time: one the system leaves
  // waiting (on a page of the file) holds up little.
  const char* const base = map_ + hdrLen_;
  constexpr std::size_t kPiece = 2048;
  const unsigned threads =
      static_cast<unsigned>(std::clamp<std::size_t>(n / (4 * kPiece), 1, std::min(workThreads(), 4u)));
  std::atomic<std::size_t> next{0};
  auto work = [&](unsigned) {
    for (;;) {
      const std::size_t from = next.fetch_add(kPiece, std::memory_order_relaxed);
      if (from >= n) return;
      const std::size_t c = std::min(n - from, kPiece);
      copyRows(base, rl, recnos + from, c, out + from * rl);
    }
  };
  if (threads < 2)
    work(0);
  else
    onThreads(threads, work);
  return true;
}

bool Table::rewrite(const std::function<bool(const char* rec)>& keep) {
  if (!keep) return rewriteEdited(nullptr);
  return rewriteEdited([&keep](char* rec) { return keep(rec); });
}

bool Table::rewriteEdited(const std::function<bool(char* rec)>& edit) {
  if (readOnly_) return false;
  // A copy written beside takes its place first: the new file is made of it.
  if (!commit(false) || !land()) return false;
  const auto rl = static_cast<std::size_t>(recLen_);
  const auto per = static_cast<std::uint32_t>(std::max<std::size_t>(1, kScanRun / rl));
  for (;;) {
    Replacement r;
    bool ok = r.begin(path(), true) && r.write(header_.data(), header_.size());
    std::uint32_t kept = 0;
    for (std::uint32_t n = 1; ok && edit && n <= lastRec_;) {
      // A run of records read whole, the kept ones moved together in place.
      const std::uint32_t c = std::min(per, lastRec_ - n + 1);
      char* run = r.append(c * rl);
      if (!run) {
        ok = false;
        break;
      }
      if (!readRun(n, c, run)) return false;
      char* out = run;
      for (std::uint32_t k = 0; k < c; ++k) {
        char* rec = run + k * rl;
        if (!edit(rec)) continue;
        if (out != rec) std::memmove(out, rec, rl);
        out += rl;
        ++kept;
      }
      r.drop(c * rl - static_cast<std::size_t>(out - run));
      n += c;
    }
    const char eof = 0x1A;
    std::string hdr = header_;
    stampDate(hdr);
    put32(hdr, 4, kept);
    ok = ok && r.write(&eof, 1) && r.writeAt(0, hdr.data(), 12);
    if (ok && finish(r)) {
      header_ = std::move(hdr);
      lastRec_ = fileRecs_ = kept;
      remap();
      cacheCount_ = wCount_ = 0;
      lastRead_ = 0;
      recNo_ = lastRec_ + 1;
      std::fill(rec_.begin(), rec_.end(), ' ');
      changed_ = isNew_ = modified_ = false;
      return true;
    }
    if (!failed(fail::write(path(), r.error()))) return false;
  }
}

}  // namespace rt::db
