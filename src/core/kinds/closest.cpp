// src/core/kinds/closest.cpp: "did you mean" for a mistyped kind, by edit distance over the registry.
#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "kinds/registry.hpp"
#include "kinds/strict_parse.hpp"

namespace tarvo {
namespace {

// Optimal string alignment distance: Levenshtein plus swapping two neighbours, the commonest
// typing slip ("fisrt_name").
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
    }
    before.swap(previous);
    previous.swap(current);
  }
  return previous[b.size()];
}

}  // namespace

std::vector<std::string_view> closest_kinds(std::string_view name) {
  struct Candidate {
    std::size_t distance;
    std::string_view name;
  };
  // A third of the length, at least 2: "nme" finds "name"-like kinds, "x" finds nothing. A name
  // of three or more letters inside a kind's ("birth", "time") counts as a near miss too.
  const std::size_t limit = std::max<std::size_t>(2, name.size() / 3);
  std::vector<Candidate> candidates;
  for (const KindDescriptor& kind : kind_registry()) {
    // No kind within the limit of a name half as long again as the kind (the distance is at
    // least the difference of lengths): skipped, so a huge name is refused at once.
    if (2 * name.size() > 3 * kind.name.size()) continue;
    std::size_t distance = edit_distance(name, kind.name);
    if (name.size() >= 3 && kind.name.find(name) != std::string_view::npos) {
      distance = std::min(distance, limit);
    }
    if (distance <= limit && distance < kind.name.size()) candidates.push_back({distance, kind.name});
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& x, const Candidate& y) { return x.distance < y.distance; });
  std::vector<std::string_view> names;
  for (std::size_t i = 0; i < candidates.size() && i < 3; ++i) names.push_back(candidates[i].name);
  return names;
}

}  // namespace tarvo
