// src/binding/engine_sqlite.cpp: write_sqlite: a new SQLite file of one table, its records drawn by worker threads.
#include "engine_sqlite.hpp"

#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "byte_output.hpp"
#include "engine/chunk_pipeline.hpp"
#include "engine/plan.hpp"
#include "engine_type.hpp"
#include "lib_args.hpp"
#include "released_gil.hpp"
#include "sinks/byte_sink.hpp"
#include "sqlite/file_builder.hpp"

namespace tarvo::py {
namespace {

// Page 1 goes where its room was kept, once the rest of the file is there.
void write_first_page(int fd, std::string_view page) {
  for (off_t at = 0; !page.empty();) {
    const ssize_t n = ::pwrite(fd, page.data(), page.size(), at);
    if (n < 0 && errno == EINTR) {
      check(PyErr_CheckSignals());
      continue;
    }
    if (n <= 0) ByteOutput::to_descriptor(fd, ByteOutput::Errors::Python).raise_errno(n < 0 ? errno : EIO);
    page.remove_prefix(static_cast<std::size_t>(n));
    at += n;
  }
}

}  // namespace

// write_sqlite(engine, fd, table, create_sql, start, count, threads, chunk_rows, progress): fd
// is a new, empty file opened for writing; create_sql the CREATE TABLE text whose columns match
// the engine's. The caller has checked the range.
PyObject* write_sqlite(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const auto [engine, fd_arg, table_arg, sql_arg, start_arg, count_arg, threads_arg, chunk_arg,
                progress] =
        bind<9>("write_sqlite()",
                {"engine", "fd", "table", "create_sql", "start", "count", "threads", "chunk_rows",
                 "progress"},
                args, kwargs);
    if (!PyObject_TypeCheck(engine, reinterpret_cast<PyTypeObject*>(engine_type()))) {
      PyErr_SetString(PyExc_TypeError, "engine must be an Engine");
      throw ErrorAlreadySet{};
    }
    const Plan& plan = engine_plan(engine);
    const int fd = static_cast<int>(to_u64(fd_arg));
    const std::string table(str_to_utf8(table_arg));
    const std::string create_sql(str_to_utf8(sql_arg));
    const std::uint64_t start = to_u64(start_arg);
    const std::uint64_t count = to_u64(count_arg);
    const auto threads = static_cast<unsigned>(std::min<std::uint64_t>(to_u64(threads_arg), 1024));
    const std::uint64_t chunk_rows = to_u64(chunk_arg);
    check_rows(plan, start + count);

    ByteOutput output = ByteOutput::to_descriptor(fd, ByteOutput::Errors::Python);
    std::string pages(sqlite::FileBuilder::kPageSize, '\0');  // page 1's room, filled last
    sqlite::FileBuilder builder([&](std::string_view page) { pages.append(page); });
    ChunkPipeline<ByteSink> pipeline(
        plan, start, count, chunk_rows, threads, [&](std::uint64_t, std::uint64_t rows) {
          auto sink = make_byte_sink(ByteFormat::SqliteRecords, plan, false);
          sink->bytes.reserve(rows * (plan.columns.size() + 1) * 16);
          return sink;
        });
    std::uint64_t done = 0;
    for (std::uint64_t chunk = 0; chunk < pipeline.chunk_count(); ++chunk) {
      int err = 0;
      std::string_view rest;
      {
        ReleasedGil released;
        std::unique_ptr<ByteSink> sink = pipeline.next();
        builder.add_records(sink->bytes);
        rest = pages;
        err = output.write_natively(rest);
      }
      if (err > 0 && err != EINTR) output.raise_errno(err);
      if (err == EINTR) check(PyErr_CheckSignals());
      output.write(rest, true);
      pages.clear();
      done += std::min(chunk_rows, count - done);
      check(PyErr_CheckSignals());
      if (progress != Py_None) {
        Ref rows = Ref::checked(PyLong_FromUnsignedLongLong(done));
        Ref ignored = Ref::checked(PyObject_CallFunctionObjArgs(progress, rows.get(), nullptr));
      }
    }
    std::string first;
    try {
      first = builder.finish(table, create_sql);
    } catch (const std::length_error& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
      throw ErrorAlreadySet{};
    }
    output.write(pages, true);
    write_first_page(fd, first);
    return Ref::borrow(Py_None).release();
  });
}

}  // namespace tarvo::py
