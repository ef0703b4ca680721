// src/binding/lib_handle.hpp: owning references to Python objects and the "a Python error is set" exception.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace tarvo::py {

// Thrown when a C-API call has failed and left its exception set; the entry point returns
// its failure value and the interpreter reports that exception unchanged.
struct ErrorAlreadySet {};

// One strong reference. Built explicitly by steal (takes over a new reference, e.g. from a
// C-API call) or borrow (adds one), so every path out of a scope, exceptions included,
// drops exactly what it owns.
class Ref {
 public:
  Ref() noexcept = default;
  static Ref steal(PyObject* o) noexcept { return Ref(o); }
  static Ref borrow(PyObject* o) noexcept {
    Py_XINCREF(o);
    return Ref(o);
  }
  // For the result of a call that returns a new reference or NULL with an error set.
  static Ref checked(PyObject* o) {
    if (o == nullptr) throw ErrorAlreadySet{};
    return Ref(o);
  }

  Ref(const Ref& other) noexcept : obj_(other.obj_) { Py_XINCREF(obj_); }
  Ref(Ref&& other) noexcept : obj_(std::exchange(other.obj_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(obj_, other.obj_);
    return *this;
  }
  ~Ref() { Py_XDECREF(obj_); }

  PyObject* get() const noexcept { return obj_; }
  // Hands the reference to the caller (typically the interpreter, as a return value).
  PyObject* release() noexcept { return std::exchange(obj_, nullptr); }
  explicit operator bool() const noexcept { return obj_ != nullptr; }

 private:
  explicit Ref(PyObject* o) noexcept : obj_(o) {}
  PyObject* obj_ = nullptr;
};

// For C-API calls that return -1 (or another negative value) with an error set.
inline void check(int status) {
  if (status < 0) throw ErrorAlreadySet{};
}

}  // namespace tarvo::py
