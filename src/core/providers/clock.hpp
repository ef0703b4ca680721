// src/core/providers/clock.hpp: today's date in UTC, the only clock reading behind birth dates.
#pragma once

#include <cstdint>

namespace tarvo {

// A proleptic Gregorian date.
struct CivilDate {
  std::int32_t year;
  std::uint32_t month;  // 1..12
  std::uint32_t day;    // 1..31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// The UTC date of a moment given as seconds since 1970-01-01 00:00 UTC. A moment before 1970
// or after 9999-12-31 (where a birth date would stop being ten characters) is a tarvo::Panic:
// both mean a broken system clock.
CivilDate utc_date_from_unix_seconds(std::int64_t seconds);

// Reads the system clock now; no local time zone is applied.
CivilDate today_utc();

}  // namespace tarvo
