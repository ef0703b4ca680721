// src/core/arrow/record_stream.hpp: a data set's rows as an Arrow stream of record batches.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "arrow/c_data.hpp"
#include "engine/plan.hpp"

namespace tarvo::arrow {

struct StreamRange {
  std::uint64_t start = 0;
  std::uint64_t count = 0;
  std::uint64_t batch_rows = 1;  // every batch but the last has exactly this many rows
  unsigned threads = 1;
  // Asked before each batch, on the thread that reads the stream: true ends the stream there
  // with EINTR ("interrupted"), so a consumer reading it whole still answers Ctrl-C.
  std::function<bool()> stop_requested;
};

// Fills `out` with a stream of rows start .. start + count - 1. Workers start drawing at the
// first get_next and stay at most a few batches ahead of the consumer; release stops them.
// The callbacks never touch the interpreter and never throw, so a consumer may call them from
// any thread without the interpreter lock; a failure is an errno value (ENOMEM when memory ran
// out, EIO otherwise) with its message from get_last_error, and every later get_next repeats it.
void export_record_stream(std::shared_ptr<const Plan> plan, const StreamRange& range,
                          ArrowArrayStream* out);

// The schema of that stream alone (it depends on the plan and batch_rows only).
void export_record_schema(const Plan& plan, std::uint64_t batch_rows, ArrowSchema* out);

}  // namespace tarvo::arrow
