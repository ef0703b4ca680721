// src/core/census/surnames.cpp: the surname documents read into group and province tables.
#include "census/surnames.hpp"

#include <algorithm>

#include "census/province_codes.hpp"
#include "census/reading.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusSurnames> surnames_cell;

// A [[group, weight], ...] row over exactly `groups`, in their order.
AliasTable group_table(simdjson::dom::element value, const std::vector<std::string>& groups) {
  const WeightedList list = read_weighted_list(value);
  if (list.texts != groups) throw json::FormatError("groups out of order");
  return make_table(list.weights);
}

}  // namespace

CensusSurnames parse_census_surnames(std::string_view surnames_text, std::string_view places_text,
                                     const AddressData& data) {
  CensusSurnames surnames;
  std::vector<std::string> groups;
  try {
    simdjson::dom::parser parser;
    const auto root = json::expect_object(json::parse_document(parser, surnames_text));
    for (const auto field : json::expect_object(root["groups"].value())) {
      groups.emplace_back(field.key);
      WeightedList list = read_weighted_list(json::expect_object(field.value)["surnames"].value());
      surnames.group_start.push_back(static_cast<std::uint32_t>(surnames.names.size()));
      surnames.in_group.push_back(make_table(list.weights));
      for (std::string& name : list.texts) surnames.names.push_back(std::move(name));
    }
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_surnames.json", error);
  } catch (const simdjson::simdjson_error& error) {
    json::throw_invalid_document("census_surnames.json", json::FormatError(error.what()));
  }
  try {
    simdjson::dom::parser parser;
    const auto root = json::expect_object(json::parse_document(parser, places_text));
    if (json::read_string_list(root["groups"].value()) != groups) {
      throw json::FormatError("its groups are not those of census_surnames.json");
    }
    surnames.group_of_muslims =
        group_table(json::expect_object(root["muslim_rows"].value())["per_10000"].value(), groups);
    surnames.group_by_province.resize(data.province_count());
    std::vector<bool> seen(data.province_count());
    for (const auto field : json::expect_object(root["provinces"].value())) {
      const auto index = province_index(data, field.key);
      if (!index) continue;
      surnames.group_by_province[*index] =
          group_table(json::expect_object(field.value)["per_10000"].value(), groups);
      seen[*index] = true;
    }
    if (std::find(seen.begin(), seen.end(), false) != seen.end()) {
      throw json::FormatError("a province of the address documents has no row");
    }
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_surname_places.json", error);
  } catch (const simdjson::simdjson_error& error) {
    json::throw_invalid_document("census_surname_places.json", json::FormatError(error.what()));
  }
  return surnames;
}

const CensusSurnames& census_surnames() {
  return surnames_cell.get([] {
    return parse_census_surnames(embedded::census_surnames_json(),
                                 embedded::census_surname_places_json(), address_regions());
  });
}

}  // namespace tarvo::census
