// src/core/shown_text.hpp: a user's text as an error message quotes it: escaped and shortened.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvo {

// Characters of a user's text that a message shows; the rest is counted, not shown.
inline constexpr std::size_t kShownCharacters = 80;

// `text` (UTF-8) as a message quotes it: NUL and the other control characters escaped as Python's
// repr() escapes them (\x00, \n, \t, \r, \x7f), so that the message is whole and on one line;
// past kShownCharacters characters, cut there (never inside a character) with
// "… (N characters)" after, N the length of the whole text.
std::string shown_text(std::string_view text);

}  // namespace tarvo
