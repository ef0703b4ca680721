// src/binding/engine_type.hpp: the native side of tarvo.Dataset: a plan and the rows drawn from it.
#pragma once

#include "lib_handle.hpp"

namespace tarvo::py {

// The class, created on the first call and kept for the life of the process. Returns a borrowed
// reference, or NULL with the error set.
PyObject* engine_type() noexcept;

}  // namespace tarvo::py
