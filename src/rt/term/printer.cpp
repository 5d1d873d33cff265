// rt/term/printer: the printer's output file, written through a Replacement
// (an additive open takes over the old bytes first), and its row and column.
#include "rt/term/printer.h"

namespace rt::term {

namespace {
err::Error fileError(int gen, int sub, const char* what, const std::filesystem::path& p, int error) {
  err::Error e;
  e.genCode = gen;
  e.subSystem = "TERM";
  e.subCode = sub;
  e.description = what;
  e.filename = p.string();
  e.osCode = os::dosCode(error);
  e.canDefault = true;
  e.canRetry = gen == err::kCreate;
  return e;
}
}  // namespace

bool Printer::begin(const std::filesystem::path& file, bool additive, int& error) {
  error = 0;
  if (!out_.begin(file)) {
    error = out_.error();
    return false;
  }
  // Only an ordinary file's bytes are taken over, never what a link names.
  if (!additive || os::entryOf(file) != os::Entry::File) return true;
  os::File in;
  if (!in.open(file, os::File::Mode::Read, os::File::Lock::None)) {
    error = in.error();
    return false;
  }
  if (!out_.writeFrom(in)) {
    error = out_.error();
    return false;
  }
  return true;
}

bool Printer::open(const std::filesystem::path& file, bool additive) {
  close();
  int error = 0;
  while (!begin(file, additive, error)) {
    out_.abandon();
    auto a = errors_.raise(fileError(err::kCreate, 2014, "Create error", file, error));
    if (a.kind != err::Answer::Kind::Retry) return false;
  }
  open_ = true;
  path_ = file;
  failed_ = false;
  row_ = col_ = 0;
  return true;
}

bool Printer::close() {
  if (!open_) return true;
  open_ = false;
  // On the disk, then in the file's place, before it is reported written.
  const bool ok = !failed_ && out_.commit();
  if (!ok) {
    const int error = out_.error();
    out_.abandon();
    if (!failed_) errors_.raise(fileError(err::kWrite, 2016, "Write error", path_, error));
  }
  return ok;
}

void Printer::write(std::string_view bytes) {
  if (!open_ || failed_ || bytes.empty()) return;
  if (!out_.write(bytes.data(), bytes.size())) {
    failed_ = true;  // one report of a failing file is enough
    errors_.raise(fileError(err::kWrite, 2016, "Write error", path_, out_.error()));
  }
}

void Printer::pos(int row, int col) {
  if (row < row_) eject();
  std::string bytes;
  if (row > row_) {
    for (int r = row_; r < row; ++r) bytes += "\r\n";
    row_ = row;
    col_ = 0;
  }
  if (col > col_) {
    bytes.append(static_cast<std::size_t>(col - col_), ' ');
    col_ = col;
  }
  write(bytes);
}

void Printer::out(std::string_view text) {
  write(text);
  col_ += static_cast<int>(text.size());
}

void Printer::eject() {
  write("\f\r");
  row_ = col_ = 0;
}

}  // namespace rt::term
