// src/core/census/person.hpp: one row's person as the 2020 census describes adult Filipinos.
#pragma once

#include <cstdint>
#include <string_view>

#include "census/birth_date.hpp"
#include "census/figures.hpp"
#include "census/names.hpp"
#include "providers/clock.hpp"
#include "providers/personal.hpp"

namespace tarvo::census {

// The views point into the process-wide lists (or at kMale/kFemale) and stay valid for the life
// of the process; the indices say which entry was drawn, so a caller can reuse one converted
// object per entry.
struct CensusPerson {
  bool male;
  std::uint32_t first_index;   // into census_names().male or .female, by `male`
  std::uint32_t middle_index;  // into census_names().surnames
  std::uint32_t last_index;    // into census_names().surnames
  std::uint32_t suffix_index;  // into census_figures().suffixes; 0 is "" (always for women)
  std::string_view gender;     // "Male" or "Female"
  std::string_view first_name;
  std::string_view middle_name;  // the mother's maiden surname, never equal to last_name
  std::string_view last_name;
  std::string_view suffix;
  std::uint32_t age;  // kYoungestAge..kOldestAge, exact on the `as_of` of the draw
  CivilDate birth_date;
  char birthdate_text[10];  // YYYY-MM-DD
  // Drawn with the person by the current census profile only (see resident.hpp): an index into
  // census_religions().labels, and into preference().civil_status (-1 when a column draws it).
  std::uint32_t religion = 0;
  std::int32_t civil_status = -1;
  std::int32_t relationship = -1;  // a household member's Role (household.hpp), else -1
  char given_name[64];  // where first_name points when it was composed

  std::string_view birthdate() const noexcept { return {birthdate_text, sizeof birthdate_text}; }
};

// Draws, in this order: the age (household population by age), the birth date (uniform over the
// 365 or 366 days that give that exact age on as_of), the sex (sex ratio at that age), the first
// name, the last name, the middle name (drawn again while it equals the last name) and, for a
// man, the suffix (one more word). as_of.year must be 1970..9999, as today_utc() guarantees.
//
// `ages` draws the age less `youngest`: census_figures().age and kYoungestAge for every adult,
// or a table over a narrower range of the same weights.
template <class R>
CensusPerson draw_census_person(R& rng, CivilDate as_of, const AliasTable& ages,
                                std::uint32_t youngest) {
  const CensusFigures& figures = census_figures();
  const CensusNames& names = census_names();

  CensusPerson person;
  person.age = youngest + static_cast<std::uint32_t>(ages.sample(rng));
  const BirthWindow window = birth_window(as_of, person.age);
  person.birth_date =
      date_in_window(window, static_cast<std::uint32_t>(rng.uniform_index(window.days)));
  write_iso_date(person.birth_date, person.birthdate_text);

  const SexShare sex = figures.sex_by_age[person.age];
  person.male = rng.uniform_u32(0, sex.people - 1) < sex.males;
  person.gender = person.male ? kMale : kFemale;

  const WeightedNames& given = person.male ? names.male : names.female;
  person.first_index = static_cast<std::uint32_t>(given.table.sample(rng));
  person.first_name = given.names[person.first_index];
  person.last_index = static_cast<std::uint32_t>(names.surnames.table.sample(rng));
  person.last_name = names.surnames.names[person.last_index];
  do {
    person.middle_index = static_cast<std::uint32_t>(names.surnames.table.sample(rng));
  } while (person.middle_index == person.last_index);
  person.middle_name = names.surnames.names[person.middle_index];

  person.suffix_index = 0;
  if (person.male) {
    std::uint32_t word = rng.uniform_u32(0, 9999);
    for (std::size_t i = 0; i < figures.suffix_rules.size(); ++i) {
      const SuffixRule& rule = figures.suffix_rules[i];
      if (person.age < rule.youngest_age) continue;
      if (word < rule.per_10000) {
        person.suffix_index = static_cast<std::uint32_t>(i + 1);
        break;
      }
      word -= rule.per_10000;
    }
  }
  person.suffix = figures.suffixes[person.suffix_index];
  return person;
}

template <class R>
CensusPerson draw_census_person(R& rng, CivilDate as_of) {
  return draw_census_person(rng, as_of, census_figures().age, kYoungestAge);
}

}  // namespace tarvo::census
