// src/core/census/street.hpp: a street line, "123 Rizal St." or "Blk 4 Lot 12 Sampaguita St., Phase 2".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "census/weighted_texts.hpp"
#include "providers/short_text.hpp"

namespace tarvo::census {

struct CensusStreets {
  WeightedTexts town;         // streets of poblaciones and barangays
  WeightedTexts subdivision;  // streets of private subdivisions, written with Blk and Lot
  std::size_t longest = 0;  // the longest street line these names can give
};

// Reads data/census_streets.json (written by tools/build_census_streets.py); Panic "Invalid
// census_streets.json format: ..." on any fault, a name too long for StreetText included.
CensusStreets parse_census_streets(std::string_view padded_text);
const CensusStreets& census_streets();

using StreetText = ShortText<64>;

namespace detail {

// value in decimal without padding.
inline void append_number(StreetText& text, std::uint32_t value) {
  std::size_t width = 1;
  for (std::uint32_t rest = value / 10; rest > 0; rest /= 10) ++width;
  text.digits(value, width);
}

}  // namespace detail

// How a street line is written, a modelling choice (no survey of address forms is published):
// a quarter of lines are subdivision lots, "Blk 4 Lot 12 Sampaguita St." with blocks 1..40 and
// lots 1..60, two in five of them with ", Phase 1".. ", Phase 5" (the form of the subdivisions
// that developers build in phases); the rest are a house number and a town street, "123 Rizal
// St.", the number 1..99 for 55% of lines, 100..999 for 35% and 1000..2999 for 10% (city streets
// number into the thousands), one in ten with a unit letter ("12-B"), and one street in twelve
// an avenue ("Ave."). Draws: the form (0..99), then for a lot: block, lot, the name's two alias
// words, the phase (0..99, and 1..5 when there is one); for a house: the tier (0..99), the
// number, the letter (0..99, and A..D), the name's two alias words, the suffix (0..11).
template <class R>
StreetText census_street(R& rng, const CensusStreets& streets) {
  StreetText text;
  if (rng.uniform_u32(0, 99) < 25) {
    text.append("Blk ");
    detail::append_number(text, rng.uniform_u32(1, 40));
    text.append(" Lot ");
    detail::append_number(text, rng.uniform_u32(1, 60));
    text.push(' ').append(streets.subdivision.sample(rng));
    text.append(" St.");
    if (rng.uniform_u32(0, 99) < 40) {
      text.append(", Phase ");
      detail::append_number(text, rng.uniform_u32(1, 5));
    }
    return text;
  }
  const std::uint32_t tier = rng.uniform_u32(0, 99);
  const std::uint32_t number = tier < 55   ? rng.uniform_u32(1, 99)
                               : tier < 90 ? rng.uniform_u32(100, 999)
                                           : rng.uniform_u32(1000, 2999);
  detail::append_number(text, number);
  if (rng.uniform_u32(0, 99) < 10) {
    text.push('-').push(static_cast<char>('A' + rng.uniform_u32(0, 3)));
  }
  text.push(' ').append(streets.town.sample(rng));
  text.append(rng.uniform_u32(0, 11) == 0 ? " Ave." : " St.");
  return text;
}

template <class R>
StreetText census_street(R& rng) {
  return census_street(rng, census_streets());
}

}  // namespace tarvo::census
