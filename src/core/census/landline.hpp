// src/core/census/landline.hpp: landline numbers under the area code of the address's province.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "providers/address.hpp"
#include "providers/contact.hpp"

namespace tarvo::census {

// One area code of a province as data/census_landline.json gives it: subscriber numbers of
// subscriber_digits digits whose first two ("lead") run first_lead..last_lead, less the leads the
// geocoder gives to another province's exchange.
struct LandlineArea {
  std::string code;  // "2", "32"
  std::uint32_t subscriber_digits = 7;
  std::uint32_t first_lead = 10, last_lead = 99;
  std::vector<std::uint32_t> excluded_leads;
};

struct LandlineProvince {
  std::string code;  // PSGC code of the province-level entry
  std::vector<LandlineArea> areas;
};

// Reads data/census_landline.json; Panic "Invalid census_landline.json format: ..." on any fault.
std::vector<LandlineProvince> parse_census_landline(std::string_view padded_text);

// The area codes and leads of every province of a data set, flattened for a two-word draw: every
// (area code, lead) pair a province allows is one equally likely stem.
class CensusLandlines {
 public:
  // provinces as parse_census_landline() gives them: at least one, each area with a lead left.
  CensusLandlines(const AddressData& data, const std::vector<LandlineProvince>& provinces);

  // Stems of the province at this index of the data set; a province the document does not
  // list (or an index outside the set) draws from the stems of all provinces together.
  struct Stem {
    std::uint32_t area;  // into areas()
    std::uint8_t lead;
  };
  std::span<const Stem> stems(std::uint32_t province_index) const;
  const std::vector<LandlineArea>& areas() const { return areas_; }

  // "(032) 2345678", "(02) 81234567": the area code after a trunk 0, then the subscriber number.
  // Draws: the stem, then the digits after the lead.
  template <class R>
  NumberText draw(R& rng, std::uint32_t province_index) const;

 private:
  struct Range {
    std::uint32_t begin = 0, end = 0;
  };
  std::vector<LandlineArea> areas_;
  std::vector<std::uint32_t> rest_limits_;  // per area: 10^(subscriber digits - 2) - 1
  std::vector<Stem> stems_;                 // each listed province's stems, one run after another
  std::vector<Range> by_province_;
  Range pooled_;  // all of stems_
};

// The process-wide table over address_regions() and the embedded census_landline.json.
const CensusLandlines& census_landlines();

template <class R>
NumberText CensusLandlines::draw(R& rng, std::uint32_t province_index) const {
  const std::span<const Stem> choices = stems(province_index);
  const Stem stem = choices[rng.uniform_index(choices.size())];
  const LandlineArea& area = areas_[stem.area];
  NumberText text;
  text.append("(0").append(area.code).append(") ").digits(stem.lead, 2);
  text.digits(rng.uniform_u32(0, rest_limits_[stem.area]), area.subscriber_digits - 2);
  return text;
}

// A landline of the address's province; R is any source with the sampling API of tarvo::Rng.
template <class R>
NumberText census_landline(R& rng, const Address& address) {
  return census_landlines().draw(rng, address.province_index);
}

}  // namespace tarvo::census
