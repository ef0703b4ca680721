// src/core/census/names.cpp: reading census_names.json into lists with their alias tables.
#include "census/names.hpp"

#include <array>
#include <utility>

#include "census/reading.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusNames> names_cell;

WeightedNames read_names(simdjson::dom::element value) {
  WeightedList list = read_weighted_list(value);
  AliasTable table = make_table(list.weights);
  return WeightedNames{std::move(list.texts), std::move(table)};
}

}  // namespace

CensusNames parse_census_names(std::string_view padded_text) {
  static constexpr std::array<std::string_view, 3> kFields = {"male", "female", "surnames"};
  CensusNames names;
  try {
    simdjson::dom::parser parser;
    json::read_record(json::parse_document(parser, padded_text), kFields, false,
                      [&](std::size_t index, simdjson::dom::element value) {
                        WeightedNames* lists[] = {&names.male, &names.female, &names.surnames};
                        *lists[index] = read_names(value);
                      });
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_names.json", error);
  }
  return names;
}

const CensusNames& census_names() {
  return names_cell.get([] { return parse_census_names(embedded::census_names_json()); });
}

}  // namespace tarvo::census
