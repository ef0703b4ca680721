// src/core/census/given_names.cpp: census_given_names.json read into a table per decade and sex.
#include "census/given_names.hpp"

#include <string>

#include "census/reading.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusGivenNames> given_names_cell;

GivenNameEntry read_entry(simdjson::dom::element value) {
  const auto entry = json::expect_object(value);
  GivenNameEntry out;
  out.compound_per_mille = static_cast<std::uint32_t>(read_count(entry["compound_per_mille"].value(), 1000));
  out.single = read_weighted_texts(entry["single"].value());
  out.first = read_weighted_texts(entry["first"].value());
  out.second = read_weighted_texts(entry["second"].value());
  if (out.second.texts.size() < 2) throw json::FormatError("a second element needs two names");
  return out;
}

}  // namespace

CensusGivenNames parse_census_given_names(std::string_view padded_text) {
  CensusGivenNames names;
  try {
    simdjson::dom::parser parser;
    const auto root = json::expect_object(json::parse_document(parser, padded_text));
    for (const auto cohort : json::expect_array(root["cohorts"].value())) {
      const auto year = static_cast<std::int32_t>(read_count(cohort, 9999));
      if (!names.cohorts.empty() && year <= names.cohorts.back()) {
        throw json::FormatError("cohorts must rise");
      }
      names.cohorts.push_back(year);
    }
    if (names.cohorts.empty()) throw json::FormatError("no cohorts");
    for (const auto& [field, list] : {std::pair{"male", &names.male}, std::pair{"female", &names.female}}) {
      const auto by_cohort = json::expect_object(root[field].value());
      for (std::int32_t year : names.cohorts) {
        list->push_back(read_entry(by_cohort[std::to_string(year)].value()));
      }
    }
    names.muslim_male = read_entry(root["muslim_male"].value());
    names.muslim_female = read_entry(root["muslim_female"].value());
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_given_names.json", error);
  } catch (const simdjson::simdjson_error& error) {
    json::throw_invalid_document("census_given_names.json", json::FormatError(error.what()));
  }
  return names;
}

const CensusGivenNames& census_given_names() {
  return given_names_cell.get([] { return parse_census_given_names(embedded::census_given_names_json()); });
}

}  // namespace tarvo::census
