// src/binding/lib_dummy.hpp: the Dummy class object.
#pragma once

#include "lib_handle.hpp"

namespace tarvo::py {

// The class, created on the first call and shared by every module object of the process.
// Returns a borrowed reference, or NULL with the error set.
PyObject* dummy_type() noexcept;

}  // namespace tarvo::py
