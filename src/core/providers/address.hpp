// src/core/providers/address.hpp: the address hierarchy held in memory, and the draw of one address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "random/counter_rng.hpp"
#include "random.hpp"
#include "text_list.hpp"

namespace tarvo {

class AddressData;
class Region;
class Province;
class CityMunicipality;
class Barangay;

namespace detail {

// A string held in AddressData's byte arena. 43,000-odd records with five strings each would
// otherwise mean a few hundred thousand small heap blocks; offsets keep a record at 24-48 bytes.
struct TextRef {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// The offset of a barangay status that was null in its document.
inline constexpr std::uint32_t kAbsentText = 0xFFFFFFFFu;

// The children of a record: positions [begin, end) in the flat vector of the level below.
struct IndexRange {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  std::uint32_t size() const { return end - begin; }
  bool empty() const { return begin == end; }
};

struct RegionRecord {
  TextRef name, code;
  IndexRange provinces;
};

struct ProvinceRecord {
  TextRef name, code;
  IndexRange cities_municipalities;
};

struct CityRecord {
  TextRef name, code, type, zip_code, district;
  IndexRange barangays;
};

struct BarangayRecord {
  TextRef name, code, status;
};

class AddressBuilder;

}  // namespace detail

// The lists an address's parts are entries of, by their indices (a ZIP code's by its barangay),
// so a sink can convert each place's text once.
struct PlaceLists {
  PlaceLists(std::size_t regions, std::size_t provinces, std::size_t cities,
             std::size_t barangays) noexcept
      : region(regions), province(provinces), city(cities), barangay(barangays),
        zip_code(barangays) {}
  TextList region, province, city, barangay, zip_code;
};

// A read-only list of records of one level: the regions of the data set, or the children of one
// record. Elements are light views (a pointer and an index) made on access.
template <typename View>
class RecordList {
 public:
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = View;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = View;

    iterator() = default;
    iterator(const AddressData* data, std::uint32_t index) : data_(data), index_(index) {}
    View operator*() const { return View(data_, index_); }
    iterator& operator++() {
      ++index_;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++index_;
      return old;
    }
    bool operator==(const iterator& other) const { return index_ == other.index_; }

   private:
    const AddressData* data_ = nullptr;
    std::uint32_t index_ = 0;
  };

  RecordList(const AddressData* data, detail::IndexRange range) : data_(data), range_(range) {}
  std::size_t size() const { return range_.size(); }
  bool empty() const { return range_.empty(); }
  View operator[](std::size_t i) const {
    return View(data_, range_.begin + static_cast<std::uint32_t>(i));
  }
  View front() const { return (*this)[0]; }
  View back() const { return (*this)[size() - 1]; }
  iterator begin() const { return iterator(data_, range_.begin); }
  iterator end() const { return iterator(data_, range_.end); }

 private:
  const AddressData* data_;
  detail::IndexRange range_;
};

// The whole hierarchy: four flat vectors of records, one per level, and one arena of string
// bytes. Immutable once built; the process-wide instance lives until the process ends.
class AddressData {
 public:
  AddressData() = default;  // the empty data set

  RecordList<Region> regions() const;

  std::size_t region_count() const { return regions_.size(); }
  std::size_t province_count() const { return provinces_.size(); }
  std::size_t city_count() const { return cities_.size(); }
  std::size_t barangay_count() const { return barangays_.size(); }
  std::size_t arena_bytes() const { return arena_.size(); }

  std::span<const detail::RegionRecord> region_records() const { return regions_; }
  std::span<const detail::ProvinceRecord> province_records() const { return provinces_; }
  std::span<const detail::CityRecord> city_records() const { return cities_; }
  std::span<const detail::BarangayRecord> barangay_records() const { return barangays_; }

  std::string_view text(detail::TextRef ref) const {
    return std::string_view(arena_.data() + ref.offset, ref.length);
  }

  // The lists of the official names; set once the levels are complete, and kept at one address
  // when the data set moves.
  const PlaceLists* lists() const { return lists_.get(); }

 private:
  friend class detail::AddressBuilder;
  friend AddressData build_address_data(std::span<const std::string_view> padded_texts);

  std::unique_ptr<const PlaceLists> lists_;

  std::string arena_;
  std::vector<detail::RegionRecord> regions_;
  std::vector<detail::ProvinceRecord> provinces_;
  std::vector<detail::CityRecord> cities_;
  std::vector<detail::BarangayRecord> barangays_;
};

class Barangay {
 public:
  Barangay(const AddressData* data, std::uint32_t index) : data_(data), index_(index) {}
  std::string_view name() const { return data_->text(record().name); }
  std::string_view code() const { return data_->text(record().code); }
  // Absent when the document gave null.
  std::optional<std::string_view> status() const {
    const detail::TextRef ref = record().status;
    if (ref.offset == detail::kAbsentText) return std::nullopt;
    return data_->text(ref);
  }
  std::uint32_t index() const { return index_; }  // position among all barangays of the set

 private:
  const detail::BarangayRecord& record() const { return data_->barangay_records()[index_]; }
  const AddressData* data_;
  std::uint32_t index_;
};

class CityMunicipality {
 public:
  CityMunicipality(const AddressData* data, std::uint32_t index) : data_(data), index_(index) {}
  std::string_view name() const { return data_->text(record().name); }
  std::string_view code() const { return data_->text(record().code); }
  std::string_view type() const { return data_->text(record().type); }
  std::string_view zip_code() const { return data_->text(record().zip_code); }
  std::string_view district() const { return data_->text(record().district); }
  RecordList<Barangay> barangays() const { return {data_, record().barangays}; }
  std::uint32_t index() const { return index_; }

 private:
  const detail::CityRecord& record() const { return data_->city_records()[index_]; }
  const AddressData* data_;
  std::uint32_t index_;
};

class Province {
 public:
  Province(const AddressData* data, std::uint32_t index) : data_(data), index_(index) {}
  std::string_view name() const { return data_->text(record().name); }
  std::string_view code() const { return data_->text(record().code); }
  RecordList<CityMunicipality> cities_municipalities() const {
    return {data_, record().cities_municipalities};
  }
  std::uint32_t index() const { return index_; }

 private:
  const detail::ProvinceRecord& record() const { return data_->province_records()[index_]; }
  const AddressData* data_;
  std::uint32_t index_;
};

class Region {
 public:
  Region(const AddressData* data, std::uint32_t index) : data_(data), index_(index) {}
  std::string_view name() const { return data_->text(record().name); }
  std::string_view code() const { return data_->text(record().code); }
  RecordList<Province> provinces() const { return {data_, record().provinces}; }
  std::uint32_t index() const { return index_; }

 private:
  const detail::RegionRecord& record() const { return data_->region_records()[index_]; }
  const AddressData* data_;
  std::uint32_t index_;
};

inline RecordList<Region> AddressData::regions() const {
  return {this, detail::IndexRange{0, static_cast<std::uint32_t>(regions_.size())}};
}

// Builds a data set from JSON texts, each an array of regions followed by 64 readable zero
// bytes. The regions of the texts are concatenated in the given order; a text that breaks any
// rule contributes nothing and the others load as usual, so this never fails.
AddressData build_address_data(std::span<const std::string_view> padded_texts);

// The process-wide data set, built from the embedded luzon, visayas and mindanao texts on the
// first call (other threads wait for it) and shared read-only afterwards.
const AddressData& address_regions();

// One drawn place. The names point into the data set, which outlives every caller; the indices
// are the places' positions in the data set's flat levels (0 <= barangay < barangay_count()),
// so a caller can cache converted values per place.
struct Address {
  std::string_view barangay, city, province, region, zip_code;
  std::uint32_t region_index = 0, province_index = 0, city_index = 0, barangay_index = 0;
  const PlaceLists* lists = nullptr;  // the lists the texts above are entries of
};

// Draws region, province, city or municipality and barangay, each uniformly among the children
// of the level above (one uniform_index per level). A level with nothing to pick from ends the
// draw with no address, after one draw for each level above it.
template <typename R>
std::optional<Address> generate_address(R& rng, const AddressData& data);
template <typename R>
std::optional<Address> generate_address(R& rng);

// Replaces out with "barangay, city, province, region zip_code"; an empty ZIP code leaves the
// blank after the region. Reusing one buffer across rows avoids an allocation per row.
void write_full_address(const Address& address, std::string& out);

}  // namespace tarvo
