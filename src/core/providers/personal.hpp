// src/core/providers/personal.hpp: name and preference lists, the per-row Person and personal values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "providers/clock.hpp"
#include "random/counter_rng.hpp"
#include "random.hpp"

namespace tarvo {

struct LastNames {
  std::vector<std::string> surnames;
};

struct FirstNames {
  std::vector<std::string> male;
  std::vector<std::string> female;
};

struct Preference {
  std::vector<std::string> civil_status;
  std::vector<std::string> blood_type;
  std::vector<std::string> domains;
};

// The process-wide records, parsed from the compiled-in documents on first use and kept for
// good. A document that does not parse is a tarvo::Panic "Invalid last_names.json format: ...",
// now and at every later call.
const LastNames& last_names();
const FirstNames& first_names();
const Preference& preference();

// The parsers behind the accessors, over any text followed by json::kPadding readable bytes;
// they throw the same Panic as the accessors.
LastNames parse_last_names(std::string_view padded_text);
FirstNames parse_first_names(std::string_view padded_text);
Preference parse_preference(std::string_view padded_text);

inline constexpr std::string_view kMale = "Male";
inline constexpr std::string_view kFemale = "Female";

// One row's person. The views point into the process-wide lists (or at kMale/kFemale) and stay
// valid for the life of the process; the indices say which list entry was drawn, so a caller
// can reuse one converted object per entry.
struct Person {
  bool male;
  std::uint32_t first_index;  // into first_names().male or .female, by `male`
  std::uint32_t last_index;   // into last_names().surnames
  std::string_view gender;
  std::string_view first_name;
  std::string_view last_name;
  char birthdate_text[10];  // YYYY-MM-DD
  std::uint32_t age;        // 18..70, the exact age on the `today` of the draw
  CivilDate birth;

  std::string_view birthdate() const noexcept { return {birthdate_text, sizeof birthdate_text}; }
};

// Draws, in this order: gender (coin), first name, last name, age 18..70, month 1..12, day
// 1..month length (February always 28). The birth year is today.year - age, one less when
// (month, day) is still to come this year, so `age` is the person's age on `today`.
// `today` comes from today_utc() in production.
// With `youngest` and `oldest`, the age is drawn from that range instead (a data set's ages);
// 18 and 70 draw exactly as above.
template <typename R>
Person draw_person(R& rng, CivilDate today, std::uint32_t youngest = 18,
                   std::uint32_t oldest = 70);

// "First Last": exactly one space between, nothing else added. The first form replaces `out`
// (reusing its capacity across rows).
void full_name(const Person& person, std::string& out);
std::string full_name(const Person& person);

// first.last@domain with the domain drawn first, both names lower-cased with spaces and full
// stops removed. Lower-casing is ASCII only: exact for the stored name lists, which are plain
// ASCII; any other byte passes through unchanged. The first form replaces `out`.
template <typename R>
void email(R& rng, std::string_view first_name, std::string_view last_name, std::string& out);
template <typename R>
std::string email(R& rng, std::string_view first_name, std::string_view last_name);

// Uniform picks from preference(); the _index forms return the position in the list.
template <typename R>
std::size_t civil_status_index(R& rng);
template <typename R>
std::string_view civil_status(R& rng);
template <typename R>
std::size_t blood_type_index(R& rng);
template <typename R>
std::string_view blood_type(R& rng);

}  // namespace tarvo
