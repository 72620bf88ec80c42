#include "tools/setupkit/DayCount.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "package/CivilDate.h"

namespace sk::cli {

namespace {

bool LocalTime(std::time_t t, std::tm& out) {
#ifdef _WIN32
  return localtime_s(&out, &t) == 0;
#else
  return localtime_r(&t, &out) != nullptr;
#endif
}

struct Split {
  int64_t y;
  unsigned mo, d;
  int h, mi, s;
};

std::optional<Split> SplitDayCount(double days) {
  if (!std::isfinite(days) || days < -657434.0 || days > 2958466.0) return std::nullopt;
  double whole = std::floor(days);
  // Round to whole seconds; a fraction that rounds up to midnight belongs to the next day.
  int64_t secs = static_cast<int64_t>(std::llround((days - whole) * 86400.0));
  int64_t day = static_cast<int64_t>(whole) + secs / 86400;
  secs %= 86400;
  Split s{};
  const CivilDate date = CivilFromDays(day + kDayCountEpoch);
  s.y = date.year;
  s.mo = date.month;
  s.d = date.day;
  s.h = static_cast<int>(secs / 3600);
  s.mi = static_cast<int>(secs / 60 % 60);
  s.s = static_cast<int>(secs % 60);
  return s;
}

}  // namespace

double DayCountFromTime(std::time_t t) {
  std::tm tm{};
  if (!LocalTime(t, tm)) return 0.0;
  int64_t day = DaysFromCivil(tm.tm_year + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                              static_cast<unsigned>(tm.tm_mday)) -
                kDayCountEpoch;
  int secs = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
  return static_cast<double>(day) + secs / 86400.0;
}

std::optional<std::time_t> TimeFromDayCount(double days) {
  auto s = SplitDayCount(days);
  if (!s || s->y < 1900 || s->y > 9999) return std::nullopt;
  std::tm tm{};
  tm.tm_year = static_cast<int>(s->y - 1900);
  tm.tm_mon = static_cast<int>(s->mo) - 1;
  tm.tm_mday = static_cast<int>(s->d);
  tm.tm_hour = s->h;
  tm.tm_min = s->mi;
  tm.tm_sec = s->s;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return std::nullopt;
  return t;
}

std::string FormatDayCount(double days) {
  auto s = SplitDayCount(days);
  if (!s || s->y < 0 || s->y > 9999) return "(invalid date)     ";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(s->y), s->mo,
                s->d, s->h, s->mi, s->s);
  return buf;
}

}  // namespace sk::cli
