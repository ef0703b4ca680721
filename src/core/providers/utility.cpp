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

std::size_t color_index(Rng& rng) { return rng.uniform_index(utility_data().colors.size()); }

std::string_view color(Rng& rng) { return utility_data().colors[color_index(rng)]; }

std::size_t status_index(Rng& rng) { return rng.uniform_index(utility_data().statuses.size()); }

std::string_view status(Rng& rng) { return utility_data().statuses[status_index(rng)]; }

ShortText<36> uuid(Rng& rng) { return uuid_text(rng.draw_u128()); }

}  // namespace tarvo
