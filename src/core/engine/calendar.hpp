// src/core/engine/calendar.hpp: day numbers of proleptic Gregorian dates.
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

static_assert(days_from_civil({1970, 1, 1}) == 0);
static_assert(days_from_civil({2000, 3, 1}) == 11017);
static_assert(days_from_civil({1969, 12, 31}) == -1);

}  // namespace tarvo
