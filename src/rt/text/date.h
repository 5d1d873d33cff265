// rt/text/date: calendar dates as day numbers; 0 is the empty date.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rt::text {

struct Date {
  std::int32_t day = 0;  // Julian day number; 0 = empty

  bool empty() const { return day == 0; }
  friend bool operator==(Date, Date) = default;
  friend auto operator<=>(Date, Date) = default;

  // An invalid calendar date gives the empty date.
  static Date fromYmd(int year, int month, int dayOfMonth);
  static Date today();
  // "YYYYMMDD" as tables store it; blanks or an invalid text give the empty date.
  static Date fromDtos(std::string_view yyyymmdd);

  void ymd(int& year, int& month, int& dayOfMonth) const;  // all 0 when empty
  std::string dtos() const;                                // 8 blanks when empty
};

// DtoC(): "dd/mm/yyyy"; the empty date shows only its slashes, "  /  /    ".
std::string dtoc(Date d);

// CtoD(): day, month and year in that order, separated by any non-digit
// ("dd/mm/yyyy" or "dd/mm/yy"); a year below 100 falls in 1960..2059. Blanks
// or an invalid date give the empty date.
Date ctod(std::string_view text);

}  // namespace rt::text
