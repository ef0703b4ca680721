// src/binding/byte_output.cpp: writing bytes to files, descriptors and Python callables, and how their failures are raised.
#include "byte_output.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "lib_errors.hpp"
#include "released_gil.hpp"

namespace tarvo::py {

ByteOutput ByteOutput::open_path(const std::string& path, Errors errors) {
  ByteOutput output(-1, true, Ref(), errors);
  if (path.find('\0') != std::string::npos) {
    throw_os_error_text("file name contains a NUL character");
  }
  for (;;) {
    output.fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (output.fd_ >= 0) return output;
    if (errno != EINTR) output.raise_errno(errno);
    check(PyErr_CheckSignals());
  }
}

ByteOutput ByteOutput::to_descriptor(int fd, Errors errors) {
  return ByteOutput(fd, false, Ref(), errors);
}

ByteOutput ByteOutput::to_callable(PyObject* write, Errors errors) {
  return ByteOutput(-1, false, Ref::borrow(write), errors);
}

ByteOutput::ByteOutput(ByteOutput&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      owned_(std::exchange(other.owned_, false)),
      write_(std::move(other.write_)),
      errors_(other.errors_) {}

ByteOutput::~ByteOutput() {
  if (owned_ && fd_ >= 0) ::close(fd_);
}

int ByteOutput::write_natively(std::string_view& bytes) const noexcept {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) return errno;
    if (n == 0) return -1;  // nothing taken and no reason given
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

void ByteOutput::write(std::string_view bytes, bool release_lock) {
  if (bytes.empty()) return;
  if (!writes_natively()) {
    Ref chunk = Ref::checked(
        PyBytes_FromStringAndSize(bytes.data(), static_cast<Py_ssize_t>(bytes.size())));
    Ref ignored = Ref::checked(PyObject_CallFunctionObjArgs(write_.get(), chunk.get(), nullptr));
    return;
  }
  for (;;) {
    int err;
    if (release_lock) {
      ReleasedGil released;
      err = write_natively(bytes);
    } else {
      err = write_natively(bytes);
    }
    if (err == 0) return;
    if (err == -1) throw_os_error_text("failed to write whole buffer");
    if (err != EINTR) raise_errno(err);
    check(PyErr_CheckSignals());
  }
}

void ByteOutput::raise_errno(int err) const {
  if (errors_ == Errors::Save) throw_os_error(err);
  errno = err;
  PyErr_SetFromErrno(PyExc_OSError);  // the subclass open() and write() would raise
  throw ErrorAlreadySet{};
}

BufferedLines::~BufferedLines() {
  if (buffer_.empty()) return;
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  try {
    output_.write(buffer_);
  } catch (...) {
  }
  PyErr_Clear();
  PyErr_Restore(type, value, traceback);
}

}  // namespace tarvo::py
