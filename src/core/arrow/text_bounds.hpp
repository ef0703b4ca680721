// src/core/arrow/text_bounds.hpp: the most bytes one text cell of a kind can hold.
#pragma once

#include <cstddef>

#include "kinds/column_kind.hpp"

namespace tarvo::arrow {

// A true upper bound, from the longest entries of the lists the kind draws from (for an address,
// the longest of its five parts); 0 for kinds that hold no text. It reads the compiled-in lists,
// parsing them if no one has yet.
std::size_t longest_text_bytes(const ColumnKind& kind);

}  // namespace tarvo::arrow
