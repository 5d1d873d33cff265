// rt/expr/functions: run-time functions over dynamic values, shared by the
// evaluator's built-ins and the layers above it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rt/expr/value.h"

namespace rt::expr {

// Transform(value, picture) of any value: numbers with their own width and
// decimals when the picture has no template; nullopt for nil.
std::optional<std::string> transform(const Value& value, std::string_view picture);

// Empty(): nil, .F., 0, the empty date, or a text of nothing but blanks.
bool isEmpty(const Value& value);

// Ordering of two values of the same type under "<", "<=", ">", ">=" and "="
// (texts by the rule of rt/text/compare.h, .F. before .T.); nullopt when the
// types differ or are nil.
std::optional<int> compareValues(const Value& left, const Value& right, bool exact);

}  // namespace rt::expr
