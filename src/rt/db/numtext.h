// rt/db/numtext: numbers as the table driver stores and reads them, through
// the run-time's Str and Val so that a field and Str() of its value agree.
//
// formatNumber writes a number right-aligned in a field of width with
// decimals; when it does not fit, the field is all asterisks and the result
// is false. parseNumber reads a field or a slice the way Val does (nothing
// readable, asterisks included, is 0).
#pragma once

#include <string_view>

namespace rt::db {

bool formatNumber(double v, int width, int decimals, char* out);
double parseNumber(std::string_view text);
// formatNumber(parseNumber(text), width, decimals, out); a text already in
// the form it would be written in is copied as it stands.
bool reformatNumber(std::string_view text, int width, int decimals, char* out);
// Whether text is already what formatNumber writes for the number it reads as.
bool numberAsWritten(std::string_view text, int width, int decimals);

}  // namespace rt::db
