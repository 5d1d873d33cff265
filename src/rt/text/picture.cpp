// rt/text/picture: Transform() of numbers, texts, dates and logicals.
#include "rt/text/picture.h"

#include "rt/text/cp860.h"
#include "rt/text/number.h"

namespace rt::text {

namespace {

struct Picture {
  bool r = false, e = false, z = false, upper = false;
  std::string_view tmpl;
};

Picture parse(std::string_view p) {
  Picture pic;
  if (!p.empty() && p[0] == '@') {
    std::size_t end = p.find(' ');
    const std::string_view fns =
        p.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
    for (char c : fns) {
      switch (c) {
        case 'R':
        case 'r':
          pic.r = true;
          break;
        case 'E':
        case 'e':
          pic.e = true;
          break;
        case 'Z':
        case 'z':
          pic.z = true;
          break;
        case '!':
          pic.upper = true;
          break;
        default:
          break;
      }
    }
    pic.tmpl = end == std::string_view::npos ? std::string_view() : p.substr(end + 1);
  } else {
    pic.tmpl = p;
  }
  return pic;
}

bool digitPlace(char c) { return c == '9' || c == '#'; }
bool textPlace(char c) { return c == '9' || c == '#' || c == 'X' || c == 'A' || c == 'N' || c == '!'; }

void europeanSwap(std::string& s) {
  for (char& c : s) {
    if (c == '.')
      c = ',';
    else if (c == ',')
      c = '.';
  }
}

}  // namespace

std::string transformNumber(double value, std::string_view picture, int width, int decimals) {
  const Picture pic = parse(picture);
  const std::string_view t = pic.tmpl;

  if (t.empty()) {
    std::string s = str(value, width, decimals);
    if (pic.z && fixed(value, decimals).find_first_of("123456789") == std::string::npos)
      return std::string(s.size(), ' ');
    if (pic.e) europeanSwap(s);
    return s;
  }

  const std::size_t dot = t.find('.');
  const std::size_t intEnd = dot == std::string_view::npos ? t.size() : dot;
  int places = 0;
  bool intPlaces = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!digitPlace(t[i])) continue;
    if (i > intEnd)
      ++places;
    else
      intPlaces = true;
  }

  const char thousands = pic.e ? '.' : ',';
  const char point = pic.e ? ',' : '.';
  std::string out(t);
  auto overflow = [&] {
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (i == dot)
        out[i] = point;
      else if (digitPlace(t[i]) || t[i] == ',')
        out[i] = '*';
    }
    return out;
  };

  const std::string digits = fixed(value, places);
  if (digits.empty()) return overflow();
  const bool negative = digits[0] == '-';
  if (pic.z && digits.find_first_of("123456789") == std::string::npos) return std::string(t.size(), ' ');

  const std::size_t from = negative ? 1 : 0;
  const std::size_t pointAt = digits.find('.');
  std::string_view whole = std::string_view(digits).substr(
      from, pointAt == std::string::npos ? std::string::npos : pointAt - from);
  const std::string_view frac =
      pointAt == std::string::npos ? std::string_view() : std::string_view(digits).substr(pointAt + 1);
  if (whole == "0" && !intPlaces) whole = {};

  // Decimals, left to right after the point.
  std::size_t f = 0;
  for (std::size_t i = intEnd + 1; i < t.size(); ++i) {
    if (digitPlace(t[i]))
      out[i] = f < frac.size() ? frac[f++] : '0';
    else if (t[i] == ',')
      out[i] = thousands;
  }
  if (dot != std::string_view::npos) out[dot] = point;

  // Integer digits, right to left from the point. free marks places left
  // blank, where a sign may go.
  std::size_t left = whole.size();
  std::size_t leading = intEnd;  // position of the leading digit
  for (std::size_t i = intEnd; i-- > 0;) {
    if (digitPlace(t[i])) {
      if (left > 0) {
        out[i] = whole[--left];
        leading = i;
      } else {
        out[i] = ' ';
      }
    } else if (t[i] == ',') {
      out[i] = left > 0 ? thousands : ' ';
    }
  }
  if (left > 0) return overflow();

  if (negative) {
    // The sign stands just left of the leading digit, in a place or a blank
    // separator.
    if (leading == 0 || !(digitPlace(t[leading - 1]) || t[leading - 1] == ',')) return overflow();
    out[leading - 1] = '-';
  }
  return out;
}

std::string transformText(std::string_view value, std::string_view picture) {
  const Picture pic = parse(picture);
  std::string v = pic.upper ? upper(value) : std::string(value);
  const std::string_view t = pic.tmpl;
  if (t.empty()) return v;

  std::string out;
  out.reserve(t.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (textPlace(c)) {
      char ch = next < v.size() ? v[next] : ' ';
      ++next;
      if (c == '!') ch = static_cast<char>(upper(static_cast<std::uint8_t>(ch)));
      out.push_back(ch);
    } else {
      out.push_back(c);
      if (!pic.r) ++next;  // the literal stands in place of the text's character
    }
  }
  return out;
}

std::string transformDate(Date value, std::string_view) { return dtoc(value); }

std::string transformLogical(bool value, std::string_view picture) {
  const Picture pic = parse(picture);
  if (!pic.tmpl.empty() && (pic.tmpl[0] == 'Y' || pic.tmpl[0] == 'y')) return value ? "Y" : "N";
  return value ? "T" : "F";
}

}  // namespace rt::text
