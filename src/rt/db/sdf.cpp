// The SDF import's two steps: lines from a text file, a record from a line.
#include "rt/db/sdf.h"

#include <algorithm>
#include <cstring>

#include "rt/db/dbf.h"
#include "rt/db/numtext.h"
#include "rt/text/date.h"

namespace rt::db {

namespace {
constexpr std::size_t kPart = 1 << 20;  // bytes read at once
constexpr char kCtrlZ = 0x1A;
constexpr std::size_t kWindow = 4096;  // bytes sought at once for a line's end
}  // namespace

LineReader::LineReader(File& f, std::size_t limit) : f_(f), limit_(limit), buf_(new char[kPart]) {}

bool LineReader::fill() {
  std::size_t got = 0;
  if (!f_.readAt(off_, buf_.get(), kPart, got)) return false;
  off_ += got;
  at_ = 0;
  got_ = got;
  end_ = got == 0;
  return true;
}

LineReader::Got LineReader::next(std::string_view& line) {
  if (given_) {
    line_.clear();
    given_ = false;
  }
  for (;;) {
    if (at_ == got_) {
      if (end_) break;
      if (!fill()) return Got::Failed;
      continue;
    }
    const char* const b = buf_.get();
    const char c = b[at_];
    if (c == kCtrlZ) {
      ++at_;
      continue;
    }
    if (afterCR_) {
      afterCR_ = false;
      if (c == '\n') {
        ++at_;
        continue;
      }
    }
    if (c == '\r' || c == '\n') {
      ++at_;
      afterCR_ = c == '\r';
      any_ = false;
      line = line_;
      given_ = true;
      return Got::Line;
    }
    // A run of ordinary bytes up to the next line end or Ctrl-Z, kept up
    // to the limit.
    // Sought a window at a time, so that a file whose lines end in one kind
    // of byte is not read to the end of the part for the other kinds.
    const char* const last = b + got_;
    const char* const from = b + at_;
    const char* end = last;
    for (const char* w = from; w < last && end == last; w += kWindow) {
      const char* const to = std::min(last, w + kWindow);
      for (const char stop : {'\n', '\r', kCtrlZ})
        if (const void* p = std::memchr(w, stop, static_cast<std::size_t>(to - w)))
          end = std::min(end, static_cast<const char*>(p));
    }
    const auto n = static_cast<std::size_t>(end - from);
    if (line_.size() < limit_) line_.append(from, std::min(n, limit_ - line_.size()));
    any_ = true;
    at_ += n;
  }
  if (!any_) return Got::End;
  any_ = false;
  line = line_;
  given_ = true;
  return Got::Line;
}

void sdfRecord(Table& t, std::string_view line, char* rec) {
  const auto width = static_cast<std::size_t>(t.recordLength()) - 1;
  const std::size_t len = std::min(line.size(), width);
  rec[0] = ' ';
  if (len) std::memcpy(rec + 1, line.data(), len);
  std::memset(rec + 1 + len, ' ', width - len);
  const auto& fields = t.fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const Field& f = fields[i];
    if (f.type == 'C') continue;
    const auto w = static_cast<std::size_t>(f.width);
    const auto at = static_cast<std::size_t>(f.offset - 1);
    const std::string_view slice = at < len ? line.substr(at, std::min(w, len - at)) : std::string_view{};
    switch (f.type) {
      case 'N':
      case 'F':
        t.encode(static_cast<int>(i), Value::number(parseNumber(slice), f.width, f.decimals), rec);
        break;
      case 'D':
        // A valid YYYYMMDD is stored as it stands; anything else is the empty date.
        if (text::Date::fromDtos(slice).empty()) std::memset(rec + f.offset, ' ', w);
        break;
      case 'L':
        t.encode(static_cast<int>(i),
                 Value(!slice.empty() &&
                       (slice[0] == 'T' || slice[0] == 't' || slice[0] == 'Y' || slice[0] == 'y')),
                 rec);
        break;
      default:
        break;  // other types keep the line's bytes
    }
  }
}

}  // namespace rt::db
