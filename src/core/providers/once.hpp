// src/core/providers/once.hpp: a value built once, on first use, whose failure is final.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "panic.hpp"

namespace tarvo {

// Holds one process-wide value that is built by the first get() and then only read.
//
// The fast path after a successful build is a single acquire load, because accessors such as
// first_names() run once per generated row. The first caller builds under a mutex while later
// callers wait on it. A tarvo::Panic thrown by the build marks the cell failed for good: every
// later get() throws a Panic with the same message, without building again. Any other exception
// (std::bad_alloc, say) says nothing about the data, so it propagates and leaves the cell unbuilt
// for the next caller to try again.
//
// The value and the failure message are deliberately never destroyed: the data lives for the
// life of the process, and a trivially destructible cell cannot be torn down at exit while an
// interpreter thread still reads it. A namespace-scope `constinit Once<T>` needs no dynamic
// initialisation either.
template <typename T>
class Once {
 public:
  constexpr Once() noexcept = default;
  Once(const Once&) = delete;
  Once& operator=(const Once&) = delete;

  template <typename Build>
  const T& get(Build&& build) {
    if (state_.load(std::memory_order_acquire) == kReady) [[likely]] {
      return value();
    }
    return get_slow(std::forward<Build>(build));
  }

  // True once a build has succeeded; lets tests and callers check laziness without building.
  bool ready() const noexcept { return state_.load(std::memory_order_acquire) == kReady; }

 private:
  enum State : std::uint8_t { kEmpty, kReady, kFailed };

  const T& value() const noexcept { return *std::launder(reinterpret_cast<const T*>(storage_)); }

  template <typename Build>
  const T& get_slow(Build&& build) {
    std::lock_guard<std::mutex> lock(mutex_);
    switch (state_.load(std::memory_order_relaxed)) {
      case kReady:
        return value();
      case kFailed:
        throw Panic(*failure_);
      case kEmpty:
        break;
    }
    try {
      ::new (static_cast<void*>(storage_)) T(std::forward<Build>(build)());
    } catch (const Panic& failure) {
      failure_ = new std::string(failure.what());
      state_.store(kFailed, std::memory_order_release);
      throw;
    }
    state_.store(kReady, std::memory_order_release);
    return value();
  }

  std::atomic<std::uint8_t> state_{kEmpty};
  std::mutex mutex_;
  const std::string* failure_ = nullptr;
  alignas(T) unsigned char storage_[sizeof(T)]{};
};

}  // namespace tarvo
