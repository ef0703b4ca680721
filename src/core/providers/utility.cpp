// src/core/providers/utility.cpp: reading utility.json and drawing colours, statuses and UUIDs.
#include "providers/utility.hpp"

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"
#include "providers/uuid_text.hpp"

namespace tarvo {
namespace {

constinit Once<UtilityData> utility_cell;

}  // namespace

UtilityData parse_utility_data(std::string_view padded_text) {
  auto lists =
      json::read_string_list_document<2>("utility.json", padded_text, {"colors", "statuses"});
  return UtilityData{std::move(lists[0]), std::move(lists[1])};
}

const UtilityData& utility_data() {
  return utility_cell.get([] { return parse_utility_data(embedded::utility_json()); });
}

template <typename R>
std::size_t color_index(R& rng) { return rng.uniform_index(utility_data().colors.size()); }

template <typename R>
std::string_view color(R& rng) { return utility_data().colors[color_index(rng)]; }

template <typename R>
std::size_t status_index(R& rng) { return rng.uniform_index(utility_data().statuses.size()); }

template <typename R>
std::string_view status(R& rng) { return utility_data().statuses[status_index(rng)]; }

template <typename R>
ShortText<36> uuid(R& rng) {
  return uuid_text(rng.draw_u128());
}

// The lenient per-thread generator and the seeded per-cell one draw through the same code.
template std::size_t color_index(Rng& rng);
template std::size_t color_index(CounterRng& rng);
template std::string_view color(Rng& rng);
template std::string_view color(CounterRng& rng);
template std::size_t status_index(Rng& rng);
template std::size_t status_index(CounterRng& rng);
template std::string_view status(Rng& rng);
template std::string_view status(CounterRng& rng);
template ShortText<36> uuid(Rng& rng);
template ShortText<36> uuid(CounterRng& rng);

}  // namespace tarvo
