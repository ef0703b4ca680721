// src/core/census/street.cpp: reading census_streets.json into weighted street names.
#include "census/street.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusStreets> streets_cell;

// The fixed parts around a name: "1999-D " and " Ave." for a house, "Blk 40 Lot 60 " and
// " St., Phase 5" for a lot.
constexpr std::size_t kHouseParts = 7 + 5;
constexpr std::size_t kLotParts = 14 + 13;

WeightedTexts read_names(simdjson::dom::element value, std::size_t& longest_name) {
  WeightedTexts names = read_weighted_texts(value);
  for (const std::string& name : names.texts) {
    if (name.empty()) throw json::FormatError("invalid value: an empty street name");
    longest_name = std::max(longest_name, name.size());
  }
  return names;
}

}  // namespace

CensusStreets parse_census_streets(std::string_view padded_text) {
  static constexpr std::array<std::string_view, 2> kFields = {"town", "subdivision"};
  CensusStreets streets;
  try {
    simdjson::dom::parser parser;
    std::size_t longest_town = 0, longest_lot = 0;
    json::read_record(json::parse_document(parser, padded_text), kFields, false,
                      [&](std::size_t field, simdjson::dom::element value) {
                        if (field == 0) streets.town = read_names(value, longest_town);
                        if (field == 1) streets.subdivision = read_names(value, longest_lot);
                      });
    streets.longest = std::max(kHouseParts + longest_town, kLotParts + longest_lot);
    if (streets.longest > StreetText::capacity) {
      throw json::FormatError("invalid value: a street name too long for a street line");
    }
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_streets.json", error);
  }
  return streets;
}

const CensusStreets& census_streets() {
  return streets_cell.get([] { return parse_census_streets(embedded::census_streets_json()); });
}

}  // namespace tarvo::census
