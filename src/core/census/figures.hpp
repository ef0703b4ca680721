// src/core/census/figures.hpp: the published figures behind the census profile, as draw tables.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"
#include "providers/personal.hpp"

namespace tarvo::census {

// The adult ages drawn. The census's open group "80 and over" is spread over 80..kOldestAge with
// each year 85% as large as the one before, which puts about 57% of it at 80-84, 26% at 85-89
// and 17% at 90 and over.
inline constexpr std::uint32_t kYoungestAge = 18;
inline constexpr std::uint32_t kOldestAge = 100;

struct SexShare {
  std::uint32_t males;  // out of `people`
  std::uint32_t people;
};

struct SuffixRule {
  std::uint32_t per_10000;     // share of men of eligible age
  std::uint32_t youngest_age;  // "Sr." needs a grown namesake son
};

struct CensusFigures {
  AliasTable age;  // outcome i is the age kYoungestAge + i
  std::vector<std::uint64_t> age_weights;  // the weights behind `age`, for narrower age ranges
  std::array<SexShare, kOldestAge + 1> sex_by_age{};
  std::array<std::uint8_t, kOldestAge + 1> marital_group_by_age{};
  // [group][male]: outcomes are indices into preference().civil_status.
  std::vector<std::array<AliasTable, 2>> civil_status;
  AliasTable blood_type;  // outcomes are indices into preference().blood_type
  std::vector<std::string> domains;
  AliasTable domain;
  std::vector<std::string> suffixes;     // suffixes[0] is "", the rest in document order
  std::vector<SuffixRule> suffix_rules;  // suffix_rules[i] is for suffixes[i + 1]
};

// Parsed from the compiled-in census_people.json on first use and kept for good, with labels
// matched against preference(). A document that does not parse, or names a civil status or blood
// type that preference.json lacks, is a tarvo::Panic "Invalid census_people.json format: ...",
// now and at every later call.
const CensusFigures& census_figures();
CensusFigures parse_census_figures(std::string_view padded_text, const Preference& labels);

}  // namespace tarvo::census
