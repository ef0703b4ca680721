// src/core/census/population.cpp: census_population.json read into per-age tables.
#include "census/population.hpp"

#include <algorithm>
#include <string>

#include "census/reading.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusPopulation> population_cell;

constexpr std::uint64_t kOpenGroupRatioPercent = 85;

simdjson::dom::array rows_of(const simdjson::dom::object& root, const char* section,
                             const char* field) {
  return json::expect_array(json::expect_object(root[section].value())[field].value());
}

// [youngest age, men, women] rows of five-year groups from 0, the last open.
void read_age_sex(simdjson::dom::array rows, CensusPopulation& out) {
  std::vector<std::uint32_t> starts;
  std::vector<std::uint64_t> men, women;
  for (const auto row : rows) {
    const auto cells = json::expect_array(row);
    if (cells.size() != 3) throw json::FormatError("expected [age, men, women]");
    starts.push_back(static_cast<std::uint32_t>(read_count(cells.at(0).value_unsafe(), kOldestAge)));
    men.push_back(read_count(cells.at(1).value_unsafe(), 1'000'000'000));
    women.push_back(read_count(cells.at(2).value_unsafe(), 1'000'000'000));
    if (starts.size() == 1 ? starts[0] != 0 : starts.back() <= starts[starts.size() - 2]) {
      throw json::FormatError("age groups must rise from 0");
    }
  }
  if (starts.empty()) throw json::FormatError("no age groups");
  std::vector<std::uint64_t> open;
  for (std::uint64_t w = std::uint64_t{1} << 20; open.size() <= kOldestAge - starts.back();
       w = w * kOpenGroupRatioPercent / 100) {
    open.push_back(w);
  }
  std::uint64_t open_total = 0;
  for (std::uint64_t w : open) open_total += w;
  out.age_weights.assign(kOldestAge + 1, 0);
  std::size_t group = 0;
  for (std::uint32_t age = 0; age <= kOldestAge; ++age) {
    while (group + 1 < starts.size() && starts[group + 1] <= age) ++group;
    const std::uint64_t people = men[group] + women[group];
    out.age_weights[age] = group + 1 < starts.size()
                               ? people / (starts[group + 1] - starts[group])
                               : people * open[age - starts[group]] / open_total;
    // Shares in ten-thousandths of the group: the ratio of its men to its people.
    out.sex_by_age[age] = SexShare{static_cast<std::uint32_t>(men[group] * 10'000 / people), 10'000};
  }
}

// [youngest age, [five columns] men, [five columns] women] rows over the census's columns
// never married, married, common law, widowed, divorced or separated.
std::array<AliasTable, 2> young_civil_status(simdjson::dom::element row, const Preference& labels) {
  auto index = [&](std::string_view label) {
    return static_cast<std::size_t>(
        std::find(labels.civil_status.begin(), labels.civil_status.end(), label) -
        labels.civil_status.begin());
  };
  const std::size_t columns[] = {index("Single"), index("Married"), index("Single"),
                                 index("Widowed"), index("Separated")};
  for (std::size_t c : columns) {
    if (c >= labels.civil_status.size()) throw json::FormatError("a civil status label is missing");
  }
  std::array<AliasTable, 2> tables;
  const auto cells = json::expect_array(row);
  for (std::size_t sex = 0; sex < 2; ++sex) {
    std::vector<std::uint64_t> weights(labels.civil_status.size());
    std::size_t column = 0;
    for (const auto figure : json::expect_array(cells.at(1 + sex).value_unsafe())) {
      if (column == 5) throw json::FormatError("expected five columns");
      weights[columns[column++]] += read_count(figure, 1000);
    }
    tables[1 - sex] = make_table(weights);  // rows give men first; tables are indexed by male
  }
  return tables;
}

// Rows [youngest age of the mother, births]: spread evenly over the five years of each group.
AliasTable mother_ages(simdjson::dom::array rows) {
  std::vector<std::uint64_t> weights(kOldestMother - kYoungestMother + 1);
  for (const auto row : rows) {
    const auto cells = json::expect_array(row);
    const auto from = read_count(cells.at(0).value_unsafe(), kOldestMother);
    const auto births = read_count(cells.at(1).value_unsafe(), 1'000'000);
    if (from < kYoungestMother) throw json::FormatError("a mother younger than 15");
    for (std::uint64_t age = from; age < from + 5 && age <= kOldestMother; ++age) {
      weights[age - kYoungestMother] += births;
    }
  }
  return make_table(weights);
}

}  // namespace

CensusPopulation parse_census_population(std::string_view padded_text, const Preference& labels) {
  CensusPopulation population;
  try {
    simdjson::dom::parser parser;
    const auto root = json::expect_object(json::parse_document(parser, padded_text));
    read_age_sex(rows_of(root, "age_sex", "groups"), population);
    std::vector<std::uint64_t> sizes;
    for (const auto row : rows_of(root, "household_size_per_100000", "sizes")) {
      const auto cells = json::expect_array(row);
      if (read_count(cells.at(0).value_unsafe()) != sizes.size() + 1) {
        throw json::FormatError("household sizes must run 1, 2, 3, ...");
      }
      sizes.push_back(read_count(cells.at(1).value_unsafe(), 100'000));
      population.household_size_weight.push_back(static_cast<std::uint32_t>(sizes.back()));
    }
    population.household_size = make_table(sizes);
    population.mother_age_at_birth = mother_ages(rows_of(root, "mother_age_at_birth_per_1000", "groups"));
    const auto young = rows_of(root, "young_marital_status_per_mille", "groups");
    if (young.size() != 2) throw json::FormatError("expected the groups 10 and 15");
    population.civil_status_10_to_14 = young_civil_status(young.at(0).value_unsafe(), labels);
    population.civil_status_15_to_17 = young_civil_status(young.at(1).value_unsafe(), labels);
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_population.json", error);
  } catch (const simdjson::simdjson_error& error) {
    json::throw_invalid_document("census_population.json", json::FormatError(error.what()));
  }
  return population;
}

const CensusPopulation& census_population() {
  return population_cell.get([] {
    return parse_census_population(embedded::census_population_json(), preference());
  });
}

}  // namespace tarvo::census
