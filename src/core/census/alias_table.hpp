// src/core/census/alias_table.hpp: constant-time draws from fixed weights (Walker's alias method).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarvo::census {

// A distribution over outcomes 0..size()-1 with integer weights, drawn in constant time: one index
// and one 32-bit word per draw, however many outcomes there are. The table is built with integer
// arithmetic only, so it is identical on every machine, and outcome i comes out with probability
// weights[i] / sum within 2^-32.
class AliasTable {
 public:
  AliasTable() = default;
  // Throws std::invalid_argument unless the weights sum to between 1 and 2^32 - 1 (which also
  // refuses an empty list); make_table() reports that as a document's format error.
  explicit AliasTable(std::span<const std::uint64_t> weights);

  std::size_t size() const noexcept { return cells_.size(); }
  bool empty() const noexcept { return cells_.empty(); }

  // The probability of each outcome as the table holds it, summed over the columns.
  std::vector<double> probabilities() const;

  // The same draw from one 64-bit word: its high half picks the column (by multiplication, as
  // uniform_index would), its low half is the threshold word.
  std::size_t sample_word(std::uint64_t word) const noexcept {
    const auto column = static_cast<std::size_t>(((word >> 32) * cells_.size()) >> 32);
    const Cell cell = cells_[column];
    return static_cast<std::uint32_t>(word) < cell.keep ? column : cell.alias;
  }

  template <class R>
  std::size_t sample(R& rng) const {
    const std::size_t column = rng.uniform_index(cells_.size());
    const Cell cell = cells_[column];
    return rng.draw_u32() < cell.keep ? column : cell.alias;
  }

 private:
  // A column keeps its own outcome for words below `keep` and gives `alias` otherwise; a full
  // column is its own alias.
  struct Cell {
    std::uint32_t keep;
    std::uint32_t alias;
  };
  std::vector<Cell> cells_;
};

}  // namespace tarvo::census
