// src/binding/released_gil.hpp: the interpreter lock let go for native work that touches no Python object.
#pragma once

#include "lib_handle.hpp"

namespace tarvo::py {

// Lets other Python threads run while the native work goes on; taken back on every path out,
// exceptions included.
class ReleasedGil {
 public:
  ReleasedGil() : state_(PyEval_SaveThread()) {}
  ReleasedGil(const ReleasedGil&) = delete;
  ReleasedGil& operator=(const ReleasedGil&) = delete;
  ~ReleasedGil() { PyEval_RestoreThread(state_); }

 private:
  PyThreadState* state_;
};

}  // namespace tarvo::py
