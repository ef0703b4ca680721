// src/core/census/resident.hpp: a person of the current census profile, drawn for the row's place.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "census/birth_date.hpp"
#include "census/figures.hpp"
#include "census/given_names.hpp"
#include "census/person.hpp"
#include "census/population.hpp"
#include "census/religion.hpp"
#include "census/surnames.hpp"
#include "providers/address.hpp"
#include "providers/clock.hpp"

namespace tarvo::census {

// The civil status tables of a religion: only Muslim personal law allows divorce, so for the
// others its share of the census's "divorced or separated" goes to "Separated".
struct CivilStatusTables {
  std::vector<std::array<AliasTable, 2>> muslim, other;  // [census age group][male]
  std::size_t single = 0;
};
const CivilStatusTables& civil_status_tables();

// What the person of a row must be, for the members of a household; an empty field is drawn.
struct ResidentRules {
  std::int32_t sex = -1;           // 1 male, 0 female
  std::int32_t religion = -1;      // index into census_religions().labels
  std::int64_t last_name = -1;     // index into census_surnames().names
  std::int64_t middle_name = -1;   // index into census_surnames().names
  std::int32_t civil_status = -1;  // index into preference().civil_status
  std::int32_t age = -1;
};

// The civil status of a person of this age, sex and religion.
template <class R>
std::int32_t draw_civil_status(R& rng, std::uint32_t age, bool male, bool muslim) {
  const CensusPopulation& population = census_population();
  if (age < 10) return static_cast<std::int32_t>(civil_status_tables().single);
  if (age < 15) return static_cast<std::int32_t>(population.civil_status_10_to_14[male].sample(rng));
  if (age < 18) return static_cast<std::int32_t>(population.civil_status_15_to_17[male].sample(rng));
  const CivilStatusTables& tables = civil_status_tables();
  const auto& by_group = muslim ? tables.muslim : tables.other;
  return static_cast<std::int32_t>(
      by_group[census_figures().marital_group_by_age[age]][male ? 1 : 0].sample(rng));
}

// Draws, in this order: the religion (by the province of `place`), the age (`ages` draws the
// age less `youngest`), the birth date in its window, the sex (the 2020 census's ratio at that
// age), the civil status (by age group, sex and religion), the given name (by birth decade and
// sex, or from the Muslim names), the surname and the middle name (the mother's maiden surname,
// drawn again while it equals the surname) by the province's surname groups or a Muslim
// family's, the suffix (men), and the given name again while it equals the surname or the
// middle name. `rules` fixes what a household already decided. The person is written into
// `out`, whose given_name buffer the first name may point into.
template <class R>
void draw_resident(R& rng, CivilDate as_of, const Address& place, const AliasTable& ages,
                   std::uint32_t youngest, const ResidentRules& rules, CensusPerson& out) {
  const CensusReligions& religions = census_religions();
  const CensusSurnames& surnames = census_surnames();
  const CensusFigures& figures = census_figures();

  out.religion = rules.religion >= 0
                     ? static_cast<std::uint32_t>(rules.religion)
                     : static_cast<std::uint32_t>(
                           religions.by_province[place.province_index].sample(rng));
  const bool muslim = out.religion == religions.islam;
  out.age = rules.age >= 0 ? static_cast<std::uint32_t>(rules.age)
                          : youngest + static_cast<std::uint32_t>(ages.sample(rng));
  const BirthWindow window = birth_window(as_of, out.age);
  out.birth_date = date_in_window(window, static_cast<std::uint32_t>(rng.uniform_index(window.days)));
  write_iso_date(out.birth_date, out.birthdate_text);
  if (rules.sex >= 0) {
    out.male = rules.sex == 1;
  } else {
    const SexShare sex = census_population().sex_by_age[out.age];
    out.male = rng.uniform_u32(0, sex.people - 1) < sex.males;
  }
  out.gender = out.male ? kMale : kFemale;
  out.civil_status = rules.civil_status >= 0 ? rules.civil_status
                                             : draw_civil_status(rng, out.age, out.male, muslim);

  const GivenNameEntry& given =
      census_given_names().entry(out.male, out.birth_date.year, muslim);
  out.first_index = 0;
  out.first_name = draw_given_name(rng, given, out.given_name);
  out.last_index = rules.last_name >= 0 ? static_cast<std::uint32_t>(rules.last_name)
                                        : surnames.draw(rng, place.province_index, muslim);
  out.last_name = surnames.names[out.last_index];
  if (rules.middle_name >= 0) {
    out.middle_index = static_cast<std::uint32_t>(rules.middle_name);
  } else {
    int tries = 0;
    do {
      out.middle_index = surnames.draw(rng, place.province_index, muslim);
    } while (out.middle_index == out.last_index && ++tries < 16);
  }
  out.middle_name = surnames.names[out.middle_index];

  out.suffix_index = 0;
  if (out.male) {
    std::uint32_t word = rng.uniform_u32(0, 9999);
    for (std::size_t i = 0; i < figures.suffix_rules.size(); ++i) {
      const SuffixRule& rule = figures.suffix_rules[i];
      if (out.age < rule.youngest_age) continue;
      if (word < rule.per_10000) {
        out.suffix_index = static_cast<std::uint32_t>(i + 1);
        break;
      }
      word -= rule.per_10000;
    }
  }
  out.suffix = figures.suffixes[out.suffix_index];
  // Nobody is named Santos Santos: a given name equal to the surname or the middle name (many
  // Muslim surnames are given names too) is drawn again.
  for (int tries = 0; (out.first_name == out.last_name || out.first_name == out.middle_name) &&
                      tries < 16;
       ++tries) {
    out.first_name = draw_given_name(rng, given, out.given_name);
  }
}

}  // namespace tarvo::census
