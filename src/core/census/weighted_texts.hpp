// src/core/census/weighted_texts.hpp: a list of texts drawn by weight, as the census documents give them.
#pragma once

#include <string>
#include <vector>

#include <simdjson.h>

#include "census/alias_table.hpp"

namespace tarvo::census {

struct WeightedTexts {
  std::vector<std::string> texts;
  AliasTable table;  // outcome i is texts[i]

  // Draws: the alias table's two words.
  template <class R>
  const std::string& sample(R& rng) const {
    return texts[table.sample(rng)];
  }
};

// A non-empty array of [text, weight] pairs whose weights sum to at least 1; throws
// json::FormatError otherwise.
WeightedTexts read_weighted_texts(simdjson::dom::element value);

}  // namespace tarvo::census
