// src/binding/engine_type.hpp: the native side of tarvo.Dataset: a plan and the rows drawn from it.
#pragma once

#include "engine/plan.hpp"
#include "lib_handle.hpp"

namespace tarvo::py {

// The class, created on the first call and kept for the life of the process. Returns a borrowed
// reference, or NULL with the error set.
PyObject* engine_type() noexcept;

// The plan of an Engine instance; valid while the instance is.
const Plan& engine_plan(PyObject* self);

// Engine.write, defined in engine_write.cpp.
PyObject* engine_write(PyObject* self, PyObject* args, PyObject* kwargs) noexcept;

}  // namespace tarvo::py
