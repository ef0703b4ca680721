// bench/bench_random.cpp: keystream and sampling throughput of Rng, median of several runs.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "random.hpp"

namespace {

constexpr int kRuns = 9;
constexpr std::uint64_t kDraws = std::uint64_t{1} << 26;  // 256 MiB of keystream per run

// Seconds per run of body(rng, draws), median over kRuns; the sink keeps the draws alive.
template <typename Body>
double median_seconds(Body body, std::uint64_t& sink) {
  tarvo::Rng rng;
  std::vector<double> seconds;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    sink += body(rng, kDraws);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    seconds.push_back(elapsed.count());
  }
  std::sort(seconds.begin(), seconds.end());
  return seconds[seconds.size() / 2];
}

}  // namespace

int main() {
  std::uint64_t sink = 0;
  const double words_seconds = median_seconds(
      [](tarvo::Rng& rng, std::uint64_t draws) {
        std::uint32_t acc = 0;
        for (std::uint64_t i = 0; i < draws; ++i) {
          acc += rng.draw_u32();
        }
        return std::uint64_t{acc};
      },
      sink);
  const double words_per_second = static_cast<double>(kDraws) / words_seconds;
  std::printf("draw_u32:                    %8.1f M words/s  %6.2f GB/s keystream\n",
              words_per_second / 1e6, words_per_second * 4 / 1e9);

  const double uniform_seconds = median_seconds(
      [](tarvo::Rng& rng, std::uint64_t draws) {
        std::uint32_t acc = 0;
        for (std::uint64_t i = 0; i < draws; ++i) {
          acc += rng.uniform_u32(100000, 999999);
        }
        return std::uint64_t{acc};
      },
      sink);
  std::printf("uniform_u32(100000, 999999): %8.1f M values/s\n",
              static_cast<double>(kDraws) / uniform_seconds / 1e6);

  const double block_seconds = median_seconds(
      [](tarvo::Rng&, std::uint64_t draws) {
        alignas(64) std::uint32_t out[64];
        const std::array<std::uint32_t, 8> key{1, 2, 3, 4, 5, 6, 7, 8};
        std::uint32_t acc = 0;
        for (std::uint64_t counter = 0; counter < draws / 16; counter += 4) {
          tarvo::detail::chacha12_blocks4(key, counter, out);
          acc += out[counter & 63];
        }
        return std::uint64_t{acc};
      },
      sink);
  std::printf("chacha12_blocks4 alone:                        %6.2f GB/s\n",
              static_cast<double>(kDraws) * 4 / block_seconds / 1e9);
  std::printf("(checksum %llu)\n", static_cast<unsigned long long>(sink));
  return 0;
}
