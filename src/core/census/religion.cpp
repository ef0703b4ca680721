// src/core/census/religion.cpp: census_religion.json read into a table per province.
#include "census/religion.hpp"

#include <algorithm>

#include "census/province_codes.hpp"
#include "census/reading.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusReligions> religions_cell;

}  // namespace

CensusReligions parse_census_religions(std::string_view padded_text, const AddressData& data) {
  CensusReligions religions;
  try {
    simdjson::dom::parser parser;
    const simdjson::dom::object root = json::expect_object(json::parse_document(parser, padded_text));
    religions.labels = json::read_string_list(root["religions"].value());
    const auto islam = std::find(religions.labels.begin(), religions.labels.end(), "Islam");
    if (islam == religions.labels.end()) throw json::FormatError("no religion `Islam`");
    religions.islam = static_cast<std::size_t>(islam - religions.labels.begin());
    religions.by_province.resize(data.province_count());
    std::vector<bool> seen(data.province_count());
    for (const auto field : json::expect_object(root["provinces"].value())) {
      const auto index = province_index(data, field.key);
      if (!index) continue;  // a province the address documents no longer have
      const WeightedList list = read_weighted_list(json::expect_object(field.value)["per_10000"].value());
      if (list.texts != religions.labels) throw json::FormatError("religions out of order");
      religions.by_province[*index] = make_table(list.weights);
      seen[*index] = true;
    }
    if (std::find(seen.begin(), seen.end(), false) != seen.end()) {
      throw json::FormatError("a province of the address documents has no row");
    }
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_religion.json", error);
  } catch (const simdjson::simdjson_error& error) {
    json::throw_invalid_document("census_religion.json", json::FormatError(error.what()));
  }
  return religions;
}

const CensusReligions& census_religions() {
  return religions_cell.get([] {
    return parse_census_religions(embedded::census_religion_json(), address_regions());
  });
}

}  // namespace tarvo::census
