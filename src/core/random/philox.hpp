// src/core/random/philox.hpp: the Philox4x64-10 block function, a counter-based generator.
#pragma once

#include <array>
#include <cstdint>

#include "random/wide_multiply.hpp"

namespace tarvo {

// Philox4x64 with 10 rounds (Salmon et al., "Parallel random numbers: as easy as 1, 2, 3", 2011),
// the generator numpy ships as numpy.random.Philox: four 64-bit words out for a 256-bit counter
// and a 128-bit key, with no state between calls, so any position of any stream is one call
// away. Output for (key, counter) equals numpy's Philox(key=key, counter=counter - 1) first block,
// since numpy increments its counter before each block.
using PhiloxKey = std::array<std::uint64_t, 2>;
using PhiloxCounter = std::array<std::uint64_t, 4>;
using PhiloxBlock = std::array<std::uint64_t, 4>;

namespace detail {

inline constexpr std::uint64_t kPhiloxM0 = 0xD2E7470EE14C6C93u;
inline constexpr std::uint64_t kPhiloxM1 = 0xCA5A826395121157u;
inline constexpr std::uint64_t kPhiloxW0 = 0x9E3779B97F4A7C15u;  // golden ratio
inline constexpr std::uint64_t kPhiloxW1 = 0xBB67AE8584CAA73Bu;  // sqrt(3) - 1

}  // namespace detail

// Inline on purpose: the engine calls it once per cell, and the call would cost as much as a
// round.
inline PhiloxBlock philox4x64_10(PhiloxCounter c, PhiloxKey k) noexcept {
  for (int round = 0; round < 10; ++round) {
    if (round > 0) {
      k[0] += detail::kPhiloxW0;
      k[1] += detail::kPhiloxW1;
    }
    std::uint64_t hi0, lo0, hi1, lo1;
    detail::multiply_wide(detail::kPhiloxM0, c[0], hi0, lo0);
    detail::multiply_wide(detail::kPhiloxM1, c[2], hi1, lo1);
    c = {hi1 ^ c[1] ^ k[0], lo1, hi0 ^ c[3] ^ k[1], lo0};
  }
  return c;
}

}  // namespace tarvo
