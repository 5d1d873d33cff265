// The built-in functions of the evaluator.
#include <array>
#include <cmath>
#include <limits>

#include "rt/expr/functions.h"
#include "rt/expr/node.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"

namespace rt::expr {

namespace {

namespace tx = rt::text;

// The longest text a function builds (the classic string limit).
constexpr double kMaxText = 65535;

bool given(const Value* a, int n, int i) { return i < n && !a[i].isNil(); }

int toInt(double d) {
  if (!(d == d)) return 0;
  if (d > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (d < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(d);
}

Value integer(double v) { return Value::number(v, -1, 0); }

// A text argument taken over as the result, to change in place.
std::string& takeText(Value* a, Value& out) {
  out = std::move(a[0]);
  return out.string();
}

bool fnAbs(Value* a, int, Value& out) {
  if (!a[0].isNumber()) return false;
  Number x = a[0].numberInfo();
  x.value = std::fabs(x.value);
  out = x;
  return true;
}

bool fnAllTrim(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  out = Value::str(std::string(tx::allTrim(a[0].string())));
  return true;
}

bool fnAsc(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  const std::string& s = a[0].string();
  out = integer(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
  return true;
}

bool fnAt(Value* a, int, Value& out) {
  if (!a[0].isString() || !a[1].isString()) return false;
  const std::string& needle = a[0].string();
  const std::size_t p = needle.empty() ? std::string::npos : a[1].string().find(needle);
  out = integer(p == std::string::npos ? 0 : static_cast<double>(p + 1));
  return true;
}

bool fnChr(Value* a, int, Value& out) {
  if (!a[0].isNumber()) return false;
  const int code = toInt(a[0].num()) % 256;
  out = Value::str(std::string(1, static_cast<char>(code < 0 ? code + 256 : code)));
  return true;
}

bool fnCtoD(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  out = tx::ctod(a[0].string());
  return true;
}

bool fnDate(Value*, int, Value& out) {
  out = tx::Date::today();
  return true;
}

bool datePart(Value* a, Value& out, int which) {
  if (!a[0].isDate()) return false;
  int ymd[3];
  a[0].date().ymd(ymd[0], ymd[1], ymd[2]);
  out = integer(ymd[which]);
  return true;
}
bool fnYear(Value* a, int, Value& out) { return datePart(a, out, 0); }
bool fnMonth(Value* a, int, Value& out) { return datePart(a, out, 1); }
bool fnDay(Value* a, int, Value& out) { return datePart(a, out, 2); }

bool fnDtoC(Value* a, int, Value& out) {
  if (!a[0].isDate()) return false;
  out = Value::str(tx::dtoc(a[0].date()));
  return true;
}

bool fnDtoS(Value* a, int, Value& out) {
  if (!a[0].isDate()) return false;
  out = Value::str(a[0].date().dtos());
  return true;
}

bool fnEmpty(Value* a, int, Value& out) {
  out = isEmpty(a[0]);
  return true;
}

bool fnIif(Value*, int, Value&) { return false; }  // compiled into Op::Iif

bool fnInt(Value* a, int, Value& out) {
  if (!a[0].isNumber()) return false;
  out = integer(tx::intPart(a[0].num()));
  return true;
}

bool fnLeft(Value* a, int, Value& out) {
  if (!a[0].isString() || !a[1].isNumber()) return false;
  const int n = toInt(a[1].num());
  std::string& s = takeText(a, out);
  s.resize(n <= 0 ? 0 : std::min(s.size(), static_cast<std::size_t>(n)));
  return true;
}

bool fnLen(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  out = integer(static_cast<double>(a[0].string().size()));
  return true;
}

bool fnLower(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  out = Value::str(tx::lower(a[0].string()));
  return true;
}

bool fnLTrim(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  out = Value::str(std::string(tx::lTrim(a[0].string())));
  return true;
}

// The text a pad function works on: texts as they are, numbers as Str()
// shows them without blanks, dates as DtoC() shows them.
bool padArgs(Value* a, int n, std::string& text, int& width, char& fill) {
  if (a[0].isString())
    text = a[0].string();
  else if (a[0].isNumber())
    text = std::string(tx::allTrim(tx::str(a[0].num(), a[0].numberInfo().width, a[0].numberInfo().decimals)));
  else if (a[0].isDate())
    text = tx::dtoc(a[0].date());
  else
    return false;
  if (!a[1].isNumber()) return false;
  width = toInt(a[1].num());
  if (width > kMaxText) return false;
  fill = ' ';
  if (given(a, n, 2)) {
    if (!a[2].isString()) return false;
    if (!a[2].string().empty()) fill = a[2].string()[0];
  }
  return true;
}

template <std::string (*Pad)(std::string_view, int, char)>
bool fnPad(Value* a, int n, Value& out) {
  std::string text;
  int width;
  char fill;
  if (!padArgs(a, n, text, width, fill)) return false;
  out = Value::str(Pad(text, width, fill));
  return true;
}

bool fnReplicate(Value* a, int, Value& out) {
  if (!a[0].isString() || !a[1].isNumber()) return false;
  const int n = toInt(a[1].num());
  const std::string& s = a[0].string();
  if (n > 0 && static_cast<double>(s.size()) * n > kMaxText) return false;
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  out = Value::str(std::move(r));
  return true;
}

bool fnRight(Value* a, int, Value& out) {
  if (!a[0].isString() || !a[1].isNumber()) return false;
  const int n = toInt(a[1].num());
  std::string& s = takeText(a, out);
  if (n <= 0)
    s.clear();
  else if (static_cast<std::size_t>(n) < s.size())
    s.erase(0, s.size() - static_cast<std::size_t>(n));
  return true;
}

bool fnRound(Value* a, int, Value& out) {
  if (!a[0].isNumber() || !a[1].isNumber()) return false;
  const int d = toInt(a[1].num());
  out = Value::number(tx::roundTo(a[0].num(), d), -1, d > 0 ? d : 0);
  return true;
}

bool fnRTrim(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  std::string& s = takeText(a, out);
  s.resize(tx::rTrim(s).size());
  return true;
}

bool fnSpace(Value* a, int, Value& out) {
  if (!a[0].isNumber() || a[0].num() > kMaxText) return false;
  out = Value::str(tx::space(toInt(a[0].num())));
  return true;
}

bool numberText(Value* a, int n, std::string (*format)(double, int, int), Value& out) {
  if (!a[0].isNumber()) return false;
  const Number& x = a[0].numberInfo();
  if (!given(a, n, 1)) {
    out = Value::str(format(x.value, x.width, x.decimals));
    return true;
  }
  if (!a[1].isNumber() || (given(a, n, 2) && !a[2].isNumber())) return false;
  const int width = toInt(a[1].num());
  if (width > kMaxText) return false;
  const int decimals = given(a, n, 2) ? toInt(a[2].num()) : 0;
  out = Value::str(format(x.value, width, decimals));
  return true;
}
bool fnStr(Value* a, int n, Value& out) { return numberText(a, n, tx::str, out); }
bool fnStrZero(Value* a, int n, Value& out) { return numberText(a, n, tx::strZero, out); }

bool fnSubStr(Value* a, int n, Value& out) {
  if (!a[0].isString() || !a[1].isNumber() || (given(a, n, 2) && !a[2].isNumber())) return false;
  const std::string& t = a[0].string();
  const std::string_view part =
      tx::subStr(t, toInt(a[1].num()), given(a, n, 2) ? toInt(a[2].num()) : static_cast<long long>(t.size()));
  const auto from = static_cast<std::size_t>(part.data() - t.data());
  const std::size_t count = part.size();
  std::string& s = takeText(a, out);
  s.erase(0, from);
  s.resize(count);
  return true;
}

bool fnTransform(Value* a, int, Value& out) {
  if (!a[1].isString()) return false;
  auto s = transform(a[0], a[1].string());
  if (!s) return false;
  out = Value::str(std::move(*s));
  return true;
}

bool fnUpper(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  std::string& s = takeText(a, out);
  for (char& c : s) c = static_cast<char>(tx::upper(static_cast<std::uint8_t>(c)));
  return true;
}

bool fnVal(Value* a, int, Value& out) {
  if (!a[0].isString()) return false;
  const tx::NumberText v = tx::val(a[0].string());
  out = Value::number(v.value, v.width, v.decimals);
  return true;
}

// Names are upper case; a name written with at least four characters stands
// for the first built-in it begins.
constexpr Builtin kBuiltins[] = {
    {"ABS", 1, 1, 1089, fnAbs},
    {"ALLTRIM", 1, 1, 2022, fnAllTrim},
    {"ASC", 1, 1, 1107, fnAsc},
    {"AT", 2, 2, 1108, fnAt},
    {"CHR", 1, 1, 1104, fnChr},
    {"CTOD", 1, 1, 1119, fnCtoD},
    {"DATE", 0, 0, 1116, fnDate},
    {"DAY", 1, 1, 1114, fnDay},
    {"DTOC", 1, 1, 1118, fnDtoC},
    {"DTOS", 1, 1, 1120, fnDtoS},
    {"EMPTY", 1, 1, 1121, fnEmpty},
    {"IF", 3, 3, 1066, fnIif},
    {"IIF", 3, 3, 1066, fnIif},
    {"INT", 1, 1, 1090, fnInt},
    {"LEFT", 2, 2, 1124, fnLeft},
    {"LEN", 1, 1, 1111, fnLen},
    {"LOWER", 1, 1, 1103, fnLower},
    {"LTRIM", 1, 1, 1101, fnLTrim},
    {"MONTH", 1, 1, 1113, fnMonth},
    {"PADC", 2, 3, 1126, fnPad<tx::padC>},
    {"PADL", 2, 3, 1126, fnPad<tx::padL>},
    {"PADR", 2, 3, 1126, fnPad<tx::padR>},
    {"REPLICATE", 2, 2, 1106, fnReplicate},
    {"RIGHT", 2, 2, 1125, fnRight},
    {"ROUND", 2, 2, 1094, fnRound},
    {"RTRIM", 1, 1, 1100, fnRTrim},
    {"SPACE", 1, 1, 1105, fnSpace},
    {"STR", 1, 3, 1099, fnStr},
    {"STRZERO", 1, 3, 1099, fnStrZero},
    {"SUBSTR", 2, 3, 1110, fnSubStr},
    {"TRANSFORM", 2, 2, 1122, fnTransform},
    {"TRIM", 1, 1, 1100, fnRTrim},
    {"UPPER", 1, 1, 1102, fnUpper},
    {"VAL", 1, 1, 1098, fnVal},
    {"YEAR", 1, 1, 1112, fnYear},
};

constexpr bool argsFit() {
  for (const Builtin& b : kBuiltins)
    if (b.maxArgs > kMaxBuiltinArgs) return false;
  return true;
}
static_assert(argsFit(), "a built-in takes more arguments than the evaluator passes");

}  // namespace

const Builtin* findBuiltin(std::string_view name) {
  for (const Builtin& b : kBuiltins)
    if (tx::sameNoCase(name, b.name)) return &b;
  if (name.size() < 4) return nullptr;
  for (const Builtin& b : kBuiltins) {
    const std::string_view full = b.name;
    if (full.size() > name.size() && tx::sameNoCase(name, full.substr(0, name.size()))) return &b;
  }
  return nullptr;
}

bool isIif(const Builtin* b) { return b != nullptr && b->fn == fnIif; }

std::optional<std::string> transform(const Value& v, std::string_view picture) {
  switch (v.type()) {
    case Value::Type::Number:
      return tx::transformNumber(v.num(), picture, v.numberInfo().width, v.numberInfo().decimals);
    case Value::Type::Character:
      return tx::transformText(v.string(), picture);
    case Value::Type::Date:
      return tx::transformDate(v.date(), picture);
    case Value::Type::Logical:
      return tx::transformLogical(v.logical(), picture);
    case Value::Type::Nil:
      break;
  }
  return std::nullopt;
}

bool isEmpty(const Value& v) {
  switch (v.type()) {
    case Value::Type::Nil:
      return true;
    case Value::Type::Logical:
      return !v.logical();
    case Value::Type::Number:
      return v.num() == 0;
    case Value::Type::Character:
      return tx::blank(v.string());
    case Value::Type::Date:
      return v.date().empty();
  }
  return true;
}

std::optional<int> compareValues(const Value& l, const Value& r, bool exact) {
  if (l.type() != r.type()) return std::nullopt;
  switch (l.type()) {
    case Value::Type::Character:
      return tx::compare(l.string(), r.string(), exact);
    case Value::Type::Number:
      return l.num() < r.num() ? -1 : l.num() > r.num() ? 1 : 0;
    case Value::Type::Date:
      return l.date() < r.date() ? -1 : l.date() > r.date() ? 1 : 0;
    case Value::Type::Logical:
      return static_cast<int>(l.logical()) - static_cast<int>(r.logical());
    case Value::Type::Nil:
      break;
  }
  return std::nullopt;
}

}  // namespace rt::expr
