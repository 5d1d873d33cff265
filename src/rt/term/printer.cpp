#include "rt/term/printer.h"

namespace rt::term {

namespace {
constexpr std::size_t kBuffer = 1u << 14;

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

bool Printer::open(const std::filesystem::path& file, bool additive) {
  close();
  for (;;) {
    int error = 0;
    if (os::openOutput(file, additive, file_, error)) break;
    file_ = os::kNoHandle;
    auto a = errors_.raise(fileError(err::kCreate, 2014, "Create error", file, error));
    if (a.kind != err::Answer::Kind::Retry) return false;
  }
  path_ = file;
  failed_ = false;
  row_ = col_ = 0;
  return true;
}

bool Printer::flush(int& error) {
  const bool ok = buf_.empty() || os::writeOut(file_, buf_.data(), buf_.size(), error);
  buf_.clear();
  return ok;
}

bool Printer::close() {
  if (file_ == os::kNoHandle) return true;
  // On the disk before it is reported written (a device has nothing to sync).
  int error = 0;
  bool ok = !failed_ && flush(error) && os::sync(file_, error);
  ok = os::close(file_) && ok;
  file_ = os::kNoHandle;
  buf_.clear();
  if (!ok && !failed_) errors_.raise(fileError(err::kWrite, 2016, "Write error", path_, error));
  ok = ok && !failed_;
  return ok;
}

void Printer::write(std::string_view bytes) {
  if (file_ == os::kNoHandle || failed_ || bytes.empty()) return;
  buf_.append(bytes);
  int error = 0;
  if (buf_.size() >= kBuffer && !flush(error)) {
    failed_ = true;  // one report of a failing device is enough
    errors_.raise(fileError(err::kWrite, 2016, "Write error", path_, error));
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
