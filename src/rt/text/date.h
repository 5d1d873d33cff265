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
  std::string dtos() const;                                 // 8 blanks when empty
};

}  // namespace rt::text
