// src/core/census/names.hpp: the weighted first names and surnames of the census profile.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"

namespace tarvo::census {

// One list and the table that draws from it; outcome i of `table` is names[i].
struct WeightedNames {
  std::vector<std::string> names;
  AliasTable table;
};

struct CensusNames {
  WeightedNames male;
  WeightedNames female;
  WeightedNames surnames;  // last names, and middle names (the mother's maiden surname)
};

// Parsed from the compiled-in census_names.json on first use and kept for good; a document that
// does not parse is a tarvo::Panic "Invalid census_names.json format: ...", now and at every later
// call. The document is written by tools/build_census_names.py.
const CensusNames& census_names();
CensusNames parse_census_names(std::string_view padded_text);

}  // namespace tarvo::census
