// rt/ui/browse: the browse over a BrowseSource: column widths, the repaint of
// the rows around the current one, its keys and the handler's calls.
#include "rt/ui/browse.h"

#include <algorithm>
#include <vector>

#include "rt/term/keys.h"
#include "rt/term/screen_guard.h"
#include "rt/text/cp860.h"
#include "rt/text/strings.h"

namespace rt::ui {

namespace {

constexpr int kSepWidth = 3;  // " │ " between columns

class Browser {
 public:
  Browser(term::Terminal& term, BrowseSource& src, int top, int left, int bottom, int right,
          std::span<const BrowseColumn> columns)
      : term_(term),
        src_(src),
        top_(top),
        left_(left),
        right_(right),
        rows_(std::max(1, bottom - top - 1)),
        cols_(columns),
        standard_(term.colors()[term::Slot::Standard]),
        enhanced_(term.colors()[term::Slot::Enhanced]) {}

  void start() {
    stabilize();
    for (const BrowseColumn& c : cols_)
      widths_.push_back(static_cast<int>(std::max(c.heading.size(), c.text ? c.text().size() : 0)));
    rowPos_ = 0;
    drawHeadings();
    refreshAll();
  }

  // Idle mode for the next call without a key; clears the top and bottom marks.
  int idleMode() {
    const int mode = empty_ ? 3 : hitTop_ ? 1 : hitBottom_ ? 2 : 0;
    hitTop_ = hitBottom_ = false;
    return mode;
  }

  int column() const { return colCur_ + 1; }

  void placeCursor() { term_.devPos(top_ + 2 + rowPos_, left_ + columnX(colCur_)); }

  BrowseSource::Position position() const { return src_.position(); }

  // After the handler: repaint as its result and what it did ask.
  void after(int result, BrowseSource::Position before) {
    if (result == 2 || src_.eof() || src_.position() != before)
      refreshAll();
    else
      drawRow(rowPos_, true);
  }

  // The browse's own keys; false for any other key.
  bool navigate(int k) {
    switch (k) {
      case term::key::kDown:
        return vertical(src_.skip(1) == 0, hitBottom_, rowPos_ + 1);
      case term::key::kUp:
        return vertical(src_.skip(-1) == 0, hitTop_, rowPos_ - 1);
      case term::key::kPgDn:
        return vertical(src_.skip(rows_) == 0, hitBottom_, rowPos_);
      case term::key::kPgUp:
        return vertical(src_.skip(-rows_) == 0, hitTop_, rowPos_);
      case term::key::kCtrlPgUp: {
        const auto p = src_.position();
        if (!empty_) src_.goTop();
        return vertical(src_.position() == p, hitTop_, 0);
      }
      case term::key::kCtrlPgDn: {
        const auto p = src_.position();
        if (!empty_) src_.goBottom();
        return vertical(src_.position() == p, hitBottom_, rows_ - 1);
      }
      case term::key::kLeft:
        return horizontal(colCur_ - 1, leftCol_);
      case term::key::kRight:
        return horizontal(colCur_ + 1, leftCol_);
      case term::key::kHome:
        return horizontal(leftCol_, leftCol_);
      case term::key::kEnd:
        return horizontal(lastVisible(), leftCol_);
      case term::key::kCtrlHome:
        return horizontal(0, leftCol_);
      case term::key::kCtrlEnd:
        return horizontal(count() - 1, leftCol_);
      case term::key::kCtrlLeft:
        if (leftCol_ == 0) return true;
        return horizontal(colCur_ - 1, leftCol_ - 1);
      case term::key::kCtrlRight:
        if (lastVisible() == count() - 1) return true;
        return horizontal(colCur_ + 1, leftCol_ + 1);
      default:
        return false;
    }
  }

 private:
  int count() const { return static_cast<int>(cols_.size()); }

  // A row move: `stuck` when it could not move, which marks the top or bottom.
  bool vertical(bool stuck, bool& mark, int wantRow) {
    if (empty_) return true;
    if (stuck) {
      mark = true;
      return true;
    }
    rowPos_ = wantRow;
    refreshAll();
    return true;
  }

  bool horizontal(int col, int leftCol) {
    if (count() == 0) return true;
    col = std::clamp(col, 0, count() - 1);
    leftCol = std::clamp(leftCol, 0, count() - 1);
    if (col == colCur_ && leftCol == leftCol_) return true;
    colCur_ = col;
    leftCol_ = std::min(leftCol, colCur_);
    while (colCur_ > lastVisible()) ++leftCol_;
    drawHeadings();
    refreshAll();
    return true;
  }

  // The last column that fits from the first visible one.
  int lastVisible() const {
    int x = 0;
    int last = leftCol_;
    for (int i = leftCol_; i < count(); ++i) {
      x += widths_[static_cast<std::size_t>(i)] + (i > leftCol_ ? kSepWidth : 0);
      if (i > leftCol_ && x > width()) break;
      last = i;
    }
    return last;
  }

  int width() const { return std::max(0, right_ - left_ + 1); }

  // The column's left edge, relative to the box.
  int columnX(int col) const {
    int x = 0;
    for (int i = leftCol_; i < col; ++i) x += widths_[static_cast<std::size_t>(i)] + kSepWidth;
    return x;
  }

  // A source left at its end steps back onto its last row; none: empty.
  void stabilize() { empty_ = src_.eof() && src_.skip(-1) == 0; }

  // One line of the box: each visible column's piece from `piece`, the
  // separators from `sep`, the rest of the width from `fill`.
  template <class Piece>
  void line(int row, Piece piece, std::string_view sep, std::uint8_t sepAttr, char fill) {
    const int w = width();
    const int last = lastVisible();
    int x = 0;
    term_.devPos(row, left_);
    for (int i = leftCol_; i <= last && x < w; ++i) {
      if (i > leftCol_) {
        term_.devOutAttr(sep, sepAttr);
        x += kSepWidth;
      }
      const int cw = std::min(widths_[static_cast<std::size_t>(i)], w - x);
      piece(i, cw);
      x += cw;
    }
    if (x < w) term_.devOutAttr(std::string(static_cast<std::size_t>(w - x), fill), sepAttr);
  }

  void drawHeadings() {
    if (count() == 0) return;
    line(
        top_,
        [&](int i, int cw) {
          term_.devOutAttr(text::padR(cols_[static_cast<std::size_t>(i)].heading, cw), standard_);
        },
        " │ "_cp, standard_, ' ');
    const std::string dbl = "═"_cp;
    line(
        top_ + 1,
        [&](int, int cw) { term_.devOutAttr(std::string(static_cast<std::size_t>(cw), dbl[0]), standard_); },
        "═╤═"_cp, standard_, dbl[0]);
  }

  // Row r of the box from the source's current row, or blank.
  void drawRow(int r, bool current, bool blank = false) {
    if (count() == 0) return;
    line(
        top_ + 2 + r,
        [&](int i, int cw) {
          const auto& c = cols_[static_cast<std::size_t>(i)];
          const std::string t = blank || !c.text ? std::string() : c.text();
          term_.devOutAttr(text::padR(t, cw), current && i == colCur_ ? enhanced_ : standard_);
        },
        " │ "_cp, standard_, ' ');
  }

  // Repaints every row, keeping the current one at its place in the box as
  // far as the rows before and after it allow.
  void refreshAll() {
    stabilize();
    if (empty_) {
      rowPos_ = 0;
      for (int r = 0; r < rows_; ++r) drawRow(r, false, true);
      return;
    }
    const BrowseSource::Position here = src_.position();
    const int before = static_cast<int>(-src_.skip(-(rows_ - 1)));
    src_.goTo(here);
    const int afterRows = static_cast<int>(src_.skip(rows_ - 1));
    src_.goTo(here);
    const int lo = std::max(0, rows_ - 1 - afterRows);
    const int hi = std::min(before, rows_ - 1);
    rowPos_ = lo > hi ? before : std::clamp(rowPos_, lo, hi);

    src_.skip(-rowPos_);
    bool more = true;
    for (int r = 0; r < rows_; ++r) {
      drawRow(r, r == rowPos_, !more);
      if (more && r + 1 < rows_) more = src_.skip(1) == 1;
    }
    src_.goTo(here);
  }

  term::Terminal& term_;
  BrowseSource& src_;
  int top_, left_, right_, rows_;
  std::span<const BrowseColumn> cols_;
  std::uint8_t standard_, enhanced_;
  std::vector<int> widths_;
  int rowPos_ = 0;
  int colCur_ = 0, leftCol_ = 0;
  bool empty_ = false;
  bool hitTop_ = false, hitBottom_ = false;
};

}  // namespace

void dbEdit(term::Terminal& term, BrowseSource& source, int top, int left, int bottom, int right,
            std::span<const BrowseColumn> columns, const BrowseHandler& handler) {
  const term::ScreenGuard cursor(term, term::ScreenGuard::kCursor);
  term.setCursor(term::CursorShape::None);
  Browser b(term, source, top, left, bottom, right, columns);
  b.start();

  // The handler's call; false when it ends the browse.
  auto call = [&](int mode) {
    b.placeCursor();
    const BrowseSource::Position before = b.position();
    const int result = handler(mode, b.column());
    if (result == 0) return false;
    b.after(result, before);
    return true;
  };

  for (;;) {
    if (term.nextKey() == 0 && handler && !call(b.idleMode())) break;
    b.placeCursor();
    const int k = term.readKey();
    if (b.navigate(k)) continue;
    if (!handler) {
      if (k == term::key::kEnter || k == term::key::kEsc) break;
      continue;
    }
    if (!call(4)) break;
  }
}

}  // namespace rt::ui
