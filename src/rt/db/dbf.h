// rt/db/dbf: one dBASE III table file, byte-exact.
//
// A Table is the file opened exclusively (or shared for reading) with a
// current record held in a buffer: fields read and written as values or as
// raw bytes (blanks kept), append blank, deletion flag, record count that
// counts deleted rows. Writes go through a buffer and reach the file at the
// latest on commit and close, with the header (version, date of the last
// write as year - 1900, month, day; record count) and the end-of-file byte
// 0x1A, as the classic driver writes them; commit and close sync the file
// (a file staged in a switch is synced by the switch).
// Reads come from a read-only view of the file where the system maps it.
// Create and rewrite (pack, zap) build a new file beside the old one and
// rename it over (or stage it in a switch, rt/db/switch, which renames it
// later together with others). Any other write goes to a copy of the file
// made beside it before the first write, renamed over it by commit and
// close (or staged in the switch): a run cut off at any point leaves the
// file as it was before or as the commit left it, never a header that
// disagrees with its rows. Opening checks the header against the file
// (descriptors, lengths, a record count above or below the records the
// file holds) and refuses damage with a corruption error naming the file;
// no read ever passes the end.
//
// Record numbers are 1-based; lastRec() + 1 is the phantom record at end of
// file, whose fields read blank, zero, the empty date or false.
// Failures go to the error system; an operation answered Default returns
// false (or an empty value) and leaves the table as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rt/db/file.h"
#include "rt/err/error.h"
#include "rt/expr/value.h"

namespace rt::db {

class Switch;

// A field as table creation takes it.
struct FieldSpec {
  std::string name;
  char type = 'C';
  int width = 0;
  int decimals = 0;
};

// A field as stored.
struct Field {
  std::string name;
  char type = 'C';
  int width = 0;
  int decimals = 0;
  int offset = 0;  // in the record; byte 0 is the deletion flag
};

// Copies the rows recnos[0..n) of a view (rows: where its first row
// starts; rl: a row's length) end to end into out. Rows far apart wait on
// memory more than they copy: each is asked for some steps ahead.
void copyRows(const char* rows, std::size_t rl, const std::uint32_t* recnos, std::size_t n, char* out);

class Table {
 public:
  enum class Access { Exclusive, SharedRead };

  // Opens an existing table. On failure the error is raised (Retry repeats)
  // and nullptr returned. With content, the table named p is read from that
  // file (its new content staged in a switch).
  static std::unique_ptr<Table> open(const std::filesystem::path& p, err::ErrorSystem& es,
                                     Access access = Access::Exclusive,
                                     const std::filesystem::path& content = {});

  // Creates a table without rows, replacing a file of that name (refused
  // while another opener holds it), or staging the new file in sw. False
  // after the error was raised.
  static bool create(const std::filesystem::path& p, const std::vector<FieldSpec>& fields,
                     err::ErrorSystem& es, Switch* sw = nullptr);

  // Whether the file at p is a table whose header agrees with the file,
  // and whose fields named in layout (if given) have the layout's types:
  // Damaged with why when it is not; Unopened when it cannot be opened
  // (missing, held by another opener). Nothing is raised.
  enum class Health { Good, Damaged, Unopened };
  static Health check(const std::filesystem::path& p, std::string& why,
                      const std::vector<FieldSpec>* layout = nullptr);

  // The header the driver writes for a field list (no validation).
  static std::string makeHeader(const std::vector<FieldSpec>& fields, std::uint32_t count);

  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  const std::filesystem::path& path() const { return name_; }
  const std::vector<Field>& fields() const { return fields_; }
  int fieldIndex(std::string_view name) const;  // without regard to case; -1
  int recordLength() const { return recLen_; }
  int headerLength() const { return hdrLen_; }
  std::uint32_t lastRec() const { return lastRec_; }
  std::uint64_t serial() const { return serial_; }  // unique per opened table
  // Counts the changes of the rows (bytes, deletion flags, appends, a file
  // replaced): a copy of a row made at one count is the row while it stays.
  std::uint64_t edits() const { return edits_; }
  // Counts the times the table went back to its file (writes answered
  // Default); readable() is false when the file could not be read again.
  std::uint64_t reverts() const { return reverts_; }
  bool readable() const { return file_.isOpen(); }
  err::ErrorSystem& errors() { return es_; }
  std::vector<FieldSpec> structure() const;

  // The current record.
  std::uint32_t recNo() const { return recNo_; }
  bool atPhantom() const { return recNo_ > lastRec_; }
  // Makes recno current (writing a changed record first). Out of range:
  // the phantom. False when the record could not be read (the error was
  // raised and the phantom is current).
  bool load(std::uint32_t recno);
  bool deleted() const { return rec_[0] == '*'; }
  const char* record() const { return rec_.data(); }
  std::string_view raw(int field) const;

  Value get(int field);
  // A field of a record's bytes as scan() hands them (deletion flag first).
  Value get(int field, const char* rec);
  // Writes a value: text cut or blank-filled, numbers formatted to the
  // field (too wide: asterisks and the data-width error), dates, logicals.
  // A value of the wrong type is the data-type error. Writes to the
  // phantom are ignored.
  bool put(int field, const Value& v);
  void putRaw(int field, std::string_view bytes);
  // put(field, src.get(from)) without the value in between; the same for
  // each (field, from) pair of a list, in its order.
  bool putFrom(int field, Table& src, int from);
  bool putFrom(Table& src, const std::vector<std::pair<int, int>>& fields);
  // The same on the bytes of any record: a value written into a field
  // (TooWide: asterisks written and the error raised; Refused: nothing
  // written, the error raised); get(field, rec) reads one.
  enum class Encoded { Ok, TooWide, Refused };
  Encoded encode(int field, const Value& v, char* rec);
  void setRecord(const char* bytes);  // the whole record, flag included
  void setDeleted(bool on);
  bool changed() const { return changed_; }
  bool isNew() const { return isNew_; }

  // Appends a blank record and makes it current.
  bool appendBlank();
  // Takes back the record just appended while it is still unwritten; the
  // phantom becomes current.
  void dropAppended();
  // Appends count whole records (deletion flag first) after the last one,
  // written to the file at once; the last of them becomes current.
  bool appendRecords(const char* recs, std::uint32_t count);
  // Writes the current record into the write buffer when changed.
  bool flushRecord();
  // Everything to the file: record, buffers, header; with sync, to the disk
  // (left to the switch for a file staged in one).
  bool commit(bool sync = true);
  bool close();
  // Closes without raising a failure (from a destructor, or while the
  // program ends); false when something could not be written.
  bool closeQuietly();

  // From now on the table's file is replaced only through sw: a rewrite is
  // staged there, and so is a copy of the file made before the first write
  // into it (unless staged says the open file is already the staged one).
  void stageIn(Switch* sw, bool staged) {
    switch_ = sw;
    staged_ = staged;
  }

  // Reads a record without touching the current one.
  bool readRecord(std::uint32_t recno, char* out);
  // The current record as stored, before the changes in the buffer.
  bool storedRecord(char* out);
  // Exchanges the record buffer with bytes of the same length (to evaluate
  // something on the stored record); the change flags stay.
  void swapRecord(std::string& bytes) {
    rec_.swap(bytes);
    ++edits_;
  }
  // The bytes of a record without copying them where possible; valid until
  // the next call on the table. nullptr when it cannot be read.
  const char* peek(std::uint32_t recno);
  // Copies the records recnos[0..n) end to end into out, as peek() reads
  // them. Records far apart in a large table are read by several threads at
  // once where the file is mapped. False when a record could not be read
  // (after its error).
  bool gather(const std::uint32_t* recnos, std::size_t n, char* out);
  // The view of the file the table reads its rows through, shared, and
  // the rows it holds: it stays readable while the caller holds it,
  // whatever the table does later (rows are only ever added to a file, or
  // the file replaced whole). None while rows wait to be written, and where
  // the system would hold a mapped file against its replacement.
  std::shared_ptr<const os::View> sharedRows(std::uint32_t& rows);
  // Every row as the file holds it: none changed in the record buffer, no
  // write waiting.
  bool inFile() const { return !changed_ && wCount_ == 0; }
  // Asks for a record's first two cache lines to be brought near ahead of
  // a read, where the file is mapped: a walk in index order reads the
  // records of a large table far apart. The hint is given for any number
  // (a prefetch never faults, and the address is only computed here): GCC
  // 12 left out a prefetch given under a test of the number, and both of a
  // pair whose distance was not a constant.
  void prefetch(std::uint32_t recno) const {
    const char* r = reinterpret_cast<const char*>(
        reinterpret_cast<std::uintptr_t>(map_) + static_cast<std::uintptr_t>(hdrLen_) +
        static_cast<std::uintptr_t>(recno - 1) * static_cast<std::uintptr_t>(recLen_));
    __builtin_prefetch(r);
    __builtin_prefetch(r + 64);
  }

  // Replaces the file by one with the same header and the rows keep()
  // accepts, in record order (pack); keep == nullptr keeps none (zap).
  bool rewrite(const std::function<bool(const char* rec)>& keep);
  // The same, with each row handed over as bytes that edit() may change in
  // place (deletion flag included) before it answers whether the row stays.
  // The rows are read again and edit() called again when a failed write is
  // retried, so it must give the same answer for the same bytes.
  bool rewriteEdited(const std::function<bool(char* rec)>& edit);

  // Hands the records first..last (clamped to the table) to fn in runs of
  // consecutive records read from the file, after the pending writes went
  // to it; the table's pages are not kept. False when a read failed (the
  // error was raised) or fn answered false.
  bool scan(std::uint32_t first, std::uint32_t last,
            const std::function<bool(std::uint32_t recno, std::uint32_t count, const char* recs)>& fn);
  // The same with fn called from several threads at once for a large
  // table, each with runs of its own part; a run that cannot be read there
  // is read again on this thread, where the failure is raised.
  bool scanParallel(
      std::uint32_t first, std::uint32_t last,
      const std::function<bool(std::uint32_t recno, std::uint32_t count, const char* recs)>& fn);

 private:
  Table(File f, err::ErrorSystem& es);
  bool parseHeader(const std::string& hdr, std::uint64_t fileSize, std::string& why);
  enum class Load { Ok, Unreadable, Damaged };
  Load loadHeader(std::string& head, std::string& why);  // reads and checks the header
  bool readInto(std::uint32_t recno, char* out, bool sequential);
  bool flushWrites();
  bool readRun(std::uint32_t first, std::uint32_t count, char* out);
  bool writeHeader();
  void bufferWrite(std::uint32_t recno, const char* rec);
  bool failed(const err::Error& e);  // raises; true when the handler asks to retry
  void remap();
  void mapWritten();
  // How putFrom(src, fields) carries a list: runs of fields lying side by
  // side in both records, of the same widths, are copied at once when their
  // numbers are in their written form; any other field goes by itself.
  struct CarryRun {
    int to = 0, from = 0, len = 0;           // bytes in the records
    std::vector<std::pair<int, int>> pairs;  // (field here, field there)
    bool joined = false;
  };
  struct CarryPlan {
    std::uint64_t src = 0;
    std::vector<std::pair<int, int>> fields;
    std::vector<CarryRun> runs;
  };
  const CarryPlan& carryPlan(const Table& src, const std::vector<std::pair<int, int>>& fields);
  // Bytes [off, off + n) written to the file: once a good part has gathered,
  // the system starts writing it out while the work goes on, so that the
  // sync at close (or the switch's) has little left.
  void wrote(std::uint64_t off, std::uint64_t n);
  // Before the first write: the file copied beside itself, the copy staged
  // in the switch or written from then on in its place until land().
  bool writable();
  // The record buffer changed: to be written, and rows read before are stale.
  void edited() {
    changed_ = true;
    ++edits_;
  }
  bool land();                  // the copy written since writable() synced and renamed over the file
  void revert();                // the copy dropped: the table as the file holds it
  bool finish(Replacement& r);  // renames over the file, or stages in the switch

  File file_;
  std::unique_ptr<Replacement> beside_;  // the copy file_ writes until land()
  bool lost_ = false;                    // a write answered Default since the last commit
  std::filesystem::path name_;
  Switch* switch_ = nullptr;
  bool staged_ = false;
  bool quiet_ = false;
  err::ErrorSystem& es_;
  std::uint64_t serial_;
  std::uint64_t edits_ = 0;
  std::uint64_t reverts_ = 0;
  std::string header_;  // the header bytes as read or written
  std::vector<Field> fields_;
  int hdrLen_ = 0, recLen_ = 0;
  std::uint32_t lastRec_ = 0;
  std::uint32_t fileRecs_ = 0;  // records the header on disk counts
  bool readOnly_ = false;

  std::string rec_;
  std::uint32_t recNo_ = 1;
  bool changed_ = false, isNew_ = false;
  bool modified_ = false;  // something written since the last header write

  // The records on disk as a read-only view, when the system maps files.
  const char* map_ = nullptr;
  std::uint32_t mappedRecs_ = 0;
  bool mapRefused_ = false;  // the system would not map the written records
  std::string scratch_;
  CarryPlan carry_;
  // Read-ahead of consecutive records.
  std::string cache_;
  std::uint32_t cacheFirst_ = 0, cacheCount_ = 0, lastRead_ = 0;
  // Write-behind run of consecutive records.
  std::string wbuf_;
  std::uint32_t wFirst_ = 0, wCount_ = 0;
  // Bytes written since the write-back was last started, and their span.
  std::uint64_t unstarted_ = 0, unstartedFrom_ = 0, unstartedTo_ = 0;
};

}  // namespace rt::db
