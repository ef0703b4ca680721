// tests/cpp/keyed_rng.hpp: generators with a fixed key, so that two of them produce the same words.
#pragma once

#include <cstddef>
#include <cstdint>

#include "random.hpp"

namespace tarvo::test_support {

// The first key is 0, 1, ..., 31, and the rekey after every 64 KiB takes a fixed key instead of
// the operating system's, so two generators made here agree forever: one is drawn through the
// code under test, the other predicts its draws.
inline bool fixed_rekey(Key& key) noexcept {
  key.fill(0xA5);
  return true;
}

inline Rng keyed_rng() {
  Key key;
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i);
  return Rng(key, fixed_rekey);
}

// keyed_rng() starts over with the same key at every rekey, so its words repeat every 64 KiB:
// fine for predicting draws, useless for counting repeats over a million rows. This one takes
// the next key of a fixed sequence at each rekey instead, so it never repeats and is the same in
// every run. The sequence is per thread and restarts here: one such generator per thread at a time.
inline thread_local std::uint64_t sequence_rekeys = 0;

inline bool sequence_rekey(Key& key) noexcept {
  key.fill(0x3C);
  std::uint64_t n = ++sequence_rekeys;
  for (std::size_t i = 0; i < 8; ++i, n >>= 8) key[i] = static_cast<std::uint8_t>(n);
  return true;
}

inline Rng sequence_keyed_rng() {
  sequence_rekeys = 0;
  Key key;
  key.fill(0x3C);
  return Rng(key, sequence_rekey);
}

}  // namespace tarvo::test_support
