// src/binding/arrow_rows_type.cpp: ArrowRows: the Arrow PyCapsule interface over record streams.
//
// Each __arrow_c_stream__ call exports a fresh stream of the same rows (they are a function of
// the plan and the row index), so one ArrowRows can be read by any number of consumers, one
// after another or at once. The streams hold the plan, not this object: a consumer may read one
// after the ArrowRows, the Dataset and the interpreter lock are all gone.
#include "arrow_rows_type.hpp"

#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "arrow_capsule.hpp"
#include "lib_errors.hpp"

namespace tarvo::py {
namespace {

struct Source {
  std::shared_ptr<const Plan> plan;
  arrow::StreamRange range;
};

// Not collected by the GC: the object holds no Python references.
struct ArrowRowsObject {
  PyObject_HEAD
  Source* source;
};

const Source& source_of(PyObject* self) {
  return *reinterpret_cast<ArrowRowsObject*>(self)->source;
}

PyObject* arrow_c_schema(PyObject* self, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const Source& source = source_of(self);
    return new_capsule<ArrowSchema, kSchemaCapsule>([&](ArrowSchema* out) {
             arrow::export_record_schema(*source.plan, source.range.batch_rows, out);
           }).release();
  });
}

// A consumer that reads the whole stream in its own code (pyarrow.table, polars) holds no
// interpreter lock meanwhile, so Ctrl-C would wait for the last batch. Between batches, on the
// thread that asked for the stream, the pending signals are run; a KeyboardInterrupt ends the
// stream and is raised again once the consumer returns to Python (the consumer reports the
// stream's error first, and would drop an exception left set).
std::function<bool()> signal_check() {
  return [asking = std::this_thread::get_id()] {
    if (std::this_thread::get_id() != asking || !pending_signals_raised()) return false;
    const PyGILState_STATE gil = PyGILState_Ensure();
    const bool interrupt = PyErr_ExceptionMatches(PyExc_KeyboardInterrupt) != 0;
    PyErr_Clear();
    if (interrupt) PyErr_SetInterrupt();
    PyGILState_Release(gil);
    return true;
  };
}

// requested_schema is a request the interface lets a producer decline: the consumer casts, or
// reports the mismatch, from the schema the stream gives.
PyObject* arrow_c_stream(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    static const char* keywords[] = {"requested_schema", nullptr};
    PyObject* requested = nullptr;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O:__arrow_c_stream__",
                                     const_cast<char**>(keywords), &requested)) {
      throw ErrorAlreadySet{};
    }
    const Source& source = source_of(self);
    arrow::StreamRange range = source.range;
    range.stop_requested = signal_check();
    return new_capsule<ArrowArrayStream, kStreamCapsule>([&](ArrowArrayStream* out) {
             arrow::export_record_stream(source.plan, range, out);
           }).release();
  });
}

PyObject* arrow_rows_repr(PyObject* self) noexcept {
  const arrow::StreamRange& range = source_of(self).range;
  return PyUnicode_FromFormat("<ArrowRows start=%llu rows=%llu batch_rows=%llu threads=%u>",
                              static_cast<unsigned long long>(range.start),
                              static_cast<unsigned long long>(range.count),
                              static_cast<unsigned long long>(range.batch_rows), range.threads);
}

void arrow_rows_dealloc(PyObject* self) noexcept {
  PyTypeObject* type = Py_TYPE(self);
  delete reinterpret_cast<ArrowRowsObject*>(self)->source;
  auto free_slot = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
  free_slot(self);
  Py_DECREF(type);
}

PyMethodDef arrow_rows_methods[] = {
    {"__arrow_c_schema__", arrow_c_schema, METH_NOARGS,
     "__arrow_c_schema__($self)\n--\n\nThe rows' schema, as a PyCapsule named 'arrow_schema'."},
    {"__arrow_c_stream__",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(arrow_c_stream)),
     METH_VARARGS | METH_KEYWORDS,
     "__arrow_c_stream__($self, /, requested_schema=None)\n--\n\n"
     "A new stream of the rows, as a PyCapsule named 'arrow_array_stream'."},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot arrow_rows_slots[] = {
    {Py_tp_doc,
     const_cast<char*>("Rows of a Dataset for Arrow consumers: made by Dataset.arrow().")},
    {Py_tp_repr, reinterpret_cast<void*>(arrow_rows_repr)},
    {Py_tp_dealloc, reinterpret_cast<void*>(arrow_rows_dealloc)},
    {Py_tp_methods, arrow_rows_methods},
    {0, nullptr},
};

PyType_Spec arrow_rows_spec = {"tarvo._engine.ArrowRows", static_cast<int>(sizeof(ArrowRowsObject)),
                               0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION,
                               arrow_rows_slots};

}  // namespace

PyObject* arrow_rows_type() noexcept {
  static PyObject* type = nullptr;  // guarded by the interpreter lock; lives until exit
  if (type == nullptr) type = PyType_FromSpec(&arrow_rows_spec);
  return type;
}

Ref make_arrow_rows(std::shared_ptr<const Plan> plan, const arrow::StreamRange& range) {
  auto source = std::make_unique<Source>(Source{std::move(plan), range});
  PyObject* type_object = arrow_rows_type();
  if (type_object == nullptr) throw ErrorAlreadySet{};
  auto* type = reinterpret_cast<PyTypeObject*>(type_object);
  auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  Ref self = Ref::checked(alloc(type, 0));
  reinterpret_cast<ArrowRowsObject*>(self.get())->source = source.release();
  return self;
}

}  // namespace tarvo::py
