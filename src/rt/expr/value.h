// rt/expr/value: the run-time's dynamic value: nil, logical, number,
// character (code page 860 bytes) or date.
//
// A number keeps the display width and decimals the classic run-time keeps
// with it (a field's width, a literal's digits), which Str() without a width
// uses. width < 0 means "not known": Str() then uses its default of 10.
#pragma once

#include <string>
#include <utility>
#include <variant>

#include "rt/text/date.h"

namespace rt {

using text::Date;

struct Number {
  double value = 0;
  int width = -1;
  int decimals = 0;
};

class Value {
 public:
  enum class Type { Nil, Logical, Number, Character, Date };

  Value() = default;
  Value(bool b) : v_(b) {}                    // NOLINT(google-explicit-constructor)
  Value(Number n) : v_(n) {}                  // NOLINT
  Value(std::string s) : v_(std::move(s)) {}  // NOLINT
  Value(const char*) = delete;  // say Value(std::string(...)) so a literal is never taken as bool
  Value(Date d) : v_(d) {}      // NOLINT

  static Value number(double v, int width = -1, int decimals = 0) {
    return Value(Number{v, width, decimals});
  }
  static Value str(std::string s) { return Value(std::move(s)); }

  Type type() const { return static_cast<Type>(v_.index()); }
  bool isNil() const { return type() == Type::Nil; }
  bool isLogical() const { return type() == Type::Logical; }
  bool isNumber() const { return type() == Type::Number; }
  bool isString() const { return type() == Type::Character; }
  bool isDate() const { return type() == Type::Date; }

  // Accessors; calling the wrong one is a programming error (std::bad_variant_access).
  bool logical() const { return std::get<bool>(v_); }
  double num() const { return std::get<Number>(v_).value; }
  const Number& numberInfo() const { return std::get<Number>(v_); }
  const std::string& string() const { return std::get<std::string>(v_); }
  std::string& string() { return std::get<std::string>(v_); }
  Date date() const { return std::get<Date>(v_); }

  // One-letter classic type code: U L N C D.
  char typeLetter() const { return "ULNCD"[v_.index()]; }

 private:
  std::variant<std::monostate, bool, Number, std::string, Date> v_;
};

}  // namespace rt
