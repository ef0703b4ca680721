// tests/cpp/test_ids.cpp: every identifier format against its published form, 10,000 draws each.
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "ids/lto.hpp"
#include "ids/membership.hpp"
#include "ids/passport.hpp"
#include "ids/philsys.hpp"
#include "ids/prc.hpp"
#include "keyed_rng.hpp"

namespace tarvo::ids {
namespace {

struct Format {
  const char* name;
  std::function<IdLikeText(Rng&)> draw;
  const char* pattern;  // the whole text
  std::size_t longest;  // the header's constant
};

void PrintTo(const Format& format, std::ostream* out) { *out << format.name; }

const LtoRegionLetters& ncr() { return lto_region_letters("1300000000"); }

const Format kFormats[] = {
    {"pcn", [](Rng& r) { return philsys_card_number(r); }, R"(\d{4}-\d{4}-\d{4}-\d{4})",
     kPhilsysCardNumberLength},
    {"psn", [](Rng& r) { return philsys_number(r); }, R"(\d{4}-\d{4}-\d{4})", kPhilsysNumberLength},
    {"pagibig", [](Rng& r) { return pagibig_mid(r); }, R"(1\d{3}-\d{4}-\d{4})", kPagibigMidLength},
    {"umid", [](Rng& r) { return umid_crn(r); }, R"(0\d{3}-\d{7}-\d)", kUmidCrnLength},
    {"gsis", [](Rng& r) { return gsis_bp_number(r); }, R"([1-9]\d{9})", kGsisBpLength},
    {"passport", [](Rng& r) { return passport_number(r); }, R"(P\d{7}[ABC])",
     kPassportNumberLength},
    {"prc", [](Rng& r) { return prc_license_number(r); }, R"([01]\d{6})", kPrcLicenseLength},
    {"licence", [](Rng& r) { return drivers_license_number(r, ncr(), 2019); },
     R"(N(0[1-9]|1\d|20)-19-\d{6})", kDriversLicenseLength},
    {"car", [](Rng& r) { return car_plate(r, ncr()); }, R"([NPQTUX][A-Z]{2} [1-9]\d{3})",
     kCarPlateLength},
    {"motorcycle", [](Rng& r) { return motorcycle_plate(r, ncr()); },
     R"(\d{3} [NPQTUX][A-Z]{2})", kMotorcyclePlateLength},
};

class IdFormat : public ::testing::TestWithParam<Format> {};

// Every draw matches the form, is exactly the longest length (all formats are fixed-width), and
// over 10,000 draws every position that may hold a digit or letter takes every value it may
// hold: a generator stuck on a digit or a letter range fails here.
TEST_P(IdFormat, TenThousandDrawsMatchTheFormAndUseEveryAllowedCharacter) {
  const Format& format = GetParam();
  const std::regex pattern(format.pattern);
  Rng rng = test_support::sequence_keyed_rng();
  std::vector<std::set<char>> seen(format.longest);
  std::set<std::string> distinct;
  for (int i = 0; i < 10'000; ++i) {
    const std::string text(format.draw(rng).view());
    ASSERT_TRUE(std::regex_match(text, pattern)) << text;
    ASSERT_EQ(text.size(), format.longest) << text;
    for (std::size_t at = 0; at < text.size(); ++at) seen[at].insert(text[at]);
    distinct.insert(text);
  }
  EXPECT_GT(distinct.size(), 9'000u);
  // The characters allowed at each position: those that keep a drawn text matching when put
  // there, over several texts, since a position's range may depend on its neighbours.
  std::vector<std::set<char>> allowed(format.longest);
  for (int sample = 0; sample < 50; ++sample) {
    const std::string text(format.draw(rng).view());
    for (std::size_t at = 0; at < text.size(); ++at) {
      for (char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ- ")) {
        std::string probe = text;
        probe[at] = c;
        if (std::regex_match(probe, pattern)) allowed[at].insert(c);
      }
    }
  }
  for (std::size_t at = 0; at < format.longest; ++at) {
    EXPECT_EQ(seen[at], allowed[at]) << format.name << " position " << at;
  }
}

INSTANTIATE_TEST_SUITE_P(Published, IdFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LtoRegions, EveryPsgcRegionHasLettersAndUnknownCodesFallBackToMetroManila) {
  const char* regions[] = {"01", "02", "03", "04", "05", "06", "07", "08", "09",
                           "10", "11", "12", "13", "14", "16", "17", "18", "19"};
  for (const char* code : regions) {
    const LtoRegionLetters& letters = lto_region_letters(std::string(code) + "00000000");
    EXPECT_EQ(letters.psgc_prefix, code);
    EXPECT_FALSE(letters.car.empty());
    EXPECT_FALSE(letters.motorcycle.empty());
  }
  EXPECT_EQ(lto_region_letters("99").psgc_prefix, "13");
  EXPECT_EQ(lto_region_letters("").psgc_prefix, "13");
  Rng rng = test_support::keyed_rng();
  EXPECT_EQ(car_plate(rng, lto_region_letters("0700000000")).view()[0], 'G');
  EXPECT_EQ(drivers_license_number(rng, lto_region_letters("01"), 2007).view().substr(0, 1), "A");
}

}  // namespace
}  // namespace tarvo::ids
