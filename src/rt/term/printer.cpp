#include "rt/term/printer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rt::term {

namespace {
err::Error fileError(int gen, int sub, const char* what, const std::filesystem::path& p, int os) {
  err::Error e;
  e.genCode = gen;
  e.subSystem = "TERM";
  e.subCode = sub;
  e.description = what;
  e.filename = p.string();
  e.osCode = os;
  e.canDefault = true;
  e.canRetry = gen == err::kCreate;
  return e;
}
}  // namespace

bool Printer::open(const std::filesystem::path& file, bool additive) {
  close();
  for (;;) {
    file_ = std::fopen(file.c_str(), additive ? "ab" : "wb");
    if (file_) break;
    const int os = errno;
    auto a = errors_.raise(fileError(err::kCreate, 2014, "Create error", file, os));
    if (a.kind != err::Answer::Kind::Retry) return false;
  }
  path_ = file;
  failed_ = false;
  row_ = col_ = 0;
  return true;
}

bool Printer::close() {
  if (!file_) return true;
  // On the disk before it is reported written (a device has nothing to sync).
  bool ok = std::fflush(file_) == 0;
  if (ok && ::fsync(::fileno(file_)) != 0 && errno != EINVAL && errno != EROFS) ok = false;
  ok = std::fclose(file_) == 0 && ok && !failed_;
  file_ = nullptr;
  if (!ok && !failed_) errors_.raise(fileError(err::kWrite, 2016, "Write error", path_, errno));
  return ok;
}

void Printer::write(std::string_view bytes) {
  if (!file_ || failed_ || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;  // one report of a failing device is enough
    errors_.raise(fileError(err::kWrite, 2016, "Write error", path_, errno));
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
