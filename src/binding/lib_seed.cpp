// src/binding/lib_seed.cpp: Dummy.seed: the lenient column plan, drawn into a list of dicts.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "dict_sink.hpp"
#include "engine/row_draw.hpp"
#include "kinds/lenient_parse.hpp"
#include "lib_args.hpp"
#include "lib_methods.hpp"

namespace tarvo::py {

Ref seed(PyObject* args, PyObject* kwargs) {
  const auto [row, feature] = bind<2>("Dummy.seed()", {"row", "feature"}, args, kwargs);
  const std::uint64_t rows = convert_argument("row", [&] { return to_u64(row); });
  convert_argument("feature", [&] { expect_instance(feature, Target::Dict); });

  // The plan is taken from the dict's own storage order (an __iter__ override of a subclass is
  // not consulted) and holds copies, so nothing the caller's objects do later can matter.
  std::vector<std::string> names;
  std::vector<std::shared_ptr<const Drawer>> kinds;
  Py_ssize_t pos = 0;
  PyObject *key, *value;
  while (PyDict_Next(feature, &pos, &key, &value)) {
    names.emplace_back(str_to_utf8(key));
    kinds.push_back(resolve_lenient(str_to_utf8(value)));
  }
  if (rows > static_cast<std::uint64_t>(PY_SSIZE_T_MAX)) {
    return Ref::checked(PyErr_NoMemory());
  }
  if (rows == 0) return Ref::checked(PyList_New(0));
  if (rows > std::vector<Ref>().max_size()) return Ref::checked(PyErr_NoMemory());

  DictSink sink(names, static_cast<std::size_t>(rows));
  // A long call answers Ctrl-C (or any signal handler that raises) within a few milliseconds.
  constexpr std::uint64_t kRowsBetweenSignalChecks = 4096;
  for (std::uint64_t done = 0; done < rows; done += kRowsBetweenSignalChecks) {
    check(PyErr_CheckSignals());
    draw_thread_rows(kinds, std::min(kRowsBetweenSignalChecks, rows - done), sink);
  }
  return sink.take_list();
}

}  // namespace tarvo::py
