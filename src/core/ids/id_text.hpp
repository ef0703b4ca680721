// src/core/ids/id_text.hpp: the text type of the identifier generators and their letter draw.
#pragma once

#include <string_view>

#include "providers/short_text.hpp"

namespace tarvo::ids {

// Every identifier here fits in 24 characters; each generator's header gives its exact longest
// text as a constant (for Arrow bounds), and the tests pin it.
using IdLikeText = ShortText<24>;

inline constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// One letter of `letters`, uniformly: one uniform_index.
template <class R>
char draw_letter(R& rng, std::string_view letters = kLetters) {
  return letters[rng.uniform_index(letters.size())];
}

}  // namespace tarvo::ids
