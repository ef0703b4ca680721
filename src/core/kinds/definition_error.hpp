// src/core/kinds/definition_error.hpp: bad input in a data set's definition, as opposed to a Panic.
#pragma once

#include <stdexcept>
#include <string>

namespace tarvo {

// A kind, a parameter, a column option or a data set setting the caller got wrong; the binding
// raises it as ValueError with what() as the message, which names what is at fault.
class DefinitionError : public std::invalid_argument {
 public:
  explicit DefinitionError(const std::string& message)
      : std::invalid_argument(message), message_(message) {}
  // The whole message, a NUL in it included (what() ends at the first).
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

}  // namespace tarvo
