// src/core/random/wide_multiply.hpp: the 128-bit product of two 64-bit words.
#pragma once

#include <cstdint>

namespace tarvo::detail {

inline void multiply_wide(std::uint64_t a, std::uint64_t b, std::uint64_t& high,
                          std::uint64_t& low) {
  __extension__ using Wide = unsigned __int128;
  const Wide product = static_cast<Wide>(a) * b;
  high = static_cast<std::uint64_t>(product >> 64);
  low = static_cast<std::uint64_t>(product);
}

}  // namespace tarvo::detail
