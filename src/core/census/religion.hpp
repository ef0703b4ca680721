// src/core/census/religion.hpp: religious affiliation by province, as the 2020 census reports it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"
#include "providers/address.hpp"

namespace tarvo::census {

struct CensusReligions {
  std::vector<std::string> labels;        // "Roman Catholic", "Islam", ...
  std::vector<AliasTable> by_province;    // per province of address_regions(): over labels
  std::size_t islam = 0;                  // the label of Muslim rows
};

// Parsed from the embedded census_religion.json over the provinces of `data`; every province
// must be in the document. Panic "Invalid census_religion.json format: ..." otherwise.
CensusReligions parse_census_religions(std::string_view padded_text, const AddressData& data);
const CensusReligions& census_religions();

}  // namespace tarvo::census
