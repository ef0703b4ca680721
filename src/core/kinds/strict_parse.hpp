// src/core/kinds/strict_parse.hpp: a data set's reading of kind texts, which refuses anything unclear.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kinds/column_kind.hpp"

namespace tarvo {

// Bad input from the caller (a kind, a parameter, a column option), as opposed to a Panic; the
// binding raises it as ValueError with what() as the message.
class SpecError : public std::invalid_argument {
 public:
  explicit SpecError(const std::string& message)
      : std::invalid_argument(message), message_(message) {}
  // The whole message, a NUL in it included (what() ends at the first).
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

// Reads `spec` as a data set does. Plain kinds match exactly; `int` and `float` alone mean their
// defaults (0 to 100; 0 to 1 with 2 places); `int:LOW:HIGH` takes the whole signed 64-bit range;
// `float:MIN:MAX[:PLACES]` needs finite MIN < MAX and PLACES 0 to 15; `choice:A,B,...` needs at
// least one option and no empty one. Throws SpecError with a message that quotes `spec` and,
// for an unknown kind, suggests the closest ones; the caller adds the column's name.
ColumnKind parse_strict_kind(std::string_view spec);

// Up to three kind names within a small edit distance of `name`, closest first.
std::vector<std::string_view> closest_kinds(std::string_view name);

}  // namespace tarvo
