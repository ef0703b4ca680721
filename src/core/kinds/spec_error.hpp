// src/core/kinds/spec_error.hpp: bad input in a data set's definition, as opposed to a Panic.
#pragma once

#include <stdexcept>

namespace tarvo {

// A kind, a parameter, a column option or a data set setting the caller got wrong; the binding
// raises it as ValueError with what() as the message, which names what is at fault.
class SpecError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

}  // namespace tarvo
