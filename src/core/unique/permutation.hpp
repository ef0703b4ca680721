// src/core/unique/permutation.hpp: a keyed pseudo-random permutation of [0, n), computed per index.
#pragma once

#include <array>
#include <cstdint>

namespace tarvo::unique {

// Maps each i in [0, n) to a distinct value in [0, n), so position i of a data set can own
// value P(i) without any record of which values earlier positions took. The same (n, key)
// gives the same permutation on every machine; any two keys give unrelated-looking ones.
//
// A Feistel network over w bits, the smallest width with 2^w >= n (at least 2): the word splits
// into a high part of ceil(w/2) bits and a low part of floor(w/2) bits, and the rounds take
// turns xoring a keyed function of one part into the other. Each round is its own inverse, so
// the network is a bijection of [0, 2^w) whatever the round function. Indices that land at n or
// above are sent through the network again (cycle walking) until they fall inside: the walk
// stays on the cycle of its start, so the result is a bijection of [0, n). Unequal halves for
// odd w, rather than rounding w up to an even width, keep 2^w below 2n, so the walk averages
// under two passes over [0, n) (exactly 2^w / n); an even width would allow up to four. The
// network depends on the key and w, not n: two sizes of one width under one key agree wherever
// the first pass lands inside both, so columns that must be unrelated need their own keys.
class Permutation {
 public:
  // Eight rounds, as format-preserving ciphers over small domains use: halves can be a few
  // bits wide, where four rounds leave visible structure (see the round function).
  static constexpr int kRounds = 8;

  // n from 1 to 2^64 - 1; the key is 128 bits in two words. Panic when n is 0.
  Permutation(std::uint64_t n, std::uint64_t key_lo, std::uint64_t key_hi);

  // P(i) for i < n; Panic when i >= n.
  std::uint64_t operator()(std::uint64_t i) const;
  std::uint64_t size() const noexcept { return n_; }

 private:
  std::uint64_t network(std::uint64_t x) const noexcept;

  std::uint64_t n_;
  unsigned low_bits_;   // floor(w / 2), 1..32
  unsigned high_bits_;  // ceil(w / 2), 1..32
  std::array<std::uint64_t, kRounds> round_keys_;
};

}  // namespace tarvo::unique
