// rt/db: the table layer. dBASE III tables (dbf.h) and NTX indexes (ntx.h),
// byte for byte as the classic driver writes them, over the files of rt/os
// (file.h); the work areas and the table commands the system uses (this
// file); files of one folder replaced together through a journal
// (switch.h); the fixed-width import (sdf.h). What it promises: every file it
// writes is written beside its target, synced and renamed over it, so that a
// run cut off at any point leaves each file as it was or as its last commit
// left it; whatever it reads back is checked first: a damaged table or index
// is refused with an error naming it, a journal that fails a check is set
// aside; every failure goes to the error system, and an operation answered
// Default leaves its table as it was.
//
// rt/db/workspace: work areas, their orders and the table commands.
//
// A Workspace holds the numbered work areas (1 to 250), the current one,
// and the settings DELETED, SOFTSEEK and EXACT. An Area is a table open
// under an alias with its NTX orders (one controlling or none), a position
// (EOF on the phantom record, BOF, FOUND) and the commands on it:
// navigation in the controlling order or in record order, seek with the
// prefix rule, field reads and writes, append, delete and recall, pack, zap,
// index creation, copy to a new table, append from a table (fields matched
// by name) or from a fixed-width text file. Every index of an area is kept
// current through appends and field writes; with DELETED on, rows marked
// deleted are invisible to navigation, seek, copy and append-from but still
// counted by lastRec().
//
// Names are DOS paths resolved through dos::Platform (or host paths when the
// workspace has none), with the default extension .DBF, .NTX or .TXT when
// the name has none. Failures go to the error system: an open that is
// answered Default leaves the area unused and returns false; fields of an
// unused area and unknown aliases raise errors.
//
// FieldEnv lets expressions read fields: ALIAS->FIELD and bare names in the
// current area, without regard to case; other names go to a next Env.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rt/db/dbf.h"
#include "rt/db/memo.h"
#include "rt/db/ntx.h"
#include "rt/db/switch.h"
#include "rt/err/error.h"
#include "rt/expr/expr.h"

namespace rt::dos {
class Platform;
}

namespace rt::db {

struct Settings {
  bool deleted = false;   // SET DELETED
  bool softSeek = false;  // SET SOFTSEEK
  bool exact = false;     // SET EXACT
};

// Gives the key of the current record of the area being indexed.
using KeyFn = std::function<Value()>;

class Workspace;

// A row of a table being rewritten (Area::rewrite): its fields read and
// written by name, without regard to case, with the formatting of
// Area::put. A name the table does not have reads empty and is not written.
class Row {
 public:
  bool deleted() const { return rec_[0] == '*'; }
  void setDeleted(bool on) { rec_[0] = on ? '*' : ' '; }
  std::string_view raw(std::string_view field);  // the stored characters
  Value get(std::string_view field);
  // False when the table has no such field or the value does not fit it
  // (the error was raised).
  bool put(std::string_view field, const Value& v);
  // The same by the field's position (Area::fieldPos); -1 is no field.
  std::string_view raw(int field);
  bool put(int field, const Value& v);

 private:
  friend class Area;
  explicit Row(Table& t) : t_(t) {}
  int pos(std::string_view field);

  Table& t_;
  char* rec_ = nullptr;
  std::vector<std::pair<std::string, int>> known_;  // names looked up
  std::size_t next_ = 0;                            // where the next name is looked for first
};

class Area {
 public:
  Area(Workspace& ws, int number) : ws_(ws), number_(number) {}
  ~Area();
  Area(const Area&) = delete;
  Area& operator=(const Area&) = delete;

  int number() const { return number_; }
  bool used() const { return table_ != nullptr; }
  // The table whose open left the area unused; empty when none did.
  const std::filesystem::path& unopened() const { return unopened_; }
  const std::string& alias() const { return alias_; }
  Table* table() { return table_.get(); }

  // Position.
  bool goTop();
  bool goBottom();
  bool goTo(std::uint32_t recno);
  bool skip(long n = 1);
  bool seek(const Value& v);             // with the SOFTSEEK setting
  bool seek(const Value& v, bool soft);  // true when found
  bool eof() const { return eof_; }
  bool bof() const { return bof_; }
  bool found() const { return found_; }
  std::uint32_t recNo() const;
  std::uint32_t lastRec() const;
  bool deleted() const;

  // Fields (0-based positions).
  int fieldCount() const;
  int fieldPos(std::string_view name) const;  // -1 when absent
  Value get(int field);
  Value get(std::string_view name);
  bool put(int field, const Value& v);
  bool put(std::string_view name, const Value& v);
  // put(field, src.get(srcField)), the field read without a value between;
  // the same for each (field, srcField) pair of a list, in its order.
  bool putFrom(int field, Area& src, int srcField);
  bool putFrom(Area& src, const std::vector<std::pair<int, int>>& fields);

  // Records.
  bool appendBlank();
  bool deleteRecord();
  bool recall();
  bool commit();
  // Replaces the table by one written whole beside it (or staged in the
  // workspace's switch): every row, deleted ones included, is handed to
  // edit in record order, which may change it and answers whether it
  // stays. The orders are rebuilt; the area stands on its first row.
  // Rows appended afterwards go to the new file.
  bool rewrite(const std::function<bool(Row& row)>& edit);
  bool pack();
  bool zap();
  bool close();

  // Orders. Creating an index replaces the file, closes the other orders,
  // makes it the only and controlling order and goes to its first row.
  bool indexOn(std::string_view keyText, std::string_view file);
  bool indexOn(std::string_view keyText, KeyFn key, std::string_view file);
  // Adds an index file to the order list; the first added to a list without
  // a controlling order controls and the area goes to its first row.
  bool orderListAdd(std::string_view file);
  bool orderListAdd(std::string_view file, KeyFn key);
  void orderListClear();
  bool setOrder(int n);  // 0: record order
  int order() const { return controlling_; }
  int orderCount() const { return static_cast<int>(orders_.size()); }
  std::string indexKey(int n = -1) const;  // -1: the controlling order
  const Index* index(int n) const;         // 1-based

  // Whole-table transfers.
  bool copyTo(std::string_view file);
  bool appendFrom(std::string_view file);
  bool appendSdf(std::string_view file);
  // The same, keeping only the rows that keep() accepts as made (their
  // fields read by name or position); the others are never appended.
  bool appendSdf(std::string_view file, const std::function<bool(Row& row)>& keep);

 private:
  friend class Workspace;
  friend class Appender;
  friend class Walk;
  friend class Lookup;
  // A key made only of text fields of this table, joined by "+", is read
  // straight from the record: (offset, width) of each field.
  using RawKey = std::vector<std::pair<int, int>>;
  struct Order {
    std::unique_ptr<Index> index;
    KeyFn key;
    RawKey raw;
  };

  bool ready(std::string_view field = {});  // raises "work area not in use" when unused
  void attach(std::unique_ptr<Table> t, std::string alias);
  bool flushHot();
  // The table's commit; when it sent the table back to its file, the
  // orders' keys are read again from their files, none written.
  bool commitTable();
  void reopenOrders();
  bool keyOf(Order& o, std::string& out);
  bool visible();
  void toEof();
  void settle(const KeyStore::Pos& p);
  bool goEnd(bool top);  // goTop() or goBottom()
  KeyStore::Pos currentPos();
  bool stepNatural(bool forward);
  bool stepOrder(bool forward);
  bool reindex();
  bool buildEntries(const KeyFn& key, const RawKey& raw, const KeyType& kt, Entries& flat);
  // The slices of a compiled key that joins text fields of this table;
  // empty for any other key.
  RawKey rawKey(const expr::Expr& key) const;
  struct Key {
    KeyFn fn;
    RawKey raw;
  };
  bool addIndex(std::string_view file, KeyFn key, bool compiled);
  bool createIndex(std::string_view keyText, KeyFn key, RawKey raw, std::string_view file);
  bool firstKeyType(const KeyFn& key, KeyType& kt);
  // The keys of the rows after `before`, appended without them, into every order.
  bool indexAppended(std::uint32_t before);
  Key compileKey(std::string_view keyText);

  Workspace& ws_;
  int number_;
  std::unique_ptr<Table> table_;
  std::string alias_;
  std::filesystem::path unopened_;
  std::vector<Order> orders_;
  int controlling_ = 0;
  std::uint64_t orderSerial_ = 0;  // counts the changes of orders_ and controlling_
  bool eof_ = true, bof_ = true, found_ = false;
  KeyStore::Pos pos_;
  std::uint64_t posVersion_ = ~0ull;
  std::uint32_t posRec_ = 0;
  // Kept between writes: the keys of the record written and as stored.
  std::vector<std::string> keysNow_, keysBefore_;
  std::vector<char> keysOk_;
  std::string stored_;
};

// Rows appended to an area by the thousand: each begins blank and takes its
// fields by position, formatted as Area::put formats them; the rows go to
// the table a megabyte at a time and at finish(), which gives the area's
// orders their keys and makes the last row current. Rows not written when
// it is destroyed are dropped. After a write that failed (its error
// answered Default) no row is begun.
class Appender {
 public:
  explicit Appender(Area& a);
  Appender(const Appender&) = delete;
  Appender& operator=(const Appender&) = delete;

  // Begins a row; false when the area is not in use (after its error) or a
  // write failed.
  bool add();
  // put(field, Value(s)) without the value between.
  void text(int field, std::string_view s);
  bool put(int field, const Value& v);
  bool finish();

 private:
  friend class Area;
  bool field(int field);  // raises "variable does not exist" for a position the table lacks
  bool write();
  char* row() { return rows_.data() + rows_.size() - len_; }
  void drop() { rows_.resize(rows_.size() - len_); }  // the row begun

  Area& a_;
  std::size_t len_ = 0;
  std::uint32_t before_ = 0;  // the table's rows before the first
  std::uint64_t serial_ = 0;  // the table they go to
  bool begun_ = false, ok_ = true;
  std::string rows_;
};

// The visible rows of an area in its controlling order (record order
// without one), each read where it lies without becoming the area's
// current record, its fields by position: over a large table many times
// faster than goTop() and skip(), which make each row current. The area
// stays where it stands. The walk ends at the last row, at a row that
// cannot be read (after its error), and when the area's table or order is
// changed under it. In index order the rows lie apart in the file: they are
// read together a batch at a time, and where the table shares its view of
// the file (Table::sharedRows), the next batch is read on a thread of its
// own while the caller goes through the current one (a row changed
// meanwhile sends that batch back, to be read again when reached).
class Walk {
 public:
  explicit Walk(Area& a);  // at the first row
  ~Walk();
  Walk(const Walk&) = delete;
  Walk& operator=(const Walk&) = delete;

  bool more() const { return rec_ != nullptr; }
  inline void next();
  std::uint32_t recNo() const { return recno_; }
  // A field of the row: its stored characters ("" for a position the table
  // lacks; valid until next()), or its value as Area::get gives it.
  inline std::string_view raw(int field) const;
  Value get(int field) const;
  // A number field's value, without a Value made for it; 0 for a field of
  // another type.
  double number(int field) const;

 private:
  inline bool intact() const;  // the area still walks what it walked
  void step();                 // next() past the rows read ahead
  void settle();               // rec_ on the visible row at pos_ or recno_, or the end
  bool gather();               // the rows of the entries from pos_ on, read ahead
  void readNext();             // starts reading the batch after ahead_
  void dropNext();             // waits for that read to end

  Area& a_;
  Table* t_ = nullptr;
  std::uint64_t serial_ = 0;
  std::uint64_t orders_ = 0;        // the area's orderSerial_
  const KeyStore* keys_ = nullptr;  // the controlling order, or none
  std::uint64_t version_ = 0;
  KeyStore::Pos pos_;
  std::uint32_t recno_ = 0;
  std::string row_;
  const char* rec_ = nullptr;  // row_ or a row of ahead_ while a row is at hand
  // In index order, the rows of the entries from pos_ on, read together
  // while the table's rows counted edits_: ahead_[at_] is pos_'s.
  std::unique_ptr<char[]> ahead_;
  std::vector<std::uint32_t> aheadRecs_;
  KeyStore::Pos after_;  // the entry after ahead_'s
  std::size_t at_ = 0, count_ = 0;
  std::uint64_t edits_ = 0;
  // The batch after ahead_, read on a thread of its own from the table's
  // view of its file, held here, while the caller goes through ahead_;
  // taken only while the table's rows and the order's keys are as they
  // were when it began.
  struct Next {
    std::unique_ptr<char[]> rows;
    std::vector<std::uint32_t> recs;
    KeyStore::Pos from, after;
    std::uint64_t edits = 0, version = 0;
    std::future<void> read;
  } next_;
  std::shared_ptr<const os::View> view_;  // the table's (Table::sharedRows)
  std::uint32_t viewRows_ = 0;
  bool viewTried_ = false;
};

// Seeks in an area's controlling order that leave the area where it
// stands: find() answers as seek() without SOFTSEEK does, and the row it
// found (the first visible one from where the key would stand, when its key
// begins with the one sought) is read by field position as Walk reads its
// rows; after a miss the fields read as the phantom's, blank or zero. Each
// key's answer is remembered, a copy of its row with it (and the values of
// its number fields once read), while the table's rows, its order and SET
// DELETED stay as they were: a key sought again costs a look-up. Where the
// controlling order's keys are not text (or there is none), find() is the
// area's seek itself, which moves the area and is not remembered.
class Lookup {
 public:
  explicit Lookup(Area& a) : a_(a) {}
  Lookup(const Lookup&) = delete;
  Lookup& operator=(const Lookup&) = delete;

  inline bool find(std::string_view key);  // true when found
  bool found() const { return found_; }
  inline std::string_view raw(int field) const;
  Value get(int field);            // as Area::get reads it from the row
  double number(int field) const;  // 0 for a field of another type

 private:
  bool seek(std::string_view key, bool held);  // find() of a key not remembered; held: current()
  bool answer(char* m);                        // find()'s answer from the one remembered at m
  std::string_view blank(const Field& f) const;
  struct Stamp {
    const Table* table = nullptr;
    std::uint64_t serial = 0, edits = 0, orders = 0, version = 0;
    bool hidden = false;
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  inline bool current() const;  // the answers remembered still hold

  Area& a_;
  Stamp stamp_;
  const KeyStore* keys_ = nullptr;  // the order of the stamp
  // Each key sought: a byte, 'Y' when found, then the row found, then for
  // each number field of the table a byte (1 once its value was read) and,
  // after them all, their values.
  KeyMemo memo_{1};
  std::vector<int> slot_;          // each field's place among the number fields, or -1
  std::size_t numbers_ = 0;        // the number fields
  std::string row_;                // the row of a find() answered by a seek
  mutable std::string blank_;      // the phantom's bytes
  const Table* fields_ = nullptr;  // the table of the last find()
  std::uint64_t serial_ = 0;
  const char* rec_ = nullptr;  // the row found, or nullptr
  char* answer_ = nullptr;     // the answer remembered for the last find(), or nullptr
  bool found_ = false;
};

class FieldEnv : public expr::Env {
 public:
  explicit FieldEnv(Workspace& ws, expr::Env* next = nullptr) : ws_(ws), next_(next) {}

  err::ErrorSystem& errors() override;
  bool exact() const override;
  std::optional<Value> lookup(std::string_view alias, std::string_view name) override;
  int bind(std::string_view alias, std::string_view name) override;
  Value slot(int id) override;
  std::optional<Value> call(std::string_view name, std::vector<Value>& args) override;

 private:
  struct Slot {
    std::string alias, name;
    int area = 0, field = -1;
    std::uint64_t serial = 0;
  };
  Workspace& ws_;
  expr::Env* next_;
  std::vector<Slot> slots_;
};

class Workspace {
 public:
  static constexpr int kAreas = 250;

  explicit Workspace(err::ErrorSystem& es, const dos::Platform* platform = nullptr);
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  err::ErrorSystem& errors() { return es_; }
  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }

  // USE: opens a table exclusively under alias (default: the file's stem)
  // in the lowest free area (newArea) or in the current one (closing what
  // is open there); the area becomes current. False with the area unused.
  bool use(std::string_view file, std::string_view alias = {}, bool newArea = true);
  // DBCREATE: a new table without rows, replacing a file of that name.
  bool create(std::string_view file, const std::vector<FieldSpec>& fields);

  Area& current() { return area(current_); }
  int currentNumber() const { return current_; }
  bool select(std::string_view alias);  // raises "alias does not exist"
  void select(int n);                   // 0: the lowest free area
  Area& area(int n);
  Area* find(std::string_view alias);  // a used area by alias, or nullptr
  int lowestFree();
  void closeAll();
  bool commitAll();

  FieldEnv& env() { return env_; }

  // While a switch is set, every file the work areas would write goes
  // there instead: tables and indexes made or rewritten are staged, a table
  // is copied beside itself before its first write, and a name whose new
  // content is staged opens that content. Tables opened before keep
  // writing where they were.
  void stageIn(Switch* sw) { switch_ = sw; }
  Switch* staging() const { return switch_; }
  std::filesystem::path staged(const std::filesystem::path& p) const;
  // What became of a switch.
  struct Switched {
    bool done = false;
    bool inTheWay = false;       // given up: a target cannot be replaced
    std::filesystem::path file;  // given up: the file that stopped it
    explicit operator bool() const { return done; }
  };
  // Closes every area and switches the staged files in. The switch is
  // given up, every target as it was, when a target is in the way or a
  // failure before the journal is in place is not answered Retry; once it
  // is in place a failure (naming the file) offers Retry and Quit only, and
  // one not retried leaves the journal for the start-up. The switch is no
  // longer set after.
  Switched switchOver();
  // Closes every area without reporting failures and leaves the switch,
  // whose staged files are then dropped with it.
  void leaveSwitch();
  // The start-up of the folder of a journal (a DOS name): takes its lock
  // file, which the workspace holds from then on, shared with the other
  // programs on the folder. When no other holds it, the switch the journal
  // records is completed or its journal set aside, and the temporary files
  // of the program's own names are removed (Switch::recover); a failure
  // goes to the error system (Retry or Quit).
  Switch::Recovery recover(std::string_view journal, std::string_view lockFile, const SwitchNames& names);

  // Host path of a name, with ext added when the name has no extension.
  std::optional<std::filesystem::path> resolve(std::string_view name, std::string_view ext) const;
  // resolve() that, while the name has no host path, raises `missing` and
  // tries again on Retry; nullopt when the handler gives up.
  std::optional<std::filesystem::path> resolveOrRaise(std::string_view name, std::string_view ext,
                                                      const err::Error& missing) const;

  // Makes area n current while it lives (key evaluation).
  class Current {
   public:
    Current(Workspace& ws, int n) : ws_(ws), saved_(ws.current_) { ws.current_ = n; }
    ~Current() { ws_.current_ = saved_; }
    Current(const Current&) = delete;
    Current& operator=(const Current&) = delete;

   private:
    Workspace& ws_;
    int saved_;
  };

 private:
  friend class Area;

  err::ErrorSystem& es_;
  const dos::Platform* platform_;
  Switch* switch_ = nullptr;
  FolderLock lock_;
  Settings settings_;
  std::vector<std::unique_ptr<Area>> areas_;
  int current_ = 1;
  FieldEnv env_;
};

// --- the walk and the look-ups, row by row ---

inline bool Walk::intact() const {
  return a_.table_.get() == t_ && t_->serial() == serial_ && a_.orderSerial_ == orders_ &&
         (!keys_ || keys_->version() == version_);
}

inline std::string_view Walk::raw(int field) const {
  if (!rec_ || !intact() || static_cast<unsigned>(field) >= t_->fields().size()) return {};
  const Field& f = t_->fields()[static_cast<std::size_t>(field)];
  return {rec_ + f.offset, static_cast<std::size_t>(f.width)};
}

inline void Walk::next() {
  // The next row read ahead, visible and unchanged since, is at hand.
  if (keys_ && rec_ && at_ + 1 < count_ && intact() && t_->edits() == edits_) {
    const char* r = rec_ + t_->recordLength();
    if (!a_.ws_.settings().deleted || r[0] != '*') {
      keys_->next(pos_);
      recno_ = aheadRecs_[++at_];
      rec_ = r;
      return;
    }
  }
  step();
}

inline bool Lookup::current() const {
  // In this order: keys_ is read only while the orders are the stamp's.
  const Table* t = a_.table_.get();
  return t && t == stamp_.table && t->serial() == stamp_.serial && t->edits() == stamp_.edits &&
         !t->changed() && a_.orderSerial_ == stamp_.orders && keys_->version() == stamp_.version &&
         a_.ws_.settings().deleted == stamp_.hidden;
}

inline bool Lookup::answer(char* m) {
  fields_ = a_.table_.get();
  serial_ = stamp_.serial;
  found_ = m[0] == 'Y';
  rec_ = found_ ? m + 1 : nullptr;
  answer_ = m;
  return found_;
}

inline bool Lookup::find(std::string_view key) {
  const bool held = current();
  if (held) {
    const auto size = static_cast<std::size_t>(keys_->keySize());
    if (char* m = memo_.find(key.size() > size ? key.substr(0, size) : key)) return answer(m);
  }
  return seek(key, held);
}

inline std::string_view Lookup::raw(int field) const {
  // Only while the table found in is still the area's.
  if (!fields_ || a_.table_.get() != fields_ || fields_->serial() != serial_ ||
      static_cast<unsigned>(field) >= fields_->fields().size())
    return {};
  const Field& f = fields_->fields()[static_cast<std::size_t>(field)];
  if (!rec_) return blank(f);
  return {rec_ + f.offset, static_cast<std::size_t>(f.width)};
}

}  // namespace rt::db
