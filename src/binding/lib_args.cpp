// src/binding/lib_args.cpp: argument binding with the interpreter's own TypeError wording, and conversions.
#include "lib_args.hpp"

#include <string>
#include <vector>

#include "lib_errors.hpp"

namespace tarvo::py {
namespace {

[[noreturn]] void type_error(const std::string& message) {
  PyErr_SetString(PyExc_TypeError, message.c_str());
  throw ErrorAlreadySet{};
}

std::string quoted_list(std::span<const char* const> names) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) {
      if (names.size() > 2) out += ",";
      out += " ";
      if (i + 1 == names.size()) out += "and ";
    }
    out += "'";
    out += names[i];
    out += "'";
  }
  return out;
}

}  // namespace

void bind_arguments(const char* function, std::span<const char* const> names, PyObject* args,
                    PyObject* kwargs, std::span<PyObject*> out) {
  const std::size_t count = names.size();
  const Py_ssize_t given = args == nullptr ? 0 : PyTuple_Size(args);
  if (given < 0) throw ErrorAlreadySet{};
  if (static_cast<std::size_t>(given) > count) {
    type_error(std::string(function) + " takes " + std::to_string(count) +
               " positional arguments but " + std::to_string(given) +
               (given == 1 ? " was given" : " were given"));
  }
  for (Py_ssize_t i = 0; i < given; ++i) out[i] = PyTuple_GetItem(args, i);

  if (kwargs != nullptr) {
    Py_ssize_t pos = 0;
    PyObject *key, *value;
    while (PyDict_Next(kwargs, &pos, &key, &value)) {
      std::size_t slot = count;
      for (std::size_t i = 0; i < count; ++i) {
        if (PyUnicode_Check(key) && PyUnicode_CompareWithASCIIString(key, names[i]) == 0) {
          slot = i;
          break;
        }
      }
      if (slot == count) {
        PyErr_Format(PyExc_TypeError, "%s got an unexpected keyword argument '%S'", function, key);
        throw ErrorAlreadySet{};
      }
      if (out[slot] != nullptr) {
        PyErr_Format(PyExc_TypeError, "%s got multiple values for argument '%S'", function, key);
        throw ErrorAlreadySet{};
      }
      out[slot] = value;
    }
  }

  std::vector<const char*> missing;
  for (std::size_t i = 0; i < count; ++i) {
    if (out[i] == nullptr) missing.push_back(names[i]);
  }
  if (!missing.empty()) {
    type_error(std::string(function) + " missing " + std::to_string(missing.size()) +
               " required positional " + (missing.size() == 1 ? "argument" : "arguments") + ": " +
               quoted_list(missing));
  }
}

void expect_instance(PyObject* value, Target target) {
  const unsigned long flags = PyType_GetFlags(Py_TYPE(value));
  const char* name = "str";
  unsigned long bit = Py_TPFLAGS_UNICODE_SUBCLASS;
  if (target == Target::Dict) {
    name = "dict";
    bit = Py_TPFLAGS_DICT_SUBCLASS;
  } else if (target == Target::List) {
    name = "list";
    bit = Py_TPFLAGS_LIST_SUBCLASS;
  }
  if (flags & bit) return;
  if (value == Py_None) type_error(std::string("'None' is not an instance of '") + name + "'");
  std::string type_name = "<failed to extract type name>";
  if (PyObject* qualname = PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(value)),
                                                  "__qualname__")) {
    Py_ssize_t size = 0;
    const char* text = PyUnicode_Check(qualname) ? PyUnicode_AsUTF8AndSize(qualname, &size) : nullptr;
    if (text != nullptr) type_name.assign(text, static_cast<std::size_t>(size));
    Py_DECREF(qualname);
  }
  PyErr_Clear();
  type_error("'" + type_name + "' object is not an instance of '" + name + "'");
}

std::string_view utf8(PyObject* str) {
  Py_ssize_t size = 0;
  const char* text = PyUnicode_AsUTF8AndSize(str, &size);
  if (text == nullptr) throw ErrorAlreadySet{};
  return {text, static_cast<std::size_t>(size)};
}

std::string_view str_to_utf8(PyObject* value) {
  expect_instance(value, Target::Str);
  return utf8(value);
}

std::uint64_t to_u64(PyObject* value) {
  Ref number = PyLong_Check(value) ? Ref::borrow(value) : Ref::checked(PyNumber_Index(value));
  const unsigned long long result = PyLong_AsUnsignedLongLong(number.get());
  if (result == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw ErrorAlreadySet{};
  return result;
}

}  // namespace tarvo::py
