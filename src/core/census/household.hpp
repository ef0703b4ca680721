// src/core/census/household.hpp: a household as the 2020 census finds them: a head, a spouse, children, kin.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "census/figures.hpp"
#include "census/population.hpp"
#include "census/religion.hpp"
#include "census/resident.hpp"
#include "census/surnames.hpp"
#include "providers/address.hpp"

namespace tarvo::census {

// A member's relationship to the head, as the census questionnaire asks it (sons and
// daughters, and so on, by sex).
enum class Role : std::uint8_t {
  Head, Spouse, Son, Daughter, Grandson, Granddaughter, Father, Mother, Brother, Sister,
  OtherRelative, NonRelative,
};
inline constexpr std::array<std::string_view, 12> kRoleLabels = {
    "Head", "Spouse", "Son", "Daughter", "Grandson", "Granddaughter", "Father", "Mother",
    "Brother", "Sister", "Other relative", "Non-relative"};

inline constexpr std::uint32_t kLargestHousehold = 15;

// What the family decides of each member; the member's own row draws the rest (given name,
// birth date within the year of its age).
struct FamilyMember {
  Role role;
  bool male;
  std::uint32_t age;
  std::int32_t civil_status;  // into preference().civil_status
  std::uint32_t last_name;    // into census_surnames().names
  std::int64_t middle_name;   // into census_surnames().names; -1 draws one
};

struct Family {
  std::uint32_t religion = 0;
  std::uint32_t size = 0;
  std::array<FamilyMember, kLargestHousehold> members{};
};

// The size of household p: drawn from the households table's own size stream (word p % 4 of
// block {p / 4, 0, kHouseholdSizeStream, 2}), from the 2020 census's household sizes, so the
// households table (household_size) and its members' table agree on it.
inline constexpr std::uint64_t kHouseholdSizeStream = 5;
inline constexpr std::uint64_t kFamilyStream = 6;

// Draws the family of a household of `size` people at `place` (see household.cpp for the rules
// and the figures they rest on). Members come in order: the head, the spouse, the children
// eldest first, then other kin and non-relatives.
void draw_family(CounterRng& rng, const Address& place, std::uint32_t size, Family& out);

}  // namespace tarvo::census
