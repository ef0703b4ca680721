// src/core/kinds/families/listed.hpp: a kind whose cells are entries of one fixed list, picked by a rule.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/drawer.hpp"

namespace tarvo {

// `pick(rng, row)` returns an index into `texts`; the cell is that entry of `list`.
template <class Pick>
class ListedDrawer final : public DrawerOf<ListedDrawer<Pick>> {
 public:
  ListedDrawer(const std::vector<std::string>& texts, const TextList& list, std::uint8_t reads,
               Pick pick)
      : DrawerOf<ListedDrawer<Pick>>({ValueType::Text, reads, true, longest(texts)}),
        texts_(&texts),
        list_(&list),
        pick_(pick) {}

  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    const std::size_t i = pick_(rng, row);
    sink.listed(*list_, static_cast<std::uint32_t>(i), (*texts_)[i]);
  }

 private:
  static std::size_t longest(const std::vector<std::string>& texts) {
    std::size_t most = 0;
    for (const std::string& text : texts) most = std::max(most, text.size());
    return most;
  }

  const std::vector<std::string>* texts_;  // process-wide, so never freed before the drawer
  const TextList* list_;
  Pick pick_;
};

template <class Pick>
std::shared_ptr<const Drawer> listed_drawer(const std::vector<std::string>& texts,
                                            const TextList& list, std::uint8_t reads, Pick pick) {
  return std::make_shared<const ListedDrawer<Pick>>(texts, list, reads, pick);
}

}  // namespace tarvo
