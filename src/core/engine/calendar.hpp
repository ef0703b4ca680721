// src/core/engine/calendar.hpp: day numbers of proleptic Gregorian dates, and their ISO text.
#pragma once

#include <cstdint>

#include "providers/clock.hpp"

namespace tarvo {

// Days from 1970-01-01 to `date` (negative before it), by Howard Hinnant's days_from_civil.
constexpr std::int32_t days_from_civil(CivilDate date) noexcept {
  const std::int32_t year = date.year - (date.month <= 2 ? 1 : 0);
  const std::int32_t era = (year >= 0 ? year : year - 399) / 400;
  const auto year_of_era = static_cast<std::uint32_t>(year - era * 400);
  const std::uint32_t month = date.month;
  const std::uint32_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + date.day - 1;
  const std::uint32_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int32_t>(day_of_era) - 719468;
}

// The date `days` after 1970-01-01, by Howard Hinnant's civil_from_days.
constexpr CivilDate civil_from_days(std::int32_t days) noexcept {
  const std::int32_t z = days + 719468;
  const std::int32_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto day_of_era = static_cast<std::uint32_t>(z - era * 146097);
  const std::uint32_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int32_t year = static_cast<std::int32_t>(year_of_era) + era * 400;
  const std::uint32_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::uint32_t mp = (5 * day_of_year + 2) / 153;
  const std::uint32_t day = day_of_year - (153 * mp + 2) / 5 + 1;
  const std::uint32_t month = mp < 10 ? mp + 3 : mp - 9;
  return CivilDate{year + (month <= 2 ? 1 : 0), month, day};
}

constexpr bool is_leap_year(std::int32_t year) noexcept {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr std::uint32_t days_in_month(std::int32_t year, std::uint32_t month) noexcept {
  constexpr std::uint32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

// `date` moved by whole months, the day kept where the month has it and else the month's last:
// a month before 31 March is 28 (or 29) February, a year before 29 February is 28 February.
constexpr CivilDate add_months(CivilDate date, std::int64_t months) noexcept {
  const std::int64_t index = std::int64_t{date.year} * 12 + (date.month - 1) + months;
  const auto year = static_cast<std::int32_t>(index >= 0 ? index / 12 : (index - 11) / 12);
  const auto month = static_cast<std::uint32_t>(index - std::int64_t{year} * 12 + 1);
  const std::uint32_t last = days_in_month(year, month);
  return CivilDate{year, month, date.day < last ? date.day : last};
}

// "YYYY-MM-DD" into out[0..9] for a year 0..9999.
constexpr void write_date_text(CivilDate date, char* out) noexcept {
  auto put = [&](std::uint32_t value, int at, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) out[at + i] = static_cast<char>('0' + value % 10);
  };
  put(static_cast<std::uint32_t>(date.year), 0, 4);
  out[4] = '-';
  put(date.month, 5, 2);
  out[7] = '-';
  put(date.day, 8, 2);
}

// "HH:MM:SS" into out[0..7] for seconds since midnight below 86400.
constexpr void write_time_text(std::uint32_t seconds, char* out) noexcept {
  const std::uint32_t parts[] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
  for (int i = 0; i < 3; ++i) {
    out[3 * i] = static_cast<char>('0' + parts[i] / 10);
    out[3 * i + 1] = static_cast<char>('0' + parts[i] % 10);
    if (i < 2) out[3 * i + 2] = ':';
  }
}

static_assert(days_from_civil({1970, 1, 1}) == 0);
static_assert(days_from_civil({2000, 3, 1}) == 11017);
static_assert(days_from_civil({1969, 12, 31}) == -1);
static_assert(civil_from_days(11017) == CivilDate{2000, 3, 1});
static_assert(civil_from_days(-1) == CivilDate{1969, 12, 31});
static_assert(add_months({2024, 2, 29}, -12) == CivilDate{2023, 2, 28});
static_assert(add_months({2026, 3, 31}, -1) == CivilDate{2026, 2, 28});
static_assert(add_months({2026, 1, 15}, -13) == CivilDate{2024, 12, 15});

}  // namespace tarvo
