// src/binding/engine_module.cpp: tarvo._engine, the seeded engine's module, in the same file as _tarvo.
//
// Both modules live in one shared object so the compiled-in data is stored once in the wheel;
// the tarvo package loads this one from _tarvo's file under the name tarvo._engine, and the
// interpreter then calls PyInit__engine below.
#include "arrow_json.hpp"
#include "arrow_rows_type.hpp"
#include "engine_sqlite.hpp"
#include "engine_type.hpp"
#include "engine/plan.hpp"
#include "kinds/registry.hpp"
#include "lib_errors.hpp"

namespace tarvo::py {
namespace {

Ref make_str(std::string_view text) {
  return Ref::checked(
      PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

// kinds() -> tuple of (name, value type, parameters, description, in Dummy, alias of, can be
// unique, only in a schema): the registry as the command line and the documentation read it.
PyObject* kinds(PyObject*, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [] {
    const auto registry = kind_registry();
    Ref result = Ref::checked(PyTuple_New(static_cast<Py_ssize_t>(registry.size())));
    for (std::size_t i = 0; i < registry.size(); ++i) {
      const KindDescriptor& kind = registry[i];
      Ref row = Ref::checked(PyTuple_New(8));
      PyTuple_SetItem(row.get(), 0, make_str(kind.name).release());
      PyTuple_SetItem(row.get(), 1, make_str(value_type_info(kind.type).name).release());
      PyTuple_SetItem(row.get(), 2, make_str(kind.parameters).release());
      PyTuple_SetItem(row.get(), 3, make_str(kind.description).release());
      PyTuple_SetItem(row.get(), 4, Ref::borrow(kind.in_dummy() ? Py_True : Py_False).release());
      PyTuple_SetItem(row.get(), 5, make_str(kind.alias_of).release());
      PyTuple_SetItem(row.get(), 6, Ref::borrow(kind.can_be_unique ? Py_True : Py_False).release());
      PyTuple_SetItem(row.get(), 7, Ref::borrow(kind.schema_only ? Py_True : Py_False).release());
      PyTuple_SetItem(result.get(), static_cast<Py_ssize_t>(i), row.release());
    }
    return result.release();
  });
}

// value_types() -> tuple of (name, type in rows, typed form, Arrow format, PostgreSQL type,
// SQLite type): how each output spells a value type.
PyObject* value_types(PyObject*, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [] {
    const auto types = tarvo::value_types();
    Ref result = Ref::checked(PyTuple_New(static_cast<Py_ssize_t>(types.size())));
    for (std::size_t i = 0; i < types.size(); ++i) {
      const ValueTypeInfo& type = types[i];
      Ref row = Ref::checked(PyTuple_New(6));
      const std::string_view fields[] = {type.name,  type.in_rows,  type.typed,
                                         type.arrow, type.postgres, type.sqlite};
      for (std::size_t k = 0; k < 6; ++k) {
        PyTuple_SetItem(row.get(), static_cast<Py_ssize_t>(k), make_str(fields[k]).release());
      }
      PyTuple_SetItem(result.get(), static_cast<Py_ssize_t>(i), row.release());
    }
    return result.release();
  });
}

// column_options() -> tuple of (name, value, description): what may follow a kind after ';'.
PyObject* column_options(PyObject*, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [] {
    const auto options = tarvo::column_options();
    Ref result = Ref::checked(PyTuple_New(static_cast<Py_ssize_t>(options.size())));
    for (std::size_t i = 0; i < options.size(); ++i) {
      Ref row = Ref::checked(PyTuple_New(3));
      PyTuple_SetItem(row.get(), 0, make_str(options[i].name).release());
      PyTuple_SetItem(row.get(), 1, make_str(options[i].value).release());
      PyTuple_SetItem(row.get(), 2, make_str(options[i].description).release());
      PyTuple_SetItem(result.get(), static_cast<Py_ssize_t>(i), row.release());
    }
    return result.release();
  });
}

PyMethodDef module_methods[] = {
    {"kinds", kinds, METH_NOARGS,
     "kinds()\n--\n\nEvery column kind: (name, type, parameters, description, in_dummy, "
     "alias_of, can_be_unique, schema_only)."},
    {"column_options", column_options, METH_NOARGS,
     "column_options()\n--\n\nWhat may follow a kind after ';': (name, value, description)."},
    {"value_types", value_types, METH_NOARGS,
     "value_types()\n--\n\nEvery value type: (name, in_rows, typed, arrow, postgres, sqlite)."},
    {"struct_to_json", struct_to_json, METH_O,
     "struct_to_json(array)\n--\n\nA struct array of texts as the (schema, array) capsules of "
     "its rows' JSON text."},
    {"write_sqlite", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(write_sqlite)),
     METH_VARARGS | METH_KEYWORDS,
     "write_sqlite(engine, fd, table, create_sql, start, count, threads, chunk_rows, progress)"
     "\n--\n\nA new SQLite file of one table, built natively."},
    {nullptr, nullptr, 0, nullptr},
};

int exec_module(PyObject* module) noexcept {
  return guarded<int>(-1, [&] {
    for (auto [name, object] :
         {std::pair{"Engine", engine_type()}, std::pair{"ArrowRows", arrow_rows_type()},
          std::pair{"PanicException", panic_type()}}) {
      if (object == nullptr) throw ErrorAlreadySet{};
      check(PyModule_AddObjectRef(module, name, object));
    }
    return 0;
  });
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(exec_module)},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "tarvo._engine", "", 0, module_methods, module_slots,
    nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace tarvo::py

PyMODINIT_FUNC PyInit__engine() { return PyModuleDef_Init(&tarvo::py::module_def); }
