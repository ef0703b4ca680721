// src/core/census/education.cpp: reading census_education.json.
#include "census/education.hpp"

#include <array>

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusEducation> education_cell;

}  // namespace

CensusEducation parse_census_education(std::string_view padded_text) {
  CensusEducation data;
  try {
    simdjson::dom::parser parser;
    const simdjson::dom::element root = json::parse_document(parser, padded_text);
    json::read_record(root, std::array<std::string_view, 1>{"labels"}, false,
                      [&](std::size_t, simdjson::dom::element labels) {
                        data.labels = json::read_string_list(labels);
                      });
    if (data.labels.empty()) throw json::FormatError("invalid length 0, expected labels");
    data.attainment = SexAgeTable::read(root, data.labels.size());
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_education.json", error);
  }
  return data;
}

const CensusEducation& census_education() {
  return education_cell.get([] { return parse_census_education(embedded::census_education_json()); });
}

}  // namespace tarvo::census
