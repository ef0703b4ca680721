// src/binding/engine_write.cpp: Engine.write: rows drawn by worker threads, written as bytes in row order.
#include <cerrno>
#include <string>
#include <string_view>

#include "byte_output.hpp"
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

// A descriptor number (the engine's own file, written without the interpreter lock) or a
// callable given bytes (a caller's file object, through a writer that takes each piece whole).
ByteOutput read_target(PyObject* target) {
  constexpr auto errors = ByteOutput::Errors::Python;
  if (!PyLong_Check(target)) return ByteOutput::to_callable(target, errors);
  const long fd = PyLong_AsLong(target);
  if (fd < 0 && PyErr_Occurred()) throw ErrorAlreadySet{};
  return ByteOutput::to_descriptor(static_cast<int>(fd), errors);
}

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
    ByteOutput output = read_target(target);
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
      // An interruption, or a write that took nothing, goes on below with what is left.
      if (err > 0 && err != EINTR) output.raise_errno(err);
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
