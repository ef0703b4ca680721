// src/core/census/birth_date.hpp: the birth dates that give an exact age on a given day.
#pragma once

#include <cstdint>

#include "providers/clock.hpp"

namespace tarvo::census {

// Someone born on 29 February turns a year older on 1 March in a common year: the age on `on`
// is on.year - born.year, less one while (on.month, on.day) comes before (born.month,
// born.day). With that rule the people of one exact age on a given day were born on the
// consecutive days after that day's date `age + 1` years back, through that date `age` years
// back: 365 or 366 real calendar days, 29 February included where it falls among them.
struct BirthWindow {
  std::int32_t first_year;
  std::uint32_t first_day;  // 0-based day of first_year on which the window opens
  std::uint32_t days;
};

BirthWindow birth_window(CivilDate on, std::uint32_t age) noexcept;

// The date `offset` days into the window; offset < window.days.
CivilDate date_in_window(const BirthWindow& window, std::uint32_t offset) noexcept;

// The rule above, as the tests and callers check it.
std::uint32_t age_on(CivilDate born, CivilDate on) noexcept;

// "YYYY-MM-DD" into out[0..9]; the year must be 1000..9999.
void write_iso_date(CivilDate date, char* out) noexcept;

}  // namespace tarvo::census
