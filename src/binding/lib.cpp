// src/binding/lib.cpp: the module's entry point and its execution step.
#include "lib_dummy.hpp"
#include "lib_errors.hpp"

namespace tarvo::py {
namespace {

// Adds `name` to __all__ (created on the first addition) and sets the attribute.
void add(PyObject* module, const char* name, PyObject* value) {
  Ref all = Ref::steal(PyObject_GetAttrString(module, "__all__"));
  if (!all) {
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throw ErrorAlreadySet{};
    PyErr_Clear();
    all = Ref::checked(PyList_New(0));
    check(PyObject_SetAttrString(module, "__all__", all.get()));
  }
  Ref text = Ref::checked(PyUnicode_FromString(name));
  check(PyList_Append(all.get(), text.get()));
  check(PyObject_SetAttr(module, text.get(), value));
}

int exec_module(PyObject* module) noexcept {
  return guarded<int>(-1, [&] {
    // TARVO_VERSION is pyproject.toml's version, passed in by the build.
    Ref version = Ref::checked(PyUnicode_FromString(TARVO_VERSION));
    add(module, "__version__", version.get());
    PyObject* type = dummy_type();
    if (type == nullptr) throw ErrorAlreadySet{};
    add(module, "Dummy", type);
    return 0;
  });
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(exec_module)},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "_tarvo", "", 0, nullptr, module_slots, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace tarvo::py

PyMODINIT_FUNC PyInit__tarvo() { return PyModuleDef_Init(&tarvo::py::module_def); }
