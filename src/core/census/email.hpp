// src/core/census/email.hpp: a personal address at a free mail provider, made from the names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "census/figures.hpp"
#include "census/person.hpp"

namespace tarvo::census {

// How the local part is made from the names.
enum class LocalName : std::uint8_t {
  kFirstDotLast,           // juan.delacruz
  kFirstLast,              // juandelacruz
  kInitialDotLast,         // j.delacruz
  kInitialLast,            // jdelacruz
  kFirstUnderscoreLast,    // juan_delacruz (juan.delacruz at Gmail, which takes no underscore)
  kFirstDotMiddleDotLast,  // juan.s.delacruz
  kFirstMiddleLast,        // juansdelacruz
  kLastDotFirst,           // delacruz.juan
  kLastFirst,              // delacruzjuan
  kFirstOnly,              // juan, always with digits
};

enum class Digits : std::uint8_t { kNone, kBirthYear, kBirthYearShort, kRandom };

struct EmailShape {
  std::uint32_t domain;  // index into census_figures().domains
  LocalName name;
  bool with_suffix;  // "jr", "iii" after the names
  Digits digits;
  std::uint32_t number;  // kRandom: below 10^width, written zero-padded
  std::uint32_t width;   // kRandom: 1..4
};

namespace detail {

// Percent shares, a modelling choice. A mail provider hands out each address once, so the more
// people a pattern fits (a first name alone, an initial and a surname), the more digits its owners
// had to add to find one free: the digits are drawn by the pattern's kind, which keeps a million
// people of a few hundred common names from meeting at the same address.
inline constexpr std::array<std::uint32_t, 10> kLocalNamePercent = {25, 21, 4, 6, 6,
                                                                    10, 10, 7, 7, 4};
// The kind of each LocalName: 0 full names, 1 with a middle initial, 2 an initial, 3 first only.
inline constexpr std::array<std::uint8_t, 10> kLocalNameKind = {0, 0, 2, 2, 0, 1, 1, 0, 0, 3};
// By kind: no digits, birth year, its last two digits, then 1, 2, 3 and 4 random digits.
inline constexpr std::array<std::array<std::uint32_t, 7>, 4> kDigitsPercent = {{
    {6, 20, 14, 4, 20, 22, 14},
    {40, 18, 14, 4, 12, 8, 4},
    {0, 15, 10, 0, 15, 35, 25},
    {0, 10, 0, 0, 0, 40, 50},
}};
inline constexpr std::array<std::uint32_t, 5> kPowerOfTen = {1, 10, 100, 1000, 10000};

template <std::size_t N>
constexpr bool sums_to_100(const std::array<std::uint32_t, N>& shares) {
  std::uint32_t total = 0;
  for (std::uint32_t share : shares) total += share;
  return total == 100;
}
static_assert(sums_to_100(kLocalNamePercent));
static_assert(sums_to_100(kDigitsPercent[0]) && sums_to_100(kDigitsPercent[1]) &&
              sums_to_100(kDigitsPercent[2]) && sums_to_100(kDigitsPercent[3]));

// The outcome for each of the 100 values of a draw 0..99, so a pick is one load rather than a
// walk along the shares.
template <std::size_t N>
constexpr std::array<std::uint8_t, 100> by_percent(const std::array<std::uint32_t, N>& shares) {
  std::array<std::uint8_t, 100> outcome{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < N; ++i) {
    for (std::uint32_t k = 0; k < shares[i]; ++k) outcome[at++] = static_cast<std::uint8_t>(i);
  }
  return outcome;
}

inline constexpr std::array<std::uint8_t, 100> kLocalNameByPercent = by_percent(kLocalNamePercent);
inline constexpr std::array<std::array<std::uint8_t, 100>, 4> kDigitsByPercent = {
    by_percent(kDigitsPercent[0]), by_percent(kDigitsPercent[1]), by_percent(kDigitsPercent[2]),
    by_percent(kDigitsPercent[3])};

}  // namespace detail

// Writes the address for `shape` into `out` (replacing it): lower-case ASCII, the names folded
// (ñ to n, accents dropped, spaces, full stops and other marks removed). A first name alone never
// goes without digits, and a local part that would be shorter than six characters takes the birth
// year in place of its digits.
void write_email(const CensusPerson& person, const EmailShape& shape, std::string& out);

// Draws, in this order: the domain (table draw), the local-part pattern, the digits kind, the
// digits themselves for random digits, and for a man with a suffix a coin for writing it.
template <class R>
void census_email(R& rng, const CensusPerson& person, std::string& out) {
  EmailShape shape{};
  shape.domain = static_cast<std::uint32_t>(census_figures().domain.sample(rng));
  shape.name = static_cast<LocalName>(detail::kLocalNameByPercent[rng.uniform_u32(0, 99)]);
  const std::size_t kind = detail::kLocalNameKind[static_cast<std::size_t>(shape.name)];
  const std::size_t digits = detail::kDigitsByPercent[kind][rng.uniform_u32(0, 99)];
  if (digits >= 3) {
    shape.digits = Digits::kRandom;
    shape.width = static_cast<std::uint32_t>(digits - 2);
    shape.number = rng.uniform_u32(0, detail::kPowerOfTen[shape.width] - 1);
  } else {
    shape.digits = static_cast<Digits>(digits);
  }
  shape.with_suffix = !person.suffix.empty() && rng.coin();
  write_email(person, shape, out);
}

}  // namespace tarvo::census
