// rt/db/ntx: NTX index files and the ordered keys behind them.
//
// An index is held in memory as its ordered entries (key bytes and record
// number, nothing of the table), ordered by key bytes and, among equal keys,
// by record number. The file is the classic NTX B-tree of 1024-byte pages:
// a header page (signature 6, version, root page offset, next free page,
// item size = key size + 8, key size, decimals, maximum and half items per
// page, the key expression text at offset 22 for 256 bytes, the unique flag
// at 278), then pages of an item count, an offset table and items of
// (child page offset, record number, key). It is written whole, beside the
// old file and renamed over it, when created and when flushed after changes;
// reading checks every page and refuses damage with a corruption error.
//
// Keys: text as it is, numbers as Str(value, size, decimals) with leading
// blanks as zeros (a negative number as "," and the nine's complement of its
// digits, so that it sorts below every positive one), dates as YYYYMMDD,
// logicals as "T" or "F".
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rt/db/file.h"
#include "rt/db/memo.h"
#include "rt/err/error.h"
#include "rt/expr/value.h"

namespace rt::db {

struct KeyType {
  char type = 'C';  // C N D L
  int size = 0;
  int decimals = 0;
};

// The key type a first evaluation gives; false for a value that cannot be a key.
bool keyTypeOf(const Value& v, KeyType& out);
// Key bytes of v (exactly kt.size bytes); false when v has another type.
bool encodeKey(const Value& v, const KeyType& kt, std::string& out);

// An index entry: the key bytes, then the record number big-endian, so that
// entries sort by their bytes.
constexpr std::size_t entrySize(std::size_t keySize) { return keySize + 4; }
void putEntryRecno(char* entry, std::size_t keySize, std::uint32_t recno);
inline std::uint32_t entryRecno(const char* entry, std::size_t keySize) {
  const auto* p = reinterpret_cast<const unsigned char*>(entry + keySize);
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// Entries end to end in a buffer whose new bytes are left unset for the
// caller to fill, so that a large set is not cleared before it is written.
class Entries {
 public:
  Entries() = default;
  explicit Entries(std::string_view bytes) { append(bytes.data(), bytes.size()); }

  char* data() { return b_.data(); }
  const char* data() const { return b_.data(); }
  std::size_t size() const { return b_.size(); }
  void reserve(std::size_t n) { b_.reserve(n); }
  void resize(std::size_t n) {  // new bytes unset
    if (n > b_.size())
      b_.grow(n - b_.size());
    else
      b_.shrink(b_.size() - n);
  }
  void append(const char* bytes, std::size_t n) { b_.append(bytes, n); }

 private:
  os::Bytes b_;
};

// Sorts entries of stride bytes in place by their bytes.
void sortEntries(Entries& flat, std::size_t stride);

// Ordered entries of one index.
class KeyStore {
 public:
  struct Pos {
    std::uint32_t block = 0, idx = 0;
    friend bool operator==(Pos, Pos) = default;
  };

  explicit KeyStore(int keySize = 0);

  int keySize() const { return keySize_; }
  std::size_t stride() const { return stride_; }
  std::size_t size() const { return size_; }
  std::uint64_t version() const { return version_; }

  // Takes sorted entries (see sortEntries); they are kept as they are, and
  // a part of them is copied only when an insert or erase changes it.
  void assignSorted(Entries flat);
  void clear();
  void insert(std::string_view key, std::uint32_t recno);
  bool erase(std::string_view key, std::uint32_t recno);

  Pos begin() const { return {0, 0}; }
  Pos end() const { return {static_cast<std::uint32_t>(blocks_.size()), 0}; }
  bool atEnd(Pos p) const { return p.block >= blocks_.size(); }
  // First entry whose key begins at or after prefix (compared over its
  // length). A prefix sought out of order is remembered with its answer
  // until the entries change, so that seeking it again costs a look-up.
  Pos lowerBound(std::string_view prefix) const;
  // The entry k after p when it lies in the same block, else end().
  Pos ahead(Pos p, std::uint32_t k) const {
    if (atEnd(p) || p.idx + k >= blocks_[p.block].count) return end();
    return {p.block, p.idx + k};
  }
  // The entry (key, recno), or end().
  Pos find(std::string_view key, std::uint32_t recno) const;
  Pos last() const;
  Pos at(std::size_t i) const;  // the i-th entry (0-based), or end()
  void next(Pos& p) const {
    if (atEnd(p)) return;
    if (++p.idx >= blocks_[p.block].count) {
      ++p.block;
      p.idx = 0;
    }
  }
  bool prev(Pos& p) const;  // false at the first entry (p unchanged)
  std::string_view key(Pos p) const { return {entry(p), static_cast<std::size_t>(keySize_)}; }
  std::uint32_t recno(Pos p) const { return entryRecno(entry(p), static_cast<std::size_t>(keySize_)); }
  const char* entry(Pos p) const { return blocks_[p.block].data() + p.idx * stride_; }

 private:
  struct Block {
    std::string own;             // the entries, once the block was changed
    const char* view = nullptr;  // or: the entries inside base_
    std::uint32_t count = 0;
    const char* data() const { return view ? view : own.data(); }
  };
  std::size_t blockFor(const char* e) const;
  void refreshFirst(std::size_t b);
  void makeEntry(std::string_view key, std::uint32_t recno, char* out) const;
  char* owned(std::size_t b);  // the block's entries, made its own to change
  void dropBlock(std::size_t b);

  int keySize_ = 0;
  std::size_t stride_ = 4;
  std::size_t cap_ = 16;
  // Where the last lowerBound() ended, for the version it was made in.
  mutable Pos hint_;
  mutable std::uint64_t hintVersion_ = ~0ull;
  // Answers of lowerBound() found by a search, for the version they were
  // found in, from its second search on: entries changed after every seek
  // (a seek, then an append) remember nothing.
  mutable KeyMemo memo_{8};  // the block and index of each answer
  mutable std::uint64_t memoVersion_ = ~0ull;
  mutable bool searchedOnce_ = false;  // a search made in memoVersion_
  std::size_t size_ = 0;
  std::uint64_t version_ = 0;
  std::vector<Block> blocks_;
  std::string firsts_;     // first entry of each block, for the block search
  Entries base_;           // the sorted entries taken over
  std::size_t views_ = 0;  // blocks still inside base_
};

class Switch;

// One open index file.
class Index {
 public:
  // Writes a new index file (replacing any file of that name) from sorted
  // entries. nullptr after the error was raised.
  // With sw, the file and every later rewrite of it are staged there.
  static std::unique_ptr<Index> create(const std::filesystem::path& p, const std::string& expression,
                                       const KeyType& kt, Entries sortedEntries, err::ErrorSystem& es,
                                       Switch* sw = nullptr);
  // Reads an index file (its staged content when sw holds one), held
  // exclusively; record numbers beyond lastRec are damage.
  static std::unique_ptr<Index> open(const std::filesystem::path& p, std::uint32_t lastRec,
                                     err::ErrorSystem& es, Switch* sw = nullptr);

  const std::filesystem::path& path() const { return file_.path(); }
  const std::string& expression() const { return expression_; }
  const KeyType& keyType() const { return kt_; }
  void setKeyType(const KeyType& kt) { kt_ = kt; }  // after an open: the type from an evaluation
  bool unique() const { return unique_; }
  KeyStore& keys() { return keys_; }
  const KeyStore& keys() const { return keys_; }

  void markChanged() { dirty_ = true; }
  bool changed() const { return dirty_; }
  // Writes the file again when it changed.
  bool flush();
  // Takes a new set of sorted entries (a rebuild) and writes the file.
  bool replaceAll(Entries sortedEntries);
  bool close();

 private:
  Index(err::ErrorSystem& es) : es_(es) {}
  bool write(bool selfHeld, const Entries* sorted);

  err::ErrorSystem& es_;
  File file_;
  Switch* switch_ = nullptr;
  std::string expression_;
  KeyType kt_;
  bool unique_ = false;
  bool dirty_ = false;
  unsigned version_ = 1;  // kept as read; 1 for files written here
  KeyStore keys_;
};

}  // namespace rt::db
