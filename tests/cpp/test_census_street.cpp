// tests/cpp/test_census_street.cpp: street lines in their two written forms, from the document.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "census/street.hpp"
#include "keyed_rng.hpp"
#include "padded.hpp"
#include "providers/embedded.hpp"

namespace tarvo::census {
namespace {

TEST(CensusStreet, LinesTakeTheirFormsAndNamesInTheirShares) {
  const CensusStreets& streets = census_streets();
  const std::regex house(R"(([1-9]\d{0,3})(-[A-D])? (.+) (St\.|Ave\.))");
  const std::regex lot(R"(Blk ([1-9]\d?) Lot ([1-9]\d?) (.+) St\.(, Phase [1-5])?)");
  Rng rng = test_support::sequence_keyed_rng();
  constexpr int kDraws = 100'000;
  int lots = 0, phases = 0;
  std::map<std::string, int> town_names;
  std::size_t longest = 0;
  for (int i = 0; i < kDraws; ++i) {
    const std::string text(census_street(rng, streets).view());
    longest = std::max(longest, text.size());
    std::smatch match;
    if (std::regex_match(text, match, lot)) {
      ++lots;
      phases += match[4].matched ? 1 : 0;
      ASSERT_LE(std::stoi(match[1]), 40) << text;
      ASSERT_LE(std::stoi(match[2]), 60) << text;
      ASSERT_NE(std::find(streets.subdivision.texts.begin(), streets.subdivision.texts.end(),
                          match[3].str()),
                streets.subdivision.texts.end())
          << text;
    } else {
      ASSERT_TRUE(std::regex_match(text, match, house)) << text;
      ASSERT_LE(std::stoi(match[1]), 2999) << text;
      ++town_names[match[3].str()];
    }
  }
  EXPECT_LE(longest, streets.longest);
  EXPECT_NEAR(lots, kDraws * 0.25, 6 * std::sqrt(kDraws * 0.25 * 0.75));
  EXPECT_NEAR(phases, lots * 0.4, 6 * std::sqrt(lots * 0.4 * 0.6));
  // Rizal leads the town streets, as it leads the barangay names the weights come from.
  const auto top = std::max_element(town_names.begin(), town_names.end(),
                                    [](const auto& a, const auto& b) { return a.second < b.second; });
  EXPECT_EQ(top->first, "Rizal");
  EXPECT_GT(town_names.size(), 80u);
}

TEST(CensusStreet, DocumentFaultsAreReported) {
  const auto parse = [](std::string_view text) { parse_census_streets(text); };
  EXPECT_EQ(test_support::panic_message(parse, R"({"town": [["Rizal", 3]], "subdivision": [["Camia", 1]]})"),
            "no error");
  EXPECT_EQ(test_support::panic_message(parse, R"({"town": [["", 3]], "subdivision": [["Camia", 1]]})"),
            "Invalid census_streets.json format: invalid value: an empty street name for `town`");
  const std::string long_name(40, 'x');
  EXPECT_EQ(test_support::panic_message(parse, R"({"town": [["Rizal", 3]], "subdivision": [[")" +
                                                   long_name + R"(", 1]]})"),
            "Invalid census_streets.json format: invalid value: a street name too long for a "
            "street line");
}

}  // namespace
}  // namespace tarvo::census
