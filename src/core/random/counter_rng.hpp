// src/core/random/counter_rng.hpp: the words of one (row, purpose) of a seeded data set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "random/philox.hpp"
#include "random/sampling.hpp"

namespace tarvo {

// A short-lived source for one cell (or one row's person, or its address): block b of stream s
// at row r is Philox4x64-10 of the counter {r, b, s, 0} under the data set's key. Nothing is
// carried from one row to the next, so any row is computed alone, in any order, on any thread,
// with the same words. Blocks are made on demand: most cells need one, some none.
class CounterRng : public Sampling<CounterRng> {
 public:
  CounterRng(const PhiloxKey& key, std::uint64_t row, std::uint64_t stream) noexcept
      : key_(key), row_(row), stream_(stream) {}

  // With block 0 already made: the drawer makes the first blocks of all of a row's streams in
  // one loop, where their multiplications overlap instead of waiting on each other.
  CounterRng(const PhiloxKey& key, std::uint64_t row, std::uint64_t stream,
             const PhiloxBlock& first) noexcept
      : key_(key), row_(row), stream_(stream) {
    take(first);
  }

  // With blocks 0 and 1 made, for a stream that nearly always needs both (the census person).
  CounterRng(const PhiloxKey& key, std::uint64_t row, std::uint64_t stream,
             const PhiloxBlock& first, const PhiloxBlock& second) noexcept
      : key_(key), row_(row), stream_(stream), pending_(second), has_pending_(true) {
    take(first);
  }

  static PhiloxBlock block(const PhiloxKey& key, std::uint64_t row, std::uint64_t stream,
                           std::uint64_t index) noexcept {
    return philox4x64_10({row, index, stream, 0}, key);
  }
  static PhiloxBlock first_block(const PhiloxKey& key, std::uint64_t row,
                                 std::uint64_t stream) noexcept {
    return block(key, row, stream, 0);
  }

  // Each 64-bit output word is used low half first, so draw_u64 of a fresh block is its first
  // output word exactly.
  std::uint32_t draw_u32() {
    if (position_ >= kWords) [[unlikely]] refill();
    return words_[position_++];
  }

  std::uint64_t draw_u64() {
    if (position_ + 2 > kWords) [[unlikely]] {
      // An odd word left over is skipped, so a 64-bit draw never straddles two blocks.
      refill();
    }
    const std::uint64_t low = words_[position_];
    const std::uint64_t high = words_[position_ + 1];
    position_ += 2;
    return (high << 32) | low;
  }

  std::uint64_t blocks_made() const noexcept { return block_; }

 private:
  static constexpr std::size_t kWords = 8;

  void refill() noexcept {
    if (has_pending_) {
      has_pending_ = false;
      take(pending_);
      return;
    }
    take(philox4x64_10({row_, block_, stream_, 0}, key_));
  }

  void take(const PhiloxBlock& block) noexcept {
    for (std::size_t i = 0; i < 4; ++i) {
      words_[2 * i] = static_cast<std::uint32_t>(block[i]);
      words_[2 * i + 1] = static_cast<std::uint32_t>(block[i] >> 32);
    }
    ++block_;
    position_ = 0;
  }

  PhiloxKey key_;
  std::uint64_t row_, stream_;
  std::uint64_t block_ = 0;
  std::size_t position_ = kWords;
  std::uint32_t words_[kWords];
  PhiloxBlock pending_{};
  bool has_pending_ = false;
};

}  // namespace tarvo
