// rt/db/sdf: fixed-width text files read as table rows (the SDF import).
//
// LineReader hands out the lines of a text file in order: a line ends at
// CR, at LF or at CR LF; Ctrl-Z is no data wherever it stands; the bytes
// after the last line end make a last line when one of them is not Ctrl-Z.
// Only the first `limit` bytes of a line are kept (the rest are read over),
// so a file without line ends needs no more memory than one line.
//
// sdfRecord lays a line into a record: the line's bytes from the first
// field on, cut or blank-filled to the record's width; then each number,
// date and logical field is made from its slice of the line (a short line
// leaves its remaining fields blank or zero).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "rt/db/file.h"

namespace rt::db {

class Table;

class LineReader {
 public:
  LineReader(File& f, std::size_t limit);

  enum class Got { Line, End, Failed };
  // The next line, valid until the next call. Failed: a read of the file
  // failed (its error in the File); the next call tries that read again.
  Got next(std::string_view& line);

 private:
  bool fill();  // the next part of the file; false when its read failed

  File& f_;
  std::size_t limit_;
  std::unique_ptr<char[]> buf_;
  std::size_t at_ = 0, got_ = 0;  // unread bytes of the part read: [at_, got_)
  std::uint64_t off_ = 0;         // where the next part starts
  bool end_ = false;              // the file is read to its end
  std::string line_;              // the line so far
  bool given_ = false;            // line_ was handed out: the next call starts anew
  bool any_ = false;              // a byte other than Ctrl-Z since the last line end
  bool afterCR_ = false;          // the last line ended at a CR: an LF next is its end too
};

// The record of a line (deletion flag first): rec is written whole.
// Failures of a number's width go to the table's error system.
void sdfRecord(Table& t, std::string_view line, char* rec);

}  // namespace rt::db
