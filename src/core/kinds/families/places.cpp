// src/core/kinds/families/places.cpp: the parts of the row's address, alone, together or on one line.
#include <algorithm>
#include <array>

#include "kinds/fields.hpp"
#include "providers/address.hpp"

namespace tarvo {
namespace {

enum class Part : std::uint8_t { Region, Province, City, Barangay, Zip, Whole, Line };

struct PlaceBounds {
  std::size_t barangay = 0, city = 0, province = 0, region = 0, zip_code = 0;
};

// From the longest names in the address documents, which both profiles draw from.
const PlaceBounds& place_bounds() {
  static const PlaceBounds bounds = [] {
    const AddressData& data = address_regions();
    PlaceBounds b;
    for (const auto& r : data.barangay_records())
      b.barangay = std::max<std::size_t>(b.barangay, r.name.length);
    for (const auto& r : data.city_records()) {
      b.city = std::max<std::size_t>(b.city, r.name.length);
      b.zip_code = std::max<std::size_t>(b.zip_code, r.zip_code.length);
    }
    for (const auto& r : data.province_records())
      b.province = std::max<std::size_t>(b.province, r.name.length);
    for (const auto& r : data.region_records())
      b.region = std::max<std::size_t>(b.region, r.name.length);
    b.zip_code = std::max<std::size_t>(b.zip_code, 4);  // the census profile's own codes
    return b;
  }();
  return bounds;
}

template <Part P>
std::size_t longest() {
  const PlaceBounds& b = place_bounds();
  switch (P) {
    case Part::Region: return b.region;
    case Part::Province: return b.province;
    case Part::City: return b.city;
    case Part::Barangay: return b.barangay;
    case Part::Zip: return b.zip_code;
    case Part::Whole: return std::max({b.barangay, b.city, b.province, b.region, b.zip_code});
    case Part::Line: return b.barangay + b.city + b.province + b.region + b.zip_code + 7;
  }
  return 0;
}

template <Part P>
class PlaceDrawer final : public DrawerOf<PlaceDrawer<P>> {
 public:
  explicit PlaceDrawer(std::size_t longest)
      : DrawerOf<PlaceDrawer<P>>({P == Part::Whole ? ValueType::Address : ValueType::Text,
                                  kReadsPlace, false, longest}) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    const Address* a = row.address;
    if constexpr (P == Part::Whole) {
      sink.address(a);
    } else if (a == nullptr) {
      sink.text("");
    } else if constexpr (P == Part::Line) {
      write_full_address(*a, *row.scratch);
      sink.text(*row.scratch);
    } else if constexpr (P == Part::Region) {
      sink.listed(a->lists->region, a->region_index, a->region);
    } else if constexpr (P == Part::Province) {
      sink.listed(a->lists->province, a->province_index, a->province);
    } else if constexpr (P == Part::City) {
      sink.listed(a->lists->city, a->city_index, a->city);
    } else if constexpr (P == Part::Barangay) {
      sink.listed(a->lists->barangay, a->barangay_index, a->barangay);
    } else {
      sink.listed(a->lists->zip_code, a->barangay_index, a->zip_code);
    }
  }
};

template <Part P>
std::shared_ptr<const Drawer> strict(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) {
    return std::make_shared<const PlaceDrawer<P>>(longest<P>());
  });
}
// Dummy needs no bounds, and must not read the address documents before its first row.
template <Part P>
std::shared_ptr<const Drawer> lenient(std::string_view) {
  return std::make_shared<const PlaceDrawer<P>>(0);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"region", "", "region", ValueType::Text, kReadsPlace, false, "", strict<Part::Region>,
   lenient<Part::Region>},
  {"province", "", "province", ValueType::Text, kReadsPlace, false, "", strict<Part::Province>,
   lenient<Part::Province>},
  {"city_mun", "", "city or municipality", ValueType::Text, kReadsPlace, false, "",
   strict<Part::City>, lenient<Part::City>},
  {"barangay", "", "barangay", ValueType::Text, kReadsPlace, false, "", strict<Part::Barangay>,
   lenient<Part::Barangay>},
  {"zip_code", "", "four-digit ZIP code, empty where unknown", ValueType::Text, kReadsPlace, false,
   "", strict<Part::Zip>, lenient<Part::Zip>},
  {"address", "", "barangay, city, province, region and ZIP code together", ValueType::Address,
   kReadsPlace, false, "", strict<Part::Whole>, lenient<Part::Whole>},
  {"full_address", "", "the address on one line", ValueType::Text, kReadsPlace, false, "",
   strict<Part::Line>, lenient<Part::Line>},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> place_kinds() { return kKinds; }

}  // namespace tarvo
