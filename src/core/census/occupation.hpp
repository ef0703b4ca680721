// src/core/census/occupation.hpp: what a person does, by sex and age: activity, occupation group, job title.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"
#include "census/sex_age_table.hpp"
#include "census/weighted_texts.hpp"

namespace tarvo::census {

struct OccupationGroup {
  std::string name;  // a PSOC 2012 major group, "Service and sales workers"
  WeightedTexts titles;
};

struct CensusOccupations {
  std::vector<std::string> activities;  // "Employed" first, then the labels of the not employed
  SexAgeTable activity;                 // outcomes index activities
  std::vector<OccupationGroup> groups;
  SexAgeTable group;                    // outcomes index groups
};

// Reads data/census_occupation.json (tools/build_census_occupation.py); Panic "Invalid
// census_occupation.json format: ..." on any fault ("Employed" not first, an empty title list).
CensusOccupations parse_census_occupation(std::string_view padded_text);
const CensusOccupations& census_occupations();

// One person's occupation: `group` and `title` are meaningful only when employed.
struct Occupation {
  std::uint32_t activity = 0;  // index into activities; 0 is "Employed"
  std::uint32_t group = 0;
  std::uint32_t title = 0;
  bool employed() const { return activity == 0; }
};

// Draws: the activity's two alias words; when employed, the group's two and the title's two.
template <class R>
Occupation draw_occupation(R& rng, const CensusOccupations& data, bool male, unsigned age) {
  Occupation occupation;
  occupation.activity = static_cast<std::uint32_t>(data.activity.sample(rng, male, age));
  if (occupation.employed()) {
    occupation.group = static_cast<std::uint32_t>(data.group.sample(rng, male, age));
    occupation.title =
        static_cast<std::uint32_t>(data.groups[occupation.group].titles.table.sample(rng));
  }
  return occupation;
}

// The cell texts: the job title ("Tricycle Driver") or the PSOC group ("Plant and machine
// operators and assemblers"); a person not employed reads as the activity ("Student",
// "Unemployed", "Homemaker", "Retired") in both.
std::string_view occupation_title(const CensusOccupations& data, const Occupation& occupation);
std::string_view occupation_group(const CensusOccupations& data, const Occupation& occupation);

}  // namespace tarvo::census
