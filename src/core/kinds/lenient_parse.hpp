// src/core/kinds/lenient_parse.hpp: Dummy's reading of kind texts, which never refuses one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/drawer.hpp"

namespace tarvo {

// Matching is exact and case-sensitive; nothing is trimmed. A parametric kind is matched by its
// name and a colon, a plain one by its whole text; a malformed parameter takes its default
// (the kind's lenient reader decides), and an unmatched text gives a drawer of null cells.
// Never fails.
std::shared_ptr<const Drawer> resolve_lenient(std::string_view text);

// Null cells that draw nothing: what Dummy gives a kind it does not know.
std::shared_ptr<const Drawer> unknown_kind_drawer();

// Whether `c` is Unicode White_Space, the characters str.strip() removes.
bool is_white_space(char32_t c);

// Leading and trailing Unicode White_Space removed from UTF-8 text.
std::string_view trim_white_space(std::string_view text);

// The fields of Dummy's parameters: the text split at every `separator`.
std::vector<std::string_view> split_lenient(std::string_view text, char separator);

// Lenient decimal fields: None for anything that is not the whole field. lenient_i32 takes an
// optional sign and digits within 32 bits, lenient_u32 an optional '+', lenient_double decimal
// floating point or inf / infinity / nan in any case (strtod's correctly rounded value).
std::optional<std::int32_t> lenient_i32(std::string_view text);
std::optional<std::uint32_t> lenient_u32(std::string_view text);
std::optional<double> lenient_double(std::string_view text);

}  // namespace tarvo
