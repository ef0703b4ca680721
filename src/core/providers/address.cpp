// src/core/providers/address.cpp: builds the address hierarchy from its JSON texts and draws addresses.
#include "providers/address.hpp"

#include <array>
#include <limits>

#include <simdjson.h>

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo {
namespace detail {

namespace {

constexpr std::array<std::string_view, 3> kRegionFields{"name", "code", "provinces"};
constexpr std::array<std::string_view, 3> kProvinceFields{"name", "code", "cities_municipalities"};
constexpr std::array<std::string_view, 6> kCityFields{"name",     "code",     "type",
                                                      "zip_code", "district", "barangays"};
constexpr std::array<std::string_view, 3> kBarangayFields{"name", "code", "status"};

// Offsets and indices are 32-bit to keep records small; a text that would overflow them is
// rejected like any other malformed text rather than wrapping around.
constexpr std::size_t kMaxOffset = std::numeric_limits<std::uint32_t>::max() - 1;

std::uint32_t checked_u32(std::size_t value) {
  if (value > kMaxOffset) {
    throw json::FormatError("address data set too large");
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace

// Appends texts to an AddressData. Records go straight into the flat vectors, depth first: a
// record's children are read completely before its next sibling, so the children of one parent
// always form one contiguous run of their level and [begin, end) describes them.
class AddressBuilder {
 public:
  explicit AddressBuilder(AddressData& data) : data_(data) {}

  // All or nothing: on any rule broken inside the text, everything it added is cut off again.
  bool append_text(simdjson::dom::parser& parser, std::string_view padded_text) {
    const Sizes before = sizes();
    try {
      const simdjson::dom::element document = json::parse_document(parser, padded_text);
      for (const simdjson::dom::element region : json::expect_array(document)) {
        read_region(region);
      }
      return true;
    } catch (const json::FormatError&) {
      truncate(before);
      return false;
    }
  }

  // Sizes the containers from the total text length before anything is read. Growing by
  // doubling and trimming afterwards would write every byte two or three times over into fresh
  // pages, and on first use page faults cost as much as the parse. Capacity that is reserved but
  // never written costs address space, not resident memory, so the estimates lean high: the
  // pretty-printed documents take about 150 bytes of text per barangay and 6 per arena byte.
  // A denser text only means the containers grow as usual.
  void reserve_for(std::size_t text_bytes) {
    data_.arena_.reserve(text_bytes / 4);
    data_.regions_.reserve(text_bytes / 65536 + 16);
    data_.provinces_.reserve(text_bytes / 16384 + 16);
    data_.cities_.reserve(text_bytes / 2048 + 16);
    data_.barangays_.reserve(text_bytes / 128 + 16);
  }

 private:
  struct Sizes {
    std::size_t arena, regions, provinces, cities, barangays;
  };

  Sizes sizes() const {
    return {data_.arena_.size(), data_.regions_.size(), data_.provinces_.size(),
            data_.cities_.size(), data_.barangays_.size()};
  }

  void truncate(const Sizes& to) {
    data_.arena_.resize(to.arena);
    data_.regions_.resize(to.regions);
    data_.provinces_.resize(to.provinces);
    data_.cities_.resize(to.cities);
    data_.barangays_.resize(to.barangays);
  }

  TextRef store(std::string_view text) {
    const std::uint32_t offset = checked_u32(data_.arena_.size());
    checked_u32(data_.arena_.size() + text.size());
    data_.arena_.append(text);
    return TextRef{offset, static_cast<std::uint32_t>(text.size())};
  }

  TextRef read_string(simdjson::dom::element value) { return store(json::expect_string(value)); }

  template <typename Record, typename ReadChild>
  IndexRange read_children(simdjson::dom::element value, const std::vector<Record>& level,
                           ReadChild read_child) {
    const simdjson::dom::array children = json::expect_array(value);
    IndexRange range;
    range.begin = checked_u32(level.size());
    for (const simdjson::dom::element child : children) {
      read_child(child);
    }
    range.end = checked_u32(level.size());
    return range;
  }

  void read_region(simdjson::dom::element value) {
    RegionRecord record;
    json::read_record(value, kRegionFields, true, [&](std::size_t field, simdjson::dom::element v) {
      switch (field) {
        case 0: record.name = read_string(v); break;
        case 1: record.code = read_string(v); break;
        default:
          record.provinces = read_children(v, data_.provinces_,
                                           [this](simdjson::dom::element c) { read_province(c); });
      }
    });
    data_.regions_.push_back(record);
  }

  void read_province(simdjson::dom::element value) {
    ProvinceRecord record;
    json::read_record(value, kProvinceFields, true,
                      [&](std::size_t field, simdjson::dom::element v) {
                        switch (field) {
                          case 0: record.name = read_string(v); break;
                          case 1: record.code = read_string(v); break;
                          default:
                            record.cities_municipalities =
                                read_children(v, data_.cities_,
                                              [this](simdjson::dom::element c) { read_city(c); });
                        }
                      });
    data_.provinces_.push_back(record);
  }

  void read_city(simdjson::dom::element value) {
    CityRecord record;
    json::read_record(value, kCityFields, true, [&](std::size_t field, simdjson::dom::element v) {
      switch (field) {
        case 0: record.name = read_string(v); break;
        case 1: record.code = read_string(v); break;
        case 2: record.type = read_string(v); break;
        case 3: record.zip_code = read_string(v); break;
        case 4: record.district = read_string(v); break;
        default:
          record.barangays = read_children(v, data_.barangays_,
                                           [this](simdjson::dom::element c) { read_barangay(c); });
      }
    });
    data_.cities_.push_back(record);
  }

  void read_barangay(simdjson::dom::element value) {
    BarangayRecord record;
    json::read_record(value, kBarangayFields, true,
                      [&](std::size_t field, simdjson::dom::element v) {
                        switch (field) {
                          case 0: record.name = read_string(v); break;
                          case 1: record.code = read_string(v); break;
                          default:
                            // The one field that may be null; it is then held as absent.
                            record.status = v.is_null() ? TextRef{kAbsentText, 0} : read_string(v);
                        }
                      });
    data_.barangays_.push_back(record);
  }

  AddressData& data_;
};

}  // namespace detail

AddressData build_address_data(std::span<const std::string_view> padded_texts) {
  AddressData data;
  detail::AddressBuilder builder(data);
  std::size_t text_bytes = 0;
  for (const std::string_view text : padded_texts) {
    text_bytes += text.size();
  }
  builder.reserve_for(text_bytes);
  simdjson::dom::parser parser;
  for (const std::string_view text : padded_texts) {
    // A text that fails contributes nothing; the failure is deliberately silent.
    builder.append_text(parser, text);
  }
  data.lists_ = std::make_unique<const PlaceLists>(data.region_count(), data.province_count(),
                                                   data.city_count(), data.barangay_count());
  return data;
}

const AddressData& address_regions() {
  static constinit Once<AddressData> cell;
  return cell.get([] {
    const std::array<std::string_view, 3> texts{
        embedded::luzon_json(), embedded::visayas_json(), embedded::mindanao_json()};
    return build_address_data(texts);
  });
}

template <typename R>
std::optional<Address> generate_address(R& rng, const AddressData& data) {
  // Every level is tested before its draw: uniform_index(0) would draw nothing and return 0,
  // an index into an empty range.
  const auto regions = data.region_records();
  if (regions.empty()) {
    return std::nullopt;
  }
  const auto region_index = static_cast<std::uint32_t>(rng.uniform_index(regions.size()));
  const detail::RegionRecord& region = regions[region_index];
  if (region.provinces.empty()) {
    return std::nullopt;
  }
  const std::uint32_t province_index =
      region.provinces.begin +
      static_cast<std::uint32_t>(rng.uniform_index(region.provinces.size()));
  const detail::ProvinceRecord& province = data.province_records()[province_index];
  const detail::IndexRange cities = province.cities_municipalities;
  if (cities.empty()) {
    return std::nullopt;
  }
  const std::uint32_t city_index =
      cities.begin + static_cast<std::uint32_t>(rng.uniform_index(cities.size()));
  const detail::CityRecord& city = data.city_records()[city_index];
  if (city.barangays.empty()) {
    return std::nullopt;
  }
  const std::uint32_t barangay_index =
      city.barangays.begin + static_cast<std::uint32_t>(rng.uniform_index(city.barangays.size()));
  const detail::BarangayRecord& barangay = data.barangay_records()[barangay_index];

  Address address;
  address.barangay = data.text(barangay.name);
  address.city = data.text(city.name);
  address.province = data.text(province.name);
  address.region = data.text(region.name);
  address.zip_code = data.text(city.zip_code);
  address.region_index = region_index;
  address.province_index = province_index;
  address.city_index = city_index;
  address.barangay_index = barangay_index;
  address.lists = data.lists();
  return address;
}

template <typename R>
std::optional<Address> generate_address(R& rng) {
  return generate_address(rng, address_regions());
}

void write_full_address(const Address& address, std::string& out) {
  out.clear();
  out.reserve(address.barangay.size() + address.city.size() + address.province.size() +
              address.region.size() + address.zip_code.size() + 7);
  out.append(address.barangay).append(", ");
  out.append(address.city).append(", ");
  out.append(address.province).append(", ");
  out.append(address.region).append(" ");
  out.append(address.zip_code);
}

// The lenient per-thread generator and the seeded per-cell one draw through the same code.
template std::optional<Address> generate_address(Rng& rng, const AddressData& data);
template std::optional<Address> generate_address(CounterRng& rng, const AddressData& data);
template std::optional<Address> generate_address(Rng& rng);
template std::optional<Address> generate_address(CounterRng& rng);

}  // namespace tarvo
