// src/core/ids/passport.hpp: Philippine passport numbers of the current series.
#pragma once

#include <cstddef>

#include "ids/id_text.hpp"

namespace tarvo::ids {

inline constexpr std::size_t kPassportNumberLength = 9;  // "P1234567A"

// The DFA's ePassport issued since August 2016: the letter P, seven digits and a series letter
// ("P0000000A" on the DFA's specimen; Microsoft Purview's "Philippines passport number" lists
// the form as one letter, seven digits, one letter). The older books read two letters and
// seven digits (the maroon machine-readable "EB"/"EC" series of 2009-2016) or one or two
// letters and six digits before that; they were valid for five years, so none is in force now
// and only the current form is drawn. The series letter advances as each run of ten million
// numbers is used up; with about 25-30 million books issued since 2016 (2-4 million a year),
// A to C are drawn. Confidence: the form high, the range of series letters low.
// Two draws: 0..9999999, then one of "ABC".
template <class R>
IdLikeText passport_number(R& rng) {
  IdLikeText text;
  text.push('P').digits(rng.uniform_u32(0, 9'999'999), 7);
  text.push(draw_letter(rng, "ABC"));
  return text;
}

}  // namespace tarvo::ids
