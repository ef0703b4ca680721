// src/core/census/reading.cpp: strict readers for the counts and weighted lists of the census data.
#include "census/reading.hpp"

#include <stdexcept>
#include <string>

#include "providers/json_reader.hpp"

namespace tarvo::census {

std::uint64_t read_count(simdjson::dom::element value) {
  std::uint64_t count = 0;
  if (value.get_uint64().get(count) != simdjson::SUCCESS) {
    throw json::FormatError("invalid type: expected a non-negative integer");
  }
  return count;
}

std::uint64_t read_count(simdjson::dom::element value, std::uint64_t most) {
  const std::uint64_t count = read_count(value);
  if (count > most) {
    throw json::FormatError("invalid value " + std::to_string(count) + ", expected at most " +
                            std::to_string(most));
  }
  return count;
}

WeightedList read_weighted_list(simdjson::dom::element value) {
  WeightedList list;
  for (simdjson::dom::element entry : json::expect_array(value)) {
    simdjson::dom::array pair = json::expect_array(entry);
    if (pair.size() != 2) {
      throw json::FormatError("invalid length: expected a [text, weight] pair");
    }
    list.texts.emplace_back(json::expect_string(pair.at(0).value_unsafe()));
    list.weights.push_back(read_count(pair.at(1).value_unsafe()));
  }
  if (list.texts.empty()) {
    throw json::FormatError("invalid length 0, expected a non-empty list");
  }
  return list;
}

AliasTable make_table(std::span<const std::uint64_t> weights) {
  try {
    return AliasTable(weights);
  } catch (const std::invalid_argument& error) {
    throw json::FormatError(error.what());
  }
}

}  // namespace tarvo::census
