// src/core/census/written_places.cpp: reading census_written_places.json and writing an address.
#include "census/written_places.hpp"

#include <array>
#include <limits>

#include "panic.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<WrittenPlaces> written_cell;

std::unordered_map<std::string, std::string> read_labels(simdjson::dom::element value) {
  std::unordered_map<std::string, std::string> labels;
  for (const simdjson::dom::key_value_pair member : json::expect_object(value)) {
    const std::string_view label = json::expect_string(member.value);
    if (label.empty()) {
      throw json::FormatError("invalid value: an empty label for `" + std::string(member.key) +
                              "`");
    }
    labels.emplace(std::string(member.key), std::string(label));
  }
  return labels;
}

}  // namespace

WrittenLabels parse_census_written_places(std::string_view padded_text) {
  static constexpr std::array<std::string_view, 4> kFields = {"regions", "provinces", "cities",
                                                              "barangays"};
  WrittenLabels labels;
  try {
    simdjson::dom::parser parser;
    json::read_record(json::parse_document(parser, padded_text), kFields, false,
                      [&](std::size_t field, simdjson::dom::element value) {
                        std::unordered_map<std::string, std::string>* maps[] = {
                            &labels.regions, &labels.provinces, &labels.cities, &labels.barangays};
                        *maps[field] = read_labels(value);
                      });
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_written_places.json", error);
  }
  return labels;
}

WrittenPlaces::WrittenPlaces(const AddressData& data, const WrittenLabels& labels)
    : data_(&data) {
  const auto fill = [&](Slots& slots, const auto records,
                        const std::unordered_map<std::string, std::string>& map) {
    slots.assign(records.size(), 0);
    for (std::size_t i = 0; i < records.size(); ++i) {
      const auto found = map.find(std::string(data.text(records[i].code)));
      if (found == map.end()) continue;
      if (rewritten_.size() >= std::numeric_limits<std::uint16_t>::max()) {
        throw Panic("census_written_places.json: more labels than the slots hold");
      }
      rewritten_.push_back(found->second);
      slots[i] = static_cast<std::uint16_t>(rewritten_.size());
    }
  };
  fill(regions_, data.region_records(), labels.regions);
  fill(provinces_, data.province_records(), labels.provinces);
  fill(cities_, data.city_records(), labels.cities);
  fill(barangays_, data.barangay_records(), labels.barangays);
}

const WrittenPlaces& written_places() {
  return written_cell.get([] {
    return WrittenPlaces(address_regions(),
                         parse_census_written_places(embedded::census_written_places_json()));
  });
}

void write_written_address(const Address& address, std::string& out) {
  static constexpr std::string_view kSpelledOut = "Barangay ";
  std::string_view barangay = address.barangay;
  if (barangay.starts_with(kSpelledOut)) barangay.remove_prefix(kSpelledOut.size());
  out.assign("Brgy. ");
  out.append(barangay).append(", ");
  out.append(address.city).append(", ");
  out.append(address.province);
  if (!address.zip_code.empty()) out.append(" ").append(address.zip_code);
}

}  // namespace tarvo::census
