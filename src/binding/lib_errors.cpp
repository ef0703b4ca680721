// src/binding/lib_errors.cpp: PanicException, the C++-to-Python exception boundary and OSError mapping.
#include "lib_errors.hpp"

#include <cerrno>
#include <new>
#include <system_error>
#include <thread>

#include "kinds/strict_parse.hpp"
#include "panic.hpp"

namespace tarvo::py {
// Created once per process and never freed: every module object of the process raises the
// same class, so `except PanicException` keeps working. Its name says tarvo, where the package
// exposes it: pickle finds a class by that name, so a failure can cross a process pool.
PyObject* panic_type() noexcept {
  static PyObject* type = nullptr;  // guarded by the interpreter lock
  if (type == nullptr) {
    type = PyErr_NewExceptionWithDoc(
        "tarvo.PanicException",
        "An internal failure of _tarvo. Derived from BaseException, so that a plain "
        "'except Exception' does not swallow it.",
        PyExc_BaseException, nullptr);
  }
  return type;
}

void raise_panic(std::string_view message) noexcept {
  PyObject* type = panic_type();
  if (type == nullptr) return;  // the creation failure is the pending error
  Ref text = Ref::steal(PyUnicode_DecodeUTF8(message.data(),
                                             static_cast<Py_ssize_t>(message.size()), "replace"));
  if (!text) return;
  Ref args = Ref::steal(PyTuple_Pack(1, text.get()));
  if (args) PyErr_SetObject(type, args.get());
}

void set_error_from_current_exception() noexcept {
  try {
    throw;
  } catch (const ErrorAlreadySet&) {
    if (!PyErr_Occurred()) {
      PyErr_SetString(PyExc_SystemError, "_tarvo: a failure was reported without an exception");
    }
  } catch (const DefinitionError& e) {
    // From the whole length: a message is never cut at a NUL in the text it quotes.
    const std::string& message = e.message();
    Ref text = Ref::steal(PyUnicode_DecodeUTF8(
        message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
    if (text) PyErr_SetObject(PyExc_ValueError, text.get());
  } catch (const Interrupted&) {
    // A signal handler raised while the work polled it (pending_signals_raised): its
    // exception, a KeyboardInterrupt most often, is the one to give.
    if (!PyErr_Occurred()) PyErr_SetNone(PyExc_KeyboardInterrupt);
  } catch (const Panic& e) {
    raise_panic(e.message());
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& e) {
    PyErr_SetString(PyExc_SystemError, e.what());
  } catch (...) {
    PyErr_SetString(PyExc_SystemError, "_tarvo: unknown C++ exception");
  }
}

void add_parameter_note(const char* parameter) noexcept {
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  if (type == nullptr) return;
  PyErr_NormalizeException(&type, &value, &traceback);
  if (value != nullptr) {
    if (traceback != nullptr) PyException_SetTraceback(value, traceback);
    Ref add_note = Ref::steal(PyObject_GetAttrString(value, "add_note"));
    Ref note = Ref::steal(PyUnicode_FromFormat("while processing '%s'", parameter));
    if (add_note && note) {
      Ref ignored = Ref::steal(PyObject_CallFunctionObjArgs(add_note.get(), note.get(), nullptr));
    }
    PyErr_Clear();  // a missing or failing add_note only loses the note
  }
  PyErr_Restore(type, value, traceback);
}

namespace {

PyObject* os_error_class(int err) {
  switch (err) {
    case ENOENT: return PyExc_FileNotFoundError;
    case EACCES:
    case EPERM: return PyExc_PermissionError;
    case ECONNREFUSED: return PyExc_ConnectionRefusedError;
    case ECONNRESET: return PyExc_ConnectionResetError;
    case ECONNABORTED: return PyExc_ConnectionAbortedError;
    case EPIPE: return PyExc_BrokenPipeError;
    case EEXIST: return PyExc_FileExistsError;
    case EAGAIN: return PyExc_BlockingIOError;
    case ENOTDIR: return PyExc_NotADirectoryError;
    case EISDIR: return PyExc_IsADirectoryError;
    case ETIMEDOUT: return PyExc_TimeoutError;
    case EINTR: return PyExc_InterruptedError;
    case ENOMEM: return PyExc_MemoryError;
    default: return PyExc_OSError;
  }
}

void raise_with_single_text(PyObject* cls, PyObject* text) {
  // A one-argument OSError keeps errno and filename as None: the text is the whole message.
  Ref args = Ref::steal(PyTuple_Pack(1, text));
  if (args) PyErr_SetObject(cls, args.get());
}

}  // namespace

void throw_os_error(int err) {
  std::string description = std::system_category().message(err);
  Ref text = Ref::checked(
      PyUnicode_FromFormat("%s (os error %d)", description.c_str(), err));
  raise_with_single_text(os_error_class(err), text.get());
  throw ErrorAlreadySet{};
}

void throw_os_error_text(const char* message) {
  Ref text = Ref::checked(PyUnicode_FromString(message));
  raise_with_single_text(PyExc_OSError, text.get());
  throw ErrorAlreadySet{};
}

}  // namespace tarvo::py

namespace tarvo::py {

bool pending_signals_raised() noexcept {
  const PyGILState_STATE gil = PyGILState_Ensure();
  const bool raised = PyErr_CheckSignals() < 0;
  PyGILState_Release(gil);
  return raised;
}

StopCheck stop_on_signals() {
  return [asking = std::this_thread::get_id()] {
    return std::this_thread::get_id() == asking && pending_signals_raised();
  };
}

}  // namespace tarvo::py
