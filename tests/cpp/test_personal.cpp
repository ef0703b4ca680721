// tests/cpp/test_personal.cpp: the per-row Person, birth dates around today, e-mail and picks.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "panic.hpp"
#include "providers/clock.hpp"
#include "providers/personal.hpp"
#include "keyed_rng.hpp"

namespace tarvo {
namespace {

using test_support::keyed_rng;

std::string two_digits(std::uint32_t value) {
  return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

// The age someone born on the given date has on `today`, counted the ordinary way.
std::uint32_t age_on(CivilDate today, int year, std::uint32_t month, std::uint32_t day) {
  const bool before_birthday = today.month < month || (today.month == month && today.day < day);
  return static_cast<std::uint32_t>(today.year - year - (before_birthday ? 1 : 0));
}

TEST(DrawPerson, DrawsGenderNamesAgeMonthDayInThatOrder) {
  const CivilDate today{2024, 6, 15};
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  const std::uint32_t month_length[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int males = 0;
  for (int row = 0; row < 3000; ++row) {
    SCOPED_TRACE(row);
    const Person person = draw_person(rng, today);

    const bool male = expected.coin();
    const auto& given = male ? first_names().male : first_names().female;
    const std::size_t first_index = expected.uniform_index(given.size());
    const std::size_t last_index = expected.uniform_index(last_names().surnames.size());
    const std::uint32_t age = expected.uniform_u32(18, 70);
    const std::uint32_t month = expected.uniform_u32(1, 12);
    const std::uint32_t day = expected.uniform_u32(1, month_length[month - 1]);

    ASSERT_EQ(person.male, male);
    EXPECT_EQ(person.gender, male ? "Male" : "Female");
    ASSERT_EQ(person.first_index, first_index);
    EXPECT_EQ(person.first_name, given[first_index]);
    ASSERT_EQ(person.last_index, last_index);
    EXPECT_EQ(person.last_name, last_names().surnames[last_index]);
    ASSERT_EQ(person.age, age);
    const std::string birthdate(person.birthdate());
    ASSERT_EQ(birthdate.size(), 10u);
    EXPECT_EQ(birthdate.substr(4), "-" + two_digits(month) + "-" + two_digits(day));
    EXPECT_EQ(age_on(today, std::stoi(birthdate.substr(0, 4)), month, day), person.age);
    males += male;
  }
  EXPECT_EQ(rng.position(), expected.position());
  EXPECT_GT(males, 1300);
  EXPECT_LT(males, 1700);
}

// Draws with two identical generators on two dates and returns the pairs of birth dates.
std::vector<std::pair<std::string, std::string>> birthdates_on(CivilDate first, CivilDate second) {
  Rng a = keyed_rng();
  Rng b = keyed_rng();
  std::vector<std::pair<std::string, std::string>> pairs;
  for (int row = 0; row < 20000; ++row) {
    const Person p = draw_person(a, first);
    const Person q = draw_person(b, second);
    EXPECT_EQ(p.age, q.age);
    pairs.emplace_back(std::string(p.birthdate()), std::string(q.birthdate()));
  }
  return pairs;
}

int year_of(const std::string& date) { return std::stoi(date.substr(0, 4)); }

TEST(DrawPerson, BirthYearStepsBackOnlyForBirthdaysStillToCome) {
  // June 15 and June 16 differ only for people born on June 16: a birthday tomorrow is a year
  // further back than a birthday today.
  int born_today = 0;
  for (const auto& [on_15th, on_16th] : birthdates_on({2024, 6, 15}, {2024, 6, 16})) {
    const bool june_16 = on_15th.substr(5) == "06-16";
    EXPECT_EQ(year_of(on_16th) - year_of(on_15th), june_16 ? 1 : 0) << on_15th;
    born_today += june_16;
  }
  EXPECT_GT(born_today, 10);
}

TEST(DrawPerson, NewYearMovesOnlyTheFirstOfJanuary) {
  // On Dec 31 no birthday is ahead; on Jan 1 every birthday but Jan 1 is. So the two days give
  // the same birth years except for people born on Jan 1, who are a year younger by birth year.
  int new_year_births = 0;
  for (const auto& [dec31, jan1] : birthdates_on({2023, 12, 31}, {2024, 1, 1})) {
    const bool born_jan1 = dec31.substr(5) == "01-01";
    EXPECT_EQ(year_of(jan1) - year_of(dec31), born_jan1 ? 1 : 0) << dec31;
    new_year_births += born_jan1;
  }
  EXPECT_GT(new_year_births, 10);
}

TEST(DrawPerson, DatesStayInRangeAndExistEveryYear) {
  Rng rng = keyed_rng();
  for (const CivilDate today :
       {CivilDate{2024, 2, 29}, CivilDate{1970, 1, 1}, CivilDate{9999, 12, 31}}) {
    for (int row = 0; row < 5000; ++row) {
      const Person person = draw_person(rng, today);
      const std::string date(person.birthdate());
      const int year = year_of(date);
      const std::uint32_t month = std::stoul(date.substr(5, 2));
      const std::uint32_t day = std::stoul(date.substr(8, 2));
      ASSERT_GE(person.age, 18u);
      ASSERT_LE(person.age, 70u);
      ASSERT_GE(year, today.year - 71);
      ASSERT_LE(year, today.year - 18);
      const bool short_month = month == 4 || month == 6 || month == 9 || month == 11;
      ASSERT_LE(day, month == 2 ? 28u : short_month ? 30u : 31u) << date;
      ASSERT_EQ(age_on(today, year, month, day), person.age) << date;
    }
  }
}

TEST(Clock, ConvertsUnixSecondsToUtcDates) {
  struct Case {
    std::int64_t seconds;
    CivilDate date;
  };
  const Case cases[] = {
      {0, {1970, 1, 1}},          {86399, {1970, 1, 1}},        {86400, {1970, 1, 2}},
      {951782400, {2000, 2, 29}}, {1709251199, {2024, 2, 29}},  {1709251200, {2024, 3, 1}},
      {1735689599, {2024, 12, 31}}, {4107542400, {2100, 3, 1}}, {253402300799, {9999, 12, 31}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utc_date_from_unix_seconds(c.seconds), c.date) << c.seconds;
  }
  EXPECT_THROW(utc_date_from_unix_seconds(-1), Panic);
  EXPECT_THROW(utc_date_from_unix_seconds(253402300800), Panic);
  EXPECT_GE(today_utc().year, 2024);
}

TEST(Personal, FullNameJoinsWithOneSpace) {
  Person person{};
  person.first_name = "Jose";
  person.last_name = "De Guzman";
  EXPECT_EQ(full_name(person), "Jose De Guzman");
  std::string reused = "previous contents";
  full_name(person, reused);
  EXPECT_EQ(reused, "Jose De Guzman");
}

TEST(Personal, EmailLowersAndDropsSpacesAndFullStops) {
  struct Case {
    const char* first;
    const char* last;
    const char* local_part;
  };
  const Case cases[] = {
      {"Jose", "Dela Cruz", "jose.delacruz"},
      {"Maria", "Delos Santos", "maria.delossantos"},
      {"Ma. Luisa", "DE LA  PAZ", "maluisa.delapaz"},
      {"Joy", "Uy", "joy.uy"},
  };
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  std::string reused = "stale";
  for (const Case& c : cases) {
    const std::string domain = preference().domains[expected.uniform_index(5)];
    EXPECT_EQ(email(rng, c.first, c.last), std::string(c.local_part) + "@" + domain);
    const std::string second_domain = preference().domains[expected.uniform_index(5)];
    email(rng, c.first, c.last, reused);
    EXPECT_EQ(reused, std::string(c.local_part) + "@" + second_domain);
  }
}

TEST(Personal, FreePicksTakeOneIndexEach) {
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(civil_status(rng), preference().civil_status[expected.uniform_index(7)]);
    EXPECT_EQ(blood_type(rng), preference().blood_type[expected.uniform_index(8)]);
    EXPECT_EQ(civil_status_index(rng), expected.uniform_index(7));
    EXPECT_EQ(blood_type_index(rng), expected.uniform_index(8));
  }
}

}  // namespace
}  // namespace tarvo
