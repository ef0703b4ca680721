// src/core/census/alias_table.hpp: Walker's alias method, a constant-cost draw from fixed weights.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarvo::census {

// Draws i with probability weights[i] / sum(weights): a uniform column, then one 32-bit word
// against that column's threshold, whatever the number of weights. Built with Vose's method;
// each column's split is rounded to a multiple of 2^-32, so a probability is off by at most
// 2^-32 per column that holds part of it.
class AliasTable {
 public:
  AliasTable() = default;  // the empty table
  // Weights must be finite and non-negative with a positive sum, and fewer than 2^32;
  // otherwise the table is empty.
  explicit AliasTable(std::span<const double> weights);

  std::size_t size() const { return columns_.size(); }
  bool empty() const { return columns_.empty(); }

  // The probability of each outcome as the thresholds give it, summed over the columns.
  std::vector<double> probabilities() const;

  // R is any source with the sampling API of tarvo::Rng. The table must not be empty.
  template <class R>
  std::uint32_t draw(R& rng) const {
    const auto column = static_cast<std::uint32_t>(rng.uniform_index(columns_.size()));
    const Column& entry = columns_[column];
    return rng.draw_u32() < entry.threshold ? column : entry.alias;
  }

 private:
  // A column keeps its own outcome below threshold and gives the rest to alias; a full column
  // is its own alias, so the word drawn against it never matters.
  struct Column {
    std::uint32_t threshold;
    std::uint32_t alias;
  };
  std::vector<Column> columns_;
};

}  // namespace tarvo::census
