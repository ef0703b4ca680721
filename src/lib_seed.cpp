// src/lib_seed.cpp: Dummy.seed: argument handling and the column list.
#include <string_view>
#include <utility>
#include <vector>

#include "lib_args.hpp"
#include "lib_methods.hpp"

namespace tarvo::py {

Ref seed(PyObject* args, PyObject* kwargs) {
  const auto [row, feature] = bind<2>("Dummy.seed()", {"row", "feature"}, args, kwargs);
  const std::uint64_t rows = convert_argument("row", [&] { return to_u64(row); });
  convert_argument("feature", [&] { expect_instance(feature, Target::Dict); });

  Ref result = Ref::checked(PyList_New(0));
  // The column list is taken from the dict's own storage order (an __iter__ override of a
  // subclass is not consulted) and copied, so nothing the caller's objects do later matters.
  std::vector<std::pair<std::string, std::string>> columns;
  Py_ssize_t pos = 0;
  PyObject *key, *value;
  while (PyDict_Next(feature, &pos, &key, &value)) {
    std::string name(str_to_utf8(key));
    std::string kind(str_to_utf8(value));
    columns.emplace_back(std::move(name), std::move(kind));
  }
  if (rows > 0) {
    PyErr_SetString(PyExc_NotImplementedError, "row generation is not available yet");
    throw ErrorAlreadySet{};
  }
  return result;
}

}  // namespace tarvo::py
