// tests/cpp/test_census_places.cpp: census weights, ZIP codes and whole addresses.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "census/places.hpp"
#include "keyed_rng.hpp"
#include "padded.hpp"
#include "panic.hpp"

namespace tarvo::census {
namespace {

using test_support::keyed_rng;
using test_support::Padded;

AddressData build(std::string_view text) {
  const Padded padded(text);
  const std::string_view views[] = {padded.view()};
  return build_address_data(views);
}

// Each drawn address names the records its indices point at, and each lies inside its parent.
void expect_consistent(const AddressData& data, const Address& a) {
  const auto& region = data.region_records()[a.region_index];
  const auto& province = data.province_records()[a.province_index];
  const auto& city = data.city_records()[a.city_index];
  ASSERT_GE(a.province_index, region.provinces.begin);
  ASSERT_LT(a.province_index, region.provinces.end);
  ASSERT_GE(a.city_index, province.cities_municipalities.begin);
  ASSERT_LT(a.city_index, province.cities_municipalities.end);
  ASSERT_GE(a.barangay_index, city.barangays.begin);
  ASSERT_LT(a.barangay_index, city.barangays.end);
  EXPECT_EQ(a.region, data.text(region.name));
  EXPECT_EQ(a.province, data.text(province.name));
  EXPECT_EQ(a.city, data.text(city.name));
  EXPECT_EQ(a.barangay, data.text(data.barangay_records()[a.barangay_index].name));
}

TEST(CensusFigure, OnlyPlainDigitsWithinThirtyTwoBitsCount) {
  const std::map<std::string, std::optional<std::uint32_t>> cases{{"17", 17},
                                                                  {"0", 0},
                                                                  {"007", 7},
                                                                  {"4294967295", 4294967295u},
                                                                  {"4294967296", std::nullopt},
                                                                  {"-", std::nullopt},
                                                                  {"", std::nullopt},
                                                                  {"+5", std::nullopt},
                                                                  {" 5", std::nullopt},
                                                                  {"5.0", std::nullopt}};
  for (const auto& [status, figure] : cases) EXPECT_EQ(census_figure(status), figure) << status;
  EXPECT_EQ(census_figure(std::nullopt), std::nullopt);
}

// C1 has figures but one; C2 has none; C3 has a barangay of 0 people.
constexpr std::string_view kTown =
    R"([["R1","0100000000",[["P1","0102800000",[)"
    R"(  ["C1","0102801000","Mun","2902","",[["b1","0102801001","100"],["b2","0102801002","300"],)"
    R"(                                      ["b3","0102801003","-"]]],)"
    R"(  ["C2","0102802000","Mun","","",[["b4","0102802001",null],["b5","0102802002","x1"]]]]]]],)"
    R"( ["R2","0200000000",[["P2","0200900000",[)"
    R"(  ["C3","0200901000","City","","",[["b6","0200901001","0"],["b7","0200901002","500"]]]]]]]])";

TEST(CensusPlaces, WeighsByFigureAndFillsMissingFiguresWithAMean) {
  const AddressData data = build(kTown);
  const CensusPlaces places(data, ZipOverrides{});
  EXPECT_EQ(places.imputed(), 3u);
  // b3 takes its city's mean (200); C2 has no figure, so b4 and b5 take the mean of all (225).
  const std::vector<double> weights{100, 300, 200, 225, 225, 0, 500};
  const std::vector<double> held = places.table().probabilities();
  ASSERT_EQ(held.size(), weights.size());
  for (std::size_t i = 0; i < weights.size(); ++i) EXPECT_NEAR(held[i], weights[i] / 1550, 1e-8);
}

TEST(CensusPlaces, ZipCodesFollowBarangayThenBlankCityOverrides) {
  const AddressData data = build(kTown);
  ZipOverrides zips;
  zips.cities = {{"0102802000", "4012"}, {"0102801000", "9999"}};  // C1 has a code already
  zips.barangays = {{"0102801002", "1101"}};
  const CensusPlaces places(data, zips);
  const std::map<std::string_view, std::string_view> want{
      {"b1", "2902"}, {"b2", "1101"}, {"b3", "2902"}, {"b4", "4012"},
      {"b5", "4012"}, {"b6", ""},     {"b7", ""}};
  Rng rng = keyed_rng();
  std::map<std::string_view, int> seen;
  for (int i = 0; i < 20000; ++i) {
    const std::optional<Address> address = draw_census_address(rng, places);
    ASSERT_TRUE(address);
    expect_consistent(data, *address);
    EXPECT_EQ(address->zip_code, want.at(address->barangay)) << address->barangay;
    EXPECT_EQ(places.zip_code(address->barangay_index), address->zip_code);
    ++seen[address->barangay];
  }
  EXPECT_EQ(seen.count("b6"), 0u);
  EXPECT_EQ(seen.size(), 6u);
}

TEST(CensusPlaces, NothingToDrawGivesNoAddressAndTakesNoWord) {
  for (const std::string_view text :
       {std::string_view("[]"), std::string_view(R"([["R","1",[["P","2",[["C","3","Mun","","",)"
                                                 R"([["b","4","0"]]]]]]]])")}) {
    const AddressData data = build(text);
    const CensusPlaces places(data, ZipOverrides{});
    Rng rng = keyed_rng();
    EXPECT_FALSE(draw_census_address(rng, places));
    EXPECT_EQ(rng.position(), keyed_rng().position());
  }
}

TEST(CensusZipDocument, RejectsWhatIsNotAFourDigitCodeByPsgcCode) {
  const auto failure = [](std::string_view text) {
    return test_support::panic_message([](std::string_view t) { parse_census_zip(t); }, text);
  };
  EXPECT_EQ(failure(R"({"generated_by": "x", "cities": {"1": "4012"}, "barangays": {}})"),
            "no error");
  EXPECT_EQ(failure(R"({"cities": {"1": "401"}, "barangays": {}})"),
            "Invalid census_zip.json format: invalid value: expected a four-digit ZIP code for "
            "`1` for `cities`");
  EXPECT_EQ(failure(R"({"cities": [], "barangays": {}})"),
            "Invalid census_zip.json format: invalid type: expected an object for `cities`");
  EXPECT_EQ(failure(R"({"cities": {}})"),
            "Invalid census_zip.json format: missing field `barangays`");
}

// ---------------------------------------------------------------------------------------------
// The embedded data

TEST(EmbeddedCensusPlaces, RegionSharesAreTheCensusAndAddressesHoldTogether) {
  std::vector<const CensusPlaces*> seen(4, nullptr);
  {
    std::vector<std::thread> threads;
    for (const CensusPlaces*& slot : seen)
      threads.emplace_back([&slot] { slot = &census_places(); });
    for (std::thread& thread : threads) thread.join();
  }
  const CensusPlaces& places = census_places();
  for (const CensusPlaces* other : seen) EXPECT_EQ(other, &places);
  const AddressData& data = places.data();
  EXPECT_EQ(&data, &address_regions());
  EXPECT_EQ(places.imputed(), 0u);

  // The table's region shares against the census figures summed directly.
  const std::vector<double> held = places.table().probabilities();
  std::vector<double> census(data.region_count(), 0.0), table(data.region_count(), 0.0);
  double total = 0;
  for (std::uint32_t r = 0; r < data.region_count(); ++r) {
    for (const Province province : data.regions()[r].provinces()) {
      for (const CityMunicipality city : province.cities_municipalities()) {
        for (const Barangay barangay : city.barangays()) {
          const double figure = *census_figure(barangay.status());
          census[r] += figure;
          total += figure;
          table[r] += held[barangay.index()];
        }
      }
    }
  }
  double distance = 0;
  for (std::size_t r = 0; r < census.size(); ++r)
    distance += std::abs(census[r] / total - table[r]);
  EXPECT_LT(distance / 2, 1e-6);

  Rng rng = keyed_rng();
  for (int i = 0; i < 20000; ++i) {
    const std::optional<Address> address = draw_census_address(rng);
    ASSERT_TRUE(address);
    expect_consistent(data, *address);
    EXPECT_TRUE(address->zip_code.empty() || address->zip_code.size() == 4);
  }
}

TEST(EmbeddedCensusPlaces, ZipCodesOfBlankCitiesAndMetroManilaBarangays) {
  const CensusPlaces& places = census_places();
  const AddressData& data = places.data();
  // (city, barangay or "" for every barangay of the city, ZIP code)
  const std::vector<std::array<std::string_view, 3>> cases{
      {"Carranglan", "", "3123"},
      {"City of Dipolog", "", "7100"},
      {"Quezon City", "Holy Spirit", "1127"},
      {"Quezon City", "Bagong Pag-asa", "1105"},
      {"City of Makati", "Bel-Air", "1209"},
      {"Pateros", "Aguho", "1620"},
      {"Jose Dalman", "", ""}};
  for (const auto& [city_name, barangay_name, zip] : cases) {
    int found = 0;
    for (const detail::CityRecord& city : data.city_records()) {
      if (data.text(city.name) != city_name) continue;
      for (std::uint32_t b = city.barangays.begin; b < city.barangays.end; ++b) {
        if (!barangay_name.empty() && data.text(data.barangay_records()[b].name) != barangay_name) {
          continue;
        }
        EXPECT_EQ(places.zip_code(b), zip) << city_name << " " << barangay_name;
        ++found;
      }
    }
    EXPECT_GT(found, 0) << city_name << " " << barangay_name;
  }
}

}  // namespace
}  // namespace tarvo::census
