// src/core/census/figures.cpp: census_people.json read into per-age and per-label tables.
#include "census/figures.hpp"

#include <algorithm>
#include <utility>

#include "census/reading.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusFigures> figures_cell;

constexpr std::uint64_t kOpenGroupRatioPercent = 85;

// Reads {"<field>": [[from, ...], ...]} (other keys, such as "source", are skipped): rows whose
// first item is the youngest age of an age group that runs to the next row's first age, the last
// one open. Returns the rows, their first ages in `starts`, and in `group_by_age` the row that
// holds each age from kYoungestAge to kOldestAge.
std::vector<simdjson::dom::array> read_age_groups(
    simdjson::dom::element section, std::string_view field,
    std::array<std::uint8_t, kOldestAge + 1>& group_by_age, std::vector<std::uint32_t>& starts) {
  const std::array<std::string_view, 1> fields = {field};
  std::vector<simdjson::dom::array> rows;
  json::read_record(section, fields, false, [&](std::size_t, simdjson::dom::element value) {
    for (simdjson::dom::element row : json::expect_array(value)) {
      simdjson::dom::array items = json::expect_array(row);
      if (items.size() < 2) {
        throw json::FormatError("invalid length: expected an age and its figures");
      }
      const std::uint64_t from = read_count(items.at(0).value_unsafe());
      if (from > kOldestAge || (!starts.empty() && from <= starts.back()) ||
          (starts.empty() && from > kYoungestAge)) {
        throw json::FormatError("age groups must rise from at most 18 to at most 100");
      }
      starts.push_back(static_cast<std::uint32_t>(from));
      rows.push_back(items);
    }
  });
  if (rows.empty() || rows.size() > 255) {
    throw json::FormatError("invalid number of age groups");
  }
  std::size_t group = 0;
  for (std::uint32_t age = kYoungestAge; age <= kOldestAge; ++age) {
    while (group + 1 < starts.size() && starts[group + 1] <= age) ++group;
    group_by_age[age] = static_cast<std::uint8_t>(group);
  }
  return rows;
}

std::uint64_t read_item(const simdjson::dom::array& row, std::size_t index, std::uint64_t most) {
  if (row.size() <= index) {
    throw json::FormatError("invalid length: a row is too short");
  }
  return read_count(row.at(index).value_unsafe(), most);
}

// Single years from five-year (or any) groups: a closed group is spread evenly over its years,
// the open last group geometrically up to kOldestAge.
std::vector<std::uint64_t> read_age_weights(simdjson::dom::element section) {
  std::array<std::uint8_t, kOldestAge + 1> group_by_age{};
  std::vector<std::uint32_t> starts;
  const auto rows = read_age_groups(section, "groups", group_by_age, starts);
  std::vector<std::uint64_t> persons;
  // At most a billion people per group keeps every product below in 64 bits.
  for (const auto& row : rows) persons.push_back(read_item(row, 1, 1'000'000) * 1000);

  std::vector<std::uint64_t> open_shape;
  for (std::uint64_t w = std::uint64_t{1} << 20; open_shape.size() <= kOldestAge - starts.back();
       w = w * kOpenGroupRatioPercent / 100) {
    open_shape.push_back(w);
  }
  std::uint64_t open_total = 0;
  for (std::uint64_t w : open_shape) open_total += w;

  std::vector<std::uint64_t> weights;
  for (std::uint32_t age = kYoungestAge; age <= kOldestAge; ++age) {
    const std::size_t group = group_by_age[age];
    if (group + 1 < starts.size()) {
      weights.push_back(persons[group] / (starts[group + 1] - starts[group]));
    } else {
      weights.push_back(persons[group] * open_shape[age - starts[group]] / open_total);
    }
  }
  return weights;
}

std::array<SexShare, kOldestAge + 1> read_sex_ratio(simdjson::dom::element section) {
  std::array<std::uint8_t, kOldestAge + 1> group_by_age{};
  std::vector<std::uint32_t> starts;
  const auto rows = read_age_groups(section, "groups", group_by_age, starts);
  std::array<SexShare, kOldestAge + 1> shares{};
  for (std::uint32_t age = kYoungestAge; age <= kOldestAge; ++age) {
    const std::uint64_t males = read_item(rows[group_by_age[age]], 1, 10000);
    shares[age] =
        SexShare{static_cast<std::uint32_t>(males), static_cast<std::uint32_t>(males + 100)};
  }
  return shares;
}

std::size_t label_index(const std::vector<std::string>& labels, std::string_view label) {
  const auto found = std::find(labels.begin(), labels.end(), label);
  if (found == labels.end()) {
    throw json::FormatError("unknown label `" + std::string(label) + "`");
  }
  return static_cast<std::size_t>(found - labels.begin());
}

// Each census category becomes one civil status label, or several in the given proportions; the
// tables then draw labels directly, one draw per row.
void read_civil_status(simdjson::dom::element section, const Preference& labels,
                       CensusFigures& figures) {
  static constexpr std::array<std::string_view, 1> kColumnsField = {"columns"};
  static constexpr std::array<std::string_view, 2> kColumnFields = {"census", "civil_status"};
  // share[column][label] in millionths of the column.
  std::vector<std::vector<std::uint64_t>> share;
  json::read_record(section, kColumnsField, false, [&](std::size_t, simdjson::dom::element value) {
    for (simdjson::dom::element column : json::expect_array(value)) {
      json::read_record(
          column, kColumnFields, false, [&](std::size_t field, simdjson::dom::element v) {
            if (field == 0) return;
            const WeightedList split = read_weighted_list(v);
            std::uint64_t total = 0;
            for (std::uint64_t w : split.weights) {
              if (w > 1'000'000) throw json::FormatError("a civil status split above 1000000");
              total += w;
            }
            if (total == 0 || total > 1'000'000) {
              throw json::FormatError("a civil status split must sum to between 1 and 1000000");
            }
            std::vector<std::uint64_t> column_share(labels.civil_status.size());
            for (std::size_t i = 0; i < split.texts.size(); ++i) {
              column_share[label_index(labels.civil_status, split.texts[i])] +=
                  split.weights[i] * 1'000'000 / total;
            }
            share.push_back(std::move(column_share));
          });
    }
  });

  std::vector<std::uint32_t> starts;
  const auto rows = read_age_groups(section, "groups", figures.marital_group_by_age, starts);
  for (const auto& row : rows) {
    if (row.size() != 3) throw json::FormatError("invalid length: expected [age, men, women]");
    std::array<AliasTable, 2> by_sex;
    for (std::size_t sex = 0; sex < 2; ++sex) {
      // Rows give men first, then women; by_sex is indexed by `male`.
      simdjson::dom::array per_mille = json::expect_array(row.at(1 + sex).value_unsafe());
      if (per_mille.size() != share.size()) {
        throw json::FormatError("invalid length: a row must have one figure per column");
      }
      std::vector<std::uint64_t> weights(labels.civil_status.size());
      std::size_t column = 0;
      for (simdjson::dom::element figure : per_mille) {
        const std::uint64_t count = read_count(figure, 1000);
        for (std::size_t label = 0; label < weights.size(); ++label) {
          weights[label] += count * share[column][label];
        }
        ++column;
      }
      by_sex[1 - sex] = make_table(weights);
    }
    figures.civil_status.push_back(std::move(by_sex));
  }
}

AliasTable read_labelled(simdjson::dom::element section, std::string_view field,
                         const std::vector<std::string>& labels) {
  const std::array<std::string_view, 1> fields = {field};
  std::vector<std::uint64_t> weights(labels.size());
  json::read_record(section, fields, false, [&](std::size_t, simdjson::dom::element value) {
    const WeightedList list = read_weighted_list(value);
    for (std::size_t i = 0; i < list.texts.size(); ++i) {
      weights[label_index(labels, list.texts[i])] += list.weights[i];
    }
  });
  return make_table(weights);
}

void read_domains(simdjson::dom::element section, CensusFigures& figures) {
  static constexpr std::array<std::string_view, 1> kFields = {"domains"};
  json::read_record(section, kFields, false, [&](std::size_t, simdjson::dom::element value) {
    WeightedList list = read_weighted_list(value);
    figures.domain = make_table(list.weights);
    figures.domains = std::move(list.texts);
  });
}

void read_suffixes(simdjson::dom::element section, CensusFigures& figures) {
  static constexpr std::array<std::string_view, 1> kFields = {"suffixes"};
  figures.suffixes = {""};
  json::read_record(section, kFields, false, [&](std::size_t, simdjson::dom::element value) {
    std::uint64_t total = 0;
    for (simdjson::dom::element row : json::expect_array(value)) {
      simdjson::dom::array items = json::expect_array(row);
      if (items.size() != 3) {
        throw json::FormatError("invalid length: expected [suffix, per 10000, youngest age]");
      }
      figures.suffixes.emplace_back(json::expect_string(items.at(0).value_unsafe()));
      const std::uint64_t share = read_item(items, 1, 10000);
      const std::uint64_t youngest = read_item(items, 2, kOldestAge);
      total += share;
      if (total > 10000) throw json::FormatError("suffix shares sum above 10000");
      figures.suffix_rules.push_back(
          SuffixRule{static_cast<std::uint32_t>(share), static_cast<std::uint32_t>(youngest)});
    }
  });
}

}  // namespace

CensusFigures parse_census_figures(std::string_view padded_text, const Preference& labels) {
  static constexpr std::array<std::string_view, 6> kFields = {
      "household_population_thousands", "males_per_100_females",  "marital_status_per_mille",
      "blood_type_per_10000",           "email_domains_per_1000", "male_suffix_per_10000"};
  CensusFigures figures;
  try {
    simdjson::dom::parser parser;
    json::read_record(json::parse_document(parser, padded_text), kFields, false,
                      [&](std::size_t index, simdjson::dom::element value) {
                        switch (index) {
                          case 0:
                            figures.age_weights = read_age_weights(value);
                            figures.age = make_table(figures.age_weights);
                            break;
                          case 1:
                            figures.sex_by_age = read_sex_ratio(value);
                            break;
                          case 2:
                            read_civil_status(value, labels, figures);
                            break;
                          case 3:
                            figures.blood_type = read_labelled(value, "types", labels.blood_type);
                            break;
                          case 4:
                            read_domains(value, figures);
                            break;
                          default:
                            read_suffixes(value, figures);
                            break;
                        }
                      });
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_people.json", error);
  }
  return figures;
}

const CensusFigures& census_figures() {
  return figures_cell.get(
      [] { return parse_census_figures(embedded::census_people_json(), preference()); });
}

}  // namespace tarvo::census
