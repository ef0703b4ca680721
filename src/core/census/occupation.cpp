// src/core/census/occupation.cpp: reading census_occupation.json and naming a drawn occupation.
#include "census/occupation.hpp"

#include <array>
#include <utility>

#include "census/reading.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusOccupations> occupations_cell;

OccupationGroup read_group(simdjson::dom::element value) {
  static constexpr std::array<std::string_view, 2> kFields = {"name", "titles"};
  OccupationGroup group;
  json::read_record(value, kFields, false, [&](std::size_t field, simdjson::dom::element item) {
    if (field == 0) {
      group.name = std::string(json::expect_string(item));
      return;
    }
    group.titles = read_weighted_texts(item);
  });
  return group;
}

}  // namespace

CensusOccupations parse_census_occupation(std::string_view padded_text) {
  static constexpr std::array<std::string_view, 3> kFields = {"activity", "groups",
                                                              "group_weights"};
  CensusOccupations data;
  try {
    simdjson::dom::parser parser;
    const simdjson::dom::element root = json::parse_document(parser, padded_text);
    // The weights are read after the lists they index, whatever the order of the keys.
    simdjson::dom::element activity, group_weights;
    json::read_record(root, kFields, false, [&](std::size_t field, simdjson::dom::element item) {
      if (field == 0) activity = item;
      if (field == 1) {
        for (const simdjson::dom::element group : json::expect_array(item)) {
          data.groups.push_back(read_group(group));
        }
      }
      if (field == 2) group_weights = item;
    });
    if (data.groups.empty()) throw json::FormatError("invalid length 0, expected groups");
    json::read_record(activity, std::array<std::string_view, 1>{"labels"}, false,
                      [&](std::size_t, simdjson::dom::element labels) {
                        data.activities = json::read_string_list(labels);
                      });
    if (data.activities.empty() || data.activities.front() != "Employed") {
      throw json::FormatError("invalid value: the first activity must be \"Employed\"");
    }
    data.activity = SexAgeTable::read(activity, data.activities.size());
    data.group = SexAgeTable::read(group_weights, data.groups.size());
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_occupation.json", error);
  }
  return data;
}

const CensusOccupations& census_occupations() {
  return occupations_cell.get(
      [] { return parse_census_occupation(embedded::census_occupation_json()); });
}

std::string_view occupation_title(const CensusOccupations& data, const Occupation& occupation) {
  if (!occupation.employed()) return data.activities[occupation.activity];
  return data.groups[occupation.group].titles.texts[occupation.title];
}

std::string_view occupation_group(const CensusOccupations& data, const Occupation& occupation) {
  if (!occupation.employed()) return data.activities[occupation.activity];
  return data.groups[occupation.group].name;
}

}  // namespace tarvo::census
