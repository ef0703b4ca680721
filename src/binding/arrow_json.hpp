// src/binding/arrow_json.hpp: tarvo._engine.struct_to_json, JSON text of Arrow structs for typed outputs.
#pragma once

#include "lib_handle.hpp"

namespace tarvo::py {

PyObject* struct_to_json(PyObject* module, PyObject* array) noexcept;

}  // namespace tarvo::py
