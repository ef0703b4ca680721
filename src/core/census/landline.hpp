// src/core/census/landline.hpp: landline numbers under the area code of the address's province.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"
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

  // The same with Metro Manila's (02) stems weighted by the carrier their first digit names
  // (see kMetroManilaCarriers); other area codes as above. Draws: the stem's two alias words,
  // then the digits after the lead.
  template <class R>
  NumberText draw_by_carrier(R& rng, std::uint32_t province_index) const;

 private:
  struct Range {
    std::uint32_t begin = 0, end = 0;
  };
  std::vector<LandlineArea> areas_;
  std::vector<std::uint32_t> rest_limits_;  // per area: 10^(subscriber digits - 2) - 1
  std::vector<Stem> stems_;                 // each listed province's stems, one run after another
  std::vector<Range> by_province_;
  Range pooled_;  // all of stems_
  std::vector<AliasTable> carrier_tables_;  // per province, over stems(p)
  AliasTable pooled_carriers_;

  NumberText write(const Stem& stem, std::uint32_t rest) const;
  template <class R>
  NumberText finish(R& rng, const Stem& stem) const {
    return write(stem, rng.uniform_u32(0, rest_limits_[stem.area]));
  }
};

// Metro Manila's eight-digit numbers begin with their carrier's identifier (NTC Memorandum
// Order 10-10-2017): 8 PLDT and Digitel, 7 Globe and Innove, 3 Bayantel, 6 Convergence and
// Eastern; 4 and 5 belong to no carrier. Per mille of lines, a modelling choice after the
// carriers' published wireline subscribers, PLDT's by far the most.
inline constexpr std::uint32_t kMetroManilaCarriers[10] = {0, 0, 0, 70, 0, 0, 30, 250, 650, 0};

// The process-wide table over address_regions() and the embedded census_landline.json.
const CensusLandlines& census_landlines();

template <class R>
NumberText CensusLandlines::draw(R& rng, std::uint32_t province_index) const {
  const std::span<const Stem> choices = stems(province_index);
  return finish(rng, choices[rng.uniform_index(choices.size())]);
}

template <class R>
NumberText CensusLandlines::draw_by_carrier(R& rng, std::uint32_t province_index) const {
  const std::span<const Stem> choices = stems(province_index);
  const AliasTable& table =
      province_index < carrier_tables_.size() ? carrier_tables_[province_index] : pooled_carriers_;
  return finish(rng, choices[table.sample(rng)]);
}

// A landline of the address's province; R is any source with the sampling API of tarvo::Rng.
template <class R>
NumberText census_landline(R& rng, const Address& address) {
  return census_landlines().draw(rng, address.province_index);
}

// The same with Metro Manila's numbers by carrier, as the census profile since 1.2 draws them.
template <class R>
NumberText census_landline_by_carrier(R& rng, const Address& address) {
  return census_landlines().draw_by_carrier(rng, address.province_index);
}

}  // namespace tarvo::census
