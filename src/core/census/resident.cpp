// src/core/census/resident.cpp: the civil status tables of Muslims and of everyone else.
#include "census/resident.hpp"

#include <algorithm>
#include <cmath>

#include "census/reading.hpp"
#include "providers/personal.hpp"

namespace tarvo::census {
namespace {

std::size_t label(std::string_view name) {
  const auto& labels = preference().civil_status;
  return static_cast<std::size_t>(std::find(labels.begin(), labels.end(), name) - labels.begin());
}

// The table's shares with "Divorced" moved to "Separated", at the table's own resolution.
AliasTable without_divorce(const AliasTable& table, std::size_t divorced, std::size_t separated) {
  std::vector<double> shares = table.probabilities();
  shares[separated] += shares[divorced];
  shares[divorced] = 0;
  std::vector<std::uint64_t> weights;
  for (double share : shares) weights.push_back(static_cast<std::uint64_t>(std::llround(share * 2147483648.0)));
  return make_table(weights);
}

}  // namespace

const CivilStatusTables& civil_status_tables() {
  static const CivilStatusTables tables = [] {
    CivilStatusTables out;
    const std::size_t divorced = label("Divorced"), separated = label("Separated");
    out.single = label("Single");
    out.muslim = census_figures().civil_status;
    for (const auto& by_sex : out.muslim) {
      out.other.push_back({without_divorce(by_sex[0], divorced, separated),
                           without_divorce(by_sex[1], divorced, separated)});
    }
    return out;
  }();
  return tables;
}

}  // namespace tarvo::census
