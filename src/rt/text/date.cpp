// rt/text/date: day numbers to and from calendar dates, today's date, and
// the texts of dates (DtoS, DtoC, CtoD).
#include "rt/text/date.h"

#include <cstdio>
#include <ctime>

#include "rt/os/os.h"

namespace rt::text {

namespace {
bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysIn(int y, int m) {
  static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : d[m - 1];
}
}  // namespace

Date Date::fromYmd(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > daysIn(y, m)) return {};
  const int a = (14 - m) / 12;
  const int yy = y + 4800 - a;
  const int mm = m + 12 * a - 3;
  return {d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045};
}

Date Date::today() {
  const std::tm tm = os::localTime(std::time(nullptr));
  return fromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

Date Date::fromDtos(std::string_view s) {
  if (s.size() != 8) return {};
  int v[8];
  for (int i = 0; i < 8; ++i) {
    if (s[static_cast<std::size_t>(i)] < '0' || s[static_cast<std::size_t>(i)] > '9') return {};
    v[i] = s[static_cast<std::size_t>(i)] - '0';
  }
  return fromYmd(v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]);
}

void Date::ymd(int& y, int& m, int& d) const {
  if (empty()) {
    y = m = d = 0;
    return;
  }
  const int a = day + 32044;
  const int b = (4 * a + 3) / 146097;
  const int c = a - 146097 * b / 4;
  const int dd = (4 * c + 3) / 1461;
  const int e = c - 1461 * dd / 4;
  const int mm = (5 * e + 2) / 153;
  d = e - (153 * mm + 2) / 5 + 1;
  m = mm + 3 - 12 * (mm / 10);
  y = 100 * b + dd - 4800 + mm / 10;
}

std::string Date::dtos() const {
  if (empty()) return std::string(8, ' ');
  int y, m, d;
  ymd(y, m, d);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
  return buf;
}

std::string dtoc(Date d) {
  if (d.empty()) return "  /  /    ";
  int y, m, dd;
  d.ymd(y, m, dd);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", dd, m, y);
  return buf;
}

Date ctod(std::string_view s) {
  // Dates before 1960 read from two digits belong to the next century.
  constexpr int kEpoch = 1960;
  int part[3] = {0, 0, 0};
  int n = 0;
  std::size_t i = 0;
  while (n < 3) {
    while (i < s.size() && (s[i] < '0' || s[i] > '9')) ++i;
    if (i == s.size()) break;
    int v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      if (v < 100000) v = v * 10 + (s[i] - '0');
      ++i;
    }
    part[n++] = v;
  }
  if (n < 3) return {};
  int year = part[2];
  if (year < 100) {
    year += kEpoch / 100 * 100;
    if (year < kEpoch) year += 100;
  }
  return Date::fromYmd(year, part[1], part[0]);
}

}  // namespace rt::text
