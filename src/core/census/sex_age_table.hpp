// src/core/census/sex_age_table.hpp: weighted outcomes that depend on a person's sex and age group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <simdjson.h>

#include "census/alias_table.hpp"

namespace tarvo::census {

// One distribution over the same outcomes 0..outcomes-1 for each sex and age group; group g
// holds ages from youngest[g] up to the next group's youngest (the last group has no end).
class SexAgeTable {
 public:
  SexAgeTable() = default;

  // Reads {"youngest": [18, 25, ...], "male": [[w, ...] per group], "female": [...]} with
  // `outcomes` weights per row; throws json::FormatError on any other shape (ages not rising,
  // a row of another length, a row of zeros).
  static SexAgeTable read(simdjson::dom::element value, std::size_t outcomes);

  std::size_t outcomes() const { return outcomes_; }
  std::size_t group_of(unsigned age) const;
  const AliasTable& table(bool male, unsigned age) const {
    return tables_[2 * group_of(age) + (male ? 0 : 1)];
  }

  // Draws: the alias table's two words.
  template <class R>
  std::size_t sample(R& rng, bool male, unsigned age) const {
    return table(male, age).sample(rng);
  }

 private:
  std::size_t outcomes_ = 0;
  std::vector<unsigned> youngest_;
  std::vector<AliasTable> tables_;  // [2 * group + (male ? 0 : 1)]
};

}  // namespace tarvo::census
