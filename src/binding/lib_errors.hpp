// src/binding/lib_errors.hpp: how failures inside the module reach the Python caller.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "interrupted.hpp"
#include "lib_handle.hpp"

namespace tarvo::py {

// The class of internal failures, created on first use; borrowed, or NULL with the error set.
PyObject* panic_type() noexcept;

// Raises PanicException(message), creating the class on first use.
void raise_panic(std::string_view message) noexcept;

// Sets the Python exception for a C++ exception caught at an entry point. Must be called from
// inside a catch block.
void set_error_from_current_exception() noexcept;

// Runs an entry point's body and makes sure no C++ exception crosses into the interpreter:
// returns `failure` with the Python error set instead.
template <typename Result, typename Body>
Result guarded(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    set_error_from_current_exception();
    return failure;
  }
}

// From work running without the interpreter lock: takes the lock and runs the signal handlers
// that are due (only the main thread has any); true when one raised, its exception left set.
bool pending_signals_raised() noexcept;

// A stop check for long native work started on this thread: true once a signal handler raised
// (Ctrl-C), its exception left set for the Interrupted that the work then throws. Asked on any
// other thread, it never stops and never waits for the interpreter lock.
StopCheck stop_on_signals();

// Attaches "while processing '{parameter}'" to the pending exception through add_note; where
// that is impossible (no notes on this interpreter) the exception is left as it is.
void add_parameter_note(const char* parameter) noexcept;

// Raises the OSError subclass that matches errno value `err`, with the text
// "{description} (os error {err})".
[[noreturn]] void throw_os_error(int err);

// Raises OSError with a fixed text (not from errno).
[[noreturn]] void throw_os_error_text(const char* text);

}  // namespace tarvo::py
