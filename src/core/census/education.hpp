// src/core/census/education.hpp: highest educational attainment by sex and age (2020 census categories).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "census/sex_age_table.hpp"

namespace tarvo::census {

struct CensusEducation {
  std::vector<std::string> labels;  // "No grade completed" .. "Post-baccalaureate"
  SexAgeTable attainment;           // outcomes index labels
};

// Reads data/census_education.json (tools/build_census_education.py); Panic "Invalid
// census_education.json format: ..." on any fault.
CensusEducation parse_census_education(std::string_view padded_text);
const CensusEducation& census_education();

// Draws: the alias table's two words.
template <class R>
std::string_view draw_education(R& rng, const CensusEducation& data, bool male, unsigned age) {
  return data.labels[data.attainment.sample(rng, male, age)];
}

}  // namespace tarvo::census
