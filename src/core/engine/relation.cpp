// src/core/engine/relation.cpp: drawing a child row's parent row.
#include "engine/relation.hpp"

#include <cmath>

#include "engine/plan.hpp"
#include "random/counter_rng.hpp"

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
    ranks_.emplace(parent_rows_, keys[0], keys[1]);
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
  CounterRng rng(child_key, child_row, stream_);
  if (pick_ == Pick::Uniform) return Parent{rng.uniform_index(parent_rows_)};
  // Rank r (0 the busiest) with probability about (r + 1)^-skew: the inverse of the power law's
  // distribution over [1, N + 1), floored.
  const double u = rng.uniform_real(0.0, 1.0);
  const double n = static_cast<double>(parent_rows_) + 1.0;
  const double x = std::fabs(skew_ - 1.0) < 1e-9
                       ? std::pow(n, u)
                       : std::pow(1.0 + u * (std::pow(n, 1.0 - skew_) - 1.0), 1.0 / (1.0 - skew_));
  const auto rank = std::min(static_cast<std::uint64_t>(std::max(x, 1.0)) - 1, parent_rows_ - 1);
  return Parent{(*ranks_)(rank)};
}

}  // namespace tarvo
