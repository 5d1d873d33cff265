// rt/term/printer: the printer as an output device (SET PRINTER TO a file,
// SET DEVICE TO PRINTER, PROW/PCOL, EJECT).
//
// Rows and columns count from 0. Moving to a later row writes CR LF once per
// row passed and sets the column to 0; moving to a later column writes
// blanks; a row above the current one ejects first. An eject writes form
// feed and CR and puts the row and column at 0. Bytes are written as they
// are. Failures are raised through the error system (create 20, write 24).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "rt/err/error.h"
#include "rt/os/os.h"

namespace rt::term {

class Printer {
 public:
  explicit Printer(err::ErrorSystem& errors) : errors_(errors) {}
  ~Printer() { close(); }
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;

  // Makes a file the printer target: created or emptied, or appended to.
  // False when it could not be opened (after the error was raised).
  bool open(const std::filesystem::path& file, bool additive = false);
  // Releases the target: everything written reaches the file.
  bool close();
  bool isOpen() const { return file_ != os::kNoHandle; }

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
  void write(std::string_view bytes);
  bool flush(int& error);

  err::ErrorSystem& errors_;
  os::Handle file_ = os::kNoHandle;
  std::string buf_;  // bytes not yet handed to the system
  std::filesystem::path path_;
  bool failed_ = false;
  int row_ = 0, col_ = 0;
};

}  // namespace rt::term
