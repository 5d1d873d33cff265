// rt/term/printer: the printer as an output device (SET PRINTER TO a file,
// SET DEVICE TO PRINTER, PROW/PCOL, EJECT).
//
// Rows and columns count from 0. Moving to a later row writes CR LF once per
// row passed and sets the column to 0; moving to a later column writes
// blanks; a row above the current one ejects first. An eject writes form
// feed and CR and puts the row and column at 0. Bytes are written as they
// are. The file is written beside its target (rt/os Replacement) and
// renamed over it when it is closed, complete and on the disk: until then,
// and whenever it is not closed (a run cut off, ended, a failed write), the
// file that stood there stays whole. A link standing there is replaced, not
// written through; a folder or a device is not a target. Failures are
// raised through the error system (create 20, write 24).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "rt/err/error.h"
#include "rt/os/file.h"

namespace rt::term {

class Printer {
 public:
  explicit Printer(err::ErrorSystem& errors) : errors_(errors) {}
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;

  // Makes a file the printer target, empty, or with the bytes of the
  // ordinary file standing there (additive; what a link names is not read).
  // An earlier target is closed first. False when it could not be made
  // (after the error was raised).
  bool open(const std::filesystem::path& file, bool additive = false);
  // Releases the target: everything written takes the file's place. False
  // when it could not (after the error was raised); the file is as before.
  bool close();
  bool isOpen() const { return open_; }

  void pos(int row, int col);
  void out(std::string_view text);
  void eject();
  int prow() const { return row_; }
  int pcol() const { return col_; }
  void setPrc(int row, int col) {
    row_ = row;
    col_ = col;
  }

 private:
  bool begin(const std::filesystem::path& file, bool additive, int& error);
  void write(std::string_view bytes);

  err::ErrorSystem& errors_;
  os::Replacement out_;  // abandoned unless closed
  bool open_ = false;
  std::filesystem::path path_;
  bool failed_ = false;
  int row_ = 0, col_ = 0;
};

}  // namespace rt::term
