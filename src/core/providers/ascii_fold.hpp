// src/core/providers/ascii_fold.hpp: Latin-1 letters folded to the ASCII letters they are written with.
#pragma once

#include <string_view>

namespace tarvo {

// The ASCII letter that the Latin-1 letter U+00C0 + i folds to (ñ to n, é to e, ß dropped), or 0
// for a sign or a letter with no one-letter equivalent. UTF-8 writes U+00C0..U+00FF as 0xC3
// then 0x80 + i.
inline char latin1_fold(unsigned char second_byte) noexcept {
  static constexpr char kFold[65] =
      "aaaaaa\0ceeeeiiiidnooooo\0ouuuuy\0\0aaaaaa\0ceeeeiiiidnooooo\0ouuuuy\0y";
  return second_byte >= 0x80 && second_byte <= 0xBF ? kFold[second_byte - 0x80] : '\0';
}

// Writes `name` as lower-case ASCII letters and digits at `out` and returns the end. Everything
// else is dropped: spaces, full stops, hyphens and any letter outside Latin-1.
inline char* write_folded(char* out, std::string_view name) noexcept {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 'A' && c <= 'Z') {
      *out++ = static_cast<char>(c - 'A' + 'a');
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      *out++ = static_cast<char>(c);
    } else if (c == 0xC3 && i + 1 < name.size()) {
      const auto next = static_cast<unsigned char>(name[i + 1]);
      if (next >= 0x80 && next <= 0xBF) {
        ++i;
        if (const char folded = latin1_fold(next)) *out++ = folded;
      }
    }
  }
  return out;
}

}  // namespace tarvo
