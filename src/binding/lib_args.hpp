// src/binding/lib_args.hpp: binding of call arguments to named parameters, and the argument conversions.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "lib_errors.hpp"
#include "lib_handle.hpp"

namespace tarvo::py {

// Binds a call's positional tuple and keyword dictionary to `names` (all required, each by
// position or keyword) with the interpreter's wording of the TypeError messages. `out`
// receives borrowed references, valid while the call's arguments are.
void bind_arguments(const char* function, std::span<const char* const> names, PyObject* args,
                    PyObject* kwargs, std::span<PyObject*> out);

template <std::size_t N>
std::array<PyObject*, N> bind(const char* function, const std::array<const char*, N>& names,
                              PyObject* args, PyObject* kwargs) {
  std::array<PyObject*, N> out{};
  bind_arguments(function, names, args, kwargs, out);
  return out;
}

enum class Target { Dict, List, Str };

// The type test of every conversion: the type's flags, so subclasses pass. Raises TypeError
// "'{type}' object is not an instance of '{target}'".
void expect_instance(PyObject* value, Target target);

// The UTF-8 text of a str (or subclass); the view lives as long as the object. A lone
// surrogate raises the interpreter's UnicodeEncodeError.
std::string_view utf8(PyObject* str);

// expect_instance(Str) and utf8() together, as the keys and values of a column
// specification are converted.
std::string_view str_to_utf8(PyObject* value);

// A non-negative integer that fits 64 unsigned bits; other objects go through __index__.
std::uint64_t to_u64(PyObject* value);

// Runs one argument's conversion; a failure gets the note "while processing '{parameter}'".
template <typename Convert>
auto convert_argument(const char* parameter, Convert&& convert) -> decltype(convert()) {
  try {
    return convert();
  } catch (const ErrorAlreadySet&) {
    add_parameter_note(parameter);
    throw;
  }
}

}  // namespace tarvo::py
