// src/core/engine/relation.hpp: how a child row of one table picks its row of another.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/child_index.hpp"
#include "random/philox.hpp"

namespace tarvo {

struct Plan;

enum class Pick : std::uint8_t {
  Uniform,   // every parent row alike
  Skewed,    // a power law over the parents: a few take most children (Zipf's exponent `skew`)
  Children,  // one to many: each parent has a drawn number of children, in parent order
};

// A named relation of a child table to a parent table. Every column of the child that reads
// the relation reads the same parent row; two relations to one table draw apart.
class Relation {
 public:
  // Uniform or skewed: the parent row comes from the relation's own stream in the child row.
  Relation(std::string name, std::string table, std::shared_ptr<const Plan> parent,
           std::uint64_t parent_rows, Pick pick, double skew, std::uint64_t stream,
           const PhiloxKey& child_key);
  // One to many, over an index of the parent's children.
  Relation(std::string name, std::string table, std::shared_ptr<const Plan> parent,
           std::shared_ptr<const ChildIndex> index);

  struct Parent {
    std::uint64_t row;
    std::uint32_t position = 0;  // among the parent's children (one to many)
    std::uint32_t count = 0;     // the parent's children (one to many)
  };
  // A uniform or skewed pick takes one word: word r % 4 of block {r / 4, 0, stream, 3} of the
  // child table decides child row r, so one block serves four rows.
  Parent parent_of(const PhiloxKey& child_key, std::uint64_t child_row) const;
  // The same from that block, made by the caller (the row drawer keeps it for four rows).
  Parent parent_of(std::uint64_t child_row, const PhiloxBlock& words) const;
  PhiloxBlock block_of(const PhiloxKey& child_key, std::uint64_t child_row) const noexcept {
    return philox4x64_10({child_row / 4, 0, stream_, kPickLane}, child_key);
  }

  static constexpr std::uint64_t kPickLane = 3;

  const std::string& name() const noexcept { return name_; }
  const std::string& table() const noexcept { return table_; }
  const Plan& parent() const noexcept { return *parent_; }
  Pick pick() const noexcept { return pick_; }
  double skew() const noexcept { return skew_; }
  const ChildIndex* index() const noexcept { return index_.get(); }

 private:
  std::string name_, table_;
  std::shared_ptr<const Plan> parent_;
  std::uint64_t parent_rows_ = 0;
  Pick pick_;
  double skew_ = 0;
  std::uint64_t stream_ = 0;
  // Skewed: rank r is parent row (r * spread_ + shift_) mod parent_rows, a bijection that spreads
  // the busiest parents over the table; and the power law's constant (N + 1)^(1 - skew) - 1.
  std::uint64_t spread_ = 1, shift_ = 0;
  double span_ = 0;
  std::shared_ptr<const ChildIndex> index_;
};

}  // namespace tarvo
