// rt/text/strings: the run-time's text functions on code page 860 bytes.
#pragma once

#include <string>
#include <string_view>

namespace rt::text {

// PadC/PadL/PadR: text placed in width characters filled with fill; a longer
// text is cut to its first width characters. PadC puts floor((width - length)
// / 2) fill characters on the left.
std::string padC(std::string_view s, int width, char fill = ' ');
std::string padL(std::string_view s, int width, char fill = ' ');
std::string padR(std::string_view s, int width, char fill = ' ');

// Trim/RTrim, LTrim, AllTrim: blanks removed at the end, the start or both.
std::string_view rTrim(std::string_view s);
std::string_view lTrim(std::string_view s);
std::string_view allTrim(std::string_view s);

// SubStr: count characters from start, counted from 1; a negative start
// counts from the end and 0 is the first character. A start past the end
// gives the empty text at the end; a negative count none.
std::string_view subStr(std::string_view s, long long start, long long count);
inline std::string_view subStr(std::string_view s, long long start) {
  return subStr(s, start, static_cast<long long>(s.size()));
}

// Space(n): n blanks (none for n <= 0).
std::string space(int n);

// Lower(): ASCII letters and the code page's accented capitals to lower case.
std::string lower(std::string_view cp860);

// Empty() of a text: nothing but blanks, tabs, CR and LF.
bool blank(std::string_view s);

}  // namespace rt::text
