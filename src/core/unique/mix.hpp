// src/core/unique/mix.hpp: the SplitMix64 finaliser, a keyless bijection of 64-bit words.
#pragma once

#include <cstdint>

namespace tarvo::unique::detail {

inline constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15u;  // 2^64 / golden ratio, odd
inline constexpr std::uint64_t kMix1 = 0xBF58476D1CE4E5B9u;
inline constexpr std::uint64_t kMix2 = 0x94D049BB133111EBu;

// Every step (xor with a right shift, multiply by an odd constant) can be undone, so distinct
// words stay distinct; each output bit depends on every input bit.
constexpr std::uint64_t mix64(std::uint64_t z) noexcept {
  z = (z ^ (z >> 30)) * kMix1;
  z = (z ^ (z >> 27)) * kMix2;
  return z ^ (z >> 31);
}

}  // namespace tarvo::unique::detail
