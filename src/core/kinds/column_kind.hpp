// src/core/kinds/column_kind.hpp: a column's kind with its parameters read, as the row drawer uses it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kinds/registry.hpp"

namespace tarvo {

// Read once per call or data set; drawing from it draws exactly what reading the text again for
// every cell would.
struct ColumnKind {
  Kind kind = Kind::Unknown;
  // Dummy's int is 32-bit and drawn with 32-bit words; a data set's spans the signed 64-bit
  // range. The flag keeps Dummy's word consumption (and so its values) as it always was.
  bool narrow_int = false;
  std::int64_t int_low = 0, int_high = 100;
  double float_min = 0.0, float_max = 1.0, float_multiplier = 100.0;
  std::vector<std::string> options;  // "choice:"/"list:", already trimmed
};

}  // namespace tarvo
