// src/binding/arrow_rows_type.hpp: ArrowRows, a range of a data set's rows for Arrow consumers.
#pragma once

#include <memory>

#include "arrow/record_stream.hpp"
#include "engine/plan.hpp"
#include "lib_handle.hpp"

namespace tarvo::py {

// The class, created on the first call and kept for the life of the process. Returns a borrowed
// reference, or NULL with the error set.
PyObject* arrow_rows_type() noexcept;

// A new ArrowRows over its own copy of `plan`, which each stream it exports shares.
Ref make_arrow_rows(std::shared_ptr<const Plan> plan, const arrow::StreamRange& range);

}  // namespace tarvo::py
