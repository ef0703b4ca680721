// src/core/arrow/text_bounds.cpp: per-kind text bounds, kept beside the draws they follow.
//
// Each case mirrors how the row drawer builds the kind's text (engine/row_draw.cpp and the
// providers): a kind whose text changes there must change here.
#include "arrow/text_bounds.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "providers/address.hpp"
#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "providers/personal.hpp"
#include "providers/utility.hpp"

namespace tarvo::arrow {
namespace {

std::size_t longest(const std::vector<std::string>& list) {
  std::size_t most = 0;
  for (const std::string& entry : list) most = std::max(most, entry.size());
  return most;
}

struct PlaceBounds {
  std::size_t barangay = 0, city = 0, province = 0, region = 0, zip_code = 0;
};

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
    return b;
  }();
  return bounds;
}

std::size_t longest_first_name() {
  return std::max(longest(first_names().male), longest(first_names().female));
}

}  // namespace

std::size_t longest_text_bytes(const ColumnKind& kind) {
  switch (kind.kind) {
    case Kind::Choice:
      return longest(kind.options);
    case Kind::Uuid:
      return 36;
    case Kind::Gender:
      return std::max(kMale.size(), kFemale.size());
    case Kind::FirstName:
      return longest_first_name();
    case Kind::MiddleName:
    case Kind::LastName:
      return longest(last_names().surnames);
    case Kind::Suffix:
      return 0;  // drawn empty
    case Kind::FullName:
      return longest_first_name() + 1 + longest(last_names().surnames);
    case Kind::Email:  // first.last@domain; the names only lose characters on the way
      return longest_first_name() + 1 + longest(last_names().surnames) + 1 +
             longest(preference().domains);
    case Kind::CivilStatus:
      return longest(preference().civil_status);
    case Kind::BloodType:
      return longest(preference().blood_type);
    case Kind::Color:
      return longest(utility_data().colors);
    case Kind::Status:
      return longest(utility_data().statuses);
    case Kind::PhoneNumber:
    case Kind::Landline:
      return NumberText::capacity;
    case Kind::SssNumber:
    case Kind::TinNumber:
    case Kind::PhilhealthNumber:
      return IdText::capacity;
    case Kind::Region:
      return place_bounds().region;
    case Kind::Province:
      return place_bounds().province;
    case Kind::CityMun:
      return place_bounds().city;
    case Kind::Barangay:
      return place_bounds().barangay;
    case Kind::ZipCode:
      return place_bounds().zip_code;
    case Kind::Address: {
      const PlaceBounds& b = place_bounds();
      return std::max({b.barangay, b.city, b.province, b.region, b.zip_code});
    }
    case Kind::FullAddress: {  // "barangay, city, province, region zip"
      const PlaceBounds& b = place_bounds();
      return b.barangay + b.city + b.province + b.region + b.zip_code + 7;
    }
    case Kind::Unknown:
    case Kind::Int:
    case Kind::Float:
    case Kind::Birthdate:
    case Kind::Age:
      return 0;
  }
  return 0;
}

}  // namespace tarvo::arrow
