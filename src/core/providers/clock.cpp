// src/core/providers/clock.cpp: conversion of the system clock to a UTC calendar date.
#include "providers/clock.hpp"

#include <ctime>

#include "panic.hpp"

namespace tarvo {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 1970-01-01 to 10000-01-01.
constexpr std::int64_t kDaysToYear10000 = 2932897;

// Days since 1970-01-01 to a civil date, by eras of 400 years (Howard Hinnant's algorithm);
// days is never negative here.
CivilDate civil_from_days(std::int64_t days) {
  days += 719468;  // shift the epoch to 0000-03-01, so leap days fall at the end of a year
  const std::int64_t era = days / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t shifted_month = (5 * day_of_year + 2) / 153;  // 0 = March
  const auto day = static_cast<std::uint32_t>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  const auto month =
      static_cast<std::uint32_t>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  const auto year = static_cast<std::int32_t>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
  return CivilDate{year, month, day};
}

}  // namespace

CivilDate utc_date_from_unix_seconds(std::int64_t seconds) {
  if (seconds < 0) {
    throw Panic("system clock reads a time before 1970-01-01 00:00 UTC");
  }
  const std::int64_t days = seconds / kSecondsPerDay;
  if (days >= kDaysToYear10000) {
    throw Panic("system clock reads a date after 9999-12-31 UTC");
  }
  return civil_from_days(days);
}

// std::time rather than std::chrono::system_clock: the date is read once per generated row and
// only whole seconds matter, and time() is the cheapest clock read on every platform (a few
// nanoseconds against tens). Its failure value, -1, lands in the before-1970 Panic.
CivilDate today_utc() {
  // The calendar conversion is redone only when the day changes: this runs for every row.
  thread_local std::int64_t cached_day = -1;
  thread_local CivilDate cached_date{};
  const auto seconds = static_cast<std::int64_t>(std::time(nullptr));
  if (seconds >= 0 && seconds / kSecondsPerDay == cached_day) return cached_date;
  cached_date = utc_date_from_unix_seconds(seconds);
  cached_day = seconds / kSecondsPerDay;
  return cached_date;
}

}  // namespace tarvo
