// rt/db/workspace: the work areas and their commands (workspace.h), the
// Appender, the Walk and the fields that expressions read.
//
// For speed on large tables: an index key made only of text fields is cut
// from the raw records of a parallel scan, without its expression evaluated
// for each row; a walk or a step forward in index order asks early for a
// record some entries ahead (Table::prefetch), as the rows it reads lie far
// apart in the file; the Appender hands its rows to the table a megabyte at
// a time, one write for all of them instead of one a row.
#include "rt/db/workspace.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>

#include "rt/db/numtext.h"
#include "rt/db/sdf.h"
#include "rt/db/switch.h"
#include "rt/dos/dos.h"
#include "rt/text/cp860.h"

namespace fs = std::filesystem;

namespace rt::db {

namespace {

using text::sameNoCase;

// A work-area error that can be answered with its default.
err::Error areaError(int gen, const char* subSystem, int subCode, const char* what,
                     std::string_view name = {}) {
  err::Error e;
  e.genCode = gen;
  e.subSystem = subSystem;
  e.subCode = subCode;
  e.description = what;
  e.operation = text::upperAscii(name);
  e.canDefault = true;
  return e;
}

// The table whose open left the area unused, when there was one, is named,
// and the field that was to be read or written there.
err::Error notInUse(const fs::path& unopened, std::string_view field = {}) {
  err::Error e = areaError(err::kNoTable, "DBCMD", 2001, "Workarea not in use");
  if (!field.empty()) e.description += " for " + text::upperAscii(field);
  e.filename = unopened.string();
  return e;
}
err::Error noAlias(std::string_view alias) {
  return areaError(err::kNoAlias, "BASE", 1002, "Alias does not exist", alias);
}
err::Error noField(std::string_view name) {
  return areaError(err::kNoVariable, "BASE", 1003, "Variable does not exist", name);
}
err::Error dupAlias(std::string_view alias) {
  return areaError(err::kDupAlias, "DBCMD", 1011, "Alias already in use", alias);
}
err::Error noOrder() { return areaError(err::kNoOrder, "DBCMD", 2020, "Workarea not indexed"); }

void appendEntry(Entries& flat, const std::string& key, std::uint32_t recno) {
  const std::size_t at = flat.size();
  flat.resize(at + entrySize(key.size()));
  std::memcpy(flat.data() + at, key.data(), key.size());
  putEntryRecno(flat.data() + at, key.size(), recno);
}

bool standardType(char t) { return t == 'C' || t == 'N' || t == 'F' || t == 'D' || t == 'L'; }

}  // namespace

// --- Area: basics ---

Area::~Area() {
  err::ErrorSystem::Silence quiet(ws_.errors());
  close();
}

bool Area::ready(std::string_view field) {
  if (table_) return true;
  ws_.errors().raise(notInUse(unopened_, field));
  return false;
}

void Area::attach(std::unique_ptr<Table> t, std::string alias) {
  table_ = std::move(t);
  alias_ = std::move(alias);
  unopened_.clear();
  orders_.clear();
  controlling_ = 0;
  ++orderSerial_;
  found_ = false;
  goTop();
}

std::uint32_t Area::recNo() const { return table_ ? table_->recNo() : 0; }
std::uint32_t Area::lastRec() const { return table_ ? table_->lastRec() : 0; }
bool Area::deleted() const { return table_ && !table_->atPhantom() && table_->deleted(); }
int Area::fieldCount() const { return table_ ? static_cast<int>(table_->fields().size()) : 0; }
int Area::fieldPos(std::string_view name) const { return table_ ? table_->fieldIndex(name) : -1; }

Value Area::get(int field) {
  if (!ready()) return Value();
  if (field < 0 || field >= fieldCount()) {
    ws_.errors().raise(noField(std::to_string(field + 1)));
    return Value();
  }
  return table_->get(field);
}

Value Area::get(std::string_view name) {
  if (!ready(name)) return Value();
  const int i = table_->fieldIndex(name);
  if (i < 0) {
    ws_.errors().raise(noField(name));
    return Value();
  }
  return table_->get(i);
}

bool Area::put(int field, const Value& v) {
  if (!ready()) return false;
  if (field < 0 || field >= fieldCount()) {
    ws_.errors().raise(noField(std::to_string(field + 1)));
    return false;
  }
  return table_->put(field, v);
}

bool Area::put(std::string_view name, const Value& v) {
  if (!ready(name)) return false;
  const int i = table_->fieldIndex(name);
  if (i < 0) {
    ws_.errors().raise(noField(name));
    return false;
  }
  return put(i, v);
}

bool Area::putFrom(int field, Area& src, int srcField) {
  // An unused source or an unknown field: the error of its read, then the write.
  if (!src.used() || srcField < 0 || srcField >= src.fieldCount()) return put(field, src.get(srcField));
  if (!ready()) return false;
  if (field < 0 || field >= fieldCount()) {
    ws_.errors().raise(noField(std::to_string(field + 1)));
    return false;
  }
  return table_->putFrom(field, *src.table_, srcField);
}

bool Area::putFrom(Area& src, const std::vector<std::pair<int, int>>& fields) {
  bool ok = true;
  const auto in = [](int f, int n) { return f >= 0 && f < n; };
  const bool checked = used() && src.used() && std::all_of(fields.begin(), fields.end(), [&](const auto& p) {
                         return in(p.first, fieldCount()) && in(p.second, src.fieldCount());
                       });
  if (checked) return table_->putFrom(*src.table_, fields);
  for (const auto& [to, from] : fields) ok = putFrom(to, src, from) && ok;
  return ok;
}

// --- keys of the current record ---

bool Area::keyOf(Order& o, std::string& out) {
  if (!o.raw.empty()) {
    const char* rec = table_->record();
    out.clear();
    for (const auto& [off, w] : o.raw) out.append(rec + off, static_cast<std::size_t>(w));
    out.resize(static_cast<std::size_t>(o.index->keyType().size), ' ');
    return true;
  }
  Workspace::Current g(ws_, number_);
  const Value v = o.key();
  if (encodeKey(v, o.index->keyType(), out)) return true;
  ws_.errors().raise(fail::dataType(table_->path(), o.index->expression(), "the index key changed its type"));
  return false;
}

bool Area::flushHot() {
  if (!table_ || !table_->changed()) return true;
  if (!orders_.empty() && !table_->atPhantom()) {
    // The keys of the record as written now and, unless it is new, as it is
    // stored: where they differ, the record moves in that order.
    const std::uint32_t rec = table_->recNo();
    // The buffers of the last write are taken over (a key expression that
    // writes to this area again finds none and makes its own).
    std::vector<std::string> now = std::move(keysNow_), before = std::move(keysBefore_);
    std::vector<char> ok = std::move(keysOk_);
    now.resize(orders_.size());
    before.resize(orders_.size());
    ok.assign(orders_.size(), 0);
    for (std::size_t i = 0; i < orders_.size(); ++i) ok[i] = keyOf(orders_[i], now[i]);
    const bool isNew = table_->isNew();
    bool stored = false;
    if (!isNew) {
      std::string old = std::move(stored_);
      old.assign(static_cast<std::size_t>(table_->recordLength()), ' ');
      if (table_->storedRecord(old.data())) {
        stored = true;
        table_->swapRecord(old);
        for (std::size_t i = 0; i < orders_.size(); ++i) {
          before[i].clear();
          keyOf(orders_[i], before[i]);
        }
        table_->swapRecord(old);
        stored_ = std::move(old);
      }
    }
    for (std::size_t i = 0; i < orders_.size(); ++i) {
      Order& o = orders_[i];
      if (!ok[i]) continue;
      if (isNew) {
        o.index->keys().insert(now[i], rec);
        o.index->markChanged();
      } else if (stored && now[i] != before[i]) {
        o.index->keys().erase(before[i], rec);
        o.index->keys().insert(now[i], rec);
        o.index->markChanged();
      }
    }
    keysNow_ = std::move(now);
    keysBefore_ = std::move(before);
    keysOk_ = std::move(ok);
  }
  return table_->flushRecord();
}

// --- navigation ---

bool Area::visible() { return !ws_.settings().deleted || !table_->deleted(); }

void Area::toEof() {
  table_->load(table_->lastRec() + 1);
  eof_ = true;
}

void Area::settle(const KeyStore::Pos& p) {
  const KeyStore& ks = orders_[static_cast<std::size_t>(controlling_ - 1)].index->keys();
  pos_ = p;
  posVersion_ = ks.version();
  posRec_ = ks.recno(p);
  eof_ = false;
}

KeyStore::Pos Area::currentPos() {
  Order& o = orders_[static_cast<std::size_t>(controlling_ - 1)];
  const KeyStore& ks = o.index->keys();
  const std::uint32_t rec = table_->recNo();
  if (posVersion_ == ks.version() && posRec_ == rec && !ks.atEnd(pos_) && ks.recno(pos_) == rec) return pos_;
  std::string k;
  if (!keyOf(o, k)) return ks.end();
  KeyStore::Pos p = ks.find(k, rec);
  if (ks.atEnd(p)) p = ks.lowerBound(k);
  return p;
}

bool Area::stepNatural(bool forward) {
  std::uint32_t r = table_->recNo();
  for (;;) {
    if (forward) {
      if (r >= table_->lastRec()) return false;
      ++r;
    } else {
      if (r <= 1) return false;
      r = std::min(r - 1, table_->lastRec());
    }
    if (!table_->load(r)) return false;
    if (visible()) {
      eof_ = false;
      return true;
    }
  }
}

bool Area::stepOrder(bool forward) {
  const KeyStore& ks = orders_[static_cast<std::size_t>(controlling_ - 1)].index->keys();
  KeyStore::Pos p = currentPos();
  for (;;) {
    if (forward) {
      ks.next(p);
      if (ks.atEnd(p)) return false;
      // A walk in index order reads the table out of record order.
      const KeyStore::Pos a = ks.ahead(p, 8);
      if (!ks.atEnd(a)) table_->prefetch(ks.recno(a));
    } else if (!ks.prev(p)) {
      return false;
    }
    if (!table_->load(ks.recno(p))) return false;
    if (visible()) {
      settle(p);
      return true;
    }
  }
}

bool Area::goTop() { return goEnd(true); }

bool Area::goBottom() { return goEnd(false); }

bool Area::goEnd(bool top) {
  if (!ready()) return false;
  flushHot();
  found_ = false;
  bof_ = false;
  if (controlling_) {
    const KeyStore& ks = orders_[static_cast<std::size_t>(controlling_ - 1)].index->keys();
    // From the bottom the first step comes before the first entry: end() is past the last.
    KeyStore::Pos p = top ? ks.begin() : ks.end();
    while (top ? !ks.atEnd(p) : ks.prev(p)) {
      if (!table_->load(ks.recno(p))) break;
      if (visible()) {
        settle(p);
        return true;
      }
      if (top) ks.next(p);
    }
  } else {
    const std::uint32_t n = table_->lastRec();
    for (std::uint32_t k = 0; k < n; ++k) {
      if (!table_->load(top ? k + 1 : n - k)) break;
      if (visible()) {
        eof_ = false;
        return true;
      }
    }
  }
  toEof();
  bof_ = true;
  return true;
}

bool Area::goTo(std::uint32_t recno) {
  if (!ready()) return false;
  flushHot();
  found_ = false;
  bof_ = false;
  if (recno >= 1 && recno <= table_->lastRec() && table_->load(recno)) {
    eof_ = false;
    return true;
  }
  toEof();
  return true;
}

bool Area::skip(long n) {
  if (!ready()) return false;
  flushHot();
  found_ = false;
  if (n > 0) {
    bof_ = false;
    for (long i = 0; i < n && !eof_; ++i)
      if (!(controlling_ ? stepOrder(true) : stepNatural(true))) toEof();
  } else {
    for (long i = 0; i < -n; ++i) {
      if (eof_) {
        goBottom();
        if (eof_) break;  // nothing visible: EOF and BOF
        continue;
      }
      if (!(controlling_ ? stepOrder(false) : stepNatural(false))) {
        goTop();
        bof_ = true;
        break;
      }
    }
  }
  return true;
}

bool Area::seek(const Value& v) { return seek(v, ws_.settings().softSeek); }

bool Area::seek(const Value& v, bool soft) {
  if (!ready()) return false;
  flushHot();
  found_ = false;
  bof_ = false;
  if (!controlling_) {
    ws_.errors().raise(noOrder());
    return false;
  }
  Order& o = orders_[static_cast<std::size_t>(controlling_ - 1)];
  const KeyType& kt = o.index->keyType();
  std::string want;
  if (kt.type == 'C' && v.isString()) {
    want.assign(v.string(), 0, std::min(v.string().size(), static_cast<std::size_t>(kt.size)));
  } else if (!encodeKey(v, kt, want)) {
    ws_.errors().raise(fail::dataType(table_->path(), o.index->expression(),
                                      "the value sought has another type than the key"));
    toEof();
    return false;
  }
  const KeyStore& ks = o.index->keys();
  KeyStore::Pos p = ks.lowerBound(want);
  for (; !ks.atEnd(p); ks.next(p)) {
    if (!table_->load(ks.recno(p))) break;
    if (visible()) break;
  }
  if (!ks.atEnd(p) && table_->recNo() == ks.recno(p)) {
    found_ = ks.key(p).substr(0, want.size()) == want;
    if (found_ || soft) {
      settle(p);
      return found_;
    }
  }
  toEof();
  return false;
}

// --- records ---

bool Area::appendBlank() {
  if (!ready()) return false;
  flushHot();
  found_ = false;
  if (!table_->appendBlank()) return false;
  eof_ = bof_ = false;
  return true;
}

bool Area::deleteRecord() {
  if (!ready()) return false;
  table_->setDeleted(true);
  return true;
}

bool Area::recall() {
  if (!ready()) return false;
  table_->setDeleted(false);
  return true;
}

bool Area::commitTable() {
  const std::uint64_t reverts = table_->reverts();
  const bool ok = table_->commit(true);
  if (table_->reverts() == reverts) return ok;
  reopenOrders();
  return false;
}

void Area::reopenOrders() {
  // The keys held may stand for rows the file never got.
  std::vector<Order> kept;
  int controlling = 0;
  for (std::size_t i = 0; i < orders_.size(); ++i) {
    Order& o = orders_[i];
    const fs::path p = o.index->path();
    const KeyType kt = o.index->keyType();
    o.index.reset();  // closed unwritten
    if (!table_->readable()) continue;
    o.index = Index::open(p, table_->lastRec(), ws_.errors(), ws_.switch_);
    if (!o.index) continue;
    o.index->setKeyType(kt);
    if (controlling_ == static_cast<int>(i) + 1) controlling = static_cast<int>(kept.size()) + 1;
    kept.push_back(std::move(o));
  }
  orders_ = std::move(kept);
  controlling_ = controlling;
  ++orderSerial_;
  posVersion_ = ~0ull;
  found_ = false;
  toEof();
}

bool Area::commit() {
  if (!ready()) return false;
  bool ok = flushHot();
  ok = commitTable() && ok;
  for (Order& o : orders_) ok = o.index->flush() && ok;
  return ok;
}

bool Area::close() {
  unopened_.clear();
  if (!table_) return true;
  bool ok = flushHot();
  ok = commitTable() && ok;
  for (Order& o : orders_) ok = o.index->close() && ok;
  orders_.clear();
  controlling_ = 0;
  ++orderSerial_;
  ok = table_->close() && ok;
  table_.reset();
  alias_.clear();
  eof_ = bof_ = true;
  found_ = false;
  posVersion_ = ~0ull;
  return ok;
}

bool Area::reindex() {
  bool ok = true;
  for (Order& o : orders_) {
    Entries flat;
    if (!buildEntries(o.key, o.raw, o.index->keyType(), flat)) {
      ok = false;
      continue;
    }
    sortEntries(flat, entrySize(static_cast<std::size_t>(o.index->keyType().size)));
    ok = o.index->replaceAll(std::move(flat)) && ok;
  }
  posVersion_ = ~0ull;
  return ok;
}

int Row::pos(std::string_view field) {
  // Each row asks for its fields in the same order as the one before: the
  // name after the last one found comes first.
  const std::size_t n = known_.size();
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t i = next_ + k < n ? next_ + k : next_ + k - n;
    if (known_[i].first == field) {
      next_ = i + 1 < n ? i + 1 : 0;
      return known_[i].second;
    }
  }
  known_.emplace_back(std::string(field), t_.fieldIndex(field));
  next_ = 0;
  return known_.back().second;
}

std::string_view Row::raw(std::string_view field) { return raw(pos(field)); }

bool Row::put(std::string_view field, const Value& v) { return put(pos(field), v); }

std::string_view Row::raw(int p) {
  if (p < 0 || p >= static_cast<int>(t_.fields().size())) return {};
  const Field& f = t_.fields()[static_cast<std::size_t>(p)];
  return {rec_ + f.offset, static_cast<std::size_t>(f.width)};
}

Value Row::get(std::string_view field) {
  const int p = pos(field);
  return p < 0 ? Value() : t_.get(p, rec_);
}

bool Row::put(int p, const Value& v) {
  return p >= 0 && p < static_cast<int>(t_.fields().size()) && t_.encode(p, v, rec_) == Table::Encoded::Ok;
}

bool Area::rewrite(const std::function<bool(Row& row)>& edit) {
  if (!ready()) return false;
  flushHot();
  Row row(*table_);
  bool ok = table_->rewriteEdited([&](char* rec) {
    row.rec_ = rec;
    return edit(row);
  });
  if (ok && !orders_.empty()) ok = reindex();
  goTop();
  return ok;
}

bool Area::pack() {
  if (!ready()) return false;
  flushHot();
  if (!table_->rewrite([](const char* rec) { return rec[0] != '*'; })) return false;
  const bool ok = reindex();
  goTop();
  return ok;
}

bool Area::zap() {
  if (!ready()) return false;
  flushHot();
  if (!table_->rewrite(nullptr)) return false;
  const bool ok = reindex();
  goTop();
  return ok;
}

// --- orders ---

Area::Key Area::compileKey(std::string_view keyText) {
  std::optional<expr::Expr> e = expr::Expr::compile(keyText, ws_.errors());
  if (!e) return {};
  auto shared = std::make_shared<expr::Expr>(std::move(*e));
  {
    Workspace::Current g(ws_, number_);
    shared->bind(ws_.env());
  }
  Workspace* ws = &ws_;
  return {[shared, ws]() { return shared->eval(ws->env()); }, rawKey(*shared)};
}

bool Area::firstKeyType(const KeyFn& key, KeyType& kt) {
  Value v;
  {
    Workspace::Current g(ws_, number_);
    v = key();
  }
  if (keyTypeOf(v, kt)) return true;
  ws_.errors().raise(fail::dataType(table_->path(), "index key", "the key expression gives no valid key"));
  return false;
}

bool Area::buildEntries(const KeyFn& key, const RawKey& raw, const KeyType& kt, Entries& flat) {
  const std::uint32_t n = table_->lastRec();
  const auto size = static_cast<std::size_t>(kt.size);
  flat.resize(0);
  const std::size_t stride = entrySize(size);
  flat.reserve(static_cast<std::size_t>(n) * stride);
  if (!raw.empty()) {
    // Read from the file in runs; each entry is written in its place (the
    // buffer's pages are first touched there, on several threads).
    flushHot();
    const auto rl = static_cast<std::size_t>(table_->recordLength());
    adviseLarge(flat.data(), static_cast<std::size_t>(n) * stride);
    flat.resize(static_cast<std::size_t>(n) * stride);
    char* const base = flat.data();
    return table_->scanParallel(1, n, [&](std::uint32_t first, std::uint32_t count, const char* recs) {
      char* e = base + static_cast<std::size_t>(first - 1) * stride;
      for (std::uint32_t k = 0; k < count; ++k, e += stride, recs += rl) {
        std::size_t at = 0;
        for (const auto& [off, w] : raw) {
          const std::size_t take = std::min(static_cast<std::size_t>(w), size - at);
          std::memcpy(e + at, recs + off, take);
          at += take;
        }
        std::memset(e + at, ' ', size - at);
        putEntryRecno(e, size, first + k);
      }
      return true;
    });
  }
  Workspace::Current g(ws_, number_);
  std::string k;
  for (std::uint32_t r = 1; r <= n; ++r) {
    if (!table_->load(r)) return false;
    if (!encodeKey(key(), kt, k)) {
      ws_.errors().raise(fail::dataType(table_->path(), "index key", "the key expression changed its type"));
      return false;
    }
    appendEntry(flat, k, r);
  }
  return true;
}

Area::RawKey Area::rawKey(const expr::Expr& e) const {
  const std::optional<std::vector<expr::KeyPart>> parts = e.keyParts();
  if (!parts) return {};
  RawKey raw;
  int total = 0;
  for (const expr::KeyPart& k : *parts) {
    // A name of this area: under its alias, FIELD->, or bare.
    if (!k.alias.empty() && !sameNoCase(k.alias, alias_) && !sameNoCase(k.alias, "FIELD") &&
        !sameNoCase(k.alias, "_FIELD"))
      return {};
    if (sameNoCase(k.alias, "M") || sameNoCase(k.alias, "MEMVAR")) return {};
    const int i = table_->fieldIndex(k.name);
    if (i < 0) return {};
    const Field& f = table_->fields()[static_cast<std::size_t>(i)];
    if (f.type != 'C') return {};
    const int width = k.take < 0 ? f.width : std::min(k.take, f.width);
    raw.emplace_back(f.offset, width);
    total += width;
  }
  if (total > 256) return {};
  return raw;
}

bool Area::indexOn(std::string_view keyText, std::string_view file) {
  if (!ready()) return false;
  Key key = compileKey(keyText);
  if (!key.fn) return false;
  return createIndex(keyText, std::move(key.fn), std::move(key.raw), file);
}

bool Area::indexOn(std::string_view keyText, KeyFn key, std::string_view file) {
  if (!ready()) return false;
  return createIndex(keyText, std::move(key), {}, file);
}

bool Area::createIndex(std::string_view keyText, KeyFn key, RawKey raw, std::string_view file) {
  const std::optional<fs::path> p =
      ws_.resolveOrRaise(file, ".NTX", fail::create(std::string(file), os::kNotReady, 1006));
  if (!p) return false;
  flushHot();
  orderListClear();
  if (table_->lastRec() > 0) table_->load(1);
  KeyType kt;
  if (!firstKeyType(key, kt)) return false;
  Entries flat;
  if (!buildEntries(key, raw, kt, flat)) return false;
  sortEntries(flat, entrySize(static_cast<std::size_t>(kt.size)));
  std::unique_ptr<Index> ix =
      Index::create(*p, std::string(keyText), kt, std::move(flat), ws_.errors(), ws_.switch_);
  if (!ix) {
    goTop();
    return false;
  }
  orders_.push_back({std::move(ix), std::move(key), std::move(raw)});
  controlling_ = 1;
  ++orderSerial_;
  goTop();
  return true;
}

bool Area::orderListAdd(std::string_view file) {
  if (!ready()) return false;
  return addIndex(file, {}, true);
}

bool Area::orderListAdd(std::string_view file, KeyFn key) {
  if (!ready()) return false;
  return addIndex(file, std::move(key), false);
}

bool Area::addIndex(std::string_view file, KeyFn key, bool compiled) {
  const std::optional<fs::path> p =
      ws_.resolveOrRaise(file, ".NTX", fail::open(std::string(file), os::kNotReady, 1003));
  if (!p) return false;
  flushHot();
  std::unique_ptr<Index> ix = Index::open(*p, table_->lastRec(), ws_.errors(), ws_.switch_);
  if (!ix) return false;
  RawKey raw;
  if (compiled) {
    // The key text is in the file.
    Key k = compileKey(ix->expression());
    if (!k.fn) return false;
    key = std::move(k.fn);
    raw = std::move(k.raw);
  }
  KeyType kt;
  if (!firstKeyType(key, kt)) return false;
  kt.size = ix->keyType().size;
  kt.decimals = ix->keyType().decimals;
  ix->setKeyType(kt);
  orders_.push_back({std::move(ix), std::move(key), std::move(raw)});
  if (!controlling_) {
    controlling_ = static_cast<int>(orders_.size());
    ++orderSerial_;
    goTop();
  }
  return true;
}

void Area::orderListClear() {
  if (!table_) return;
  flushHot();
  for (Order& o : orders_) o.index->close();
  orders_.clear();
  controlling_ = 0;
  ++orderSerial_;
  posVersion_ = ~0ull;
}

bool Area::setOrder(int n) {
  if (!ready()) return false;
  if (n < 0 || n > orderCount()) return false;
  flushHot();
  controlling_ = n;
  ++orderSerial_;
  posVersion_ = ~0ull;
  return true;
}

std::string Area::indexKey(int n) const {
  if (n < 0) n = controlling_;
  if (n < 1 || n > static_cast<int>(orders_.size())) return {};
  return orders_[static_cast<std::size_t>(n - 1)].index->expression();
}

const Index* Area::index(int n) const {
  if (n < 1 || n > static_cast<int>(orders_.size())) return nullptr;
  return orders_[static_cast<std::size_t>(n - 1)].index.get();
}

// --- transfers ---

bool Area::copyTo(std::string_view file) {
  if (!ready()) return false;
  const std::optional<fs::path> p =
      ws_.resolveOrRaise(file, ".DBF", fail::create(std::string(file), os::kNotReady));
  if (!p) return false;
  flushHot();
  const auto rl = static_cast<std::size_t>(table_->recordLength());
  for (;;) {
    Replacement r;
    std::string hdr = Table::makeHeader(table_->structure(), 0);
    bool began = r.begin(*p);
    bool ok = began && r.write(hdr.data(), hdr.size());
    std::uint32_t count = 0;
    if (ok) {
      for (goTop(); ok && !eof_; skip(1)) {
        ok = r.write(table_->record(), rl);
        ++count;
      }
    }
    const char eof = 0x1A;
    char cnt[4] = {static_cast<char>(count & 0xFF), static_cast<char>((count >> 8) & 0xFF),
                   static_cast<char>((count >> 16) & 0xFF), static_cast<char>(count >> 24)};
    ok = ok && r.write(&eof, 1) && r.writeAt(4, cnt, 4) && (ws_.switch_ ? ws_.switch_->stage(r) : r.commit());
    if (ok) return true;
    const err::Error e = began ? fail::write(*p, r.error()) : fail::create(*p, r.error());
    if (!err::retry(ws_.errors(), e)) return false;
  }
}

bool Area::appendFrom(std::string_view file) {
  if (!ready()) return false;
  const std::optional<fs::path> p =
      ws_.resolveOrRaise(file, ".DBF", fail::open(std::string(file), os::kNotReady));
  if (!p) return false;
  flushHot();
  std::unique_ptr<Table> src = Table::open(*p, ws_.errors(), Table::Access::SharedRead, ws_.staged(*p));
  if (!src) return false;
  const std::vector<Field>& tf = table_->fields();
  const std::vector<Field>& sf = src->fields();
  bool same = tf.size() == sf.size();
  std::vector<int> from(tf.size(), -1);
  // Fields of the standard types only: carried as putFrom() carries them.
  std::vector<std::pair<int, int>> carried;
  bool standard = true;
  for (std::size_t i = 0; i < tf.size(); ++i) {
    from[i] = src->fieldIndex(tf[i].name);
    if (same && !(sameNoCase(tf[i].name, sf[i].name) && tf[i].type == sf[i].type &&
                  tf[i].width == sf[i].width && tf[i].decimals == sf[i].decimals))
      same = false;
    if (from[i] < 0) continue;
    if (standardType(tf[i].type) && standardType(sf[static_cast<std::size_t>(from[i])].type))
      carried.emplace_back(static_cast<int>(i), from[i]);
    else
      standard = false;
  }
  bool ok = true;
  for (std::uint32_t r = 1; r <= src->lastRec(); ++r) {
    if (!src->load(r)) {
      ok = false;
      break;
    }
    if (ws_.settings().deleted && src->deleted()) continue;
    if (!appendBlank()) {
      ok = false;
      break;
    }
    if (same) {
      table_->setRecord(src->record());
    } else if (standard) {
      table_->putFrom(*src, carried);
      if (src->deleted()) table_->setDeleted(true);
    } else {
      for (std::size_t i = 0; i < tf.size(); ++i) {
        const int j = from[i];
        if (j < 0) continue;
        const Field& s = sf[static_cast<std::size_t>(j)];
        if (tf[i].type == 'C' && s.type == 'C') {
          table_->putRaw(static_cast<int>(i), src->raw(j));
        } else if (standardType(tf[i].type) && standardType(s.type)) {
          put(static_cast<int>(i), src->get(j));
        } else if (tf[i].type == s.type) {
          table_->putRaw(static_cast<int>(i), src->raw(j));
        } else {
          ws_.errors().raise(fail::dataType(table_->path(), tf[i].name));
        }
      }
      if (src->deleted()) table_->setDeleted(true);
    }
    flushHot();
  }
  return ok;
}

bool Area::appendSdf(std::string_view file) { return appendSdf(file, nullptr); }

bool Area::appendSdf(std::string_view file, const std::function<bool(Row& row)>& keep) {
  if (!ready()) return false;
  const std::optional<fs::path> p =
      ws_.resolveOrRaise(file, ".TXT", fail::open(std::string(file), os::kNotReady));
  if (!p) return false;
  flushHot();
  File in;
  while (!in.open(*p, File::Mode::Read, File::Lock::None)) {
    if (!err::retry(ws_.errors(), fail::open(*p, in.error()))) return false;
  }
  Table& t = *table_;
  LineReader lines(in, static_cast<std::size_t>(t.recordLength()) - 1);
  Appender rows(*this);
  Row row(t);
  bool ok = true, any = false, lastKept = false;
  for (;;) {
    std::string_view line;
    const LineReader::Got got = lines.next(line);
    if (got == LineReader::Got::End) break;
    if (got == LineReader::Got::Failed) {
      if (err::retry(ws_.errors(), fail::read(*p, in.error()))) continue;
      ok = false;
      break;
    }
    if (!rows.add()) {
      ok = false;
      break;
    }
    any = true;
    sdfRecord(t, line, rows.row());
    row.rec_ = rows.row();
    lastKept = !keep || keep(row);
    if (!lastKept) rows.drop();
  }
  ok = rows.finish() && ok;
  // The last row appended is current, none when the last line was left out.
  if (any && !lastKept) toEof();
  return ok;
}

// --- Appender ---

namespace {
constexpr std::size_t kBatch = 1 << 20;  // bytes of rows written at once
}  // namespace

Appender::Appender(Area& a) : a_(a) {}

bool Appender::add() {
  if (!a_.ready() || !ok_) return false;
  Table& t = *a_.table_;
  if (!begun_) {
    a_.flushHot();
    len_ = static_cast<std::size_t>(t.recordLength());
    before_ = t.lastRec();
    serial_ = t.serial();
    begun_ = true;
  } else if (t.serial() != serial_) {
    rows_.clear();  // another table is open there now
    ok_ = false;
    return false;
  }
  if (!rows_.empty() && rows_.size() + len_ > kBatch && !write()) return false;
  rows_.append(len_, ' ');
  return true;
}

bool Appender::field(int field) {
  if (rows_.empty() || !a_.table_ || a_.table_->serial() != serial_) return false;
  if (field < 0 || field >= a_.fieldCount()) {
    a_.ws_.errors().raise(noField(std::to_string(field + 1)));
    return false;
  }
  return true;
}

void Appender::text(int field, std::string_view s) {
  if (!this->field(field)) return;
  const Field& f = a_.table_->fields()[static_cast<std::size_t>(field)];
  if (f.type != 'C') {
    put(field, Value(std::string(s)));
    return;
  }
  char* dst = row() + f.offset;
  const auto w = static_cast<std::size_t>(f.width);
  const std::size_t n = std::min(w, s.size());
  if (n) std::memcpy(dst, s.data(), n);
  std::memset(dst + n, ' ', w - n);
}

bool Appender::put(int field, const Value& v) {
  return this->field(field) && a_.table_->encode(field, v, row()) == Table::Encoded::Ok;
}

bool Appender::write() {
  if (rows_.empty()) return ok_;
  Table* t = a_.table_.get();
  const bool ok = t && t->serial() == serial_ &&
                  t->appendRecords(rows_.data(), static_cast<std::uint32_t>(rows_.size() / len_));
  rows_.clear();
  if (!ok) ok_ = false;
  return ok;
}

bool Appender::finish() {
  if (!begun_) return ok_;
  bool ok = write();
  begun_ = false;
  Table* t = a_.table_.get();
  if (!t || t->serial() != serial_ || t->lastRec() == before_) return ok;
  ok = a_.indexAppended(before_) && ok;
  a_.found_ = a_.bof_ = false;
  a_.eof_ = !t->load(t->lastRec());
  return ok;
}

bool Area::indexAppended(std::uint32_t before) {
  for (std::uint32_t r = before + 1; !orders_.empty() && r <= table_->lastRec(); ++r) {
    if (!table_->load(r)) return false;
    for (Order& o : orders_) {
      std::string k;
      if (!keyOf(o, k)) continue;
      o.index->keys().insert(k, r);
      o.index->markChanged();
    }
  }
  return true;
}

// --- Walk ---

Walk::Walk(Area& a) : a_(a) {
  if (!a.ready()) return;
  a.flushHot();
  t_ = a.table_.get();
  serial_ = t_->serial();
  orders_ = a.orderSerial_;
  if (a.controlling_) {
    keys_ = &a.orders_[static_cast<std::size_t>(a.controlling_ - 1)].index->keys();
    version_ = keys_->version();
    pos_ = keys_->begin();
  } else {
    recno_ = 1;
  }
  settle();
}

Walk::~Walk() { dropNext(); }

namespace {
// The rows of a batch: enough that the reads of many overlap.
std::size_t batchRows(std::size_t rl) { return std::max<std::size_t>(1, (std::size_t{4} << 20) / rl); }
}  // namespace

bool Walk::gather() {
  const auto rl = static_cast<std::size_t>(t_->recordLength());
  const std::size_t most = batchRows(rl);
  if (!ahead_) {
    ahead_.reset(new char[most * rl]);
    aheadRecs_.reserve(most);
  }
  at_ = count_ = 0;
  if (next_.read.valid()) {
    dropNext();
    if (next_.from == pos_ && next_.edits == t_->edits() && next_.version == keys_->version()) {
      std::swap(ahead_, next_.rows);
      std::swap(aheadRecs_, next_.recs);
      after_ = next_.after;
      edits_ = next_.edits;
      count_ = aheadRecs_.size();
      readNext();
      return true;
    }
  }
  aheadRecs_.clear();
  KeyStore::Pos p = pos_;
  for (; aheadRecs_.size() < most && !keys_->atEnd(p); keys_->next(p)) aheadRecs_.push_back(keys_->recno(p));
  after_ = p;
  edits_ = t_->edits();
  if (!t_->gather(aheadRecs_.data(), aheadRecs_.size(), ahead_.get())) return false;
  count_ = aheadRecs_.size();
  readNext();
  return true;
}

void Walk::readNext() {
  // Rows waiting to be written are read as the walk reaches them.
  if (keys_->atEnd(after_) || !t_->inFile()) return;
  if (!viewTried_) {
    viewTried_ = true;
    view_ = t_->sharedRows(viewRows_);
  }
  if (!view_) return;
  const auto rl = static_cast<std::size_t>(t_->recordLength());
  const std::size_t most = batchRows(rl);
  next_.recs.clear();
  next_.recs.reserve(most);
  KeyStore::Pos p = after_;
  for (; next_.recs.size() < most && !keys_->atEnd(p); keys_->next(p)) {
    const std::uint32_t r = keys_->recno(p);
    if (r < 1 || r > viewRows_) return;  // a row added since the view was made: read when reached
    next_.recs.push_back(r);
  }
  if (!next_.rows) next_.rows.reset(new char[most * rl]);
  next_.from = after_;
  next_.after = p;
  next_.edits = t_->edits();
  next_.version = keys_->version();
  const char* const rows = view_->data + t_->headerLength();
  try {
    next_.read = std::async(std::launch::async, [this, rows, rl] {
      copyRows(rows, rl, next_.recs.data(), next_.recs.size(), next_.rows.get());
    });
  } catch (const std::system_error&) {
    next_.read = {};  // read when reached
  }
}

void Walk::dropNext() {
  if (next_.read.valid()) next_.read.wait();
  next_.read = {};
}

void Walk::settle() {
  rec_ = nullptr;
  const bool hidden = a_.ws_.settings().deleted;
  if (keys_) {
    // In index order the rows lie apart: they are read ahead together.
    const auto rl = static_cast<std::size_t>(t_->recordLength());
    for (;;) {
      if (keys_->atEnd(pos_) || !intact()) return;
      if (at_ >= count_ || t_->edits() != edits_) {
        if (!gather() || count_ == 0 || !intact()) return;
      }
      recno_ = aheadRecs_[at_];
      const char* r = ahead_.get() + at_ * rl;
      if (!hidden || r[0] != '*') {
        rec_ = r;
        return;
      }
      keys_->next(pos_);
      ++at_;
    }
  }
  for (;;) {
    if (recno_ > t_->lastRec()) return;
    const char* r = t_->peek(recno_);
    if (!r || !intact()) return;
    if (!hidden || r[0] != '*') {
      // A copy: the row stays as read whatever the table does meanwhile.
      row_.assign(r, static_cast<std::size_t>(t_->recordLength()));
      rec_ = row_.data();
      return;
    }
    ++recno_;
  }
}

void Walk::step() {
  if (!rec_) return;
  if (!intact()) {
    rec_ = nullptr;
    return;
  }
  if (keys_) {
    keys_->next(pos_);
    ++at_;
  } else {
    ++recno_;
  }
  settle();
}

Value Walk::get(int field) const {
  if (!rec_ || !intact() || field < 0 || field >= static_cast<int>(t_->fields().size())) return Value();
  return t_->get(field, rec_);
}

double Walk::number(int field) const {
  const std::string_view r = raw(field);
  if (r.empty()) return 0;
  const char type = t_->fields()[static_cast<std::size_t>(field)].type;
  return type == 'N' || type == 'F' ? parseNumber(r) : 0;
}

// --- Lookup ---

bool Lookup::seek(std::string_view key, bool held) {
  found_ = false;
  rec_ = nullptr;
  answer_ = nullptr;
  fields_ = nullptr;
  if (!held) {
    stamp_ = {};
    keys_ = nullptr;
    if (a_.table_ && a_.table_->changed()) a_.flushHot();  // as a seek begins
    const Table* t = a_.table_.get();
    const Index* ix = t && a_.controlling_
                          ? a_.orders_[static_cast<std::size_t>(a_.controlling_ - 1)].index.get()
                          : nullptr;
    if (!ix || ix->keyType().type != 'C') {
      // Not a look-up of text: the seek answers and raises its errors, and
      // the row is read where it left the area.
      const bool hit = a_.seek(Value(std::string(key)), false);
      if (a_.table_) {
        fields_ = a_.table_.get();
        serial_ = fields_->serial();
        if (hit) {
          row_.assign(fields_->record(), static_cast<std::size_t>(fields_->recordLength()));
          rec_ = row_.data();
          found_ = true;
        }
      }
      return found_;
    }
    keys_ = &ix->keys();
    stamp_ = {t, t->serial(), t->edits(), a_.orderSerial_, keys_->version(), a_.ws_.settings().deleted};
    slot_.assign(t->fields().size(), -1);
    numbers_ = 0;
    for (std::size_t i = 0; i < slot_.size(); ++i)
      if (t->fields()[i].type == 'N' || t->fields()[i].type == 'F') slot_[i] = static_cast<int>(numbers_++);
    memo_ = KeyMemo(1 + static_cast<std::size_t>(t->recordLength()) + 9 * numbers_);
  }
  Table* t = a_.table_.get();
  fields_ = t;
  serial_ = stamp_.serial;
  const KeyStore& ks = *keys_;
  const std::string_view want = key.substr(0, std::min(key.size(), static_cast<std::size_t>(ks.keySize())));
  KeyStore::Pos p = ks.lowerBound(want);
  const char* r = nullptr;
  for (; !ks.atEnd(p); ks.next(p)) {
    r = t->peek(ks.recno(p));
    if (!r) return false;  // after its error; not remembered
    if (!stamp_.hidden || r[0] != '*') break;
  }
  const auto rl = static_cast<std::size_t>(t->recordLength());
  const bool found = !ks.atEnd(p) && ks.key(p).substr(0, want.size()) == want;
  char* m = memo_.put(want);
  m[0] = found ? 'Y' : 'N';
  std::memset(m + 1 + rl, 0, numbers_);
  if (found) std::memcpy(m + 1, r, rl);
  return answer(m);
}

std::string_view Lookup::blank(const Field& f) const {
  const auto rl = static_cast<std::size_t>(fields_->recordLength());
  if (blank_.size() != rl) blank_.assign(rl, ' ');
  return {blank_.data() + f.offset, static_cast<std::size_t>(f.width)};
}

Value Lookup::get(int field) {
  if (raw(field).empty()) return Value();  // the phantom's bytes made by raw()
  return a_.table_->get(field, rec_ ? rec_ : blank_.data());
}

double Lookup::number(int field) const {
  const std::string_view r = raw(field);
  if (r.empty()) return 0;
  const char type = fields_->fields()[static_cast<std::size_t>(field)].type;
  if (type != 'N' && type != 'F') return 0;
  if (!answer_ || !rec_) return parseNumber(r);
  // Read once for each remembered row.
  const auto k = static_cast<std::size_t>(slot_[static_cast<std::size_t>(field)]);
  char* const read = answer_ + 1 + fields_->recordLength();
  char* const value = read + numbers_ + 8 * k;
  double v;
  if (read[k]) {
    std::memcpy(&v, value, 8);
    return v;
  }
  v = parseNumber(r);
  std::memcpy(value, &v, 8);
  read[k] = 1;
  return v;
}

// --- FieldEnv ---

err::ErrorSystem& FieldEnv::errors() { return ws_.errors(); }

bool FieldEnv::exact() const { return ws_.settings().exact; }

std::optional<Value> FieldEnv::lookup(std::string_view alias, std::string_view name) {
  if (sameNoCase(alias, "M") || sameNoCase(alias, "MEMVAR"))
    return next_ ? next_->lookup(alias, name) : std::nullopt;
  if (alias.empty() || sameNoCase(alias, "FIELD") || sameNoCase(alias, "_FIELD")) {
    Area& a = ws_.current();
    const int i = a.fieldPos(name);
    if (i >= 0) return a.table()->get(i);
    if (alias.empty() && next_)
      if (std::optional<Value> v = next_->lookup(alias, name)) return v;
    // A name read where a table could not be opened: that table is named.
    if (alias.empty() && !a.used() && !a.unopened().empty()) {
      ws_.errors().raise(notInUse(a.unopened(), name));
      return Value();
    }
    return std::nullopt;
  }
  Area* a = ws_.find(alias);
  if (!a) {
    const err::Answer ans = ws_.errors().raise(noAlias(alias));
    if (ans.kind == err::Answer::Kind::Substitute) return Value::number(ans.value);
    return Value();
  }
  const int i = a->fieldPos(name);
  if (i < 0) return std::nullopt;
  return a->table()->get(i);
}

int FieldEnv::bind(std::string_view alias, std::string_view name) {
  Slot s;
  s.alias = text::upperAscii(alias);
  s.name = text::upperAscii(name);
  if (s.alias == "M" || s.alias == "MEMVAR") return -1;
  if (s.alias == "FIELD" || s.alias == "_FIELD") s.alias.clear();
  // Only names that are fields now get a slot; others keep the lookup.
  Area* a = s.alias.empty() ? &ws_.current() : ws_.find(s.alias);
  if (!a || !a->used() || a->fieldPos(s.name) < 0) return -1;
  slots_.push_back(std::move(s));
  return static_cast<int>(slots_.size() - 1);
}

Value FieldEnv::slot(int id) {
  Slot& s = slots_[static_cast<std::size_t>(id)];
  Area* a;
  if (s.alias.empty()) {
    a = &ws_.current();
  } else if (s.area && ws_.area(s.area).used() && ws_.area(s.area).table()->serial() == s.serial) {
    a = &ws_.area(s.area);
  } else {
    a = ws_.find(s.alias);
  }
  if (!a || !a->used()) {
    std::optional<Value> v = lookup(s.alias, s.name);
    return v ? *v : Value();
  }
  if (a->table()->serial() != s.serial || a->number() != s.area) {
    s.area = a->number();
    s.serial = a->table()->serial();
    s.field = a->fieldPos(s.name);
  }
  if (s.field < 0) {
    std::optional<Value> v = lookup(s.alias, s.name);
    if (v) return *v;
    ws_.errors().raise(noField(s.alias.empty() ? s.name : s.alias + "->" + s.name));
    return Value();
  }
  return a->table()->get(s.field);
}

std::optional<Value> FieldEnv::call(std::string_view name, std::vector<Value>& args) {
  return next_ ? next_->call(name, args) : std::nullopt;
}

// --- Workspace ---

Workspace::Workspace(err::ErrorSystem& es, const dos::Platform* platform)
    : es_(es), platform_(platform), env_(*this) {}

Workspace::~Workspace() {
  err::ErrorSystem::Silence quiet(es_);
  closeAll();
}

Area& Workspace::area(int n) {
  n = std::clamp(n, 1, kAreas);
  if (areas_.size() < static_cast<std::size_t>(n)) {
    for (int i = static_cast<int>(areas_.size()) + 1; i <= n; ++i)
      areas_.push_back(std::make_unique<Area>(*this, i));
  }
  return *areas_[static_cast<std::size_t>(n - 1)];
}

Area* Workspace::find(std::string_view alias) {
  for (auto& a : areas_)
    if (a->used() && sameNoCase(a->alias(), alias)) return a.get();
  return nullptr;
}

int Workspace::lowestFree() {
  for (int n = 1; n <= kAreas; ++n)
    if (!area(n).used()) return n;
  return kAreas;
}

bool Workspace::select(std::string_view alias) {
  if (Area* a = find(alias)) {
    current_ = a->number();
    return true;
  }
  es_.raise(noAlias(alias));
  return false;
}

void Workspace::select(int n) { current_ = n == 0 ? lowestFree() : std::clamp(n, 1, kAreas); }

void Workspace::closeAll() {
  for (auto& a : areas_) a->close();
  current_ = 1;
}

bool Workspace::commitAll() {
  bool ok = true;
  for (auto& a : areas_)
    if (a->used()) ok = a->commit() && ok;
  return ok;
}

std::optional<fs::path> Workspace::resolve(std::string_view name, std::string_view ext) const {
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  std::string n(name);
  const std::size_t cut = n.find_last_of("\\/:");
  const std::string_view last =
      cut == std::string::npos ? std::string_view(n) : std::string_view(n).substr(cut + 1);
  if (last.empty()) return std::nullopt;
  if (last.find('.') == std::string_view::npos) n += ext;
  if (platform_) return platform_->resolve(n);
  return fs::path(n);
}

std::optional<fs::path> Workspace::resolveOrRaise(std::string_view name, std::string_view ext,
                                                  const err::Error& missing) const {
  std::optional<fs::path> p;
  while (!(p = resolve(name, ext)))
    if (!err::retry(es_, missing)) break;
  return p;
}

bool Workspace::use(std::string_view file, std::string_view alias, bool newArea) {
  const std::optional<fs::path> p =
      resolveOrRaise(file, ".DBF", fail::open(std::string(file), os::kNotReady));
  if (!p) return false;
  const int n = newArea ? lowestFree() : current_;
  current_ = n;
  Area& a = area(n);
  a.close();
  std::string al = text::upperAscii(alias);
  if (al.empty()) {
    al = text::upperAscii(p->filename().string());
    al = al.substr(0, al.find('.'));
  }
  if (find(al)) {
    es_.raise(dupAlias(al));
    return false;
  }
  const fs::path staged = switch_ ? switch_->staged(*p) : fs::path();
  std::unique_ptr<Table> t = Table::open(*p, es_, Table::Access::Exclusive, staged);
  if (!t) {
    a.unopened_ = *p;
    return false;
  }
  if (switch_) t->stageIn(switch_, !staged.empty());
  a.attach(std::move(t), std::move(al));
  return true;
}

bool Workspace::create(std::string_view file, const std::vector<FieldSpec>& fields) {
  const std::optional<fs::path> p =
      resolveOrRaise(file, ".DBF", fail::create(std::string(file), os::kNotReady));
  if (!p) return false;
  return Table::create(*p, fields, es_, switch_);
}

fs::path Workspace::staged(const fs::path& p) const { return switch_ ? switch_->staged(p) : fs::path(); }

Workspace::Switched Workspace::switchOver() {
  Switched out;
  Switch* sw = switch_;
  if (!sw) {
    out.done = true;
    return out;
  }
  closeAll();
  switch_ = nullptr;
  while (!sw->commit()) {
    if (sw->blocked()) {
      sw->abandon();
      out.inTheWay = true;
      out.file = sw->failed();
      return out;
    }
    err::Error e = fail::write(sw->failed(), sw->error());
    // Half a switch is never left for a default: retried, or left whole to
    // the start-up.
    e.canDefault = !sw->journaled();
    if (!err::retry(es_, e)) {
      if (!sw->journaled()) {
        sw->abandon();
        out.file = sw->failed();
      }
      return out;
    }
  }
  out.done = true;
  return out;
}

void Workspace::leaveSwitch() {
  err::ErrorSystem::Silence quiet(es_);
  if (switch_) closeAll();
  switch_ = nullptr;
}

Switch::Recovery Workspace::recover(std::string_view journal, std::string_view lockFile,
                                    const SwitchNames& names) {
  Switch::Recovery out;
  const std::optional<fs::path> p = resolve(journal, ""), lock = resolve(lockFile, "");
  if (!p || !lock) return out;  // no such drive or folder: nothing to complete
  if (!lock_.takeAlone(*lock)) {
    out.outcome = Switch::Recovery::Outcome::Skipped;
    return out;
  }
  int e = 0;
  fs::path failed;
  while (!Switch::recover(*p, names, out, e, failed)) {
    err::Error x = fail::write(failed, e);
    x.canDefault = false;
    if (!err::retry(es_, x)) break;
  }
  lock_.share();
  return out;
}

}  // namespace rt::db
