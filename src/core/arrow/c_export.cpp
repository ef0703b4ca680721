// src/core/arrow/c_export.cpp: ownership of exported arrays and schemas, and their release.
#include "arrow/c_export.hpp"

#include <new>
#include <utility>

namespace tarvo::arrow {
namespace {

// What an exported struct points into. The children's structs live here too, but each child
// owns its own holder, so a child moved out by the consumer outlives this one.
template <typename Struct>
struct Holder {
  std::vector<Struct> children;
  std::vector<Struct*> child_pointers;

  Holder() = default;
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  ~Holder() {
    for (Struct& child : children) {
      if (child.release != nullptr) child.release(&child);
    }
  }

  // Sizes the children before any is exported, so their addresses never move.
  void reserve_children(std::size_t count) {
    children.resize(count);  // value-initialised: release is null until exported
    for (Struct& child : children) child_pointers.push_back(&child);
  }
  Struct** child_array() { return children.empty() ? nullptr : child_pointers.data(); }
};

struct ArrayHolder : Holder<ArrowArray> {
  std::vector<OwnedBuffer> owned;
  std::vector<const void*> buffers;
};

struct SchemaHolder : Holder<ArrowSchema> {
  std::string format;
  std::string name;
};

template <typename Struct, typename HolderType>
void release(Struct* exported) noexcept {
  delete static_cast<HolderType*>(exported->private_data);  // releases the children it still has
  exported->release = nullptr;
}

}  // namespace

OwnedBuffer allocate_buffer(std::uint64_t count, std::size_t width) {
  std::size_t bytes = 0;
  if (count > SIZE_MAX || __builtin_mul_overflow(static_cast<std::size_t>(count), width, &bytes)) {
    throw std::bad_alloc();
  }
  OwnedBuffer buffer(std::malloc(bytes == 0 ? 1 : bytes));
  if (!buffer) throw std::bad_alloc();
  return buffer;
}

void export_array(ArrayParts parts, ArrowArray* out) {
  auto holder = std::make_unique<ArrayHolder>();
  holder->reserve_children(parts.children.size());
  for (std::size_t i = 0; i < parts.children.size(); ++i) {
    export_array(std::move(parts.children[i]), &holder->children[i]);
  }
  for (const OwnedBuffer& buffer : parts.buffers) holder->buffers.push_back(buffer.get());
  holder->owned = std::move(parts.buffers);
  *out = ArrowArray{
      .length = parts.length,
      .null_count = parts.null_count,
      .offset = 0,
      .n_buffers = static_cast<std::int64_t>(holder->buffers.size()),
      .n_children = static_cast<std::int64_t>(holder->children.size()),
      .buffers = holder->buffers.data(),
      .children = holder->child_array(),
      .dictionary = nullptr,
      .release = release<ArrowArray, ArrayHolder>,
      .private_data = holder.get(),
  };
  holder.release();
}

void export_schema(SchemaParts parts, ArrowSchema* out) {
  auto holder = std::make_unique<SchemaHolder>();
  holder->reserve_children(parts.children.size());
  for (std::size_t i = 0; i < parts.children.size(); ++i) {
    export_schema(std::move(parts.children[i]), &holder->children[i]);
  }
  holder->format = std::move(parts.format);
  holder->name = std::move(parts.name);
  *out = ArrowSchema{
      .format = holder->format.c_str(),
      .name = holder->name.c_str(),
      .metadata = nullptr,
      .flags = parts.flags,
      .n_children = static_cast<std::int64_t>(holder->children.size()),
      .children = holder->child_array(),
      .dictionary = nullptr,
      .release = release<ArrowSchema, SchemaHolder>,
      .private_data = holder.get(),
  };
  holder.release();
}

}  // namespace tarvo::arrow
