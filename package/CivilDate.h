// Proleptic Gregorian calendar arithmetic on day numbers counted from 1970-01-01, for the
// package's dates (days since 1899-12-30 as a double). Pure functions, valid for any year a
// 64-bit day number can hold.
#pragma once

#include <cstdint>

namespace sk {

struct CivilDate {
  int64_t year;
  unsigned month, day;  // 1-12, 1-31
};

// Day number (days since 1970-01-01) of a date.
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// Date of a day number (days since 1970-01-01).
constexpr CivilDate CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

// Day number of 1899-12-30, day 0 of the package's dates (negative: before 1970).
inline constexpr int64_t kDayCountEpoch = DaysFromCivil(1899, 12, 30);
static_assert(kDayCountEpoch == -25569);
static_assert(CivilFromDays(0).year == 1970 && CivilFromDays(-1).month == 12);

}  // namespace sk
