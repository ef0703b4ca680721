// src/core/kinds/lenient_parse.hpp: Dummy's reading of kind texts, which never refuses one.
#pragma once

#include <string_view>

#include "kinds/column_kind.hpp"

namespace tarvo {

// Matching is exact and case-sensitive; nothing is trimmed. A malformed parameter takes its
// default; an unmatched text is Kind::Unknown. Never fails.
ColumnKind parse_column_kind(std::string_view spec);

// Whether `c` is Unicode White_Space, the characters str.strip() removes.
bool is_white_space(char32_t c);

// Leading and trailing Unicode White_Space removed from UTF-8 text.
std::string_view trim_white_space(std::string_view text);

}  // namespace tarvo
