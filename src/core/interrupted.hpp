// src/core/interrupted.hpp: long work that the caller asked to stop (Ctrl-C), told apart from a failure.
#pragma once

#include <exception>
#include <functional>

namespace tarvo {

// Thrown by work that polls a stop check and finds it set: whatever set it (a signal handler
// that raised) has already said why, so this carries nothing.
struct Interrupted final : std::exception {
  const char* what() const noexcept override { return "interrupted"; }
};

// Asked now and then by long work; true means stop. An empty check never stops.
using StopCheck = std::function<bool()>;

}  // namespace tarvo
