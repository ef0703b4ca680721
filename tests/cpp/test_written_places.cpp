// tests/cpp/test_written_places.cpp: the written labels on real entries and the full address.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "census/places.hpp"
#include "census/written_places.hpp"
#include "keyed_rng.hpp"
#include "padded.hpp"

namespace tarvo::census {
namespace {

const AddressData& data() { return address_regions(); }

// The index of the first place of a level whose official name is `name` (and, for cities, whose
// province is `province`).
std::uint32_t city_named(std::string_view name, std::string_view province = {}) {
  for (const Region region : data().regions()) {
    for (const Province p : region.provinces()) {
      if (!province.empty() && p.name() != province) continue;
      for (const CityMunicipality city : p.cities_municipalities()) {
        if (city.name() == name) return city.index();
      }
    }
  }
  ADD_FAILURE() << "no city " << name;
  return 0;
}

std::uint32_t barangay_named(std::string_view name) {
  const auto records = data().barangay_records();
  for (std::uint32_t i = 0; i < records.size(); ++i) {
    if (data().text(records[i].name) == name) return i;
  }
  ADD_FAILURE() << "no barangay " << name;
  return 0;
}

std::uint32_t province_named(std::string_view name) {
  const auto records = data().province_records();
  for (std::uint32_t i = 0; i < records.size(); ++i) {
    if (data().text(records[i].name) == name) return i;
  }
  ADD_FAILURE() << "no province " << name;
  return 0;
}

struct Rewrite {
  const char* level;
  const char* official;
  const char* written;
};

void PrintTo(const Rewrite& r, std::ostream* out) { *out << r.official; }

class WrittenLabel : public ::testing::TestWithParam<Rewrite> {};

TEST_P(WrittenLabel, RealEntriesReadAsWritten) {
  const Rewrite& r = GetParam();
  const WrittenPlaces& written = written_places();
  const std::string level = r.level;
  std::string_view got;
  if (level == "city") got = written.city(city_named(r.official));
  if (level == "province") got = written.province(province_named(r.official));
  if (level == "barangay") got = written.barangay(barangay_named(r.official));
  if (level == "region") {
    for (const Region region : data().regions()) {
      if (region.name() == r.official) got = written.region(region.index());
    }
  }
  EXPECT_EQ(got, r.written);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, WrittenLabel,
    ::testing::Values(
        Rewrite{"city", "City of Davao", "Davao City"},
        Rewrite{"city", "City of Cagayan De Oro", "Cagayan de Oro City"},
        Rewrite{"city", "City of Makati", "Makati City"},
        Rewrite{"city", "Quezon City", "Quezon City"},
        Rewrite{"city", "Binondo", "Manila"},
        Rewrite{"city", "Tondo I/II", "Manila"},
        Rewrite{"city", "City of Isabela", "Isabela City"},
        Rewrite{"city", "Science City of Muñoz", "Science City of Muñoz"},
        Rewrite{"city", "Lope De Vega", "Lope de Vega"},
        Rewrite{"city", "Santa Cruz", "Santa Cruz"},
        Rewrite{"province", "NCR, City of Manila, First District (Not a Province)", "Metro Manila"},
        Rewrite{"province", "NCR, Fourth District (Not a Province)", "Metro Manila"},
        Rewrite{"province", "City of Isabela (Not a Province)", "Basilan"},
        Rewrite{"province", "Davao del Sur", "Davao del Sur"},
        Rewrite{"region", "Region XI (Davao Region)", "Davao Region"},
        Rewrite{"region", "National Capital Region (NCR)", "NCR"},
        Rewrite{"barangay", "Bgy. No. 42, Apaya", "Barangay No. 42 Apaya"},
        Rewrite{"barangay", "Bry. No. 48-A, Cabungaan North", "Barangay No. 48-A Cabungaan North"},
        Rewrite{"barangay", "Dagsian, Upper", "Upper Dagsian"},
        Rewrite{"barangay", "Quirino Hill, East", "Quirino Hill East"},
        Rewrite{"barangay", "Liponpon, Isla Verde", "Liponpon (Isla Verde)"},
        Rewrite{"barangay", "Don Mariano Perez, Sr.", "Don Mariano Perez Sr."},
        Rewrite{"barangay", "Pili 1, 2, 3", "Pili 1-2-3"},
        Rewrite{"barangay", "Fuentes*", "Fuentes"},
        Rewrite{"barangay", "Tugop*", "Tugop"}));

// Every place of every level has a non-empty written label with none of the official marks, and
// every full address splits into exactly three parts with no blank at either end.
TEST(WrittenPlaces, EveryLabelIsCleanAndEveryAddressHasThreeParts) {
  const WrittenPlaces& written = written_places();
  EXPECT_GT(written.rewritten(), 300u);
  const auto clean = [](std::string_view label) {
    return !label.empty() && label.find("(Not a Province)") == std::string_view::npos &&
           label.find('*') == std::string_view::npos && !label.starts_with("City of ") &&
           !label.starts_with("NCR, ");
  };
  for (std::uint32_t i = 0; i < data().region_count(); ++i) ASSERT_TRUE(clean(written.region(i)));
  for (std::uint32_t i = 0; i < data().province_count(); ++i) {
    ASSERT_TRUE(clean(written.province(i))) << written.province(i);
    ASSERT_EQ(written.province(i).find(','), std::string_view::npos);
  }
  for (std::uint32_t i = 0; i < data().city_count(); ++i) {
    ASSERT_TRUE(clean(written.city(i))) << written.city(i);
    ASSERT_EQ(written.city(i).find(','), std::string_view::npos);
  }
  for (std::uint32_t i = 0; i < data().barangay_count(); ++i) {
    ASSERT_TRUE(clean(written.barangay(i))) << written.barangay(i);
    ASSERT_EQ(written.barangay(i).find(','), std::string_view::npos) << written.barangay(i);
  }

  Rng rng = test_support::sequence_keyed_rng();
  std::string out;
  for (int i = 0; i < 20'000; ++i) {
    std::optional<Address> address = draw_census_address(rng);
    ASSERT_TRUE(address);
    written.label(*address);
    write_written_address(*address, out);
    ASSERT_EQ(std::count(out.begin(), out.end(), ','), 2) << out;
    ASSERT_TRUE(out.starts_with("Brgy. ")) << out;
    ASSERT_EQ(out.find("Brgy. Barangay"), std::string::npos) << out;
    ASSERT_NE(out.back(), ' ') << out;
    ASSERT_EQ(out.find("  "), std::string::npos) << out;
  }
}

TEST(WrittenPlaces, FullAddressOfKnownPlaces) {
  const WrittenPlaces& written = written_places();
  Address address;
  address.barangay_index = barangay_named("Bgy. No. 42, Apaya");
  address.city_index = city_named("City of Laoag");
  address.province_index = province_named("Ilocos Norte");
  address.zip_code = "2900";
  std::string out;
  written.label(address);
  write_written_address(address, out);
  EXPECT_EQ(out, "Brgy. No. 42 Apaya, Laoag City, Ilocos Norte 2900");

  const char* manila = "NCR, City of Manila, First District (Not a Province)";
  address.city_index = city_named("Sampaloc", manila);
  address.province_index = province_named(manila);
  address.barangay_index = data().city_records()[address.city_index].barangays.begin;
  address.zip_code = "";
  written.label(address);
  write_written_address(address, out);
  EXPECT_TRUE(out.starts_with("Brgy. ")) << out;
  EXPECT_TRUE(out.ends_with(", Manila, Metro Manila")) << out;
}

TEST(WrittenPlaces, DocumentFaultsAreReported) {
  const auto parse = [](std::string_view text) { parse_census_written_places(text); };
  EXPECT_EQ(test_support::panic_message(
                parse, R"({"regions": {}, "provinces": {}, "cities": {}, "barangays": {}})"),
            "no error");
  EXPECT_EQ(test_support::panic_message(
                parse, R"({"regions": {"01": ""}, "provinces": {}, "cities": {}, "barangays": {}})"),
            "Invalid census_written_places.json format: invalid value: an empty label for `01` "
            "for `regions`");
  EXPECT_EQ(test_support::panic_message(parse, R"({"regions": {}, "provinces": {}, "cities": {}})"),
            "Invalid census_written_places.json format: missing field `barangays`");
}

}  // namespace
}  // namespace tarvo::census
