// src/core/engine/child_index.cpp: building the block starts, and finding a child's parent.
#include "engine/child_index.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kinds/definition_error.hpp"
#include "panic.hpp"

namespace tarvo {
namespace {

constexpr std::uint64_t kCountLane = 2;

// The counts of the block a thread used last, as running totals: rows are mostly asked for in
// order, so most children are found in the block before.
struct BlockCache {
  const ChildIndex* index = nullptr;
  std::uint64_t block = ~std::uint64_t{0};
  std::array<std::uint64_t, ChildIndex::kBlock + 1> ends{};  // ends[k]: children before parent k
  std::uint64_t parents = 0;
  std::uint64_t last = 0;  // the parent found last in the block: the next row is its or the next's
};

// On the heap, made by a thread's first look-up: the module's thread-local storage stays small
// enough for the C library's static space, which a block of kilobytes would push every thread of
// the process out of (each would then allocate the module's storage on its first use of it).
struct BlockCaches {
  std::array<BlockCache, 4> caches;
  std::size_t next = 0;
};
thread_local std::unique_ptr<BlockCaches> thread_caches;

BlockCaches& block_caches() {
  if (!thread_caches) thread_caches = std::make_unique<BlockCaches>();
  return *thread_caches;
}

}  // namespace

ChildIndex::ChildIndex(const PhiloxKey& parent_key, std::uint64_t stream, std::uint64_t parents,
                       census::AliasTable counts, std::uint32_t least, const StopCheck& stop)
    : key_(parent_key), stream_(stream), parents_(parents), counts_(std::move(counts)), least_(least) {
  const std::uint64_t blocks = parents / kBlock + (parents % kBlock != 0 ? 1 : 0);
  refuse_past_memory(parents, blocks * sizeof(std::uint64_t));
  if (blocks == 0) return;
  starts_.assign(blocks, 0);
  // Each block's children are counted apart (starts_[b + 1] holds block b's until the running
  // sum replaces it), by all cores a round at a time; between rounds the caller may stop.
  const unsigned workers = std::max(1u, std::min(std::thread::hardware_concurrency(), 64u));
  constexpr std::uint64_t kRoundBlocks = 4096;  // about 4 million parents
  for (std::uint64_t first = 0; first < blocks; first += kRoundBlocks * workers) {
    if (stop && stop()) throw Interrupted{};
    const std::uint64_t end = std::min(blocks, first + kRoundBlocks * workers);
    auto count_blocks = [&](unsigned worker) {
      for (std::uint64_t b = first + worker; b < end; b += workers) {
        const std::uint64_t last = std::min(parents, (b + 1) * kBlock);
        std::uint64_t sum = 0;
        PhiloxBlock words{};
        for (std::uint64_t p = b * kBlock; p < last; ++p) {
          if (p % 4 == 0) words = philox4x64_10({p / 4, 0, stream_, kCountLane}, key_);
          sum += least_ + counts_.sample_word(words[p % 4]);
        }
        if (b + 1 < blocks) starts_[b + 1] = sum;
        else children_ = sum;  // the last block's children, added to its start below
      }
    };
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers && first + w < end; ++w) threads.emplace_back(count_blocks, w);
    count_blocks(0);
    for (std::thread& thread : threads) thread.join();
  }
  for (std::uint64_t b = 1; b < blocks; ++b) starts_[b] += starts_[b - 1];
  children_ += starts_[blocks - 1];
}

void ChildIndex::refuse_past_memory(std::uint64_t parents, std::uint64_t bytes) {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || page <= 0) return;
  const auto memory = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page);
  if (bytes <= memory / 2) return;
  auto gib = [](std::uint64_t b) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(b) / (1u << 30));
    return std::string(text);
  };
  throw DefinitionError("parent: the index of " + std::to_string(parents) +
                        " parents would take " + gib(bytes) + ", more than half of this " +
                        "machine's " + gib(memory) + " of memory");
}

std::uint32_t ChildIndex::count_at(const PhiloxKey& parent_key, std::uint64_t stream,
                                   const census::AliasTable& counts, std::uint32_t least,
                                   std::uint64_t parent) noexcept {
  const PhiloxBlock words = philox4x64_10({parent / 4, 0, stream, kCountLane}, parent_key);
  return least + static_cast<std::uint32_t>(counts.sample_word(words[parent % 4]));
}

ChildIndex::Place ChildIndex::locate(std::uint64_t child) const {
  if (child >= children_) throw Panic("a child row past the children of its relation");
  BlockCaches& mine = block_caches();
  auto& caches = mine.caches;
  // Rows come mostly in order: the parent of the row before, or the next one.
  for (BlockCache& cache : caches) {
    if (cache.index != this) continue;
    for (std::uint64_t k = cache.last; k < cache.parents && k <= cache.last + 1; ++k) {
      if (cache.ends[k] <= child && child < cache.ends[k + 1]) {
        cache.last = k;
        return Place{cache.block * kBlock + k, static_cast<std::uint32_t>(child - cache.ends[k]),
                     static_cast<std::uint32_t>(cache.ends[k + 1] - cache.ends[k])};
      }
    }
  }
  const std::uint64_t block =
      static_cast<std::uint64_t>(std::upper_bound(starts_.begin(), starts_.end(), child) -
                                 starts_.begin()) - 1;
  BlockCache* cache = nullptr;
  for (BlockCache& candidate : caches) {
    if (candidate.index == this && candidate.block == block) cache = &candidate;
  }
  if (cache == nullptr) {
    cache = &caches[mine.next++ % caches.size()];
    cache->index = this;
    cache->block = block;
    const std::uint64_t first = block * kBlock;
    cache->parents = std::min(kBlock, parents_ - first);
    std::uint64_t total = starts_[block];
    cache->ends[0] = total;
    PhiloxBlock words{};
    for (std::uint64_t k = 0; k < cache->parents; ++k) {
      const std::uint64_t p = first + k;
      if (k == 0 || p % 4 == 0) words = philox4x64_10({p / 4, 0, stream_, kCountLane}, key_);
      total += least_ + counts_.sample_word(words[p % 4]);
      cache->ends[k + 1] = total;
    }
  }
  // The parent k whose children end past `child`.
  const auto* ends = cache->ends.data();
  const std::uint64_t k =
      static_cast<std::uint64_t>(std::upper_bound(ends + 1, ends + cache->parents + 1, child) -
                                 (ends + 1));
  cache->last = k;
  return Place{block * kBlock + k, static_cast<std::uint32_t>(child - ends[k]),
               static_cast<std::uint32_t>(ends[k + 1] - ends[k])};
}

}  // namespace tarvo
