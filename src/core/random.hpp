// src/core/random.hpp: the per-thread ChaCha12 generator and the sampling operations built on it.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace tarvo {

using Key = std::array<std::uint8_t, 32>;
using KeySource = bool (*)(Key& key) noexcept;  // false when the OS source fails

// Fills key with 32 bytes from the operating system's secure random source; safe to call from
// any thread at once. Returns false when the source reports an error.
bool os_random_key(Key& key) noexcept;

struct U128 {
  std::uint64_t low, high;
};

namespace detail {

inline constexpr std::size_t kBufferWords = 64;  // four ChaCha blocks per refill
inline constexpr std::uint64_t kRekeyBlocks = 1024;

// One ChaCha12 block (64-bit counter, 64-bit stream 0): 16 output words for the given key words.
void chacha12_block_scalar(const std::array<std::uint32_t, 8>& key, std::uint64_t counter,
                           std::uint32_t* out16) noexcept;
// Four consecutive blocks, counter .. counter + 3, into out64[0..63]; vectorised where the
// compiler allows it, word-for-word identical to four scalar blocks.
void chacha12_blocks4(const std::array<std::uint32_t, 8>& key, std::uint64_t counter,
                      std::uint32_t* out64) noexcept;

// Out of line so the inline sampling paths stay small; both throw tarvo::Panic.
[[noreturn]] void throw_empty_range();
[[noreturn]] void throw_non_finite();

}  // namespace detail

class Rng {
 public:
  // Keys from source; Panic "could not initialize ThreadRng: unexpected situation" on failure.
  explicit Rng(KeySource source = os_random_key);
  // A given first key (tests); later rekeys use source.
  explicit Rng(const Key& key, KeySource source = os_random_key);

  std::uint32_t draw_u32();
  std::uint64_t draw_u64();
  U128 draw_u128();
  bool coin();
  std::uint32_t uniform_u32(std::uint32_t low, std::uint32_t high);  // inclusive
  std::int32_t uniform_i32(std::int32_t low, std::int32_t high);     // inclusive
  std::size_t uniform_index(std::size_t n);  // [0, n); n == 0 returns 0 and draws nothing
  double uniform_real(double low, double high);

  std::size_t position() const { return position_; }  // 0..64
  std::uint64_t block_counter() const { return counter_; }

  // Drops what is buffered and takes a fresh key from the source at the next draw. For a
  // process made by fork(), whose copy of the generator would otherwise repeat the parent's.
  void rekey_at_next_draw() noexcept {
    position_ = detail::kBufferWords;
    counter_ = detail::kRekeyBlocks;
  }

 private:
  void set_key(const Key& key) noexcept;
  void refill();
  std::uint64_t draw_u64_across_refill();
  std::size_t uniform_index_wide(std::uint64_t n);
  // The inclusive-range method for span = high - low + 1 (mod 2^32): widening multiply with at
  // most one extra word to settle the carry, never a rejection loop. Span 0 (the whole 32-bit
  // range) gives one raw word.
  std::uint32_t sample_span32(std::uint32_t span);

  alignas(64) std::array<std::uint32_t, detail::kBufferWords> buffer_{};
  std::array<std::uint32_t, 8> key_{};
  std::uint64_t counter_ = 0;
  std::size_t position_ = detail::kBufferWords;
  KeySource source_;
};

// The calling thread's generator, created (and keyed from the OS) on first use and destroyed
// when the thread ends.
Rng& thread_rng();

// Hot paths below are inline on purpose: a draw between refills is a bounds check and a load,
// and a call per word would cost more than the keystream itself.

inline std::uint32_t Rng::draw_u32() {
  if (position_ >= detail::kBufferWords) [[unlikely]] {
    refill();
  }
  return buffer_[position_++];
}

inline std::uint64_t Rng::draw_u64() {
  if (position_ + 2 > detail::kBufferWords) [[unlikely]] {
    return draw_u64_across_refill();
  }
  const std::uint64_t low = buffer_[position_];
  const std::uint64_t high = buffer_[position_ + 1];
  position_ += 2;
  return (high << 32) | low;
}

inline U128 Rng::draw_u128() {
  const std::uint64_t low = draw_u64();
  const std::uint64_t high = draw_u64();
  return U128{low, high};
}

inline bool Rng::coin() { return draw_u64() < (std::uint64_t{1} << 63); }

inline std::uint32_t Rng::sample_span32(std::uint32_t span) {
  if (span == 0) {
    return draw_u32();
  }
  const std::uint64_t product = std::uint64_t{draw_u32()} * span;
  std::uint32_t result = static_cast<std::uint32_t>(product >> 32);
  const std::uint32_t fraction = static_cast<std::uint32_t>(product);
  if (fraction > 0u - span) {
    const std::uint32_t carry_in =
        static_cast<std::uint32_t>((std::uint64_t{draw_u32()} * span) >> 32);
    result += static_cast<std::uint32_t>(fraction + carry_in < fraction);
  }
  return result;
}

inline std::uint32_t Rng::uniform_u32(std::uint32_t low, std::uint32_t high) {
  if (high < low) {
    detail::throw_empty_range();
  }
  return low + sample_span32(high - low + 1u);
}

inline std::int32_t Rng::uniform_i32(std::int32_t low, std::int32_t high) {
  if (high < low) {
    detail::throw_empty_range();
  }
  const auto ulow = static_cast<std::uint32_t>(low);
  const std::uint32_t span = static_cast<std::uint32_t>(high) - ulow + 1u;
  if (span == 0) {
    return static_cast<std::int32_t>(draw_u32());  // the raw word, not offset by low
  }
  return static_cast<std::int32_t>(ulow + sample_span32(span));
}

inline std::size_t Rng::uniform_index(std::size_t n) {
  if (n == 0) {
    return 0;
  }
  if (n <= 0xFFFFFFFFu) {
    return sample_span32(static_cast<std::uint32_t>(n));
  }
  return uniform_index_wide(n);
}

inline double Rng::uniform_real(double low, double high) {
  if (!(low < high)) {
    detail::throw_empty_range();
  }
  const double scale = high - low;
  if (!std::isfinite(scale)) {
    detail::throw_non_finite();
  }
  // Top 52 bits as the mantissa of a double in [1, 2), then shifted down to [0, 1).
  const double unit =
      std::bit_cast<double>((draw_u64() >> 12) | std::uint64_t{0x3FF0000000000000}) - 1.0;
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

}  // namespace tarvo
