// src/core/random/sampling.hpp: uniform integers, reals and coins from any source of 32-bit words.
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "random/wide_multiply.hpp"

namespace tarvo {

struct U128 {
  std::uint64_t low, high;
};

namespace detail {

// Out of line so the inline sampling paths stay small; both throw tarvo::Panic.
[[noreturn]] void throw_empty_range();
[[noreturn]] void throw_non_finite();

}  // namespace detail

// The sampling operations, shared by every word source through CRTP: Source supplies
// draw_u32() and draw_u64(), and each operation here consumes exactly the words its comment
// says, whichever source feeds it. The per-thread generator and the counter-based one must give
// the same value for the same words, so there is one copy of each algorithm.
template <typename Source>
class Sampling {
 public:
  U128 draw_u128() {
    const std::uint64_t low = self().draw_u64();
    const std::uint64_t high = self().draw_u64();
    return U128{low, high};
  }

  bool coin() { return self().draw_u64() < (std::uint64_t{1} << 63); }

  std::uint32_t uniform_u32(std::uint32_t low, std::uint32_t high) {  // inclusive
    if (high < low) detail::throw_empty_range();
    return low + sample_span32(high - low + 1u);
  }

  std::int32_t uniform_i32(std::int32_t low, std::int32_t high) {  // inclusive
    if (high < low) detail::throw_empty_range();
    const auto ulow = static_cast<std::uint32_t>(low);
    const std::uint32_t span = static_cast<std::uint32_t>(high) - ulow + 1u;
    if (span == 0) {
      return static_cast<std::int32_t>(self().draw_u32());  // the raw word, not offset by low
    }
    return static_cast<std::int32_t>(ulow + sample_span32(span));
  }

  // Inclusive, over the whole signed 64-bit range: one 64-bit word, a second only to settle
  // the carry (never a rejection loop).
  std::int64_t uniform_i64(std::int64_t low, std::int64_t high) {
    if (high < low) detail::throw_empty_range();
    const auto ulow = static_cast<std::uint64_t>(low);
    const std::uint64_t span = static_cast<std::uint64_t>(high) - ulow + 1u;
    return static_cast<std::int64_t>(ulow + sample_span64(span));
  }

  std::size_t uniform_index(std::size_t n) {  // [0, n); n == 0 returns 0 and draws nothing
    if (n == 0) return 0;
    if (n <= 0xFFFFFFFFu) return sample_span32(static_cast<std::uint32_t>(n));
    return static_cast<std::size_t>(sample_span64(n));
  }

  double uniform_real(double low, double high) {
    if (!(low < high)) detail::throw_empty_range();
    const double scale = high - low;
    if (!std::isfinite(scale)) detail::throw_non_finite();
    // Top 52 bits as the mantissa of a double in [1, 2), then shifted down to [0, 1).
    const double unit =
        std::bit_cast<double>((self().draw_u64() >> 12) | std::uint64_t{0x3FF0000000000000}) -
        1.0;
    // Two separate roundings, never a fused multiply-add: the build is ISO C++ (no GNU
    // extensions), which keeps GCC from contracting; clang needs the pragma, which must open a
    // compound statement.
    {
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif
      const double scaled = scale * unit;
      return scaled + low;
    }
  }

 private:
  Source& self() { return static_cast<Source&>(*this); }

  // The inclusive-range method for span = high - low + 1 (mod 2^32): widening multiply with at
  // most one extra word to settle the carry. Span 0 (the whole 32-bit range) gives one raw word.
  std::uint32_t sample_span32(std::uint32_t span) {
    if (span == 0) return self().draw_u32();
    const std::uint64_t product = std::uint64_t{self().draw_u32()} * span;
    std::uint32_t result = static_cast<std::uint32_t>(product >> 32);
    const std::uint32_t fraction = static_cast<std::uint32_t>(product);
    if (fraction > 0u - span) {
      const std::uint32_t carry_in =
          static_cast<std::uint32_t>((std::uint64_t{self().draw_u32()} * span) >> 32);
      result += static_cast<std::uint32_t>(fraction + carry_in < fraction);
    }
    return result;
  }

  // The same method on 64-bit words; span 0 stands for 2^64.
  std::uint64_t sample_span64(std::uint64_t span) {
    if (span == 0) return self().draw_u64();
    std::uint64_t result, fraction;
    detail::multiply_wide(self().draw_u64(), span, result, fraction);
    if (fraction > 0u - span) {
      std::uint64_t carry_in, unused;
      detail::multiply_wide(self().draw_u64(), span, carry_in, unused);
      result += static_cast<std::uint64_t>(fraction + carry_in < fraction);
    }
    return result;
  }
};

}  // namespace tarvo
