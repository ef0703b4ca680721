// src/binding/arrow_json.cpp: struct_to_json(): an Arrow struct array of texts as a text array of JSON objects.
#include "arrow_json.hpp"

#include <stdexcept>

#include "arrow/struct_json.hpp"
#include "arrow_capsule.hpp"
#include "released_gil.hpp"

namespace tarvo::py {

// struct_to_json(array): `array` implements __arrow_c_array__ (a pyarrow StructArray); the
// result is the (schema, array) capsule pair of the JSON text column, for pyarrow.array() to
// import through an object that hands it over. A struct this cannot read raises ValueError.
PyObject* struct_to_json(PyObject*, PyObject* array) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    Ref pair = Ref::checked(PyObject_CallMethod(array, "__arrow_c_array__", nullptr));
    if (!PyTuple_Check(pair.get()) || PyTuple_Size(pair.get()) != 2) {
      PyErr_SetString(PyExc_TypeError, "__arrow_c_array__ must give a pair of capsules");
      throw ErrorAlreadySet{};
    }
    auto* schema = static_cast<ArrowSchema*>(
        PyCapsule_GetPointer(PyTuple_GetItem(pair.get(), 0), kSchemaCapsule));
    if (schema == nullptr) throw ErrorAlreadySet{};
    auto* input = static_cast<ArrowArray*>(
        PyCapsule_GetPointer(PyTuple_GetItem(pair.get(), 1), kArrayCapsule));
    if (input == nullptr) throw ErrorAlreadySet{};
    arrow::SchemaParts schema_parts;
    arrow::ArrayParts parts;
    try {
      ReleasedGil released;  // the capsules, and so the input, are held by `pair`
      parts = arrow::struct_to_json(*schema, *input, schema_parts);
    } catch (const std::invalid_argument& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
      throw ErrorAlreadySet{};
    }
    Ref schema_capsule = new_capsule<ArrowSchema, kSchemaCapsule>(
        [&](ArrowSchema* out) { arrow::export_schema(std::move(schema_parts), out); });
    Ref array_capsule = new_capsule<ArrowArray, kArrayCapsule>(
        [&](ArrowArray* out) { arrow::export_array(std::move(parts), out); });
    return Ref::checked(PyTuple_Pack(2, schema_capsule.get(), array_capsule.get())).release();
  });
}

}  // namespace tarvo::py
