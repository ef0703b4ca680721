// src/core/kinds/families/places.cpp: the parts of the row's address, alone, together or on one line.
#include <algorithm>
#include <array>

#include "census/street.hpp"
#include "census/written_places.hpp"
#include "engine/profile.hpp"
#include "kinds/fields.hpp"
#include "providers/address.hpp"

namespace tarvo {
namespace {

enum class Part : std::uint8_t { Region, Province, City, Barangay, Zip, Whole, Line };

// The official PSGC label of the place at this index of the address documents, whatever the
// profile writes.
std::string_view official(Part part, const Address& a) {
  const AddressData& data = address_regions();
  switch (part) {
    case Part::Region: return data.text(data.region_records()[a.region_index].name);
    case Part::Province: return data.text(data.province_records()[a.province_index].name);
    case Part::City: return data.text(data.city_records()[a.city_index].name);
    default: return data.text(data.barangay_records()[a.barangay_index].name);
  }
}

struct PlaceBounds {
  std::size_t barangay = 0, city = 0, province = 0, region = 0, zip_code = 0;
};

// From the longest names in the address documents, official or as written, which every profile
// draws from.
const PlaceBounds& place_bounds() {
  static const PlaceBounds bounds = [] {
    const AddressData& data = address_regions();
    const census::WrittenPlaces& written = census::written_places();
    PlaceBounds b;
    for (std::uint32_t i = 0; i < data.barangay_count(); ++i) {
      b.barangay = std::max({b.barangay, std::size_t{data.barangay_records()[i].name.length},
                             written.barangay(i).size()});
    }
    for (std::uint32_t i = 0; i < data.city_count(); ++i) {
      const auto& r = data.city_records()[i];
      b.city = std::max({b.city, std::size_t{r.name.length}, written.city(i).size()});
      b.zip_code = std::max<std::size_t>(b.zip_code, r.zip_code.length);
    }
    for (std::uint32_t i = 0; i < data.province_count(); ++i) {
      b.province = std::max({b.province, std::size_t{data.province_records()[i].name.length},
                             written.province(i).size()});
    }
    for (std::uint32_t i = 0; i < data.region_count(); ++i) {
      b.region = std::max({b.region, std::size_t{data.region_records()[i].name.length},
                           written.region(i).size()});
    }
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
    // "barangay, city, province, region zip", or as written "Brgy. barangay, city, province zip".
    case Part::Line: return b.barangay + b.city + b.province + b.region + b.zip_code + 13;
  }
  return 0;
}

// The parts of the row's address as its profile writes them: the census profile's labels as
// Filipinos write them (its full address in three parts, "Brgy. X, Y City, Z 8000"), the other
// profiles' the PSGC's.
template <Part P, bool Written = false>
class PlaceDrawer final : public DrawerOf<PlaceDrawer<P, Written>> {
 public:
  explicit PlaceDrawer(std::size_t longest)
      : DrawerOf<PlaceDrawer<P, Written>>(
            {P == Part::Whole ? ValueType::Address : ValueType::Text, kReadsPlace, false,
             longest}) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    const Address* a = row.address;
    if constexpr (P == Part::Whole) {
      sink.address(a);
    } else if (a == nullptr) {
      sink.text("");
    } else if constexpr (P == Part::Line) {
      if constexpr (Written) {
        census::write_written_address(*a, *row.scratch);
      } else {
        write_full_address(*a, *row.scratch);
      }
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

// A part's PSGC label, and the full address of PSGC labels, under every profile.
template <Part P>
class OfficialDrawer final : public DrawerOf<OfficialDrawer<P>> {
 public:
  OfficialDrawer() : DrawerOf<OfficialDrawer<P>>({ValueType::Text, kReadsPlace, false, longest<P>()}) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    const Address* a = row.address;
    if (a == nullptr) return sink.text("");
    const PlaceLists& lists = *address_regions().lists();
    if constexpr (P == Part::Line) {
      Address labels = *a;
      labels.region = official(Part::Region, *a);
      labels.province = official(Part::Province, *a);
      labels.city = official(Part::City, *a);
      labels.barangay = official(Part::Barangay, *a);
      write_full_address(labels, *row.scratch);
      sink.text(*row.scratch);
    } else if constexpr (P == Part::Region) {
      sink.listed(lists.region, a->region_index, official(P, *a));
    } else if constexpr (P == Part::Province) {
      sink.listed(lists.province, a->province_index, official(P, *a));
    } else if constexpr (P == Part::City) {
      sink.listed(lists.city, a->city_index, official(P, *a));
    } else {
      sink.listed(lists.barangay, a->barangay_index, official(P, *a));
    }
  }
};

template <Part P>
std::shared_ptr<const Drawer> strict(const KindArgs& args) {
  return plain_kind(args, [](const Profile& profile) -> std::shared_ptr<const Drawer> {
    if constexpr (P == Part::Line) {
      if (profile.id() == ProfileId::Census) {
        return std::make_shared<const PlaceDrawer<P, true>>(longest<P>());
      }
    }
    return std::make_shared<const PlaceDrawer<P>>(longest<P>());
  });
}

template <Part P>
std::shared_ptr<const Drawer> strict_official(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) { return std::make_shared<const OfficialDrawer<P>>(); });
}

// A house or lot number and a street name that every town has, or a subdivision's block and lot.
class StreetDrawer final : public DrawerOf<StreetDrawer> {
 public:
  StreetDrawer() : DrawerOf({ValueType::Text, kReadsNothing, true, census::census_streets().longest}) {}
  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    sink.text(census::census_street(rng).view());
  }
};

std::shared_ptr<const Drawer> strict_street(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) { return std::make_shared<const StreetDrawer>(); });
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
  {"full_address", "", "the address on one line (as written under the census profile: "
   "Brgy. X, Y City, Province ZIP)", ValueType::Text, kReadsPlace, false, "",
   strict<Part::Line>, lenient<Part::Line>},
  {"street", "", "house or lot number and street (123 Rizal St., Blk 4 Lot 12 ...)",
   ValueType::Text, kReadsNothing, false, "", strict_street, nullptr},
  {"region_official", "", "region, as the PSGC labels it", ValueType::Text, kReadsPlace, false,
   "", strict_official<Part::Region>, nullptr},
  {"province_official", "", "province, as the PSGC labels it", ValueType::Text, kReadsPlace,
   false, "", strict_official<Part::Province>, nullptr},
  {"city_mun_official", "", "city or municipality, as the PSGC labels it", ValueType::Text,
   kReadsPlace, false, "", strict_official<Part::City>, nullptr},
  {"barangay_official", "", "barangay, as the PSGC labels it", ValueType::Text, kReadsPlace,
   false, "", strict_official<Part::Barangay>, nullptr},
  {"full_address_official", "", "the address on one line in PSGC labels", ValueType::Text,
   kReadsPlace, false, "", strict_official<Part::Line>, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> place_kinds() { return kKinds; }

}  // namespace tarvo
