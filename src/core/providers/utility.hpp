// src/core/providers/utility.hpp: colour and status words and random version-4 UUIDs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "providers/short_text.hpp"
#include "random/counter_rng.hpp"
#include "random.hpp"

namespace tarvo {

struct UtilityData {
  std::vector<std::string> colors;
  std::vector<std::string> statuses;
};

// Parsed from the compiled-in utility.json on first use; a Panic
// "Invalid utility.json format: ..." now and at every later call if it does not parse.
const UtilityData& utility_data();
UtilityData parse_utility_data(std::string_view padded_text);

// Uniform picks; the _index forms return the position in the list.
template <typename R>
std::size_t color_index(R& rng);
template <typename R>
std::string_view color(R& rng);
template <typename R>
std::size_t status_index(R& rng);
template <typename R>
std::string_view status(R& rng);

// A random version-4 UUID (RFC 9562), 36 lowercase characters in 8-4-4-4-12 groups, from one
// draw_u128(): octets 0..7 are the high word, most significant byte first, then the low word.
template <typename R>
ShortText<36> uuid(R& rng);

}  // namespace tarvo
