// tests/cpp/test_address.cpp: the address data set's parse rules, its layout, and the address draw.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "providers/address.hpp"
#include "providers/json_reader.hpp"
#include "random.hpp"

namespace tarvo {
namespace {

// Owns copies of the given texts with the zero padding the parser reads past their end.
class PaddedTexts {
 public:
  PaddedTexts(std::initializer_list<std::string_view> texts) {
    for (const std::string_view text : texts) {
      std::string copy(text);
      copy.append(json::kPadding, '\0');
      storage_.push_back(std::move(copy));
    }
    for (const std::string& padded : storage_) {
      views_.emplace_back(padded.data(), padded.size() - json::kPadding);
    }
  }
  std::span<const std::string_view> views() const { return views_; }

 private:
  std::vector<std::string> storage_;
  std::vector<std::string_view> views_;
};

AddressData build(std::initializer_list<std::string_view> texts) {
  const PaddedTexts padded(texts);
  return build_address_data(padded.views());
}

// One record of each level, object form.
constexpr std::string_view kBase =
    R"([{"name":"R1","code":"0100000000","cities_municipalities":[],"provinces":[)"
    R"({"name":"P1","code":"0102800000","cities_municipalities":[)"
    R"({"name":"C1","code":"0102803000","type":"Mun","zip_code":"2902","district":"1st",)"
    R"("barangays":[{"name":"B1","code":"0102803001","status":"17"}]}]}]}])";

// The same content, every record in array form.
constexpr std::string_view kBaseArrays =
    R"([["R1","0100000000",[["P1","0102800000",[)"
    R"(["C1","0102803000","Mun","2902","1st",[["B1","0102803001","17"]]]]]]]])";

std::string replace(std::string_view text, std::string_view from, std::string_view to) {
  std::string out(text);
  const std::size_t at = out.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  out.replace(at, from.size(), to);
  return out;
}

struct ParseCase {
  const char* label;
  std::string text;
  bool loads;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.label; }

class AddressParseRules : public testing::TestWithParam<ParseCase> {};

TEST_P(AddressParseRules, TextLoadsOrContributesNothing) {
  const ParseCase& c = GetParam();
  const AddressData data = build({c.text});
  if (!c.loads) {
    EXPECT_EQ(data.region_count(), 0u);
    EXPECT_EQ(data.province_count() + data.city_count() + data.barangay_count(), 0u);
    EXPECT_EQ(data.arena_bytes(), 0u);
    return;
  }
  ASSERT_EQ(data.region_count(), 1u);
  ASSERT_EQ(data.barangay_count(), 1u);
  const CityMunicipality city = data.regions()[0].provinces()[0].cities_municipalities()[0];
  EXPECT_EQ(city.name(), "C1");
  EXPECT_EQ(city.barangays()[0].name(), "B1");
}

// kBase with its first occurrence of from replaced.
std::string with(std::string_view from, std::string_view to) { return replace(kBase, from, to); }

constexpr std::string_view kBarangayList = R"([{"name":"B1","code":"0102803001","status":"17"}])";

// Values of every JSON type, some shaped like records, as members of unknown keys.
const std::string kAnyValues =
    R"("s":"x","i":-3,"f":1.5e10,"t":true,"u":false,"n":null,"a":[1,[{"name":null}],"s"],)"
    R"("o":{"name":1,"provinces":{"deep":[[[]]]}},)";

std::string with_unknown_keys_everywhere() {
  std::string text(kBase);
  for (const std::string_view name : {"R1", "P1", "C1", "B1"}) {
    const std::string head = R"({"name":")" + std::string(name) + '"';
    text = replace(text, head, "{" + kAnyValues + head.substr(1));
  }
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressParseRules,
    testing::Values(
        ParseCase{"object form", std::string(kBase), true},
        ParseCase{"array form", std::string(kBaseArrays), true},
        ParseCase{"keys in another order",
                  with(R"("name":"B1","code":"0102803001","status":"17")",
                       R"("status":"17","code":"0102803001","name":"B1")"),
                  true},
        ParseCase{"surrounding whitespace", " \n\t" + std::string(kBase) + "\r\n ", true},
        ParseCase{"unknown keys of every type at every level", with_unknown_keys_everywhere(),
                  true},
        ParseCase{"region-level cities dropped",
                  with(R"("cities_municipalities":[],)",
                       R"("cities_municipalities":[{"name":"X","code":1}],)"),
                  true},
        ParseCase{"null status", with(R"("status":"17")", R"("status":null)"), true},
        ParseCase{"wrong array length, short",
                  replace(kBaseArrays, R"("0102803001","17")", R"("0102803001")"), false},
        ParseCase{"wrong array length, long",
                  replace(kBaseArrays, R"(["R1","0100000000",)", R"(["R1","0100000000","x",)"),
                  false},
        ParseCase{"missing name", with(R"("name":"P1",)", ""), false},
        ParseCase{"missing zip_code", with(R"("zip_code":"2902",)", ""), false},
        ParseCase{"missing status", with(R"(,"status":"17")", ""), false},
        ParseCase{"missing list (key misspelt)", with(R"("provinces")", R"("province")"), false},
        ParseCase{"repeated zip_code",
                  with(R"("zip_code":"2902")", R"("zip_code":"2902","zip_code":"2902")"), false},
        ParseCase{"repeated name", with(R"("name":"R1")", R"("name":"R1","name":"R1")"), false},
        ParseCase{"null name", with(R"("name":"B1")", R"("name":null)"), false},
        ParseCase{"null zip_code", with(R"("zip_code":"2902")", R"("zip_code":null)"), false},
        ParseCase{"number for zip_code", with(R"("zip_code":"2902")", R"("zip_code":2902)"), false},
        ParseCase{"boolean for type", with(R"("type":"Mun")", R"("type":true)"), false},
        ParseCase{"array for district", with(R"("district":"1st")", R"("district":["1st"])"),
                  false},
        ParseCase{"object for code", with(R"("code":"0100000000")", R"("code":{})"), false},
        ParseCase{"number for status", with(R"("status":"17")", R"("status":17)"), false},
        ParseCase{"object for a list",
                  with(kBarangayList, R"({"b":)" + std::string(kBarangayList) + "}"), false},
        ParseCase{"null for a list", with(kBarangayList, "null"), false},
        ParseCase{"string in a list", with(R"("barangays":[)", R"("barangays":["B0",)"), false},
        ParseCase{"number as a record", with(R"("barangays":[)", R"("barangays":[7,)"), false},
        ParseCase{"trailing characters", std::string(kBase) + " x", false},
        ParseCase{"second top-level value", std::string(kBase) + "[]", false},
        ParseCase{"top level is an object", R"({"regions":)" + std::string(kBase) + "}", false},
        ParseCase{"unterminated", std::string(kBase.substr(0, kBase.size() - 1)), false}));

TEST(AddressData, FieldsReadBackFromEitherForm) {
  for (const std::string_view text : {kBase, kBaseArrays}) {
    const AddressData data = build({text});
    ASSERT_EQ(data.region_count(), 1u);
    const Region region = data.regions()[0];
    EXPECT_EQ(region.name(), "R1");
    EXPECT_EQ(region.code(), "0100000000");
    const Province province = region.provinces().front();
    EXPECT_EQ(province.name(), "P1");
    EXPECT_EQ(province.code(), "0102800000");
    const CityMunicipality city = province.cities_municipalities().front();
    EXPECT_EQ(city.name(), "C1");
    EXPECT_EQ(city.code(), "0102803000");
    EXPECT_EQ(city.type(), "Mun");
    EXPECT_EQ(city.zip_code(), "2902");
    EXPECT_EQ(city.district(), "1st");
    const Barangay barangay = city.barangays().front();
    EXPECT_EQ(barangay.name(), "B1");
    EXPECT_EQ(barangay.code(), "0102803001");
    EXPECT_EQ(barangay.status(), std::optional<std::string_view>("17"));
  }
}

TEST(AddressData, NullStatusIsAbsentButDashAndEmptyAreHeld) {
  const AddressData data = build({replace(
      kBase, R"({"name":"B1","code":"0102803001","status":"17"})",
      R"({"name":"B1","code":"1","status":null},{"name":"B2","code":"2","status":"-"},)"
      R"({"name":"B3","code":"3","status":""})")});
  ASSERT_EQ(data.region_count(), 1u);
  const auto barangays = data.regions()[0].provinces()[0].cities_municipalities()[0].barangays();
  ASSERT_EQ(barangays.size(), 3u);
  EXPECT_EQ(barangays[0].status(), std::nullopt);
  EXPECT_EQ(barangays[1].status(), std::optional<std::string_view>("-"));
  EXPECT_EQ(barangays[2].status(), std::optional<std::string_view>(""));
}

TEST(AddressData, TextsConcatenateInOrderWithChildrenKeptApart) {
  const AddressData data = build({
      R"([["A","1",[["A.p","2",[["A.c","3","Mun","1000","1st",[["A.b","4",null]]]]]]]])",
      R"([["B","1",[]],["C","1",[["C.p","2",[["C.c1","3","City","","Lone",[]],)"
      R"(["C.c2","3","Mun","2000","2nd",[["C.b1","4","0"],["C.b2","4","1"]]]]],["C.q","2",[]]]]])",
      R"([["D","1",[["D.p","2",[["D.c","3","SGU","3000","3rd",[["D.b","4","9"]]]]]]]])",
  });
  std::vector<std::string> seen;
  for (const Region region : data.regions()) {
    seen.emplace_back(region.name());
    for (const Province province : region.provinces()) {
      seen.emplace_back(province.name());
      for (const CityMunicipality city : province.cities_municipalities()) {
        seen.emplace_back(city.name());
        for (const Barangay barangay : city.barangays()) {
          seen.emplace_back(barangay.name());
        }
      }
    }
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "A.p", "A.c", "A.b", "B", "C", "C.p", "C.c1",
                                            "C.c2", "C.b1", "C.b2", "C.q", "D", "D.p", "D.c",
                                            "D.b"}));
  EXPECT_EQ(data.province_count(), 4u);
  EXPECT_EQ(data.city_count(), 4u);
  EXPECT_EQ(data.barangay_count(), 4u);
}

TEST(AddressData, FailingTextLeavesNoTraceAndLaterTextsIndexCorrectly) {
  // The middle text fails in its second region, after its first region (with children) had been
  // read completely: that region must go too, and the last text's ranges must start where the
  // first text's ended.
  const AddressData data = build({
      R"([["A","1",[["A.p","2",[["A.c","3","Mun","1","1st",[["A.b","4","0"]]]]]]]])",
      R"([["X","1",[["X.p","2",[["X.c","3","Mun","1","1st",[["X.b","4","0"]]]]]]],)"
      R"( ["Y","1",[["Y.p","2",[["Y.c","3","Mun",1,"1st",[]]]]]]])",
      R"([["D","1",[["D.p","2",[["D.c","3","Mun","1","1st",[["D.b","4","0"]]]]]]]])",
  });
  ASSERT_EQ(data.region_count(), 2u);
  EXPECT_EQ(data.province_count(), 2u);
  EXPECT_EQ(data.city_count(), 2u);
  EXPECT_EQ(data.barangay_count(), 2u);
  const Region last = data.regions()[1];
  EXPECT_EQ(last.name(), "D");
  EXPECT_EQ(last.provinces()[0].name(), "D.p");
  EXPECT_EQ(last.provinces()[0].cities_municipalities()[0].barangays()[0].name(), "D.b");
  EXPECT_EQ(data.arena_bytes(), 2 * std::string_view("A1A.p2A.c3Mun11stA.b40").size());
}

TEST(AddressData, AllTextsFailingGivesTheEmptySet) {
  const AddressData data = build({"{}", R"([{"name":"R"}])", "[] ]"});
  EXPECT_TRUE(data.regions().empty());
  EXPECT_EQ(data.barangay_count(), 0u);
}

TEST(AddressData, NamesAreHeldExactly) {
  const AddressData data = build({R"([["Region, \"Quoted\"","1",[[" P ","2",[)"
                                  R"(["Pe\u00f1a, Sur ","3","Mun","","Lone",)"
                                  R"([[" Poblacion, East","4","1"]]]]]]]])"});
  ASSERT_EQ(data.barangay_count(), 1u);
  const CityMunicipality city = data.regions()[0].provinces()[0].cities_municipalities()[0];
  EXPECT_EQ(data.regions()[0].name(), "Region, \"Quoted\"");
  EXPECT_EQ(data.regions()[0].provinces()[0].name(), " P ");
  EXPECT_EQ(city.name(), "Pe\xC3\xB1" "a, Sur ");
  EXPECT_EQ(city.barangays()[0].name(), " Poblacion, East");
}

// ---------------------------------------------------------------------------------------------
// The draw

Key test_key(std::uint8_t seed) {
  Key key{};
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(seed + 7 * i);
  return key;
}

struct DrawCase {
  const char* label;
  const char* text;
  std::vector<std::size_t> list_sizes;  // the uniform_index calls one draw must make
  bool yields_address;
};

void PrintTo(const DrawCase& c, std::ostream* os) { *os << c.label; }

class AddressDrawConsumption : public testing::TestWithParam<DrawCase> {};

TEST_P(AddressDrawConsumption, DrawsOncePerLevelReachedAndNoMore) {
  const DrawCase& c = GetParam();
  const AddressData data = build({c.text});
  Rng rng(test_key(3));
  Rng twin(test_key(3));
  for (int round = 0; round < 50; ++round) {
    const std::optional<Address> address = generate_address(rng, data);
    for (const std::size_t n : c.list_sizes) twin.uniform_index(n);
    ASSERT_EQ(address.has_value(), c.yields_address) << "round " << round;
    ASSERT_EQ(rng.position(), twin.position()) << "round " << round;
    ASSERT_EQ(rng.block_counter(), twin.block_counter()) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressDrawConsumption,
    testing::Values(
        DrawCase{"no regions", "[]", {}, false},
        DrawCase{"regions without provinces", R"([["A","1",[]],["B","1",[]],["C","1",[]]])", {3},
                 false},
        DrawCase{"province without cities", R"([["A","1",[["P","2",[]],["Q","2",[]]]]])", {1, 2},
                 false},
        DrawCase{"city without barangays",
                 R"([["A","1",[["P","2",[["C","3","City","","1st",[]]]]]],)"
                 R"( ["B","1",[["P","2",[["C","3","City","","1st",[]]]]]]])",
                 {2, 1, 1}, false},
        DrawCase{"complete",
                 R"([["A","1",[["P","2",[["C","3","Mun","9","1st",)"
                 R"([["x","4","1"],["y","4","1"]]]]]]]])",
                 {1, 1, 1, 2}, true}));

TEST(AddressDraw, FollowsTheUniformIndexSequenceThroughEveryLevel) {
  // Uneven fan-out and an empty list at each level. Each empty list is laid out so that its
  // [begin, end) starts at a record of another parent that has children, so a skipped emptiness
  // test reads that record and yields an address where none is due.
  const AddressData data = build({
      R"([["R0","1",[]],)"
      R"( ["R1","1",[["P1","2",[["C0","3","Mun","1111","1st",[["b0","4","1"]]],)"
      R"(                         ["C1","3","Mun","","2nd",[]],)"
      R"(                         ["C2","3","City","2222","Lone",)"
      R"(                          [["b1","4","1"],["b2","4","1"],["b3","4",null]]]]],)"
      R"(                ["P0","2",[]]]],)"
      R"( ["R2","1",[["P2","2",[["C3","3","Mun","3333","3rd",)"
      R"(                         [["b4","4","1"],["b5","4","1"]]]]]]]])"});
  Rng rng(test_key(11));
  Rng twin(test_key(11));
  int complete = 0;
  for (int round = 0; round < 3000; ++round) {
    const std::optional<Address> got = generate_address(rng, data);

    std::optional<Address> want;
    const auto regions = data.regions();
    const Region region = regions[twin.uniform_index(regions.size())];
    if (!region.provinces().empty()) {
      const Province province = region.provinces()[twin.uniform_index(region.provinces().size())];
      const auto cities = province.cities_municipalities();
      if (!cities.empty()) {
        const CityMunicipality city = cities[twin.uniform_index(cities.size())];
        if (!city.barangays().empty()) {
          const Barangay barangay = city.barangays()[twin.uniform_index(city.barangays().size())];
          want = Address{barangay.name(), city.name(),   province.name(), region.name(),
                         city.zip_code(), region.index(), province.index(), city.index(),
                         barangay.index()};
        }
      }
    }
    ASSERT_EQ(got.has_value(), want.has_value()) << "round " << round;
    if (!got) continue;
    ++complete;
    EXPECT_EQ(got->barangay, want->barangay);
    EXPECT_EQ(got->city, want->city);
    EXPECT_EQ(got->province, want->province);
    EXPECT_EQ(got->region, want->region);
    EXPECT_EQ(got->zip_code, want->zip_code);
    EXPECT_EQ(got->region_index, want->region_index);
    EXPECT_EQ(got->province_index, want->province_index);
    EXPECT_EQ(got->city_index, want->city_index);
    EXPECT_EQ(got->barangay_index, want->barangay_index);
  }
  // Complete addresses come from R1/P1/C0, R1/P1/C2 and R2 only: about 1/3 * 1/2 * 2/3 + 1/3.
  EXPECT_GT(complete, 1200);
  EXPECT_LT(complete, 1800);
}

TEST(AddressDraw, FullAddressLine) {
  struct Case {
    Address address;
    std::string_view line;
  };
  const Case cases[] = {
      {{"Bani", "Bacarra", "Ilocos Norte", "Region I (Ilocos Region)", "2902"},
       "Bani, Bacarra, Ilocos Norte, Region I (Ilocos Region) 2902"},
      {{"Adams", "Adams", "Ilocos Norte", "Region I (Ilocos Region)", ""},
       "Adams, Adams, Ilocos Norte, Region I (Ilocos Region) "},
      {{" Poblacion, East", "Pe\xC3\xB1" "a ", "P", "R", "1"},
       " Poblacion, East, Pe\xC3\xB1" "a , P, R 1"},
      {{"", "", "", "", ""}, ", , ,  "},
  };
  // One buffer for all: each line replaces the previous, longer one.
  std::string buffer = "left over from an earlier row, much longer than any line below";
  for (const Case& c : cases) {
    write_full_address(c.address, buffer);
    EXPECT_EQ(buffer, c.line);
  }
}

// ---------------------------------------------------------------------------------------------
// The embedded data set

TEST(EmbeddedAddressData, LoadsOnceWithAConsistentHierarchy) {
  // Several threads asking at once all get the one data set (whoever builds it, the others wait).
  std::vector<const AddressData*> seen(4, nullptr);
  {
    std::vector<std::thread> threads;
    for (const AddressData*& slot : seen) {
      threads.emplace_back([&slot] { slot = &address_regions(); });
    }
    for (std::thread& thread : threads) thread.join();
  }
  const AddressData& data = address_regions();
  for (const AddressData* other : seen) EXPECT_EQ(other, &data);

  ASSERT_GE(data.region_count(), 17u);
  EXPECT_EQ(data.regions()[0].name(), "Region I (Ilocos Region)");
  std::size_t provinces = 0, cities = 0, barangays = 0;
  for (const Region region : data.regions()) {
    EXPECT_EQ(region.code().size(), 10u) << region.name();
    EXPECT_FALSE(region.provinces().empty()) << region.name();
    provinces += region.provinces().size();
    for (const Province province : region.provinces()) {
      EXPECT_FALSE(province.cities_municipalities().empty()) << province.name();
      cities += province.cities_municipalities().size();
      for (const CityMunicipality city : province.cities_municipalities()) {
        EXPECT_TRUE(city.zip_code().empty() || city.zip_code().size() == 4) << city.name();
        barangays += city.barangays().size();
      }
    }
  }
  // Every record is reachable from exactly one parent.
  EXPECT_EQ(provinces, data.province_count());
  EXPECT_EQ(cities, data.city_count());
  EXPECT_EQ(barangays, data.barangay_count());
  EXPECT_GT(barangays, 40000u);

  Rng rng(test_key(1));
  int complete = 0;
  for (int i = 0; i < 1000; ++i) complete += generate_address(rng).has_value();
  EXPECT_GT(complete, 850);
}

}  // namespace
}  // namespace tarvo
