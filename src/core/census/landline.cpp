// src/core/census/landline.cpp: reading census_landline.json and laying out each province's stems.
#include "census/landline.hpp"

#include "census/reading.hpp"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusLandlines> landlines_cell;

constexpr std::array<std::string_view, 2> kProvinceFields{"code", "areas"};
constexpr std::array<std::string_view, 5> kAreaFields{"area_code", "subscriber_digits",
                                                      "first_lead", "last_lead", "excluded_leads"};

std::uint32_t pow10(std::uint32_t exponent) {
  std::uint32_t value = 1;
  while (exponent-- > 0) value *= 10;
  return value;
}

LandlineArea read_area(simdjson::dom::element value) {
  LandlineArea area;
  json::read_record(value, kAreaFields, false, [&](std::size_t field, simdjson::dom::element v) {
    switch (field) {
      case 0:
        area.code = json::expect_string(v);
        break;
      case 1:
        area.subscriber_digits = static_cast<std::uint32_t>(json::expect_unsigned(v, 8));
        break;
      case 2:
        area.first_lead = static_cast<std::uint32_t>(json::expect_unsigned(v, 99));
        break;
      case 3:
        area.last_lead = static_cast<std::uint32_t>(json::expect_unsigned(v, 99));
        break;
      default:
        for (const simdjson::dom::element lead : json::expect_array(v)) {
          area.excluded_leads.push_back(
              static_cast<std::uint32_t>(json::expect_unsigned(lead, 99)));
        }
    }
  });
  const bool digits_only =
      std::all_of(area.code.begin(), area.code.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (area.code.empty() || area.code.size() > 3 || !digits_only) {
    throw json::FormatError("invalid value: expected an area code of one to three digits");
  }
  // Two lead digits and at least one more; a lead has two digits, so it cannot start with 0.
  if (area.subscriber_digits < 3 || area.first_lead < 10 || area.first_lead > area.last_lead) {
    throw json::FormatError("invalid value: subscriber digits or lead range out of bounds");
  }
  std::uint32_t allowed = area.last_lead - area.first_lead + 1;
  for (const std::uint32_t lead : area.excluded_leads) {
    allowed -= (lead >= area.first_lead && lead <= area.last_lead) ? 1 : 0;
  }
  if (allowed == 0) {
    throw json::FormatError("invalid value: an area code with every lead excluded");
  }
  return area;
}

}  // namespace

std::vector<LandlineProvince> parse_census_landline(std::string_view padded_text) {
  constexpr std::string_view kDocument = "census_landline.json";
  std::vector<LandlineProvince> provinces;
  json::read_array_document(kDocument, padded_text, "provinces", [&](simdjson::dom::element value) {
    LandlineProvince province;
    json::read_record(value, kProvinceFields, false,
                      [&](std::size_t field, simdjson::dom::element v) {
                        if (field == 0) {
                          province.code = json::expect_string(v);
                          return;
                        }
                        for (const simdjson::dom::element area : json::expect_array(v)) {
                          province.areas.push_back(read_area(area));
                        }
                      });
    if (province.areas.empty()) {
      throw json::FormatError("invalid length 0, expected a province with an area code");
    }
    provinces.push_back(std::move(province));
  });
  if (provinces.empty()) {
    json::throw_invalid_document(
        kDocument, json::FormatError("invalid length 0, expected at least one province"));
  }
  return provinces;
}

CensusLandlines::CensusLandlines(const AddressData& data,
                                 const std::vector<LandlineProvince>& provinces) {
  std::unordered_map<std::string_view, Range> listed;
  for (const LandlineProvince& province : provinces) {
    const Range range{static_cast<std::uint32_t>(stems_.size()), 0};
    for (const LandlineArea& area : province.areas) {
      const auto index = static_cast<std::uint32_t>(areas_.size());
      areas_.push_back(area);
      rest_limits_.push_back(pow10(area.subscriber_digits - 2) - 1);
      for (std::uint32_t lead = area.first_lead; lead <= area.last_lead; ++lead) {
        if (std::find(area.excluded_leads.begin(), area.excluded_leads.end(), lead) ==
            area.excluded_leads.end()) {
          stems_.push_back(Stem{index, static_cast<std::uint8_t>(lead)});
        }
      }
    }
    listed.emplace(province.code, Range{range.begin, static_cast<std::uint32_t>(stems_.size())});
  }
  pooled_ = Range{0, static_cast<std::uint32_t>(stems_.size())};
  by_province_.assign(data.province_count(), pooled_);
  for (std::size_t p = 0; p < data.province_count(); ++p) {
    const auto found = listed.find(data.text(data.province_records()[p].code));
    if (found != listed.end()) by_province_[p] = found->second;
  }
  // The (02) stems of a province keep the share of its numbers they have when drawn evenly,
  // spread over the carriers by their shares; any other stem weighs 1,000, as evenly.
  auto weights_of = [&](Range range) {
    std::array<std::uint64_t, 10> stems_per_digit{};
    std::uint64_t metro = 0, carried = 0;
    for (std::uint32_t i = range.begin; i < range.end; ++i) {
      if (areas_[stems_[i].area].code != "2") continue;
      ++metro;
      if (stems_per_digit[stems_[i].lead / 10]++ == 0) carried += kMetroManilaCarriers[stems_[i].lead / 10];
    }
    std::vector<std::uint64_t> weights;
    for (std::uint32_t i = range.begin; i < range.end; ++i) {
      const Stem stem = stems_[i];
      const std::uint32_t digit = stem.lead / 10;
      if (areas_[stem.area].code != "2" || carried == 0) {
        weights.push_back(1000);
      } else {
        weights.push_back(metro * 1000 * kMetroManilaCarriers[digit] / carried / stems_per_digit[digit]);
      }
    }
    return make_table(weights);
  };
  for (std::size_t p = 0; p < data.province_count(); ++p) carrier_tables_.push_back(weights_of(by_province_[p]));
  pooled_carriers_ = weights_of(pooled_);
}

NumberText CensusLandlines::write(const Stem& stem, std::uint32_t rest) const {
  const LandlineArea& area = areas_[stem.area];
  NumberText text;
  text.append("(0").append(area.code).append(") ").digits(stem.lead, 2);
  text.digits(rest, area.subscriber_digits - 2);
  return text;
}

std::span<const CensusLandlines::Stem> CensusLandlines::stems(std::uint32_t province_index) const {
  const Range range = province_index < by_province_.size() ? by_province_[province_index] : pooled_;
  return std::span<const Stem>(stems_).subspan(range.begin, range.end - range.begin);
}

const CensusLandlines& census_landlines() {
  return landlines_cell.get([] {
    return CensusLandlines(address_regions(),
                           parse_census_landline(embedded::census_landline_json()));
  });
}

}  // namespace tarvo::census
