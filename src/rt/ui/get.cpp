// rt/ui/get: a field's picture laid out for its value, what it shows, the
// editing keys, the value read back from it, and the modal read.
#include "rt/ui/get.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "rt/term/keys.h"
#include "rt/term/screen_guard.h"
#include "rt/text/cp860.h"
#include "rt/text/date.h"
#include "rt/text/number.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"

namespace rt::ui {

namespace {

enum class Kind { Text, Number, Date };

enum class Leave { Forward, Back, End, Escape };

Kind kindOf(const Value& v) {
  switch (v.type()) {
    case Value::Type::Character:
      return Kind::Text;
    case Value::Type::Number:
      return Kind::Number;
    case Value::Type::Date:
      return Kind::Date;
    default:
      throw std::invalid_argument(std::string("input field on a value of type ") + v.typeLetter());
  }
}

bool isDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

bool isLetter(std::uint8_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return c >= 128 && (text::upper(c) != c ||
                      text::lower(std::string(1, static_cast<char>(c)))[0] != static_cast<char>(c));
}

// The picture of a field, resolved for its value: one template character per
// buffer position.
struct Layout {
  Kind kind = Kind::Text;
  bool upperAll = false;
  std::string mask;
  std::vector<std::size_t> places;  // buffer positions the operator edits

  bool isPlace(char m) const {
    switch (kind) {
      case Kind::Text:
        return m == '9' || m == '#' || m == 'A' || m == 'N' || m == 'X' || m == '!';
      case Kind::Number:
        return m == '9' || m == '#';
      case Kind::Date:
        return m == '9';
    }
    return false;
  }

  // Whether a place takes a typed character.
  bool takes(char m, std::uint8_t c) const {
    switch (m) {
      case '9':
        return isDigit(c) || (kind == Kind::Number && c == '-');
      case '#':
        return isDigit(c) || c == ' ' || c == '+' || c == '-';
      case 'A':
        return isLetter(c);
      case 'N':
        return isLetter(c) || isDigit(c);
      default:
        return true;  // X and !
    }
  }

  std::uint8_t typed(char m, std::uint8_t c) const {
    return (kind == Kind::Text && (upperAll || m == '!')) ? text::upper(c) : c;
  }
};

Layout layoutOf(const Value& v, std::string_view picture) {
  Layout l;
  l.kind = kindOf(v);
  std::string_view tmpl = picture;
  if (!picture.empty() && picture[0] == '@') {
    const std::size_t blank = picture.find(' ');
    const std::string_view fns =
        picture.substr(1, blank == std::string_view::npos ? std::string_view::npos : blank - 1);
    l.upperAll = fns.find('!') != std::string_view::npos;
    tmpl = blank == std::string_view::npos ? std::string_view() : picture.substr(blank + 1);
  }
  switch (l.kind) {
    case Kind::Text:
      l.mask = tmpl.empty() ? std::string(v.string().size(), 'X') : std::string(tmpl);
      break;
    case Kind::Number:
      if (tmpl.empty()) {
        const Number& n = v.numberInfo();
        l.mask = std::string(text::str(n.value, n.width, n.decimals).size(), '9');
        if (n.decimals > 0) l.mask[l.mask.size() - 1 - static_cast<std::size_t>(n.decimals)] = '.';
      } else {
        l.mask = std::string(tmpl);
      }
      break;
    case Kind::Date:
      l.mask = "99/99/9999";
      break;
  }
  for (std::size_t i = 0; i < l.mask.size(); ++i)
    if (l.isPlace(l.mask[i])) l.places.push_back(i);
  return l;
}

// What the field shows for a value.
std::string display(const Layout& l, const Value& v, std::string_view picture) {
  switch (l.kind) {
    case Kind::Text: {
      const std::string& s = v.string();
      std::string out(l.mask.size(), ' ');
      for (std::size_t i = 0; i < l.mask.size(); ++i) {
        const char m = l.mask[i];
        if (!l.isPlace(m))
          out[i] = m;
        else if (i < s.size())
          out[i] = static_cast<char>(l.typed(m, static_cast<std::uint8_t>(s[i])));
      }
      return out;
    }
    case Kind::Number: {
      const Number& n = v.numberInfo();
      return text::transformNumber(n.value, picture, n.width, n.decimals);
    }
    case Kind::Date:
      return text::dtoc(v.date());
  }
  return {};
}

// Puts the value the buffer holds into var; false for a date that is no
// calendar date.
bool readBack(const Layout& l, const std::string& buf, Value& var) {
  switch (l.kind) {
    case Kind::Text: {
      std::string& s = var.string();
      s = s.size() > buf.size() ? buf + s.substr(buf.size()) : buf;
      return true;
    }
    case Kind::Number: {
      const std::size_t dot = l.mask.find('.');
      std::string digits;
      for (std::size_t i = 0; i < buf.size(); ++i) {
        if (l.isPlace(l.mask[i]))
          digits.push_back(buf[i]);
        else if (i == dot)
          digits.push_back('.');
      }
      const Number n = var.numberInfo();
      var = Value::number(text::val(text::lTrim(digits)).value, n.width, n.decimals);
      return true;
    }
    case Kind::Date: {
      const text::Date d = text::ctod(buf);
      if (d.empty() && buf.find_first_of("0123456789") != std::string::npos) return false;
      var = Value(d);
      return true;
    }
  }
  return false;
}

void show(term::Terminal& term, const Get& g, const std::string& text, std::uint8_t attr) {
  term.devPos(g.row, g.col);
  term.devOutAttr(text, attr);
}

// One field with the focus, until the operator leaves it.
class Editor {
 public:
  Editor(term::Terminal& term, const Get& g) : term_(term), g_(g), layout_(layoutOf(*g.var, g.picture)) {}

  Leave run() {
    const Value original = *g_.var;
    reload();
    for (;;) {
      show(term_, g_, buf_, g_.enhanced);
      const std::size_t at = pos_ < layout_.places.size() ? layout_.places[pos_] : buf_.size();
      term_.devPos(g_.row, g_.col + static_cast<int>(at));
      const int k = term_.readKey();
      switch (k) {
        case term::key::kEnter:
        case term::key::kDown:
        case term::key::kPgDn:
          if (leave()) return Leave::Forward;
          break;
        case term::key::kUp:
          if (leave()) return Leave::Back;
          break;
        case term::key::kPgUp:
          if (leave()) return Leave::End;
          break;
        case term::key::kEsc:
          *g_.var = original;
          return Leave::Escape;
        case term::key::kLeft:
          move(pos_ > 0 ? pos_ - 1 : 0);
          break;
        case term::key::kRight:
          move(pos_ + 1 < places() ? pos_ + 1 : pos_);
          break;
        case term::key::kHome:
          move(0);
          break;
        case term::key::kEnd:
          move(endPlace());
          break;
        case term::key::kBackspace:
          clear_ = false;
          if (pos_ > 0) erase(--pos_);
          break;
        case term::key::kDel:
          clear_ = false;
          erase(pos_);
          break;
        default:
          // Confirm is off: filling the last place leaves the field.
          if (k >= 32 && k <= 255 && type(static_cast<std::uint8_t>(k)) && leave()) return Leave::Forward;
          break;
      }
    }
  }

 private:
  std::size_t places() const { return layout_.places.size(); }

  void reload() {
    buf_ = display(layout_, *g_.var, g_.picture);
    buf_.resize(layout_.mask.size(), ' ');
    pos_ = 0;
    changed_ = false;
    clear_ = layout_.kind == Kind::Number;
  }

  void move(std::size_t p) {
    clear_ = false;
    pos_ = p;
  }

  // The place after the last non-blank one, at most the last place.
  std::size_t endPlace() const {
    std::size_t end = 0;
    for (std::size_t i = 0; i < places(); ++i)
      if (buf_[layout_.places[i]] != ' ') end = i + 1;
    return places() == 0 ? 0 : std::min(end, places() - 1);
  }

  void erase(std::size_t p) {
    if (p >= places()) return;
    for (std::size_t i = p; i + 1 < places(); ++i) buf_[layout_.places[i]] = buf_[layout_.places[i + 1]];
    buf_[layout_.places[places() - 1]] = ' ';
    changed_ = true;
  }

  // Types one character at the cursor; true when it was taken and it filled
  // the last place.
  bool type(std::uint8_t c) {
    if (pos_ >= places()) return false;
    const char m = layout_.mask[layout_.places[pos_]];
    if (!layout_.takes(m, c)) return false;
    if (clear_) {
      for (std::size_t p : layout_.places) buf_[p] = ' ';
      pos_ = 0;
      clear_ = false;
    }
    buf_[layout_.places[pos_]] = static_cast<char>(layout_.typed(m, c));
    changed_ = true;
    ++pos_;
    return pos_ == places();
  }

  // Assigns what was typed and asks the VALID rule; false keeps the field
  // open.
  bool leave() {
    if (changed_) {
      if (!readBack(layout_, buf_, *g_.var)) {
        pos_ = 0;
        return false;
      }
      changed_ = false;
    }
    if (g_.valid && !g_.valid(*g_.var)) {
      reload();
      return false;
    }
    return true;
  }

  term::Terminal& term_;
  const Get& g_;
  Layout layout_;
  std::string buf_;
  std::size_t pos_ = 0;
  bool changed_ = false;
  bool clear_ = false;
};

}  // namespace

void GetList::add(term::Terminal& term, int row, int col, Value& var, std::string_view picture, Valid valid) {
  const Layout l = layoutOf(var, picture);
  Get g{row,
        col,
        &var,
        std::string(picture),
        std::move(valid),
        term.colors()[term::Slot::Unselected],
        term.colors()[term::Slot::Enhanced]};
  show(term, g, display(l, var, g.picture), g.unselected);
  gets_.push_back(std::move(g));
}

void readModal(term::Terminal& term, GetList& list) {
  const std::vector<Get>& gets = list.gets();
  if (gets.empty()) return;
  const term::ScreenGuard cursor(term, term::ScreenGuard::kCursor);
  if (term.cursor() == term::CursorShape::None) term.setCursor(term::CursorShape::Normal);

  auto plain = [&](const Get& g) {
    show(term, g, display(layoutOf(*g.var, g.picture), *g.var, g.picture), g.unselected);
  };
  std::size_t i = 0;
  for (;;) {
    const Leave how = Editor(term, gets[i]).run();
    plain(gets[i]);
    if (how == Leave::Forward && i + 1 < gets.size())
      ++i;
    else if (how == Leave::Back && i > 0)
      --i;
    else
      break;
  }
  for (const Get& g : gets) plain(g);
  list.clear();
}

}  // namespace rt::ui
