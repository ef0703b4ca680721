// src/binding/lib_methods.hpp: the bodies of Dummy's two methods, bound in lib_dummy.cpp.
#pragma once

#include "lib_handle.hpp"

namespace tarvo::py {

// Each takes the call's positional tuple and keyword dictionary, and returns a new reference
// or throws (ErrorAlreadySet, Panic, ...); the caller translates.
Ref seed(PyObject* args, PyObject* kwargs);
Ref save(PyObject* args, PyObject* kwargs);

}  // namespace tarvo::py
