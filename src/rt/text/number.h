// rt/text/number: numbers as the classic run-time shows, reads and rounds
// them. Numbers are doubles; a number's display width and decimals travel
// beside it (a field's width, a literal's decimals, what Val() read).
#pragma once

#include <string>
#include <string_view>

namespace rt::text {

// Round(x, dec): half away from zero at dec decimals, scaled so that a value
// lying one rounding error below a whole step counts as that step.
double roundTo(double x, int decimals);

// Int(x): the integer part toward zero, with the same allowance.
double intPart(double x);

// The width Str() gives a number when none is asked for: its own width when
// known (width >= 0), else 10 for the integer part plus the decimals.
int defaultWidth(int width, int decimals);

// Str(x, width, decimals): right-aligned in width characters, rounded half
// away from zero to decimals; asterisks when it does not fit. width <= 0
// takes defaultWidth(-1, decimals), or ten more for a number past ten
// integer digits.
std::string str(double x, int width = -1, int decimals = 0);

// StrZero(): Str() with leading zeros in place of the leading blanks (a minus
// sign goes first).
std::string strZero(double x, int width = -1, int decimals = 0);

// The digits of x rounded to decimals, with a leading '-' when the rounded
// value is below zero ("-5.25", "0.01"); digits past the fifteenth
// significant one are zeros. Empty for a value that is not finite or needs
// more than a few hundred characters (hundreds of decimals).
std::string fixed(double x, int decimals);

// Val(text): leading blanks, a sign, digits and one '.'; reading stops at the
// first other character. The width is the length of the text (10 for an
// empty text; at least 20 for a value past ten integer digits), the decimals
// the count of characters after the '.'.
struct NumberText {
  double value = 0;
  int width = 10;
  int decimals = 0;
};
NumberText val(std::string_view text);

}  // namespace rt::text
