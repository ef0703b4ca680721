// tests/cpp/test_census_phone.cpp: province landlines and weighted mobile prefixes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "census/landline.hpp"
#include "census/mobile.hpp"
#include "census/places.hpp"
#include "keyed_rng.hpp"
#include "padded.hpp"
#include "panic.hpp"
#include "providers/embedded.hpp"

namespace tarvo::census {
namespace {

using test_support::keyed_rng;
using test_support::Padded;

bool all_digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const LandlineProvince* listed(const std::vector<LandlineProvince>& provinces,
                               std::string_view code) {
  for (const LandlineProvince& province : provinces) {
    if (province.code == code) return &province;
  }
  return nullptr;
}

TEST(CensusLandline, EveryProvinceDrawsOnlyItsOwnAreaCodesAndLeads) {
  const std::vector<LandlineProvince> document =
      parse_census_landline(embedded::census_landline_json());
  const AddressData& data = address_regions();
  Rng rng = keyed_rng();
  for (std::uint32_t p = 0; p < data.province_count(); ++p) {
    const std::string_view name = data.text(data.province_records()[p].name);
    const LandlineProvince* province = listed(document, data.text(data.province_records()[p].code));
    ASSERT_NE(province, nullptr) << name;
    Address address;
    address.province_index = p;
    std::set<std::string> codes_seen;
    for (int i = 0; i < 400; ++i) {
      const std::string text(census_landline(rng, address).view());
      // "(0" area ") " subscriber, 13 characters as in the uniform profile.
      ASSERT_EQ(text.size(), 13u) << text;
      const std::size_t close = text.find(") ");
      ASSERT_EQ(text.compare(0, 2, "(0"), 0) << text;
      ASSERT_NE(close, std::string::npos) << text;
      const std::string code = text.substr(2, close - 2);
      const std::string subscriber = text.substr(close + 2);
      ASSERT_TRUE(all_digits(code) && all_digits(subscriber)) << text;
      const auto area = std::find_if(province->areas.begin(), province->areas.end(),
                                     [&](const LandlineArea& a) { return a.code == code; });
      ASSERT_NE(area, province->areas.end()) << name << ": " << text;
      ASSERT_EQ(subscriber.size(), area->subscriber_digits) << text;
      const auto lead = static_cast<std::uint32_t>(std::stoi(subscriber.substr(0, 2)));
      ASSERT_GE(lead, area->first_lead) << text;
      ASSERT_LE(lead, area->last_lead) << text;
      ASSERT_EQ(std::count(area->excluded_leads.begin(), area->excluded_leads.end(), lead), 0)
          << name << ": " << text;
      codes_seen.insert(code);
    }
    EXPECT_EQ(codes_seen.size(), province->areas.size()) << name;
  }
}

TEST(CensusLandline, KnownProvincesAndMetroManila) {
  const AddressData& data = address_regions();
  const std::map<std::string_view, std::string_view> prefixes{
      {"Cebu", "(032) "},
      {"Benguet", "(074) "},
      {"Rizal", "(02) "},
      {"NCR, Second District (Not a Province)", "(02) "},
      {"Davao del Sur", "(082) "}};
  Rng rng = keyed_rng();
  for (std::uint32_t p = 0; p < data.province_count(); ++p) {
    const auto found = prefixes.find(data.text(data.province_records()[p].name));
    if (found == prefixes.end()) continue;
    Address address;
    address.province_index = p;
    for (int i = 0; i < 200; ++i) {
      const std::string text(census_landline(rng, address).view());
      ASSERT_EQ(text.substr(0, found->second.size()), found->second);
      if (found->second == "(02) ") {
        ASSERT_GE(text[5], '3');  // eight digits from 3 to 8: the carrier digit
        ASSERT_LE(text[5], '8');
      }
    }
  }
}

TEST(CensusLandline, AProvinceOutsideTheDocumentDrawsFromAllOfIt) {
  Address address;
  address.province_index = 1u << 30;
  Rng rng = keyed_rng();
  std::set<std::string> codes;
  for (int i = 0; i < 5000; ++i) {
    const std::string text(census_landline(rng, address).view());
    codes.insert(text.substr(0, text.find(')')));
  }
  EXPECT_GT(codes.size(), 20u);
}

TEST(CensusMobile, PrefixesOfTheDocumentAtTheirNetworksShares) {
  const std::vector<MobileCarrier> carriers = parse_census_mobile(embedded::census_mobile_json());
  std::map<std::string, std::string> network_of;
  std::map<std::string, double> want;
  double total = 0;
  for (const MobileCarrier& carrier : carriers) {
    for (const std::string& prefix : carrier.prefixes) network_of[prefix] = carrier.name;
    want[carrier.name] = static_cast<double>(carrier.subscribers);
    total += static_cast<double>(carrier.subscribers);
  }
  ASSERT_TRUE(want.count("DITO"));

  constexpr int kDraws = 200000;
  std::map<std::string, int> counts;
  Rng rng;  // OS-keyed: keyed_rng() repeats itself every 64 KiB, far too soon for counting
  for (int i = 0; i < kDraws; ++i) {
    const std::string text(census_mobile(rng).view());
    ASSERT_EQ(text.size(), 15u) << text;
    ASSERT_EQ(text.substr(0, 4), "+63 ") << text;
    ASSERT_EQ(text[7], ' ') << text;
    ASSERT_TRUE(all_digits(text.substr(8)) && text[8] != '0') << text;
    const auto network = network_of.find(text.substr(4, 3));
    ASSERT_NE(network, network_of.end()) << text;
    ++counts[network->second];
  }
  for (const auto& [name, subscribers] : want) {
    const double p = subscribers / total;
    EXPECT_LE(std::abs(counts[name] - kDraws * p), 6 * std::sqrt(kDraws * p * (1 - p))) << name;
  }
}

TEST(CensusPhoneDocuments, RejectBrokenEntries) {
  const auto failure = [](auto parse, std::string_view text) {
    return test_support::panic_message(parse, text);
  };
  const auto landline = [](std::string_view t) { parse_census_landline(t); };
  const auto mobile = [](std::string_view t) { parse_census_mobile(t); };
  const std::string area = R"("area_code": "32", "subscriber_digits": 7, "first_lead": 10)";
  const auto province = [&](std::string fields) {
    return R"({"provinces": [{"code": "1", "name": "x", "areas": [{)" + fields + "}]}]}";
  };
  EXPECT_EQ(failure(landline, province(area + R"(, "last_lead": 99, "excluded_leads": [35])")),
            "no error");
  EXPECT_EQ(failure(landline, province(area + R"(, "last_lead": 10, "excluded_leads": [10])")),
            "Invalid census_landline.json format: invalid value: an area code with every lead "
            "excluded for `areas` for `provinces`");
  EXPECT_EQ(failure(landline, province(area + R"(, "last_lead": 100, "excluded_leads": [])")),
            "Invalid census_landline.json format: invalid value: expected an integer from 0 to 99 "
            "for `last_lead` for `areas` for `provinces`");
  EXPECT_EQ(
      failure(landline, R"({"provinces": []})"),
      "Invalid census_landline.json format: invalid length 0, expected at least one province");
  EXPECT_EQ(
      failure(mobile, R"({"carriers": [{"name": "A", "subscribers": 5, "prefixes": ["917"]}]})"),
      "no error");
  EXPECT_EQ(
      failure(mobile, R"({"carriers": [{"name": "A", "subscribers": 5, "prefixes": ["0917"]}]})"),
      "Invalid census_mobile.json format: invalid value: expected three-digit prefixes for "
      "`carriers`");
  EXPECT_EQ(
      failure(mobile, R"({"carriers": [{"name": "A", "subscribers": 0, "prefixes": ["917"]}]})"),
      "Invalid census_mobile.json format: no carrier with subscribers and a prefix");
}

}  // namespace
}  // namespace tarvo::census
