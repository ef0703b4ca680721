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

}  // namespace tarvo::test_support
