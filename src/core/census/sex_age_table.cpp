// src/core/census/sex_age_table.cpp: reading a sex-and-age table of weights.
#include "census/sex_age_table.hpp"

#include <array>
#include <string>

#include "census/reading.hpp"
#include "providers/json_reader.hpp"

namespace tarvo::census {

SexAgeTable SexAgeTable::read(simdjson::dom::element value, std::size_t outcomes) {
  static constexpr std::array<std::string_view, 3> kFields = {"youngest", "male", "female"};
  SexAgeTable result;
  result.outcomes_ = outcomes;
  std::array<std::vector<std::vector<std::uint64_t>>, 2> rows;
  json::read_record(value, kFields, false, [&](std::size_t field, simdjson::dom::element item) {
    if (field == 0) {
      for (const simdjson::dom::element age : json::expect_array(item)) {
        const auto years = static_cast<unsigned>(read_count(age, 150));
        if (!result.youngest_.empty() && years <= result.youngest_.back()) {
          throw json::FormatError("invalid value: the youngest ages must rise");
        }
        result.youngest_.push_back(years);
      }
      return;
    }
    for (const simdjson::dom::element row : json::expect_array(item)) {
      std::vector<std::uint64_t> weights;
      for (const simdjson::dom::element weight : json::expect_array(row)) {
        weights.push_back(read_count(weight));
      }
      if (weights.size() != outcomes) {
        throw json::FormatError("invalid length " + std::to_string(weights.size()) +
                                ", expected " + std::to_string(outcomes) + " weights");
      }
      rows[field - 1].push_back(std::move(weights));
    }
  });
  if (result.youngest_.empty() || rows[0].size() != result.youngest_.size() ||
      rows[1].size() != result.youngest_.size()) {
    throw json::FormatError("invalid length: expected one row per age group and sex");
  }
  for (std::size_t group = 0; group < result.youngest_.size(); ++group) {
    result.tables_.push_back(make_table(rows[0][group]));
    result.tables_.push_back(make_table(rows[1][group]));
  }
  return result;
}

std::size_t SexAgeTable::group_of(unsigned age) const {
  std::size_t group = 0;
  while (group + 1 < youngest_.size() && age >= youngest_[group + 1]) ++group;
  return group;
}

}  // namespace tarvo::census
