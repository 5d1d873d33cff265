// rt/text/compare: the run-time's comparison of texts, shared by the
// expression operators and the table layer.
//
// Non-exact rule (SET EXACT OFF, the system's setting): only as many
// characters as the right-hand text has are compared, so a left text that
// begins with the whole right text counts as equal and an empty right text
// matches anything; a left text that ends first sorts before the right one.
// Exact rule (SET EXACT ON): trailing blanks of both sides are ignored and the
// whole texts are compared. Characters compare by their byte values.
// "==" is neither: the same bytes, trailing blanks included.
#pragma once

#include <string_view>

namespace rt::text {

// <0, 0 or >0 as left sorts before, equal to or after right under the rule of
// "=", "!=", "<", "<=", ">" and ">=".
int compare(std::string_view left, std::string_view right, bool exact);

// True when key begins with prefix: the rule of a seek.
inline bool startsWith(std::string_view key, std::string_view prefix) {
  return key.substr(0, prefix.size()) == prefix;
}

// "=" between texts: under the non-exact rule, whether left begins with right.
inline bool equals(std::string_view left, std::string_view right, bool exact) {
  if (!exact) return startsWith(left, right);
  return compare(left, right, exact) == 0;
}

// "==" between texts.
inline bool exactlyEqual(std::string_view left, std::string_view right) { return left == right; }

}  // namespace rt::text
