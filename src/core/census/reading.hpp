// src/core/census/reading.hpp: the parts of the census documents: counts, weighted lists, tables.
#pragma once

#include <simdjson.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "census/alias_table.hpp"

namespace tarvo::census {

// Each throws json::FormatError with a short description of what it found instead.
std::uint64_t read_count(simdjson::dom::element value);  // a non-negative integer
std::uint64_t read_count(simdjson::dom::element value, std::uint64_t most);  // and at most `most`

// A non-empty array of [text, weight] pairs.
struct WeightedList {
  std::vector<std::string> texts;
  std::vector<std::uint64_t> weights;
};
WeightedList read_weighted_list(simdjson::dom::element value);

// An alias table, refusing weights that sum to zero or past what the table takes.
AliasTable make_table(std::span<const std::uint64_t> weights);

}  // namespace tarvo::census
