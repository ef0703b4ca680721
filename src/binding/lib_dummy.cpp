// src/binding/lib_dummy.cpp: the Dummy type: an instance holds nothing; its methods delegate to seed/save.
#include "lib_dummy.hpp"

#include <array>

#include "lib_args.hpp"
#include "lib_errors.hpp"
#include "lib_methods.hpp"

namespace tarvo::py {
namespace {

PyObject* dummy_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    bind<0>("Dummy.__new__()", {}, args, kwargs);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    return Ref::checked(alloc(type, 0)).release();
  });
}

// An instance holds no references; the hooks exist because the type is collected like any
// other heap type, and a heap type's instances keep their type alive.
int dummy_traverse(PyObject* self, visitproc visit, void* arg) noexcept {
  Py_VISIT(Py_TYPE(self));
  return 0;
}

int dummy_clear(PyObject*) noexcept { return 0; }

void dummy_dealloc(PyObject* self) noexcept {
  PyTypeObject* type = Py_TYPE(self);
  PyObject_GC_UnTrack(self);
  auto free_slot = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
  free_slot(self);
  Py_DECREF(type);
}

PyObject* dummy_seed(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] { return seed(args, kwargs).release(); });
}

PyObject* dummy_save(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] { return save(args, kwargs).release(); });
}

PyMethodDef dummy_methods[] = {
    {"seed", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(dummy_seed)),
     METH_VARARGS | METH_KEYWORDS, "seed($self, row, feature)\n--\n\n"},
    {"save", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(dummy_save)),
     METH_VARARGS | METH_KEYWORDS, "save($self, data, filename, fmt)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot dummy_slots[] = {
    {Py_tp_doc, const_cast<char*>("Dummy()\n--\n\n")},
    {Py_tp_new, reinterpret_cast<void*>(dummy_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dummy_dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(dummy_traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(dummy_clear)},
    {Py_tp_methods, dummy_methods},
    {0, nullptr},
};

// No Py_TPFLAGS_BASETYPE: the class is final. Basic size 0 inherits object's: no __dict__,
// no weak-reference slot.
PyType_Spec dummy_spec = {"Dummy", 0, 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC, dummy_slots};

// The interpreter warns (DeprecationWarning) about a type name without a module prefix, and a
// program that runs with warnings as errors would then fail to import us. The warning is muted
// for the one creation, and __module__ is set so the class still says where it lives.
Ref create_dummy_type() {
  Ref warnings = Ref::checked(PyImport_ImportModule("warnings"));
  Ref muted = Ref::checked(PyObject_CallMethod(warnings.get(), "catch_warnings", nullptr));
  Ref entered = Ref::checked(PyObject_CallMethod(muted.get(), "__enter__", nullptr));
  Ref type = Ref::steal(nullptr);
  Ref ignored = Ref::steal(PyObject_CallMethod(warnings.get(), "simplefilter", "sO", "ignore",
                                               PyExc_DeprecationWarning));
  if (ignored) type = Ref::steal(PyType_FromSpec(&dummy_spec));
  PyObject *error_type, *error_value, *error_traceback;
  PyErr_Fetch(&error_type, &error_value, &error_traceback);
  Ref exited = Ref::steal(
      PyObject_CallMethod(muted.get(), "__exit__", "OOO", Py_None, Py_None, Py_None));
  if (error_type != nullptr) {
    PyErr_Restore(error_type, error_value, error_traceback);
    throw ErrorAlreadySet{};
  }
  if (!exited) throw ErrorAlreadySet{};
  check(PyObject_SetAttrString(type.get(), "__module__", Ref::checked(PyUnicode_FromString("_tarvo")).get()));
  return type;
}

}  // namespace

PyObject* dummy_type() noexcept {
  static PyObject* type = nullptr;  // guarded by the interpreter lock; lives until exit
  if (type == nullptr) {
    type = guarded<PyObject*>(nullptr, [] { return create_dummy_type().release(); });
  }
  return type;
}

}  // namespace tarvo::py
