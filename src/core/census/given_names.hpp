// src/core/census/given_names.hpp: given names by birth decade and sex, and Muslim given names.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "census/weighted_texts.hpp"

namespace tarvo::census {

// The names of one birth decade and sex: single names, and compound names made of a first and
// a second element ("John" + "Paul", "Ma." + "Theresa") drawn apart.
struct GivenNameEntry {
  std::uint32_t compound_per_mille = 0;
  WeightedTexts single, first, second;
};

struct CensusGivenNames {
  std::vector<std::int32_t> cohorts;          // the first year of each decade, rising
  std::vector<GivenNameEntry> male, female;   // by cohort
  GivenNameEntry muslim_male, muslim_female;  // for Muslim rows of any cohort

  const GivenNameEntry& entry(bool male_person, std::int32_t birth_year, bool muslim) const {
    if (muslim) return male_person ? muslim_male : muslim_female;
    std::size_t i = 0;  // the latest decade that began by the birth year, else the first
    while (i + 1 < cohorts.size() && cohorts[i + 1] <= birth_year) ++i;
    return male_person ? male[i] : female[i];
  }
};

// The longest given name written into a buffer: a compound of two of the longest elements.
inline constexpr std::size_t kGivenNameCapacity = 64;

// Draws a given name into `out` (kGivenNameCapacity bytes) and returns it: a draw 0..999 for
// compound or single, then one alias-table draw, or two for a compound (the second again while
// it equals the first).
template <class R>
std::string_view draw_given_name(R& rng, const GivenNameEntry& entry, char* out) {
  auto copy = [&](std::string_view text, std::size_t at) {
    const std::size_t n = std::min(text.size(), kGivenNameCapacity - at);
    std::memcpy(out + at, text.data(), n);
    return at + n;
  };
  if (rng.uniform_u32(0, 999) >= entry.compound_per_mille) {
    return {out, copy(entry.single.sample(rng), 0)};
  }
  const std::string& first = entry.first.sample(rng);
  const std::string* second = &entry.second.sample(rng);
  for (int tries = 0; *second == first && tries < 16; ++tries) second = &entry.second.sample(rng);
  std::size_t at = copy(first, 0);
  at = copy(" ", at);
  return {out, copy(*second, at)};
}

// From census_given_names.json; Panic "Invalid census_given_names.json format: ..." on any fault.
CensusGivenNames parse_census_given_names(std::string_view padded_text);
const CensusGivenNames& census_given_names();

}  // namespace tarvo::census
