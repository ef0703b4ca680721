// src/core/census/population.hpp: the whole population by age and sex, and the figures of households.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"
#include "census/figures.hpp"

namespace tarvo::census {

// Ages 0..kOldestAge from the 2020 census's five-year groups by sex; the open group "80 and
// over" spread as census_people's adults are, each year 85% as large as the one before.
struct CensusPopulation {
  std::vector<std::uint64_t> age_weights;  // [age], both sexes
  std::array<SexShare, kOldestAge + 1> sex_by_age{};
  AliasTable household_size;               // outcome i is a household of i + 1 people
  std::vector<std::uint32_t> household_size_weight;  // per 100,000 households, by size - 1
  AliasTable mother_age_at_birth;          // outcome i is a mother aged kYoungestMother + i
  // Civil status below 18 by sex ([male]): over preference().civil_status, from 10 to 14 and
  // from 15 to 17; younger children are single.
  std::array<AliasTable, 2> civil_status_10_to_14, civil_status_15_to_17;
};

inline constexpr std::uint32_t kYoungestMother = 15;
inline constexpr std::uint32_t kOldestMother = 49;

// From census_population.json; Panic "Invalid census_population.json format: ..." on any fault.
CensusPopulation parse_census_population(std::string_view padded_text, const Preference& labels);
const CensusPopulation& census_population();

}  // namespace tarvo::census
