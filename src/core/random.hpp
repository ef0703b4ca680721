// src/core/random.hpp: the per-thread ChaCha12 generator behind the lenient row API.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "random/sampling.hpp"

namespace tarvo {

using Key = std::array<std::uint8_t, 32>;
using KeySource = bool (*)(Key& key) noexcept;  // false when the OS source fails

// Fills key with 32 bytes from the operating system's secure random source; safe to call from
// any thread at once. Returns false when the source reports an error.
bool os_random_key(Key& key) noexcept;

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

}  // namespace detail

class Rng : public Sampling<Rng> {
 public:
  // Keys from source; Panic "could not initialize ThreadRng: unexpected situation" on failure.
  explicit Rng(KeySource source = os_random_key);
  // A given first key (tests); later rekeys use source.
  explicit Rng(const Key& key, KeySource source = os_random_key);

  std::uint32_t draw_u32();
  std::uint64_t draw_u64();

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

}  // namespace tarvo
