// rt/ui/achoice: the list, its highlight over the selectable items, its
// scrolling and its keys, with or without a callback.
#include "rt/ui/achoice.h"

#include <algorithm>

#include "rt/term/keys.h"
#include "rt/text/strings.h"

namespace rt::ui {

namespace {

class List {
 public:
  List(term::Terminal& term, int top, int left, int bottom, int right, std::span<const std::string> items,
       const std::vector<bool>& selectable)
      : term_(term),
        top_(top),
        left_(left),
        rows_(std::max(1, bottom - top + 1)),
        width_(std::max(0, right - left + 1)),
        items_(items),
        selectable_(selectable),
        n_(static_cast<int>(items.size())),
        standard_(term.colors()[term::Slot::Standard]),
        enhanced_(term.colors()[term::Slot::Enhanced]),
        unselected_(term.colors()[term::Slot::Unselected]) {
    firstSel_ = after(0);
    lastSel_ = before(n_ - 1);
  }

  bool any() const { return firstSel_ >= 0; }
  int current() const { return cur_; }
  int row() const { return cur_ - first_; }

  void start(int item) {
    const int i = std::clamp(item, 1, n_) - 1;
    cur_ = after(i) >= 0 ? after(i) : before(i);
    first_ = 0;
    reveal();
  }

  void draw() {
    for (int r = 0; r < rows_; ++r) {
      const int i = first_ + r;
      std::uint8_t attr = standard_;
      if (i == cur_)
        attr = enhanced_;
      else if (i < n_ && !ok(i))
        attr = unselected_;
      term_.devPos(top_ + r, left_);
      term_.devOutAttr(
          text::padR(i < n_ ? std::string_view(items_[static_cast<std::size_t>(i)]) : "", width_), attr);
    }
    term_.devPos(top_ + row(), left_);
  }

  // Movement keys: -1 when the key is none, else the mode it gives.
  int move(int k) {
    switch (k) {
      case term::key::kUp:
        if (cur_ == firstSel_) return 1;
        go(before(cur_ - 1));
        return 0;
      case term::key::kDown:
        if (cur_ == lastSel_) return 2;
        go(after(cur_ + 1));
        return 0;
      case term::key::kPgUp:
        if (cur_ == firstSel_) return 1;
        first_ = std::max(0, first_ - rows_);
        go(nearBefore(cur_ - rows_));
        return 0;
      case term::key::kPgDn:
        if (cur_ == lastSel_) return 2;
        first_ = std::min(first_ + rows_, std::max(0, n_ - rows_));
        go(nearAfter(cur_ + rows_));
        return 0;
      case term::key::kCtrlPgUp:
        if (cur_ == firstSel_) return 1;
        go(firstSel_);
        return 0;
      case term::key::kCtrlPgDn:
        if (cur_ == lastSel_) return 2;
        go(lastSel_);
        return 0;
      case term::key::kCtrlHome: {
        if (cur_ == firstSel_) return 1;
        const int i = after(first_);
        if (i < cur_) go(i);
        return 0;
      }
      case term::key::kCtrlEnd: {
        if (cur_ == lastSel_) return 2;
        const int i = before(first_ + rows_ - 1);
        if (i > cur_) go(i);
        return 0;
      }
      default:
        return -1;
    }
  }

  void go(int i) {
    cur_ = i;
    reveal();
  }
  int firstSelectable() const { return firstSel_; }
  int lastSelectable() const { return lastSel_; }

 private:
  bool ok(int i) const {
    return static_cast<std::size_t>(i) >= selectable_.size() || selectable_[static_cast<std::size_t>(i)];
  }
  // The first selectable item at or after i, the last at or before i; -1 when none.
  int after(int i) const {
    for (i = std::max(i, 0); i < n_; ++i)
      if (ok(i)) return i;
    return -1;
  }
  int before(int i) const {
    for (i = std::min(i, n_ - 1); i >= 0; --i)
      if (ok(i)) return i;
    return -1;
  }
  // A selectable item toward i from the current one, at most as far as i;
  // past i only when there is none before it.
  int nearBefore(int i) const {
    const int a = after(std::max(i, 0));
    return a >= 0 && a < cur_ ? a : before(cur_ - 1);
  }
  int nearAfter(int i) const {
    const int b = before(std::min(i, n_ - 1));
    return b > cur_ ? b : after(cur_ + 1);
  }

  void reveal() {
    if (cur_ < first_) first_ = cur_;
    if (cur_ >= first_ + rows_) first_ = cur_ - rows_ + 1;
  }

  term::Terminal& term_;
  int top_, left_, rows_, width_;
  std::span<const std::string> items_;
  const std::vector<bool>& selectable_;
  int n_;
  std::uint8_t standard_, enhanced_, unselected_;
  int firstSel_ = -1, lastSel_ = -1;
  int cur_ = 0, first_ = 0;
};

}  // namespace

int achoice(term::Terminal& term, int top, int left, int bottom, int right,
            std::span<const std::string> items, const std::vector<bool>& selectable,
            const ListCallback& callback, int start) {
  if (items.empty()) return 0;
  List list(term, top, left, bottom, right, items, selectable);
  if (!list.any()) return 0;
  list.start(start);
  for (;;) {
    list.draw();
    const int k = term.readKey();
    int mode = list.move(k);
    if (callback) {
      if (mode < 0) mode = 3;
      list.draw();
      const int r = callback(mode, list.current() + 1, list.row());
      if (r == 0) return 0;
      if (r == 1) return list.current() + 1;
      continue;
    }
    if (mode >= 0) continue;
    switch (k) {
      case term::key::kEnter:
        return list.current() + 1;
      case term::key::kEsc:
      case term::key::kLeft:
      case term::key::kRight:
        return 0;
      case term::key::kHome:
        list.go(list.firstSelectable());
        break;
      case term::key::kEnd:
        list.go(list.lastSelectable());
        break;
      default:
        break;
    }
  }
}

}  // namespace rt::ui
