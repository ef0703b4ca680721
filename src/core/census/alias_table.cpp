// src/core/census/alias_table.cpp: Vose's construction of the alias table in exact integers.
#include "census/alias_table.hpp"

#include <limits>
#include <stdexcept>

namespace tarvo::census {

AliasTable::AliasTable(std::span<const std::uint64_t> weights) {
  const std::size_t n = weights.size();
  std::uint64_t total = 0;
  for (std::uint64_t w : weights) {
    if (w > std::numeric_limits<std::uint32_t>::max() - total) {
      throw std::invalid_argument("weights sum to 2^32 or more");
    }
    total += w;
  }
  if (n == 0 || total == 0) {
    throw std::invalid_argument("weights sum to zero");
  }

  // Each column holds `total` units and outcome i brings weights[i] * n of them, so the columns
  // are filled exactly: no rounding until the final scaling of `keep` to 32 bits, which is exact
  // to within one part in 2^32 because a partial column holds fewer than total < 2^32 units.
  std::vector<std::uint64_t> units(n);
  std::vector<std::uint32_t> small, large;
  for (std::size_t i = 0; i < n; ++i) {
    units[i] = weights[i] * n;
    (units[i] < total ? small : large).push_back(static_cast<std::uint32_t>(i));
  }
  cells_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    cells_[i] = Cell{0, static_cast<std::uint32_t>(i)};
  }
  while (!small.empty() && !large.empty()) {
    const std::uint32_t s = small.back();
    small.pop_back();
    const std::uint32_t l = large.back();
    cells_[s] = Cell{static_cast<std::uint32_t>((units[s] << 32) / total), l};
    units[l] -= total - units[s];
    if (units[l] < total) {
      large.pop_back();
      small.push_back(l);
    }
  }
  // With exact units nothing is left in `small` here; what is left in `large` is exactly full.
}

std::vector<double> AliasTable::probabilities() const {
  std::vector<double> held(cells_.size(), 0.0);
  const double column = 1.0 / static_cast<double>(cells_.size());
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const double kept = cells_[i].alias == i ? 1.0 : static_cast<double>(cells_[i].keep) * 0x1p-32;
    held[i] += column * kept;
    held[cells_[i].alias] += column * (1.0 - kept);
  }
  return held;
}

}  // namespace tarvo::census
