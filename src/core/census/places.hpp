// src/core/census/places.hpp: addresses drawn in proportion to each barangay's census population.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "census/alias_table.hpp"
#include "providers/address.hpp"

namespace tarvo::census {

// ZIP codes the census profile lays over the address documents' own, keyed by PSGC code: a
// barangay's own code where a source gives it, else a code for a city the documents leave blank.
struct ZipOverrides {
  std::unordered_map<std::string, std::string> cities;
  std::unordered_map<std::string, std::string> barangays;
};

// Reads data/census_zip.json; Panic "Invalid census_zip.json format: ..." on any fault.
ZipOverrides parse_census_zip(std::string_view padded_text);

// A barangay's census figure: its status when that is a non-empty run of ASCII digits whose value
// fits in 32 bits, else none ("-", null, a sign, a blank).
std::optional<std::uint32_t> census_figure(std::optional<std::string_view> status);

// Every barangay of a data set as one weighted outcome, with what an address needs of it.
//
// A barangay's weight is its census figure. One without a figure weighs the mean figure of the
// barangays of its own city or municipality that have one, or, where none has, the mean of all
// figures of the set; a set with no figure at all weighs every barangay alike. A figure of 0 is
// kept: that barangay is never drawn.
class CensusPlaces {
 public:
  CensusPlaces(const AddressData& data, const ZipOverrides& zips);

  const AddressData& data() const { return *data_; }
  // Outcome i is the barangay at index i of data().
  const AliasTable& table() const { return table_; }
  // How many barangays were weighed without a figure of their own.
  std::size_t imputed() const { return imputed_; }
  // The ZIP code an address in the barangay at this index carries.
  std::string_view zip_code(std::uint32_t barangay) const {
    return zip_text(places_[barangay].zip);
  }

  // One address, or none when the set has no barangay or all weigh 0 (then nothing is drawn).
  // Draws: the alias table's column and threshold words.
  template <class R>
  std::optional<Address> draw(R& rng) const;

  // The same draw as draw(), without the official labels: the indices and the ZIP code, for a
  // caller that labels the places its own way.
  template <class R>
  std::optional<Address> draw_unlabelled(R& rng) const;

 private:
  struct Place {
    tarvo::detail::TextRef name;
    std::uint32_t city;
    std::uint32_t zip;  // into zips_
  };
  struct Parents {
    std::uint32_t province, region;
  };

  std::string_view zip_text(std::uint32_t zip) const {
    const tarvo::detail::TextRef ref = zips_[zip];
    return std::string_view(zip_arena_.data() + ref.offset, ref.length);
  }

  const AddressData* data_;
  // Its own lists: the ZIP codes differ from the documents', so their texts must not be shared
  // with an official address's.
  std::unique_ptr<const PlaceLists> lists_;
  AliasTable table_;
  std::vector<Place> places_;     // per barangay of data_
  std::vector<Parents> parents_;  // per city of data_
  std::string zip_arena_;         // each distinct ZIP code once
  std::vector<tarvo::detail::TextRef> zips_;
  std::size_t imputed_ = 0;
};

// The process-wide table over address_regions() and the embedded census_zip.json, built on
// first use (other threads wait for it) and shared read-only afterwards.
const CensusPlaces& census_places();

template <class R>
std::optional<Address> CensusPlaces::draw_unlabelled(R& rng) const {
  if (table_.empty()) {
    return std::nullopt;
  }
  const std::uint32_t barangay = table_.sample(rng);
  const Place& place = places_[barangay];
  const Parents& up = parents_[place.city];
  Address address;
  address.zip_code = zip_text(place.zip);
  address.region_index = up.region;
  address.province_index = up.province;
  address.city_index = place.city;
  address.barangay_index = barangay;
  return address;
}

template <class R>
std::optional<Address> CensusPlaces::draw(R& rng) const {
  std::optional<Address> address = draw_unlabelled(rng);
  if (!address) return address;
  address->barangay = data_->text(places_[address->barangay_index].name);
  address->city = data_->text(data_->city_records()[address->city_index].name);
  address->province = data_->text(data_->province_records()[address->province_index].name);
  address->region = data_->text(data_->region_records()[address->region_index].name);
  address->lists = lists_.get();
  return address;
}

// Same hierarchy and ZIP rules as above; R is any source with the sampling API of tarvo::Rng.
template <class R>
std::optional<Address> draw_census_address(R& rng, const CensusPlaces& places) {
  return places.draw(rng);
}

template <class R>
std::optional<Address> draw_census_address(R& rng) {
  return census_places().draw(rng);
}

}  // namespace tarvo::census
