// src/core/census/birth_date.cpp: birth windows by day of year, and the age rule.
#include "census/birth_date.hpp"

#include <array>

namespace tarvo::census {
namespace {

// Days before each month, and in the whole year at [12], for a common and a leap year.
constexpr std::array<std::array<std::uint32_t, 13>, 2> kDaysBefore = {{
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
}};

const std::array<std::uint32_t, 13>& days_before(std::int32_t year) noexcept {
  return kDaysBefore[(year % 4 == 0 && year % 100 != 0) || year % 400 == 0];
}

// How many dates of `year` fall on or before (month, day); a 29 February that the year lacks
// counts as its 28th.
std::uint32_t days_through(std::int32_t year, std::uint32_t month, std::uint32_t day) noexcept {
  const auto& before = days_before(year);
  const std::uint32_t length = before[month] - before[month - 1];
  return before[month - 1] + (day < length ? day : length);
}

}  // namespace

BirthWindow birth_window(CivilDate on, std::uint32_t age) noexcept {
  const std::int32_t first_year = on.year - static_cast<std::int32_t>(age) - 1;
  const std::uint32_t skipped = days_through(first_year, on.month, on.day);
  return BirthWindow{
      first_year, skipped,
      days_before(first_year)[12] - skipped + days_through(first_year + 1, on.month, on.day)};
}

CivilDate date_in_window(const BirthWindow& window, std::uint32_t offset) noexcept {
  std::uint32_t day = window.first_day + offset;
  const std::uint32_t first_year_length = days_before(window.first_year)[12];
  const bool next_year = day >= first_year_length;
  const std::int32_t year = window.first_year + (next_year ? 1 : 0);
  day -= next_year ? first_year_length : 0;
  // No month is longer than 31 days, and the first k months together are never shorter than
  // 30k - 2 days, so day / 32 is the month or the one before it.
  const auto& before = days_before(year);
  std::uint32_t month = day / 32;
  month += day >= before[month + 1] ? 1 : 0;
  return CivilDate{year, month + 1, day - before[month] + 1};
}

std::uint32_t age_on(CivilDate born, CivilDate on) noexcept {
  const bool before_birthday =
      on.month < born.month || (on.month == born.month && on.day < born.day);
  return static_cast<std::uint32_t>(on.year - born.year - (before_birthday ? 1 : 0));
}

void write_iso_date(CivilDate date, char* out) noexcept {
  auto year = static_cast<std::uint32_t>(date.year);
  for (int i = 3; i >= 0; --i) {
    out[i] = static_cast<char>('0' + year % 10);
    year /= 10;
  }
  out[4] = '-';
  out[5] = static_cast<char>('0' + date.month / 10);
  out[6] = static_cast<char>('0' + date.month % 10);
  out[7] = '-';
  out[8] = static_cast<char>('0' + date.day / 10);
  out[9] = static_cast<char>('0' + date.day % 10);
}

}  // namespace tarvo::census
