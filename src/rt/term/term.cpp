// rt/term: the Terminal: drawing on the cells, the device position, the
// type-ahead and key reads with the cancel key, tones, and the shower
// thread that puts drawing on the device when the program does not.
#include "rt/term/term.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "rt/os/os.h"

namespace rt::term {

namespace {

// Drawing is shown at the latest this long after it was done.
constexpr auto kShowAfter = std::chrono::milliseconds(40);
// Changes drawn between two looks at the clock by the program's thread, so
// that drawing a cell does not cost a look at the clock.
constexpr unsigned kChangesPerLook = 64;

struct Span {
  int lo, hi;  // inclusive, empty when lo > hi
};

Span clip(int lo, int hi, int size) { return {std::max(lo, 0), std::min(hi, size - 1)}; }

std::mutex liveMu;
std::vector<Terminal*> live;  // the terminals made and not yet ended

}  // namespace

Terminal::Terminal(err::ErrorSystem& errors, std::unique_ptr<Backend> backend)
    : errors_(errors), backend_(std::move(backend)) {
  static std::once_flag forks;
  std::call_once(forks, [] { os::aroundFork(holdAll, releaseAll); });
  {
    const std::lock_guard l(liveMu);
    live.push_back(this);
  }
  dirtySince_ = std::chrono::steady_clock::now();
  shower_ = std::thread([this] { showLater(); });
}

Terminal::~Terminal() {
  {
    const std::lock_guard l(liveMu);
    live.erase(std::find(live.begin(), live.end(), this));
  }
  {
    Lock lock(mu_);
    stop_ = true;
  }
  wake_.notify_one();
  shower_.join();
  // The last screen, for the backend to leave behind.
  Lock lock(mu_);
  show(lock);
}

void Terminal::holdAll() {
  liveMu.lock();
  for (Terminal* t : live) t->mu_.lock();
}

void Terminal::releaseAll() {
  for (Terminal* t : live) t->mu_.unlock();
  liveMu.unlock();
}

// The shower thread: shows drawing that has waited kShowAfter unshown.
void Terminal::showLater() {
  Lock lock(mu_);
  while (!stop_) {
    if (!dirty_) {
      wake_.wait(lock);
      continue;
    }
    const auto due = dirtySince_ + kShowAfter;
    if (std::chrono::steady_clock::now() < due) {
      wake_.wait_until(lock, due);
      continue;
    }
    show(lock);
  }
}

// The shower thread shows what waited; the program's thread shows it only
// when it keeps the lock so busy that the shower cannot take it. The clock
// is read once in kChangesPerLook changes for that.
void Terminal::changed(const Lock& lock) {
  if (!dirty_) {
    dirty_ = true;
    dirtySince_ = std::chrono::steady_clock::now();
    sinceLook_ = 0;
    wake_.notify_one();
  } else if (++sinceLook_ >= kChangesPerLook) {
    sinceLook_ = 0;
    if (std::chrono::steady_clock::now() - dirtySince_ >= kShowAfter) show(lock);
  }
}

void Terminal::show(const Lock&) {
  CursorState c{row_, col_ == kCols ? kCols - 1 : col_, shape_};
  backend_->present(screen_, c);
  dirty_ = false;
}

void Terminal::flush() {
  Lock lock(mu_);
  show(lock);
}

void Terminal::put(int row, int col, std::uint8_t ch, std::uint8_t attr) {
  screen_.set(row, col, {ch, attr});
}

void Terminal::setColor(std::string_view spec) { colors_ = applyColorSpec(colors_, spec); }

void Terminal::devPos(int row, int col) {
  if (device_ == Device::Printer) {
    printer_.pos(row, col);
    return;
  }
  Lock lock(mu_);
  row_ = row;
  col_ = col;
  changed(lock);
}

void Terminal::devOut(std::string_view text) { devOutAttr(text, colors_[Slot::Standard]); }

void Terminal::devOut(std::string_view text, std::string_view color) {
  const auto pair = parseColorPair(color.substr(0, color.find(',')));
  devOutAttr(text, pair ? *pair : colors_[Slot::Standard]);
}

void Terminal::devOutAttr(std::string_view text, std::uint8_t attr) {
  if (device_ == Device::Printer) {
    printer_.out(text);
    return;
  }
  Lock lock(mu_);
  outAt(text, attr);
  changed(lock);
}

void Terminal::devOutAttrAt(int row, int col, std::string_view text, std::uint8_t attr, int toRow,
                            int toCol) {
  if (device_ == Device::Printer) {
    devPos(row, col);
    devOutAttr(text, attr);
    devPos(toRow, toCol);
    return;
  }
  Lock lock(mu_);
  row_ = row;
  col_ = col;
  outAt(text, attr);
  row_ = toRow;
  col_ = toCol;
  changed(lock);
}

void Terminal::outAt(std::string_view text, std::uint8_t attr) {
  const long long start = col_;
  const long long end = start + static_cast<long long>(text.size());
  if (row_ >= 0 && row_ < kRows) {
    for (long long c = std::max(start, 0LL); c < std::min(end, static_cast<long long>(kCols)); ++c)
      put(row_, static_cast<int>(c), static_cast<std::uint8_t>(text[static_cast<std::size_t>(c - start)]),
          attr);
  }
  // The position moves on but never past the right edge of the screen.
  if (start < kCols) col_ = static_cast<int>(std::min(end, static_cast<long long>(kCols)));
}

void Terminal::dispBox(int top, int left, int bottom, int right, std::string_view frame) {
  auto ch = [&](std::size_t i) { return static_cast<std::uint8_t>(i < frame.size() ? frame[i] : ' '); };
  const std::uint8_t a = colors_[Slot::Standard];
  if (bottom < top || right < left) return;
  // Just off the screen is as good as far off, and keeps the sums below safe.
  top = std::clamp(top, -1, kRows);
  bottom = std::clamp(bottom, -1, kRows);
  left = std::clamp(left, -1, kCols);
  right = std::clamp(right, -1, kCols);
  const Span cols = clip(left, right, kCols);
  const Span rows = clip(top, bottom, kRows);
  Lock lock(mu_);
  auto edge = [&](int row, std::uint8_t first, std::uint8_t mid, std::uint8_t last) {
    if (row < 0 || row >= kRows) return;
    for (int c = cols.lo; c <= cols.hi; ++c) put(row, c, c == left ? first : c == right ? last : mid, a);
  };
  edge(top, ch(0), ch(1), ch(2));
  if (bottom > top) edge(bottom, ch(6), ch(5), ch(4));
  for (int r = std::max(rows.lo, top + 1); r <= std::min(rows.hi, bottom - 1); ++r) {
    put(r, left, ch(7), a);
    if (right > left) put(r, right, ch(3), a);
    if (frame.size() > 8)
      for (int c = std::max(cols.lo, left + 1); c <= std::min(cols.hi, right - 1); ++c) put(r, c, ch(8), a);
  }
  changed(lock);
}

void Terminal::clearCells(int top, int left, int bottom, int right) {
  const Span rows = clip(top, bottom, kRows);
  const Span cols = clip(left, right, kCols);
  for (int r = rows.lo; r <= rows.hi; ++r)
    for (int c = cols.lo; c <= cols.hi; ++c) put(r, c, ' ', colors_[Slot::Standard]);
}

void Terminal::clear(int top, int left, int bottom, int right) {
  Lock lock(mu_);
  clearCells(top, left, bottom, right);
  changed(lock);
}

void Terminal::cls() {
  Lock lock(mu_);
  clearCells(0, 0, kRows - 1, kCols - 1);
  row_ = 0;
  col_ = 0;
  changed(lock);
}

void Terminal::setCell(int row, int col, Cell c) {
  Lock lock(mu_);
  screen_.set(row, col, c);
  changed(lock);
}

Region Terminal::saveRegion(int top, int left, int bottom, int right) const {
  Region region;
  const Span rows = clip(top, bottom, kRows);
  const Span cols = clip(left, right, kCols);
  if (rows.lo > rows.hi || cols.lo > cols.hi) return region;
  region.top_ = rows.lo;
  region.bottom_ = rows.hi;
  region.left_ = cols.lo;
  region.right_ = cols.hi;
  for (int r = rows.lo; r <= rows.hi; ++r)
    for (int c = cols.lo; c <= cols.hi; ++c) region.cells_.push_back(screen_.cell(r, c));
  return region;
}

void Terminal::restoreRegion(const Region& region) {
  Lock lock(mu_);
  std::size_t i = 0;
  for (int r = region.top_; r <= region.bottom_; ++r)
    for (int c = region.left_; c <= region.right_ && i < region.cells_.size(); ++c)
      screen_.set(r, c, region.cells_[i++]);
  changed(lock);
}

void Terminal::setCursor(CursorShape shape) {
  Lock lock(mu_);
  shape_ = shape;
  changed(lock);
}

int Terminal::fromDevice(int timeoutMs) {
  // A poll shows the screen only when drawing has waited long enough; a read
  // that waits always shows it first.
  Lock lock(mu_);
  if (dirty_ && (timeoutMs != 0 || std::chrono::steady_clock::now() - dirtySince_ >= kShowAfter)) show(lock);
  const int k = backend_->readKey(timeoutMs);
  lock.unlock();
  if (k == key::kAltC && cancel_) {
    const auto& chain = errors_.chain();
    std::string out = "Cancelled at: ";
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if (it != chain.rbegin()) out += "Called from ";
      out += it->name + " (" + std::to_string(it->line) + ")\n";
    }
    if (chain.empty()) out += "\n";
    errors_.writeErr(out);
    throw err::ProgramExit(0);
  }
  return k;
}

int Terminal::take(int timeoutMs) {
  int k = 0;
  if (!typeAhead_.empty()) {
    k = typeAhead_.front();
    typeAhead_.pop_front();
  } else if (peeked_) {
    k = *peeked_;
    peeked_.reset();
  } else {
    k = fromDevice(timeoutMs);
  }
  if (k != 0) lastKey_ = k;
  return k;
}

int Terminal::inkey(double seconds) {
  if (!(seconds > 0)) return take(-1);
  const double ms = std::ceil(seconds * 1000.0);
  return take(ms >= INT_MAX / 2 ? INT_MAX / 2 : static_cast<int>(ms));
}

int Terminal::readKey() { return take(-1); }

int Terminal::pollKey() { return take(0); }

int Terminal::nextKey() {
  if (!typeAhead_.empty()) return typeAhead_.front();
  if (!peeked_) {
    const int k = fromDevice(0);
    if (k == 0) return 0;
    peeked_ = k;
  }
  return *peeked_;
}

void Terminal::clearTypeAhead() {
  typeAhead_.clear();
  peeked_.reset();
  Lock lock(mu_);
  backend_->discardPending();
}

void Terminal::stuff(int key) { typeAhead_.push_back(key); }

void Terminal::stuff(std::span<const int> keys) {
  typeAhead_.insert(typeAhead_.end(), keys.begin(), keys.end());
}

void Terminal::stuffText(std::string_view cp860) {
  for (char c : cp860) typeAhead_.push_back(static_cast<std::uint8_t>(c));
}

void Terminal::tone(double frequency, double ticks) {
  Lock lock(mu_);
  show(lock);
  backend_->tone(frequency, ticks);
}

}  // namespace rt::term
