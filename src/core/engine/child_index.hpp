// src/core/engine/child_index.hpp: which parent a child row belongs to, with a few bytes per thousand parents.
#pragma once

#include <cstdint>
#include <vector>

#include "census/alias_table.hpp"
#include "interrupted.hpp"
#include "random/philox.hpp"

namespace tarvo {

// A one-to-many relation: parent p has count(p) children, drawn from a stream of the parent
// table, and the children of parent 0 come first, then those of parent 1, and so on. Child row
// i belongs to the parent whose children's range holds i. The index keeps only the first child
// of every block of kBlock parents (8 bytes per 1,024 parents, about 8 KB per million); a child
// is found by a binary search over the blocks and a walk that draws the counts of its block
// again, which a thread remembers for the rows that follow.
class ChildIndex {
 public:
  static constexpr std::uint64_t kBlock = 1024;

  // Children per parent: `least` + outcome of `counts`. Every parent's count is drawn once here,
  // a few nanoseconds each, on every core; `stop` is asked between rounds of blocks on the
  // calling thread, and a true answer throws Interrupted. An index that would take more than
  // half of this machine's memory is refused first (DefinitionError, with what it would need).
  ChildIndex(const PhiloxKey& parent_key, std::uint64_t stream, std::uint64_t parents,
             census::AliasTable counts, std::uint32_t least, const StopCheck& stop = {});

  std::uint64_t parents() const noexcept { return parents_; }
  std::uint64_t children() const noexcept { return children_; }
  std::size_t memory_bytes() const noexcept { return starts_.capacity() * sizeof(std::uint64_t); }

  // The count of children of parent p: word p % 4 of block {p / 4, 0, stream, 2} of the parent
  // table, one alias-table draw.
  std::uint32_t count_of(std::uint64_t parent) const noexcept {
    return count_at(key_, stream_, counts_, least_, parent);
  }
  static std::uint32_t count_at(const PhiloxKey& parent_key, std::uint64_t stream,
                                const census::AliasTable& counts, std::uint32_t least,
                                std::uint64_t parent) noexcept;

  struct Place {
    std::uint64_t parent;
    std::uint32_t position;  // 0 for the parent's first child
    std::uint32_t count;     // the parent's children
  };
  // Where child row `child` (below children()) belongs.
  Place locate(std::uint64_t child) const;

 private:
  static void refuse_past_memory(std::uint64_t parents, std::uint64_t bytes);

  PhiloxKey key_;
  std::uint64_t stream_;
  std::uint64_t parents_;
  census::AliasTable counts_;
  std::uint32_t least_;
  std::vector<std::uint64_t> starts_;  // starts_[b]: the first child of parent b * kBlock
  std::uint64_t children_ = 0;
};

}  // namespace tarvo
