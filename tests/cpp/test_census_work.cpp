// tests/cpp/test_census_work.cpp: occupation, education, nationality and employer names of a person.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "census/education.hpp"
#include "census/employer.hpp"
#include "census/nationality.hpp"
#include "census/occupation.hpp"
#include "keyed_rng.hpp"
#include "padded.hpp"

namespace tarvo::census {
namespace {

// Shares of each outcome text over many draws for one sex and age.
template <class Draw>
std::map<std::string, double> shares(Draw draw, int draws = 40'000) {
  Rng rng = test_support::sequence_keyed_rng();
  std::map<std::string, double> counts;
  for (int i = 0; i < draws; ++i) counts[std::string(draw(rng))] += 1.0 / draws;
  return counts;
}

TEST(CensusOccupation, ActivityAndGroupsFollowSexAndAge) {
  const CensusOccupations& data = census_occupations();
  ASSERT_EQ(data.groups.size(), 10u);
  const auto group = [&](bool male, unsigned age) {
    return shares([&](Rng& rng) {
      return occupation_group(data, draw_occupation(rng, data, male, age));
    });
  };
  const auto young_women = group(false, 22), old_women = group(false, 60);
  const auto men = group(true, 40), women = group(false, 40), old_men = group(true, 70);
  EXPECT_GT(young_women.at("Student"), 0.3);
  EXPECT_EQ(old_men.count("Armed forces occupations"), 0u);
  EXPECT_GT(old_men.at("Retired"), 0.45);
  EXPECT_GT(women.at("Homemaker"), 5 * men.at("Homemaker"));
  EXPECT_GT(women.at("Professionals"), 1.5 * men.at("Professionals"));
  EXPECT_GT(men.at("Plant and machine operators and assemblers"),
            5 * women.at("Plant and machine operators and assemblers"));
  EXPECT_GT(young_women.at("Clerical support workers"), 2 * old_women.at("Clerical support workers"));
}

TEST(CensusOccupation, TitlesBelongToTheirGroupAndTheNotEmployedReadAsTheirActivity) {
  const CensusOccupations& data = census_occupations();
  Rng rng = test_support::sequence_keyed_rng();
  for (int i = 0; i < 20'000; ++i) {
    const Occupation occupation = draw_occupation(rng, data, i % 2 == 0, 18 + i % 80);
    const std::string_view title = occupation_title(data, occupation);
    if (!occupation.employed()) {
      EXPECT_EQ(title, occupation_group(data, occupation));
      EXPECT_NE(title, "Employed");
      continue;
    }
    const auto& titles = data.groups[occupation.group].titles.texts;
    ASSERT_NE(std::find(titles.begin(), titles.end(), title), titles.end()) << title;
  }
}

TEST(CensusEducation, AttainmentRisesInYoungerCohortsAndAmongWomen) {
  const CensusEducation& data = census_education();
  const auto at = [&](bool male, unsigned age) {
    return shares([&](Rng& rng) { return draw_education(rng, data, male, age); });
  };
  const auto young_women = at(false, 28), young_men = at(true, 28), old_men = at(true, 70);
  EXPECT_GT(young_women.at("Academic degree holder"), young_men.at("Academic degree holder"));
  EXPECT_GT(young_men.at("Academic degree holder"), old_men.at("Academic degree holder"));
  EXPECT_GT(old_men.at("Elementary undergraduate"), 3 * young_men.at("Elementary undergraduate"));
  EXPECT_EQ(old_men.count("Senior high school graduate"), 0u);
  EXPECT_GT(at(true, 20).at("Senior high school graduate"), 0.15);
}

TEST(CensusNationality, NearlyAllFilipinoWithTheCensusForeignShare) {
  constexpr int kDraws = 1'000'000;
  const auto counts = shares([](Rng& rng) { return draw_nationality(rng); }, kDraws);
  const double foreign = 1.0 - counts.at("Filipino");
  EXPECT_NEAR(foreign * kDraws, 1926, 6 * std::sqrt(1926.0));
  EXPECT_GT(counts.at("American"), counts.at("Indian"));
  EXPECT_EQ(counts.size(), 5u);
}

TEST(CensusEmployer, NamesAreCleanAndCarryThePlaceWithoutCity) {
  const CensusEmployers& data = census_employers();
  Rng rng = test_support::sequence_keyed_rng();
  const std::size_t longest = employer_name_longest(data, 12, 10);
  int with_place = 0;
  for (int i = 0; i < 20'000; ++i) {
    const std::string name(employer_name(rng, data, "Dela Cruz", "Davao City").view());
    ASSERT_FALSE(name.empty());
    ASSERT_LE(name.size(), longest) << name;
    ASSERT_EQ(name.find("  "), std::string::npos) << name;
    ASSERT_NE(name.back(), ' ') << name;
    ASSERT_EQ(name.find('{'), std::string::npos) << name;
    ASSERT_EQ(name.find("Davao City"), std::string::npos) << name;
    with_place += name.find("Davao") != std::string::npos ? 1 : 0;
  }
  EXPECT_GT(with_place, 1000);
  EXPECT_EQ(employer_place("Quezon City"), "Quezon");
  EXPECT_EQ(employer_place("Pateros"), "Pateros");
}

TEST(CensusWorkDocuments, FaultsAreReported) {
  using test_support::panic_message;
  const auto occupation = [](std::string_view t) { parse_census_occupation(t); };
  const auto education = [](std::string_view t) { parse_census_education(t); };
  const auto employers = [](std::string_view t) { parse_census_employers(t); };
  const std::string table = R"("youngest": [18, 65], "male": [[1, 1], [1, 1]], "female": [[1, 1], [1, 0]])";
  EXPECT_EQ(panic_message(education, R"({"labels": ["A", "B"], )" + table + "}"), "no error");
  EXPECT_EQ(panic_message(education, R"({"labels": ["A", "B", "C"], )" + table + "}"),
            "Invalid census_education.json format: invalid length 2, expected 3 weights for "
            "`male`");
  EXPECT_EQ(panic_message(occupation, R"({"activity": {"labels": ["Student", "Employed"], )" + table +
                                          R"(}, "groups": [{"name": "G", "titles": [["T", 1]]}], )"
                                          R"("group_weights": {"youngest": [18], "male": [[1]], "female": [[1]]}})"),
            "Invalid census_occupation.json format: invalid value: the first activity must be "
            "\"Employed\"");
  EXPECT_EQ(panic_message(employers, R"({"forms": [["{owner} Trading", 1]], "trades": [["T", 1]], )"
                                         R"("words": [["W", 1]], "suffixes": [["Inc.", 1]]})"),
            "Invalid census_employers.json format: invalid value: an unknown slot in the form "
            "`{owner} Trading` for `forms`");
}

}  // namespace
}  // namespace tarvo::census
