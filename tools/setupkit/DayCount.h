// The package's date format: days since 1899-12-30 00:00 as a double, the fraction being the
// time of day, in local time. Conversions to and from host times for build, list and extract.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace sk::cli {

// Local calendar time of `t` as a day count (whole seconds).
double DayCountFromTime(std::time_t t);
// The host time of a local day count; std::nullopt when it is not finite or out of range.
std::optional<std::time_t> TimeFromDayCount(double days);
// "YYYY-MM-DD HH:MM:SS" of a day count; "(invalid date)" when out of range.
std::string FormatDayCount(double days);

}  // namespace sk::cli
