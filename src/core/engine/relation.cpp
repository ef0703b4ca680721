// src/core/engine/relation.cpp: drawing a child row's parent row.
#include "engine/relation.hpp"

#include <cmath>
#include <numeric>

#include "engine/plan.hpp"
#include "random/portable_math.hpp"

namespace tarvo {

Relation::Relation(std::string name, std::string table, std::shared_ptr<const Plan> parent,
                   std::uint64_t parent_rows, Pick pick, double skew, std::uint64_t stream,
                   const PhiloxKey& child_key)
    : name_(std::move(name)),
      table_(std::move(table)),
      parent_(std::move(parent)),
      parent_rows_(parent_rows),
      pick_(pick),
      skew_(skew),
      stream_(stream) {
  if (pick_ == Pick::Skewed) {
    const PhiloxBlock keys = philox4x64_10({stream_, 0, 0x72616E6B73u /* "ranks" */, 0}, child_key);
    // A multiplier prime to the row count, near a random fraction of it, so neighbouring ranks
    // land far apart.
    spread_ = parent_rows_ <= 1 ? 1 : keys[0] % parent_rows_ | 1;
    while (std::gcd(spread_, parent_rows_) != 1) ++spread_;
    shift_ = parent_rows_ == 0 ? 0 : keys[1] % parent_rows_;
    span_ = portable::pow(static_cast<double>(parent_rows_) + 1.0, 1.0 - skew_) - 1.0;
  }
}

Relation::Relation(std::string name, std::string table, std::shared_ptr<const Plan> parent,
                   std::shared_ptr<const ChildIndex> index)
    : name_(std::move(name)),
      table_(std::move(table)),
      parent_(std::move(parent)),
      parent_rows_(index->parents()),
      pick_(Pick::Children),
      index_(std::move(index)) {}

Relation::Parent Relation::parent_of(const PhiloxKey& child_key, std::uint64_t child_row) const {
  if (pick_ == Pick::Children) {
    const ChildIndex::Place place = index_->locate(child_row);
    return Parent{place.parent, place.position, place.count};
  }
  return parent_of(child_row, block_of(child_key, child_row));
}

Relation::Parent Relation::parent_of(std::uint64_t child_row, const PhiloxBlock& words) const {
  const std::uint64_t word = words[child_row % 4];
  if (pick_ == Pick::Uniform) {
    // The high half of word * N: uniform within N / 2^64 of exact, with no second draw.
    return Parent{static_cast<std::uint64_t>((static_cast<unsigned __int128>(word) * parent_rows_) >> 64)};
  }
  // Rank r (0 the busiest) with probability about (r + 1)^-skew: the inverse of the power law's
  // distribution over [1, N + 1), floored.
  const double u = static_cast<double>(word >> 11) * 0x1.0p-53;
  const double x = std::fabs(skew_ - 1.0) < 1e-9
                       ? portable::pow(static_cast<double>(parent_rows_) + 1.0, u)
                       : portable::pow(1.0 + u * span_, 1.0 / (1.0 - skew_));
  const auto rank = std::min(static_cast<std::uint64_t>(std::max(x, 1.0)) - 1, parent_rows_ - 1);
  const auto spread = static_cast<unsigned __int128>(rank) * spread_ + shift_;
  return Parent{static_cast<std::uint64_t>(spread % parent_rows_)};
}

}  // namespace tarvo
