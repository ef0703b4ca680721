// src/core/census/surnames.hpp: surnames by group (Spanish-era, Ilocano, Chinese, Muslim ...) and by province.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"
#include "providers/address.hpp"

namespace tarvo::census {

// A surname is drawn in two steps: its group from the row's province (or from the groups of
// Muslim families, for a Muslim row), then a name of that group by its published or modelled
// frequency.
struct CensusSurnames {
  std::vector<std::string> names;           // every surname, one group after another
  std::vector<std::uint32_t> group_start;   // where each group's names begin in `names`
  std::vector<AliasTable> in_group;         // per group: outcome i is names[group_start + i]
  std::vector<AliasTable> group_by_province;  // per province of address_regions(): over groups
  AliasTable group_of_muslims;

  // Draws: two alias-table draws (four words).
  template <class R>
  std::uint32_t draw(R& rng, std::uint32_t province, bool muslim) const {
    const AliasTable& groups = muslim ? group_of_muslims : group_by_province[province];
    const std::size_t group = groups.sample(rng);
    return group_start[group] + static_cast<std::uint32_t>(in_group[group].sample(rng));
  }
};

// From census_surnames.json and census_surname_places.json over the provinces of `data`; Panic
// "Invalid census_surnames.json format: ..." (or ..._places) on any fault.
CensusSurnames parse_census_surnames(std::string_view surnames_text, std::string_view places_text,
                                     const AddressData& data);
const CensusSurnames& census_surnames();

}  // namespace tarvo::census
