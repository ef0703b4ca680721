// src/core/census/alias_table.cpp: Vose's construction of the alias columns.
#include "census/alias_table.hpp"

#include <cmath>
#include <limits>

namespace tarvo::census {

AliasTable::AliasTable(std::span<const double> weights) {
  const std::size_t n = weights.size();
  if (n == 0 || n > std::numeric_limits<std::uint32_t>::max()) {
    return;
  }
  double total = 0;
  for (const double w : weights) {
    if (!(w >= 0) || !std::isfinite(w)) {
      return;
    }
    total += w;
  }
  if (!(total > 0) || !std::isfinite(total)) {
    return;
  }

  // Each column holds mass 1 in units of 1/n; scaled[i] is outcome i's mass in those units.
  std::vector<double> scaled(n);
  std::vector<std::uint32_t> small, large;
  for (std::size_t i = 0; i < n; ++i) {
    scaled[i] = weights[i] * static_cast<double>(n) / total;
    (scaled[i] < 1.0 ? small : large).push_back(static_cast<std::uint32_t>(i));
  }
  std::vector<double> keep(n, 1.0);
  std::vector<std::uint32_t> alias(n);
  for (std::size_t i = 0; i < n; ++i) alias[i] = static_cast<std::uint32_t>(i);
  while (!small.empty() && !large.empty()) {
    const std::uint32_t s = small.back();
    small.pop_back();
    const std::uint32_t l = large.back();
    keep[s] = scaled[s];
    alias[s] = l;
    // Adding before subtracting keeps the rounding error of the running remainder small.
    scaled[l] = (scaled[l] + scaled[s]) - 1.0;
    if (scaled[l] < 1.0) {
      large.pop_back();
      small.push_back(l);
    }
  }
  // What is left on either stack is 1 up to rounding: full columns, as initialised.

  constexpr double kScale = 4294967296.0;  // 2^32
  columns_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double threshold = std::round(keep[i] * kScale);
    if (alias[i] == i || threshold >= kScale) {
      columns_[i] =
          Column{std::numeric_limits<std::uint32_t>::max(), static_cast<std::uint32_t>(i)};
    } else {
      columns_[i] = Column{static_cast<std::uint32_t>(threshold), alias[i]};
    }
  }
}

std::vector<double> AliasTable::probabilities() const {
  constexpr double kScale = 4294967296.0;
  std::vector<double> p(columns_.size(), 0.0);
  const double column_mass = 1.0 / static_cast<double>(columns_.size());
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const Column& c = columns_[i];
    if (c.alias == i) {
      p[i] += column_mass;
      continue;
    }
    p[i] += column_mass * (c.threshold / kScale);
    p[c.alias] += column_mass * ((kScale - c.threshold) / kScale);
  }
  return p;
}

}  // namespace tarvo::census
