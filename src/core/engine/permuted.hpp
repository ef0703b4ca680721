// src/core/engine/permuted.hpp: the unique form of a kind whose values can be counted and written by index.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "engine/drawer.hpp"
#include "unique/permutation.hpp"

namespace tarvo {

// Row r holds value P(r) for a permutation P of [0, capacity) keyed by the column: the value
// depends on the row's index alone, and no two rows below the capacity share one. `write(i,
// sink)` writes value i of the kind.
template <class Write>
class PermutedDrawer final : public DrawerOf<PermutedDrawer<Write>> {
 public:
  PermutedDrawer(DrawerTraits traits, std::uint64_t capacity, const UniqueKeys& keys, Write write)
      : DrawerOf<PermutedDrawer<Write>>(without_words(traits)),
        permutation_(capacity, keys.words[0], keys.words[1]),
        write_(std::move(write)) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    write_(permutation_(row.row), sink);
  }

 private:
  static DrawerTraits without_words(DrawerTraits traits) {
    traits.draws_words = false;
    return traits;
  }

  unique::Permutation permutation_;
  Write write_;
};

template <class Write>
UniqueForm permuted_form(const Drawer& drawer, std::uint64_t capacity, const UniqueKeys& keys,
                         Write write) {
  return UniqueForm{std::make_shared<const PermutedDrawer<Write>>(drawer.traits(), capacity, keys,
                                                                  std::move(write)),
                    capacity};
}

}  // namespace tarvo
