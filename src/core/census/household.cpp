// src/core/census/household.cpp: the rules that make a family of a household's size.
//
// Figures: the members other than the head and the spouse are sons and daughters three times in
// four, then grandchildren, kin and non-relatives in the shares of census_population.json's
// relationship table (PSA 2020 head share; the rest modelled, see data/README.md). A mother is
// 15 to 45 years older than her child, by the 2022 NDHS ages at birth. What is modelled here,
// and not published: the share of male heads (73%), the chance that a head lives with a spouse
// by sex and age, the share of couples who live in without marrying by age, and the ages of kin.
#include "census/household.hpp"

#include <cmath>
#include <vector>

#include "census/reading.hpp"
#include "providers/personal.hpp"

namespace tarvo::census {
namespace {

constexpr std::uint32_t kHeadMalePerMille = 730;

struct Tables {
  AliasTable head_age;       // outcome a is the age 18 + a
  AliasTable other_role;     // child, grandchild, parent, sibling, other relative, non-relative
  AliasTable gap;            // outcome g: the mother is 15 + g years older, up to 45
  std::size_t married = 0, single = 0, widowed = 0, separated = 0;
};

std::size_t label(std::string_view name) {
  const auto& labels = preference().civil_status;
  return static_cast<std::size_t>(std::find(labels.begin(), labels.end(), name) - labels.begin());
}

const Tables& tables() {
  static const Tables built = [] {
    Tables t;
    const CensusPopulation& population = census_population();
    // Headship rises with age to 35, and falls past 55 as the old join their children's
    // households (a modelling choice: it gives the census's share of minors among members
    // roughly, as heads of child-rearing age have the children).
    std::vector<std::uint64_t> heads;
    for (std::uint32_t age = 18; age <= kOldestAge; ++age) {
      const double a = static_cast<double>(age);
      const double rate = std::clamp(a < 55 ? (a - 18.0) / 17.0 : 1.0 - (a - 55.0) * 0.03, 0.03, 1.0);
      heads.push_back(static_cast<std::uint64_t>(static_cast<double>(population.age_weights[age]) * rate));
    }
    t.head_age = make_table(heads);
    // Sons and daughters (with their spouses), grandchildren, parents, siblings, other kin,
    // non-relatives, per 10,000 members who are neither head nor spouse.
    const std::uint64_t others[] = {4401 + 160, 720, 100, 160, 240, 90};
    t.other_role = make_table(others);
    // Ages at birth 15..45 from the mothers' table, 46..49 left out.
    const std::vector<double> mothers = population.mother_age_at_birth.probabilities();
    std::vector<std::uint64_t> gaps;
    for (std::size_t g = 0; g <= 45 - kYoungestMother && g < mothers.size(); ++g) {
      gaps.push_back(static_cast<std::uint64_t>(std::llround(mothers[g] * 1e9)));
    }
    t.gap = make_table(gaps);
    t.married = label("Married");
    t.single = label("Single");
    t.widowed = label("Widowed");
    t.separated = label("Separated");
    return t;
  }();
  return built;
}

// Per mille of heads who live with a spouse, by the head's sex and age.
std::uint32_t spouse_per_mille(bool male, std::uint32_t age) {
  if (!male) return 250;  // most women who head a household are widowed, separated or single
  return age < 25 ? 600 : age < 65 ? 920 : 780;
}

// Per mille of couples who live in without marrying, by the head's age.
std::uint32_t live_in_per_mille(std::uint32_t age) { return age < 30 ? 450 : age < 45 ? 200 : 80; }

std::uint32_t clamp_age(std::int64_t age) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(age, 0, kOldestAge));
}

}  // namespace

void draw_family(CounterRng& rng, const Address& place, std::uint32_t size, Family& out) {
  const Tables& t = tables();
  const CensusSurnames& surnames = census_surnames();
  out.size = std::min(size, kLargestHousehold);
  out.religion = static_cast<std::uint32_t>(census_religions().by_province[place.province_index].sample(rng));
  const bool muslim = out.religion == census_religions().islam;
  auto surname = [&](std::int64_t unlike) {
    std::uint32_t name;
    int tries = 0;
    do {
      name = surnames.draw(rng, place.province_index, muslim);
    } while (static_cast<std::int64_t>(name) == unlike && ++tries < 16);
    return name;
  };

  FamilyMember& head = out.members[0];
  head.role = Role::Head;
  head.male = rng.uniform_u32(0, 999) < kHeadMalePerMille;
  head.age = 18 + static_cast<std::uint32_t>(t.head_age.sample(rng));
  const bool couple =
      out.size >= 2 && rng.uniform_u32(0, 999) < spouse_per_mille(head.male, head.age);
  std::uint32_t next = 1;
  // The family's surname is the husband's; a wife keeps hers as her middle name, and her
  // children take it as theirs.
  const std::uint32_t family = surname(-1);
  std::int64_t maiden = -1;   // the children's mother's maiden surname
  std::int64_t mother_age = -1, father_age = -1;
  if (couple) {
    FamilyMember& spouse = out.members[next++];
    spouse.role = Role::Spouse;
    spouse.male = !head.male;
    // Husbands are a few years older than their wives.
    const std::int64_t difference = 3 + static_cast<std::int64_t>(rng.uniform_u32(0, 10)) - 5;
    spouse.age = std::max<std::uint32_t>(
        18, clamp_age(static_cast<std::int64_t>(head.age) + (head.male ? -difference : difference)));
    const bool live_in = rng.uniform_u32(0, 999) < live_in_per_mille(head.age);
    head.civil_status = spouse.civil_status =
        static_cast<std::int32_t>(live_in ? t.single : t.married);
    FamilyMember& husband = head.male ? head : spouse;
    FamilyMember& wife = head.male ? spouse : head;
    husband.last_name = family;
    husband.middle_name = surname(family);
    maiden = surname(family);
    wife.last_name = family;
    wife.middle_name = maiden;
    mother_age = wife.age;
    father_age = husband.age;
  } else {
    head.last_name = family;
    head.middle_name = surname(family);
    if (head.male) {
      father_age = head.age;
      head.civil_status = draw_civil_status(rng, head.age, true, muslim);
      maiden = surname(family);  // the children's mother's, who lives elsewhere or has died
    } else {
      // A woman heading a family without a husband has mostly been married: her surname is her
      // married one, her maiden surname her middle name and her children's.
      mother_age = head.age;
      maiden = head.middle_name;
      head.civil_status = static_cast<std::int32_t>(
          out.size >= 2 ? (rng.coin() ? t.widowed : t.separated)
                        : draw_civil_status(rng, head.age, false, muslim));
    }
  }

  // The others: children while a parent here is of an age to have them, else kin.
  const std::int64_t parent_age = mother_age >= 0 ? mother_age : father_age - 3;
  std::uint32_t children = 0;
  for (; next < out.size; ++next) {
    FamilyMember& member = out.members[next];
    member.male = rng.coin();
    member.middle_name = -1;
    member.last_name = family;
    std::size_t role = t.other_role.sample(rng);
    if (role == 0 && parent_age >= 15) {
      std::int64_t age = -1;
      for (int tries = 0; tries < 8 && age < 0; ++tries) {
        age = parent_age - static_cast<std::int64_t>(kYoungestMother + t.gap.sample(rng));
      }
      if (age >= 0) {
        member.role = member.male ? Role::Son : Role::Daughter;
        member.age = clamp_age(age);
        member.middle_name = maiden;
        member.civil_status = static_cast<std::int32_t>(
            member.age < 18 || rng.uniform_u32(0, 9) < 9
                ? t.single
                : static_cast<std::size_t>(draw_civil_status(rng, member.age, member.male, muslim)));
        ++children;
        continue;
      }
      role = 4;  // no child fits the parents' ages: another relative
    }
    if (role == 1 && head.age < 36) role = 4;  // too young for grandchildren
    switch (role) {
      case 1:
        member.role = member.male ? Role::Grandson : Role::Granddaughter;
        member.age = rng.uniform_u32(0, std::min<std::uint32_t>(head.age - 36, 25));
        break;
      case 2:
        member.role = member.male ? Role::Father : Role::Mother;
        member.age = clamp_age(head.age + 20 + rng.uniform_u32(0, 20));
        // A father's surname is the head's own birth surname: a married woman's middle name.
        member.last_name = head.male ? family : static_cast<std::uint32_t>(head.middle_name);
        if (member.male) member.middle_name = -1;
        else member.middle_name = static_cast<std::int64_t>(surname(member.last_name));
        break;
      case 3:
        member.role = member.male ? Role::Brother : Role::Sister;
        member.age = std::max<std::uint32_t>(1, clamp_age(static_cast<std::int64_t>(head.age) - 12 +
                                                          rng.uniform_u32(0, 24)));
        member.last_name = head.male ? family : static_cast<std::uint32_t>(head.middle_name);
        member.middle_name = head.male ? head.middle_name : -1;
        break;
      case 5:
        member.role = Role::NonRelative;
        member.age = rng.uniform_u32(15, 60);
        member.last_name = surname(family);
        break;
      default:
        member.role = Role::OtherRelative;
        member.age = rng.uniform_u32(1, 80);
        member.last_name = surname(-1);
        break;
    }
    member.civil_status = draw_civil_status(rng, member.age, member.male, muslim);
  }
  // Children eldest first, after the head and the spouse.
  const std::uint32_t first_child = couple ? 2 : 1;
  std::stable_sort(out.members.begin() + first_child, out.members.begin() + out.size,
                   [](const FamilyMember& a, const FamilyMember& b) {
                     const bool a_child = a.role == Role::Son || a.role == Role::Daughter;
                     const bool b_child = b.role == Role::Son || b.role == Role::Daughter;
                     if (a_child != b_child) return a_child;
                     return a_child && a.age > b.age;
                   });
  (void)children;
}

}  // namespace tarvo::census
