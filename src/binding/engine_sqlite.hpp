// src/binding/engine_sqlite.hpp: tarvo._engine.write_sqlite, a new SQLite file built natively.
#pragma once

#include "lib_handle.hpp"

namespace tarvo::py {

PyObject* write_sqlite(PyObject* module, PyObject* args, PyObject* kwargs) noexcept;

}  // namespace tarvo::py
