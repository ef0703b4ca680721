// src/core/census/places.cpp: census weights and ZIP codes of every barangay, and their document.
#include "census/places.hpp"

#include <algorithm>

#include <array>
#include <limits>

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusPlaces> places_cell;

bool is_zip(std::string_view text) {
  if (text.size() != 4) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::unordered_map<std::string, std::string> read_zip_map(simdjson::dom::element value) {
  std::unordered_map<std::string, std::string> map;
  for (const simdjson::dom::key_value_pair member : json::expect_object(value)) {
    const std::string_view zip = json::expect_string(member.value);
    if (!is_zip(zip)) {
      throw json::FormatError("invalid value: expected a four-digit ZIP code for `" +
                              std::string(member.key) + "`");
    }
    map.emplace(std::string(member.key), std::string(zip));
  }
  return map;
}

// Weights per barangay, with the missing figures filled in as CensusPlaces documents.
std::vector<std::uint64_t> barangay_weights(const AddressData& data, std::size_t& imputed) {
  const auto barangays = data.barangay_records();
  std::vector<std::uint64_t> weights(barangays.size(), 0);
  std::vector<bool> known(barangays.size(), false);
  std::uint64_t all_sum = 0;
  std::size_t all_count = 0;
  for (std::size_t i = 0; i < barangays.size(); ++i) {
    const Barangay barangay(&data, static_cast<std::uint32_t>(i));
    if (const std::optional<std::uint32_t> figure = census_figure(barangay.status())) {
      weights[i] = *figure;
      known[i] = true;
      all_sum += *figure;
      ++all_count;
    }
  }
  imputed = barangays.size() - all_count;
  if (imputed == 0) {
    return weights;
  }
  // Whole-number means: the table is built in integers, the same on every machine.
  const std::uint64_t all_mean = all_count > 0 ? all_sum / all_count : 1;
  for (const detail::CityRecord& city : data.city_records()) {
    std::uint64_t sum = 0;
    std::size_t count = 0;
    for (std::uint32_t i = city.barangays.begin; i < city.barangays.end; ++i) {
      if (known[i]) {
        sum += weights[i];
        ++count;
      }
    }
    const std::uint64_t mean = count > 0 ? sum / count : all_mean;
    for (std::uint32_t i = city.barangays.begin; i < city.barangays.end; ++i) {
      if (!known[i]) weights[i] = mean;
    }
  }
  return weights;
}

}  // namespace

ZipOverrides parse_census_zip(std::string_view padded_text) {
  ZipOverrides zips;
  try {
    simdjson::dom::parser parser;
    json::read_record(json::parse_document(parser, padded_text),
                      std::array<std::string_view, 2>{"cities", "barangays"}, false,
                      [&](std::size_t field, simdjson::dom::element value) {
                        (field == 0 ? zips.cities : zips.barangays) = read_zip_map(value);
                      });
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_zip.json", error);
  }
  return zips;
}

std::optional<std::uint32_t> census_figure(std::optional<std::string_view> status) {
  if (!status || status->empty()) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char c : *status) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) {
      return std::nullopt;
    }
  }
  return static_cast<std::uint32_t>(value);
}

CensusPlaces::CensusPlaces(const AddressData& data, const ZipOverrides& zips)
    : data_(&data),
      lists_(std::make_unique<const PlaceLists>(data.region_count(), data.province_count(),
                                                data.city_count(), data.barangay_count())) {
  parents_.resize(data.city_count());
  for (std::uint32_t r = 0; r < data.region_count(); ++r) {
    const detail::IndexRange provinces = data.region_records()[r].provinces;
    for (std::uint32_t p = provinces.begin; p < provinces.end; ++p) {
      const detail::IndexRange cities = data.province_records()[p].cities_municipalities;
      for (std::uint32_t c = cities.begin; c < cities.end; ++c) parents_[c] = Parents{p, r};
    }
  }

  // Each distinct ZIP text is stored once; the arena is read through offsets, so moving this
  // object into its Once cell cannot leave views behind.
  std::unordered_map<std::string_view, std::uint32_t> zip_ids;
  auto zip_id = [&](std::string_view text) {
    const auto found = zip_ids.find(text);
    if (found != zip_ids.end()) return found->second;
    const auto id = static_cast<std::uint32_t>(zips_.size());
    zips_.push_back(detail::TextRef{static_cast<std::uint32_t>(zip_arena_.size()),
                                    static_cast<std::uint32_t>(text.size())});
    zip_arena_.append(text);
    zip_ids.emplace(text, id);
    return id;
  };

  places_.resize(data.barangay_count());
  const auto cities = data.city_records();
  for (std::uint32_t c = 0; c < cities.size(); ++c) {
    const detail::CityRecord& city = cities[c];
    std::string_view city_zip = data.text(city.zip_code);
    if (city_zip.empty()) {
      if (const auto found = zips.cities.find(std::string(data.text(city.code)));
          found != zips.cities.end()) {
        city_zip = found->second;
      }
    }
    for (std::uint32_t b = city.barangays.begin; b < city.barangays.end; ++b) {
      const detail::BarangayRecord& barangay = data.barangay_records()[b];
      std::string_view zip = city_zip;
      if (const auto found = zips.barangays.find(std::string(data.text(barangay.code)));
          found != zips.barangays.end()) {
        zip = found->second;
      }
      places_[b] = Place{barangay.name, c, zip_id(zip)};
    }
  }

  const std::vector<std::uint64_t> weights = barangay_weights(data, imputed_);
  // A data set with nothing to draw keeps the empty table, and draws give no address.
  if (std::any_of(weights.begin(), weights.end(), [](std::uint64_t w) { return w > 0; })) {
    table_ = AliasTable(weights);
  }
}

const CensusPlaces& census_places() {
  return places_cell.get([] {
    return CensusPlaces(address_regions(), parse_census_zip(embedded::census_zip_json()));
  });
}

}  // namespace tarvo::census
