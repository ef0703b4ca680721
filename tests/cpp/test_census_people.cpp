// tests/cpp/test_census_people.cpp: census people: exact ages, shares, e-mail, repeats, TIN.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "census/alias_table.hpp"
#include "census/email.hpp"
#include "census/names.hpp"
#include "census/person.hpp"
#include "census/tin.hpp"
#include "census/traits.hpp"
#include "keyed_rng.hpp"
#include "panic.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"

namespace tarvo::census {
namespace {

using test_support::sequence_keyed_rng;

// A correct draw lands within six standard errors of its share with negligible failure odds.
void expect_share(double count, double draws, double share, const std::string& what) {
  EXPECT_NEAR(count / draws, share, 6 * std::sqrt(share * (1 - share) / draws) + 1e-12) << what;
}

CivilDate next_day(CivilDate d) {
  const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
  const std::uint32_t lengths[] = {31, leap ? 29u : 28u, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.day < lengths[d.month - 1]) return {d.year, d.month, d.day + 1};
  if (d.month < 12) return {d.year, d.month + 1, 1};
  return {d.year + 1, 1, 1};
}

TEST(AliasTable, DrawsInProportionAndNeverAZeroWeight) {
  const std::vector<std::uint64_t> weights = {5, 0, 1, 94, 0, 3000, 1};
  const AliasTable table(weights);
  Rng rng = sequence_keyed_rng();
  std::vector<double> counts(weights.size());
  const double draws = 1'000'000;
  for (int i = 0; i < draws; ++i) counts[table.sample(rng)] += 1;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    expect_share(counts[i], draws, weights[i] / 3101.0, "outcome " + std::to_string(i));
  }
  using Weights = std::vector<std::uint64_t>;
  EXPECT_THROW(AliasTable(Weights{}), std::invalid_argument);
  EXPECT_THROW(AliasTable(Weights{0, 0}), std::invalid_argument);
  EXPECT_THROW(AliasTable(Weights{1ull << 31, 1ull << 31}), std::invalid_argument);
}

TEST(BirthWindow, HoldsExactlyTheConsecutiveDatesOfOneAge) {
  // Every day of a common, a leap and a common year, at the youngest, a middle and the oldest age.
  for (CivilDate on{2023, 1, 1}; on.year < 2026; on = next_day(on)) {
    for (const std::uint32_t age : {kYoungestAge, 47u, kOldestAge}) {
      const BirthWindow window = birth_window(on, age);
      ASSERT_TRUE(window.days == 365 || window.days == 366);
      CivilDate expected = date_in_window(window, 0);
      ASSERT_EQ(age_on(expected, on), age);
      for (std::uint32_t offset = 1; offset < window.days; ++offset) {
        expected = next_day(expected);
        ASSERT_EQ(date_in_window(window, offset), expected);
        ASSERT_EQ(age_on(expected, on), age);
      }
      ASSERT_EQ(age_on(next_day(expected), on), age - 1) << on.year << on.month << on.day;
    }
  }
}

bool window_holds(CivilDate on, std::uint32_t age, CivilDate born) {
  const BirthWindow window = birth_window(on, age);
  for (std::uint32_t offset = 0; offset < window.days; ++offset) {
    if (date_in_window(window, offset) == born) return true;
  }
  return false;
}

TEST(BirthWindow, LeapDayBirthdaysComeOnTheFirstOfMarchInCommonYears) {
  const CivilDate leapling{2000, 2, 29};
  EXPECT_EQ(age_on(leapling, {2023, 2, 28}), 22u);
  EXPECT_EQ(age_on(leapling, {2023, 3, 1}), 23u);
  EXPECT_EQ(age_on(leapling, {2024, 2, 28}), 23u);
  EXPECT_EQ(age_on(leapling, {2024, 2, 29}), 24u);
  EXPECT_TRUE(window_holds({2023, 2, 28}, 22, leapling));
  EXPECT_TRUE(window_holds({2023, 3, 1}, 23, leapling));
  EXPECT_FALSE(window_holds({2023, 3, 1}, 22, leapling));
  EXPECT_TRUE(window_holds({2024, 2, 29}, 24, leapling));
}

struct Tally {
  double people = 0, adults_18_19 = 0, aged_65_up = 0, aged_80_up = 0;
  double men_18_64 = 0, people_18_64 = 0, men_65_up = 0, men = 0, juniors = 0, leap_days = 0;
  double by_status[3][7] = {};  // ages 18-29, 40-64, 70 and over
  double rh_negative = 0, o_positive = 0;
  std::set<std::uint32_t> month_days;
};

TEST(CensusPerson, AgesSexNamesAndStatusFollowTheCensus) {
  const CivilDate as_of{2024, 2, 29};
  const CensusNames& names = census_names();
  const auto& statuses = preference().civil_status;
  const auto& bloods = preference().blood_type;
  Rng rng = sequence_keyed_rng();
  Tally t;
  for (int row = 0; row < 400'000; ++row) {
    const CensusPerson p = draw_census_person(rng, as_of);
    ASSERT_GE(p.age, kYoungestAge);
    ASSERT_LE(p.age, kOldestAge);
    ASSERT_EQ(age_on(p.birth_date, as_of), p.age);
    char text[10];
    write_iso_date(p.birth_date, text);
    ASSERT_EQ(p.birthdate(), std::string_view(text, 10));
    ASSERT_EQ(p.gender, p.male ? "Male" : "Female");
    ASSERT_EQ(p.first_name, (p.male ? names.male : names.female).names[p.first_index]);
    ASSERT_EQ(p.last_name, names.surnames.names[p.last_index]);
    ASSERT_EQ(p.middle_name, names.surnames.names[p.middle_index]);
    ASSERT_NE(p.middle_index, p.last_index);
    ASSERT_TRUE(p.male || p.suffix.empty());
    ASSERT_TRUE(p.suffix != "Sr." || p.age >= 40);

    t.people += 1;
    t.adults_18_19 += p.age < 20;
    t.aged_65_up += p.age >= 65;
    t.aged_80_up += p.age >= 80;
    (p.age < 65 ? t.men_18_64 : t.men_65_up) += p.male;
    t.people_18_64 += p.age < 65;
    t.men += p.male;
    t.juniors += p.suffix == "Jr.";
    t.leap_days += p.birth_date.month == 2 && p.birth_date.day == 29;
    t.month_days.insert(p.birth_date.month * 100 + p.birth_date.day);
    const int band = p.age < 30 ? 0 : (p.age >= 40 && p.age < 65) ? 1 : p.age >= 70 ? 2 : -1;
    const std::size_t status = census_civil_status_index(rng, p);
    if (band >= 0) t.by_status[band][status] += 1;
    const std::string& blood = bloods[census_blood_type_index(rng)];
    t.rh_negative += blood.back() == '-';
    t.o_positive += blood == "O+";
  }
  // PSA 2020: 15-19 10.38 M (two fifths of it 18-19), 20-64 59.06 M, 65 and over 5.86 M, of which
  // 80 and over 0.78 M; 103 men per 100 women at 15-64, 73 at 65 and over.
  const double adults = 0.4 * 10380 + 59060 + 5860;
  expect_share(t.adults_18_19, t.people, 0.4 * 10380 / adults, "aged 18-19");
  expect_share(t.aged_65_up, t.people, 5860 / adults, "aged 65+");
  expect_share(t.aged_80_up, t.people, 780 / adults, "aged 80+");
  expect_share(t.men_18_64, t.people_18_64, 103.0 / 203, "men at 18-64");
  expect_share(t.men_65_up, t.aged_65_up, 73.0 / 173, "men at 65+");
  expect_share(t.juniors, t.men, 0.035, "Jr.");
  EXPECT_EQ(t.month_days.size(), 366u);
  EXPECT_GT(t.leap_days, 150);

  auto share = [&](int band, std::string_view label) {
    const double* row = t.by_status[band];
    const double total = std::accumulate(row, row + 7, 0.0);
    return row[std::find(statuses.begin(), statuses.end(), label) - statuses.begin()] / total;
  };
  EXPECT_LT(share(0, "Widowed"), 0.005);
  EXPECT_LT(share(0, "Separated") + share(0, "Annulled") + share(0, "Divorced") +
                share(0, "Legally Separated"),
            0.02);
  EXPECT_GT(share(0, "Single"), 0.7);
  EXPECT_GT(share(1, "Married"), 0.6);
  EXPECT_GT(share(2, "Widowed"), 0.3);
  EXPECT_LT(share(2, "Divorced"), 0.002);
  EXPECT_LT(t.rh_negative / t.people, 0.01);
  EXPECT_GT(t.rh_negative, 0);
  expect_share(t.o_positive, t.people, 0.46, "O+");
}

TEST(CensusNames, CarryTheMendedListsAndCompoundNames) {
  const CensusNames& names = census_names();
  auto has = [](const WeightedNames& list, std::string_view name) {
    return std::find(list.names.begin(), list.names.end(), name) != list.names.end();
  };
  for (const char* name : {"Julie", "Joy"}) {
    EXPECT_FALSE(has(names.male, name)) << name;
    EXPECT_TRUE(has(names.female, name)) << name;
  }
  EXPECT_TRUE(has(names.male, "John Paul"));
  EXPECT_TRUE(has(names.female, "Mary Grace"));
  EXPECT_TRUE(has(names.female, "Ma. Cristina"));
  for (const char* name :
       {"Gutierrez", "De Vera", "Bartolome", "Dela Peña", "Cañete", "Núñez", "Ybañez", "Cariño"}) {
    EXPECT_TRUE(has(names.surnames, name)) << name;
  }
}

TEST(CensusEmail, FoldsNamesToAsciiInEachPattern) {
  CensusPerson p{};
  p.first_name = "Ma. Cristina";
  p.middle_name = "Cañete";
  p.last_name = "Núñez";
  p.birth_date = {1987, 3, 9};
  const std::uint32_t gmail = 0, yahoo = 1;  // the document's first two domains
  ASSERT_EQ(census_figures().domains[gmail], "gmail.com");
  ASSERT_EQ(census_figures().domains[yahoo], "yahoo.com");
  struct Case {
    EmailShape shape;
    const char* expected;
  };
  const Case cases[] = {
      {{gmail, LocalName::kFirstDotLast, false, Digits::kNone, 0, 0}, "macristina.nunez@gmail.com"},
      {{yahoo, LocalName::kFirstUnderscoreLast, false, Digits::kBirthYearShort, 0, 0},
       "macristina_nunez87@yahoo.com"},
      {{gmail, LocalName::kFirstUnderscoreLast, false, Digits::kNone, 0, 0},
       "macristina.nunez@gmail.com"},
      {{gmail, LocalName::kFirstDotMiddleDotLast, false, Digits::kRandom, 7, 3},
       "macristina.c.nunez007@gmail.com"},
      {{yahoo, LocalName::kInitialLast, false, Digits::kNone, 0, 0}, "mnunez@yahoo.com"},
      {{yahoo, LocalName::kLastFirst, false, Digits::kBirthYear, 0, 0},
       "nunezmacristina1987@yahoo.com"},
      {{gmail, LocalName::kFirstOnly, false, Digits::kNone, 0, 0}, "macristina1987@gmail.com"},
  };
  std::string out = "stale";
  for (const Case& c : cases) {
    write_email(p, c.shape, out);
    EXPECT_EQ(out, c.expected);
  }
  p.first_name = "Juan";
  p.last_name = "Dela Cruz";
  p.suffix = "Jr.";
  write_email(p, {gmail, LocalName::kFirstDotLast, true, Digits::kNone, 0, 0}, out);
  EXPECT_EQ(out, "juan.delacruzjr@gmail.com");
}

bool valid_address(const std::string& address) {
  const std::size_t at = address.find('@');
  if (at == std::string::npos || at == 0) return false;
  const std::string local = address.substr(0, at);
  const std::string domain = address.substr(at + 1);
  const auto& domains = census_figures().domains;
  if (std::find(domains.begin(), domains.end(), domain) == domains.end()) return false;
  if (domain == "gmail.com" && local.find('_') != std::string::npos) return false;
  char previous = '.';
  for (char c : local) {
    const bool mark = c == '.' || c == '_';
    if (!(mark || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    if (mark && (previous == '.' || previous == '_')) return false;
    previous = c;
  }
  return previous != '.' && previous != '_' && local.size() >= 6;
}

TEST(CensusEmail, MillionAddressesAreValidFreeMailAndRarelyRepeat) {
  Rng rng = sequence_keyed_rng();
  const CivilDate as_of{2025, 6, 15};
  std::vector<std::uint64_t> hashes;
  hashes.reserve(1'000'000);
  double gmail = 0;
  std::string out;
  for (int row = 0; row < 1'000'000; ++row) {
    const CensusPerson p = draw_census_person(rng, as_of);
    census_email(rng, p, out);
    ASSERT_TRUE(valid_address(out)) << out;
    gmail += out.ends_with("@gmail.com");
    hashes.push_back(std::hash<std::string>{}(out));
  }
  std::sort(hashes.begin(), hashes.end());
  std::size_t repeated = 0;
  for (std::size_t i = 0; i < hashes.size(); ++i) {
    repeated += (i > 0 && hashes[i] == hashes[i - 1]) ||
                (i + 1 < hashes.size() && hashes[i] == hashes[i + 1]);
  }
  const double share = static_cast<double>(repeated) / hashes.size();
  RecordProperty("repeated_address_share", std::to_string(share));
  std::printf("rows whose address another row shares: %.3f%%\n", 100 * share);
  EXPECT_LT(share, 0.05);
  expect_share(gmail, 1e6, 0.72, "gmail.com");
}

TEST(CensusTin, IsAnIndividualsNumberWithTheHeadOfficeCode) {
  Rng rng = sequence_keyed_rng();
  int leading_zero_groups = 0;
  for (int i = 0; i < 20'000; ++i) {
    const std::string tin(census_tin(rng).view());
    ASSERT_EQ(tin.size(), 15u);
    for (std::size_t k = 0; k < tin.size(); ++k) {
      ASSERT_TRUE((k % 4 == 3) ? tin[k] == '-' : (tin[k] >= '0' && tin[k] <= '9')) << tin;
    }
    ASSERT_NE(tin[0], '0') << tin;
    ASSERT_TRUE(tin.ends_with("-000")) << tin;
    leading_zero_groups += tin[4] == '0';
  }
  EXPECT_GT(leading_zero_groups, 1000);  // later groups take every digit, 0 included
}

TEST(CensusDocuments, NameWhatIsWrong) {
  auto failure = [](auto parse, std::string text) {
    text.append(json::kPadding, '\0');
    try {
      parse(std::string_view(text.data(), text.size() - json::kPadding));
    } catch (const Panic& panic) {
      return std::string(panic.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(
      failure(parse_census_names,
              R"({"male": [["Jose", 1]], "female": [["Ana", -1]], "surnames": [["Cruz", 1]]})"),
      "Invalid census_names.json format: invalid type: expected a non-negative integer for "
      "`female`");
  EXPECT_EQ(
      failure(parse_census_names,
              R"({"male": [["Jose", 0]], "female": [["Ana", 1]], "surnames": [["Cruz", 1]]})"),
      "Invalid census_names.json format: weights sum to zero for `male`");
  std::string people(embedded::census_people_json());
  people.replace(people.find("\"Widowed\""), 9, "\"Engaged\"");
  const std::string message =
      failure([](std::string_view t) { parse_census_figures(t, preference()); }, people);
  EXPECT_TRUE(message.starts_with("Invalid census_people.json format: unknown label `Engaged`"))
      << message;
}

}  // namespace
}  // namespace tarvo::census
