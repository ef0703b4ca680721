// src/core/panic.hpp: the one exception type the C++ core throws for a broken internal assumption.
#pragma once

#include <stdexcept>
#include <string>

namespace tarvo {

// An internal failure: an empty sampling range, a compiled-in document that does not parse,
// a clock outside the calendar. The binding turns it into PanicException with what() as the
// only argument, so the message text is part of the module's interface.
class Panic : public std::runtime_error {
 public:
  explicit Panic(const std::string& message) : std::runtime_error(message), message_(message) {}
  explicit Panic(const char* message) : Panic(std::string(message)) {}
  // The whole message, a NUL in it included (what() ends at the first).
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

}  // namespace tarvo
