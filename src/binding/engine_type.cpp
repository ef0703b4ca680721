// src/binding/engine_type.cpp: Engine(columns, seed_low, seed_high, year, month, day, profile, unique, ages), rows() and arrow().
#include "engine_type.hpp"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "arrow_rows_type.hpp"
#include "dict_sink.hpp"
#include "engine/chunk_pipeline.hpp"
#include "engine/plan.hpp"
#include "engine/row_draw.hpp"
#include "kinds/definition_error.hpp"
#include "lib_args.hpp"
#include "lib_errors.hpp"
#include "released_gil.hpp"
#include "sinks/recording_sink.hpp"

namespace tarvo::py {
namespace {

// Not collected by the GC: the object holds no Python references, only the C++ plan, which the
// tables that read this one share.
struct EngineObject {
  PyObject_HEAD
  std::shared_ptr<const Plan>* plan;
};

const std::shared_ptr<const Plan>& shared_plan_of(PyObject* self) {
  return *reinterpret_cast<EngineObject*>(self)->plan;
}
const Plan& plan_of(PyObject* self) { return *shared_plan_of(self); }

std::uint32_t to_u32(PyObject* value) {
  const std::uint64_t wide = to_u64(value);
  if (wide > 0xFFFFFFFFu) {
    PyErr_SetString(PyExc_OverflowError, "value out of range");
    throw ErrorAlreadySet{};
  }
  return static_cast<std::uint32_t>(wide);
}

// table: None, or (name, [(earlier name, Engine, rows), ...], children, rows) with children None
// or (parent name, least, [weight, ...], households) and rows None for a child table: the schema
// a table belongs to.
std::optional<TableContext> read_table(PyObject* table) {
  if (table == Py_None) return std::nullopt;
  TableContext context;
  if (!PyTuple_Check(table) || PyTuple_Size(table) != 4) {
    PyErr_SetString(PyExc_TypeError, "table must be None or (name, earlier, children, rows)");
    throw ErrorAlreadySet{};
  }
  if (PyTuple_GetItem(table, 3) != Py_None) {
    context.rows = to_u64(PyTuple_GetItem(table, 3));
  }
  context.name = std::string(str_to_utf8(PyTuple_GetItem(table, 0)));
  PyObject* earlier = PyTuple_GetItem(table, 1);
  expect_instance(earlier, Target::List);
  for (Py_ssize_t i = 0; i < PyList_Size(earlier); ++i) {
    PyObject* pair = PyList_GetItem(earlier, i);
    if (!PyTuple_Check(pair) || PyTuple_Size(pair) != 3 ||
        !PyObject_TypeCheck(PyTuple_GetItem(pair, 1), reinterpret_cast<PyTypeObject*>(engine_type()))) {
      PyErr_SetString(PyExc_TypeError, "earlier tables must be (name, Engine, rows) triples");
      throw ErrorAlreadySet{};
    }
    context.earlier.emplace_back(
        std::string(str_to_utf8(PyTuple_GetItem(pair, 0))),
        TableContext::Earlier{shared_plan_of(PyTuple_GetItem(pair, 1)),
                              to_u64(PyTuple_GetItem(pair, 2))});
  }
  PyObject* children = PyTuple_GetItem(table, 2);
  if (children != Py_None) {
    if (!PyTuple_Check(children) || PyTuple_Size(children) != 4) {
      PyErr_SetString(PyExc_TypeError, "children must be (parent, least, weights, households)");
      throw ErrorAlreadySet{};
    }
    const int households = PyObject_IsTrue(PyTuple_GetItem(children, 3));
    check(households);
    PyObject* weights = PyTuple_GetItem(children, 2);
    expect_instance(weights, Target::List);
    std::vector<std::uint64_t> counts;
    for (Py_ssize_t i = 0; i < PyList_Size(weights); ++i) counts.push_back(to_u64(PyList_GetItem(weights, i)));
    census::AliasTable table_of_counts;
    if (households == 0) {
      try {
        table_of_counts = census::AliasTable(counts);
      } catch (const std::invalid_argument& error) {
        throw DefinitionError(std::string("per_parent: ") + error.what());
      }
    }
    context.children = TableContext::Children{
        std::string(str_to_utf8(PyTuple_GetItem(children, 0))), std::move(table_of_counts),
        to_u32(PyTuple_GetItem(children, 1)), households != 0};
  }
  return context;
}


PyObject* engine_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const auto [columns, seed_low, seed_high, year, month, day, profile, unique, ages, table] =
        bind<10>("Engine()",
                 {"columns", "seed_low", "seed_high", "year", "month", "day", "profile", "unique",
                  "ages", "table"},
                 args, kwargs);
    expect_instance(columns, Target::List);
    std::vector<std::pair<std::string, std::string>> pairs;
    const Py_ssize_t size = PyList_Size(columns);
    for (Py_ssize_t i = 0; i < size; ++i) {
      Ref pair = Ref::borrow(PyList_GetItem(columns, i));
      if (!PyTuple_Check(pair.get()) || PyTuple_Size(pair.get()) != 2) {
        PyErr_SetString(PyExc_TypeError, "columns must be (name, kind) pairs");
        throw ErrorAlreadySet{};
      }
      pairs.emplace_back(str_to_utf8(PyTuple_GetItem(pair.get(), 0)),
                         str_to_utf8(PyTuple_GetItem(pair.get(), 1)));
    }
    expect_instance(unique, Target::List);
    std::vector<std::string> unique_names;
    for (Py_ssize_t i = 0; i < PyList_Size(unique); ++i) {
      unique_names.emplace_back(str_to_utf8(PyList_GetItem(unique, i)));
    }
    std::optional<AgeRange> age_range;
    if (ages != Py_None) {
      if (!PyTuple_Check(ages) || PyTuple_Size(ages) != 2) {
        PyErr_SetString(PyExc_TypeError, "ages must be None or a (youngest, oldest) pair");
        throw ErrorAlreadySet{};
      }
      age_range = AgeRange{to_u32(PyTuple_GetItem(ages, 0)), to_u32(PyTuple_GetItem(ages, 1))};
    }
    const CivilDate as_of{static_cast<std::int32_t>(to_u32(year)), to_u32(month), to_u32(day)};
    std::optional<TableContext> context = read_table(table);
    if (context) context->stop = stop_on_signals();
    const std::string profile_name(str_to_utf8(profile));
    const std::uint64_t low = to_u64(seed_low), high = to_u64(seed_high);
    // Building a one to many index draws every parent's count: everything Python gave is
    // copied above, and no Python object is touched below.
    std::shared_ptr<const Plan> made;
    {
      ReleasedGil released;
      made = std::make_shared<const Plan>(make_plan(pairs, low, high, as_of,
                                                    make_profile(profile_name, age_range),
                                                    unique_names, context ? &*context : nullptr));
    }
    auto plan = std::make_unique<std::shared_ptr<const Plan>>(std::move(made));
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    Ref self = Ref::checked(alloc(type, 0));
    reinterpret_cast<EngineObject*>(self.get())->plan = plan.release();
    return self.release();
  });
}

void engine_dealloc(PyObject* self) noexcept {
  PyTypeObject* type = Py_TYPE(self);
  delete reinterpret_cast<EngineObject*>(self)->plan;
  auto free_slot = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
  free_slot(self);
  Py_DECREF(type);
}

// column_types(): what each column holds, as a tuple of value type names as value_types()
// names them: the types a typed output (a database table) gives its columns.
PyObject* engine_column_types(PyObject* self, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const Plan& plan = plan_of(self);
    Ref result = Ref::checked(PyTuple_New(static_cast<Py_ssize_t>(plan.columns.size())));
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
      const std::string_view name = value_type_info(plan.columns[i].type()).name;
      Ref text = Ref::checked(
          PyUnicode_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size())));
      PyTuple_SetItem(result.get(), static_cast<Py_ssize_t>(i), text.release());
    }
    return result.release();
  });
}

// nullable(): for each column, whether its cells can be null.
PyObject* engine_nullable(PyObject* self, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const Plan& plan = plan_of(self);
    Ref result = Ref::checked(PyTuple_New(static_cast<Py_ssize_t>(plan.columns.size())));
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
      PyObject* flag = plan.columns[i].nullable() ? Py_True : Py_False;
      PyTuple_SetItem(result.get(), static_cast<Py_ssize_t>(i), Ref::borrow(flag).release());
    }
    return result.release();
  });
}

// row_count(): None, or the rows of the child of a one to many relation.
PyObject* engine_row_count(PyObject* self, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const Plan& plan = plan_of(self);
    if (!plan.row_count) return Ref::borrow(Py_None).release();
    return Ref::checked(PyLong_FromUnsignedLongLong(*plan.row_count)).release();
  });
}

// relations(): (name, parent table, pick, index bytes) of each relation the table reads.
PyObject* engine_relations(PyObject* self, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const Plan& plan = plan_of(self);
    Ref result = Ref::checked(PyTuple_New(static_cast<Py_ssize_t>(plan.relations.size())));
    for (std::size_t i = 0; i < plan.relations.size(); ++i) {
      const Relation& relation = *plan.relations[i];
      const char* pick = relation.pick() == Pick::Uniform   ? "uniform"
                         : relation.pick() == Pick::Skewed ? "skewed"
                                                            : "children";
      const std::size_t bytes = relation.index() ? relation.index()->memory_bytes() : 0;
      PyTuple_SetItem(result.get(), static_cast<Py_ssize_t>(i),
                      Ref::checked(Py_BuildValue("(s#s#sn)", relation.name().data(),
                                                 static_cast<Py_ssize_t>(relation.name().size()),
                                                 relation.table().data(),
                                                 static_cast<Py_ssize_t>(relation.table().size()),
                                                 pick, static_cast<Py_ssize_t>(bytes)))
                          .release());
    }
    return result.release();
  });
}

// rows(start, count): the caller has checked that start + count stays within 2**63.
PyObject* engine_rows(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const auto [start_arg, count_arg, overlap_arg] =
        bind<3>("Engine.rows()", {"start", "count", "overlap"}, args, kwargs);
    const std::uint64_t start = to_u64(start_arg);
    const std::uint64_t count = to_u64(count_arg);
    const int overlap = PyObject_IsTrue(overlap_arg);
    check(overlap);
    if (count > static_cast<std::uint64_t>(PY_SSIZE_T_MAX) ||
        count > std::vector<Ref>().max_size()) {
      return Ref::checked(PyErr_NoMemory()).release();
    }
    const Plan& plan = plan_of(self);
    check_rows(plan, start + count);
    std::vector<std::string> names;
    for (const PlannedColumn& column : plan.columns) names.push_back(column.name);
    DictSink sink(names, static_cast<std::size_t>(count));
    // Between chunks, a long call answers Ctrl-C (or any signal handler that raises).
    constexpr std::uint64_t kChunkRows = 4096;
    if (!overlap) {
      for (std::uint64_t done = 0; done < count; done += kChunkRows) {
        check(PyErr_CheckSignals());
        draw_seeded_rows(plan, start + done, std::min(kChunkRows, count - done), sink);
      }
      return sink.take_list().release();
    }
    // A worker thread draws the next chunk of rows while this one turns the last into dicts:
    // the drawing needs no interpreter, so the two overlap on two cores.
    ChunkPipeline<RecordingSink> pipeline(plan, start, count, kChunkRows, 1,
                                          [](std::uint64_t, std::uint64_t) {
                                            return std::make_unique<RecordingSink>();
                                          });
    for (;;) {
      check(PyErr_CheckSignals());
      std::unique_ptr<RecordingSink> chunk;
      {
        ReleasedGil released;
        chunk = pipeline.next();
      }
      if (!chunk) break;
      chunk->replay(sink);
    }
    return sink.take_list().release();
  });
}

// arrow(start, count, batch_rows, threads): the caller has checked the range, and that batch_rows
// and threads are at least 1.
PyObject* engine_arrow(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const auto [start, count, batch_rows, threads] =
        bind<4>("Engine.arrow()", {"start", "count", "batch_rows", "threads"}, args, kwargs);
    const arrow::StreamRange range{to_u64(start), to_u64(count), to_u64(batch_rows),
                                   to_u32(threads), {}};
    if (range.batch_rows == 0 || range.threads == 0) {
      PyErr_SetString(PyExc_ValueError, "batch_rows and threads must be at least 1");
      throw ErrorAlreadySet{};
    }
    check_rows(plan_of(self), range.start + range.count);
    return make_arrow_rows(shared_plan_of(self), range).release();
  });
}

PyMethodDef engine_methods[] = {
    {"column_types", engine_column_types, METH_NOARGS, "column_types($self)\n--\n\n"},
    {"nullable", engine_nullable, METH_NOARGS, "nullable($self)\n--\n\n"},
    {"row_count", engine_row_count, METH_NOARGS, "row_count($self)\n--\n\n"},
    {"relations", engine_relations, METH_NOARGS, "relations($self)\n--\n\n"},
    {"write", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(engine_write)),
     METH_VARARGS | METH_KEYWORDS,
     "write($self, target, format, start, count, threads, chunk_rows, progress)\n--\n\n"},
    {"rows", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(engine_rows)),
     METH_VARARGS | METH_KEYWORDS, "rows($self, start, count, overlap)\n--\n\n"},
    {"arrow", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(engine_arrow)),
     METH_VARARGS | METH_KEYWORDS, "arrow($self, start, count, batch_rows, threads)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot engine_slots[] = {
    {Py_tp_doc, const_cast<char*>(
                    "Engine(columns, seed_low, seed_high, year, month, day, profile, unique, ages, table)\n--\n\n")},
    {Py_tp_new, reinterpret_cast<void*>(engine_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(engine_dealloc)},
    {Py_tp_methods, engine_methods},
    {0, nullptr},
};

PyType_Spec engine_spec = {"tarvo._engine.Engine", static_cast<int>(sizeof(EngineObject)), 0,
                           Py_TPFLAGS_DEFAULT, engine_slots};

}  // namespace

const Plan& engine_plan(PyObject* self) { return plan_of(self); }

PyObject* engine_type() noexcept {
  static PyObject* type = nullptr;  // guarded by the interpreter lock; lives until exit
  if (type == nullptr) type = PyType_FromSpec(&engine_spec);
  return type;
}

}  // namespace tarvo::py
