// src/binding/engine_write.cpp: Engine.write: rows drawn by worker threads, written as bytes in row order.
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "engine/chunk_pipeline.hpp"
#include "engine_type.hpp"
#include "lib_args.hpp"
#include "lib_errors.hpp"
#include "released_gil.hpp"
#include "sinks/byte_sink.hpp"

namespace tarvo::py {
namespace {

ByteFormat read_format(PyObject* text) {
  const std::string_view name = str_to_utf8(text);
  if (name == "csv") return ByteFormat::Csv;
  if (name == "json") return ByteFormat::Json;
  if (name == "jsonl") return ByteFormat::Jsonl;
  if (name == "pgcopy") return ByteFormat::PgCopy;
  PyErr_Format(PyExc_ValueError, "format must be csv, json, jsonl or pgcopy, not %R", text);
  throw ErrorAlreadySet{};
}

// OSError(errno, strerror) of the right subclass, as open() and write() in Python raise it.
[[noreturn]] void throw_errno(int err) {
  errno = err;
  PyErr_SetFromErrno(PyExc_OSError);
  throw ErrorAlreadySet{};
}

// Where the bytes go: a file descriptor written without the interpreter lock, or a Python
// callable (a binary file's write) given bytes with it.
class Output {
 public:
  explicit Output(PyObject* target) {
    if (PyLong_Check(target)) {
      fd_ = static_cast<int>(PyLong_AsLong(target));
      if (fd_ < 0 && PyErr_Occurred()) throw ErrorAlreadySet{};
    } else {
      write_ = Ref::borrow(target);
    }
  }

  bool writes_natively() const { return fd_ >= 0; }

  // Called without the interpreter lock; returns 0 or the errno of the failed write (EINTR
  // included: the caller runs the signal handlers and calls again with what is left).
  int write_natively(std::string_view& bytes) const {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0) return errno;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
  }

  // With the interpreter lock.
  void write(std::string_view bytes, bool lock_released_for_writing) {
    if (bytes.empty()) return;
    if (!writes_natively()) {
      Ref chunk = Ref::checked(
          PyBytes_FromStringAndSize(bytes.data(), static_cast<Py_ssize_t>(bytes.size())));
      Ref ignored = Ref::checked(PyObject_CallFunctionObjArgs(write_.get(), chunk.get(), nullptr));
      return;
    }
    for (;;) {
      int err;
      if (lock_released_for_writing) {
        ReleasedGil released;
        err = write_natively(bytes);
      } else {
        err = write_natively(bytes);
      }
      if (err == 0) return;
      if (err != EINTR) throw_errno(err);
      check(PyErr_CheckSignals());
    }
  }

 private:
  int fd_ = -1;
  Ref write_;
};

}  // namespace

// write(target, format, start, count, threads, chunk_rows, progress): target is a file
// descriptor or a callable taking bytes; progress is None or a callable given the rows done
// after each chunk. The caller has checked the range.
PyObject* engine_write(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const auto [target, format_arg, start_arg, count_arg, threads_arg, chunk_arg, progress] =
        bind<7>("Engine.write()",
                {"target", "format", "start", "count", "threads", "chunk_rows", "progress"}, args,
                kwargs);
    Output output(target);
    const ByteFormat format = read_format(format_arg);
    const std::uint64_t start = to_u64(start_arg);
    const std::uint64_t count = to_u64(count_arg);
    const auto threads = static_cast<unsigned>(std::min<std::uint64_t>(to_u64(threads_arg), 1024));
    const std::uint64_t chunk_rows = to_u64(chunk_arg);
    const Plan& plan = engine_plan(self);
    check_rows(plan, start + count);

    output.write(byte_prologue(format, plan, count), false);
    ChunkPipeline<ByteSink> pipeline(plan, start, count, chunk_rows, threads,
                                     [&](std::uint64_t first, std::uint64_t rows) {
                                       auto sink = make_byte_sink(format, plan, first == start);
                                       // About a CSV line's worth: fewer regrowths of the buffer.
                                       sink->bytes.reserve(rows * (plan.columns.size() + 1) * 20);
                                       return sink;
                                     });
    std::uint64_t done = 0;
    for (std::uint64_t chunk = 0; chunk < pipeline.chunk_count(); ++chunk) {
      std::unique_ptr<ByteSink> sink;
      int err = 0;
      std::string_view rest;
      {
        ReleasedGil released;
        sink = pipeline.next();
        rest = sink->bytes;
        // Written here, while the lock is already free, when the target is a descriptor.
        if (output.writes_natively()) err = output.write_natively(rest);
      }
      if (err != 0 && err != EINTR) throw_errno(err);
      if (err == EINTR) check(PyErr_CheckSignals());
      output.write(rest, true);
      done += std::min(chunk_rows, count - done);
      check(PyErr_CheckSignals());
      if (progress != Py_None) {
        Ref rows = Ref::checked(PyLong_FromUnsignedLongLong(done));
        Ref ignored = Ref::checked(PyObject_CallFunctionObjArgs(progress, rows.get(), nullptr));
      }
    }
    output.write(byte_epilogue(format, count), false);
    return Ref::borrow(Py_None).release();
  });
}

}  // namespace tarvo::py
