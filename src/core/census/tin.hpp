// src/core/census/tin.hpp: an individual's Taxpayer Identification Number, head-office branch.
#pragma once

#include <cstdint>

#include "providers/government.hpp"

namespace tarvo::census {

// "123-456-789-000". The BIR's format (RMO 34-98): nine digits whose first is 1..9 for an
// individual (0 marks a corporation), then a three-digit branch code that is 000 for an
// individual with no registered branch, the default when it is not given. The ninth digit is a
// check digit whose algorithm the BIR does not publish, so it is drawn like the rest. One draw.
template <class R>
IdText census_tin(R& rng) {
  const std::uint32_t number = rng.uniform_u32(100'000'000, 999'999'999);
  IdText text;
  text.digits(number / 1'000'000, 3).push('-').digits(number / 1000 % 1000, 3).push('-');
  text.digits(number % 1000, 3).append("-000");
  return text;
}

}  // namespace tarvo::census
