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

// `groups` groups of four digits, each one draw of 0..9999, joined by hyphens.
template <class R>
IdLikeText& append_digit_groups(IdLikeText& text, R& rng, int groups) {
  for (int group = 0; group < groups; ++group) {
    if (group > 0) text.push('-');
    text.digits(rng.uniform_u32(0, 9999), 4);
  }
  return text;
}

}  // namespace tarvo::ids
