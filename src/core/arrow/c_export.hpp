// src/core/arrow/c_export.hpp: buffers and types handed to a consumer through the C structs.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "arrow/c_data.hpp"

namespace tarvo::arrow {

struct FreeDeleter {
  void operator()(void* memory) const noexcept { std::free(memory); }
};

// Memory from std::malloc. Consumers map buffers without copying, so a buffer lives until the
// consumer releases the array that holds it, long after the sink that filled it is gone.
using OwnedBuffer = std::unique_ptr<void, FreeDeleter>;

// std::malloc(count * width), at least one byte (an exported buffer is never a null pointer by
// accident), or std::bad_alloc, also when the product does not fit in size_t.
OwnedBuffer allocate_buffer(std::uint64_t count, std::size_t width = 1);

// An array before export: its buffers in the order its type's layout gives them (a null
// validity bitmap for no nulls) and its children.
struct ArrayParts {
  std::int64_t length = 0;
  std::vector<OwnedBuffer> buffers;
  std::vector<ArrayParts> children;
  std::int64_t null_count = 0;
};

struct SchemaParts {
  std::string format;
  std::string name;
  std::int64_t flags = 0;
  std::vector<SchemaParts> children;
};

// Move the parts into `out`, which then owns them until its release callback is called. As the
// interface allows, a consumer may move any child out first (copying the struct and nulling its
// release); the parent's release then leaves that child alone.
void export_array(ArrayParts parts, ArrowArray* out);
void export_schema(SchemaParts parts, ArrowSchema* out);

}  // namespace tarvo::arrow
