// rt/text/picture: Transform(), the output pictures of the run-time.
//
// A picture is "@<functions> <template>", "@<functions>" or a template alone.
// Functions: R (template characters other than places are inserted), E
// (European: "." between thousands and "," before the decimals), Z (blank
// when zero), ! (upper case, code page 860). Template places: 9 and # for
// digits; for texts also X, A, N and ! (the last upper-cases its character).
// For numbers "," separates thousands and "." marks the decimals; any other
// character is written as it stands.
#pragma once

#include <string>
#include <string_view>

#include "rt/text/date.h"

namespace rt::text {

// A number right-aligned in the template's places, rounded half away from
// zero to the template's decimals; a "," before which no digit stands prints
// as a blank; too large a number fills the places with asterisks. Without a
// template the number shows as Str() shows it (width < 0: not known).
std::string transformNumber(double value, std::string_view picture, int width = -1, int decimals = 0);

// A text through the template: each place takes the next character of the
// text (a blank once the text runs out). With R the template's other
// characters are inserted; without it they stand in place of the text's
// character at that position.
std::string transformText(std::string_view value, std::string_view picture);

// A date as DtoC() shows it.
std::string transformDate(Date value, std::string_view picture);

// A logical as "T" or "F" ("Y" or "N" with the template "Y").
std::string transformLogical(bool value, std::string_view picture);

}  // namespace rt::text
