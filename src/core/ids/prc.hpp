// src/core/ids/prc.hpp: Professional Regulation Commission licence (registration) numbers.
#pragma once

#include <cstddef>

#include "ids/id_text.hpp"

namespace tarvo::ids {

inline constexpr std::size_t kPrcLicenseLength = 7;  // "0123456"

// The PRC's registration number, printed as "Registration No." on the professional ID card:
// seven digits, zero-padded, given in sequence within each profession's register. The largest
// registers (professional teachers, nurses) hold one to two million names, so numbers run
// 0000001..1999999. Confidence: the seven-digit form high, the range medium. One draw.
template <class R>
IdLikeText prc_license_number(R& rng) {
  IdLikeText text;
  text.digits(rng.uniform_u32(1, 1'999'999), 7);
  return text;
}

}  // namespace tarvo::ids
