// src/core/census/written_places.hpp: place labels as Filipinos write them, and the full address.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "providers/address.hpp"

namespace tarvo::census {

// The written labels of data/census_written_places.json, by PSGC code, for the places whose
// written form differs from the official label (tools/build_written_places.py gives the rules).
struct WrittenLabels {
  std::unordered_map<std::string, std::string> regions, provinces, cities, barangays;
};

// Reads the document; Panic "Invalid census_written_places.json format: ..." on any fault,
// an empty label included.
WrittenLabels parse_census_written_places(std::string_view padded_text);

// The written label of every place of a data set, by its index in the data set's flat levels
// (the indices of Address). A place the labels do not name keeps its official label.
class WrittenPlaces {
 public:
  WrittenPlaces(const AddressData& data, const WrittenLabels& labels);

  std::string_view region(std::uint32_t index) const {
    return label(regions_, data_->region_records(), index);
  }
  std::string_view province(std::uint32_t index) const {
    return label(provinces_, data_->province_records(), index);
  }
  std::string_view city(std::uint32_t index) const {
    return label(cities_, data_->city_records(), index);
  }
  std::string_view barangay(std::uint32_t index) const {
    return label(barangays_, data_->barangay_records(), index);
  }

  // Sets the four labels of `address` from its indices, as written.
  void label(Address& address) const {
    address.region = region(address.region_index);
    address.province = province(address.province_index);
    address.city = city(address.city_index);
    address.barangay = barangay(address.barangay_index);
  }

  // How many labels, over all levels, differ from the official ones.
  std::size_t rewritten() const { return rewritten_.size(); }

 private:
  // Per place, 0 for the official label or 1 + the position of its label in rewritten_: two
  // bytes a place keeps the lookup a single load on the path of every generated address.
  using Slots = std::vector<std::uint16_t>;

  // The official record is read only for a label that is not rewritten.
  template <class Records>
  std::string_view label(const Slots& slots, const Records& records, std::uint32_t index) const {
    const std::uint16_t slot = slots[index];
    return slot == 0 ? data_->text(records[index].name) : std::string_view(rewritten_[slot - 1]);
  }

  const AddressData* data_;
  Slots regions_, provinces_, cities_, barangays_;
  std::vector<std::string> rewritten_;
};

// The process-wide labels over address_regions() and the embedded document, built on first use.
const WrittenPlaces& written_places();

// Replaces out with the address as written, in exactly three comma-separated parts and with no
// trailing blank: "Brgy. Poblacion, Davao City, Davao del Sur 8000", "Brgy. 428, Manila, Metro
// Manila 1008", "Brgy. Tugop, Kalawit, Zamboanga del Norte" when the ZIP code is blank. The
// barangay takes the prefix "Brgy." ("Barangay 12" becomes "Brgy. 12"). The region is left out,
// as Filipinos leave it out of addresses; it stays available as its own column. The address's
// labels must be the written ones (WrittenPlaces::label).
void write_written_address(const Address& address, std::string& out);

}  // namespace tarvo::census
