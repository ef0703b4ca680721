// src/core/arrow/struct_json.cpp: JSON objects from a struct array's text children, spelled as Python's json does.
#include "arrow/struct_json.hpp"

#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sinks/text_forms.hpp"

namespace tarvo::arrow {
namespace {

// One text child, read where its offsets say (the child's own offset and the struct's added).
class TextColumn {
 public:
  TextColumn(const ArrowSchema& schema, const ArrowArray& array, std::int64_t offset)
      : name_(schema.name == nullptr ? "" : schema.name), offset_(array.offset + offset) {
    const std::string_view format = schema.format == nullptr ? "" : schema.format;
    if (format != "u" && format != "U") throw std::invalid_argument("a child is not text");
    if (array.null_count != 0 || array.n_buffers != 3) {
      throw std::invalid_argument("a text child has nulls");
    }
    large_ = format == "U";
    offsets_ = array.buffers[1];
    data_ = static_cast<const char*>(array.buffers[2]);
  }

  std::string_view name() const { return name_; }

  // Bytes of text in the first `rows` rows.
  std::size_t span(std::int64_t rows) const {
    if (rows == 0) return 0;
    return static_cast<std::size_t>(at(rows - 1).data() + at(rows - 1).size() - at(0).data());
  }

  std::string_view at(std::int64_t row) const {
    const std::int64_t i = offset_ + row;
    std::int64_t begin, end;
    if (large_) {
      begin = static_cast<const std::int64_t*>(offsets_)[i];
      end = static_cast<const std::int64_t*>(offsets_)[i + 1];
    } else {
      begin = static_cast<const std::int32_t*>(offsets_)[i];
      end = static_cast<const std::int32_t*>(offsets_)[i + 1];
    }
    return {data_ + begin, static_cast<std::size_t>(end - begin)};
  }

 private:
  std::string_view name_;
  std::int64_t offset_;
  bool large_ = false;
  const void* offsets_ = nullptr;
  const char* data_ = nullptr;
};

template <typename Offset>
OwnedBuffer offsets_buffer(const std::vector<std::int64_t>& ends) {
  OwnedBuffer buffer = allocate_buffer(ends.size() + 1, sizeof(Offset));
  auto* out = static_cast<Offset*>(buffer.get());
  out[0] = 0;
  for (std::size_t i = 0; i < ends.size(); ++i) out[i + 1] = static_cast<Offset>(ends[i]);
  return buffer;
}

}  // namespace

ArrayParts struct_to_json(const ArrowSchema& schema, const ArrowArray& array,
                          SchemaParts& out_schema) {
  if (schema.format == nullptr || std::string_view(schema.format) != "+s" ||
      schema.n_children != array.n_children) {
    throw std::invalid_argument("not a struct array");
  }
  // A null struct (a column with nulls=P) stays null; its children's values are not read. A
  // null_count of -1 means "not counted", as the C data interface allows.
  const auto* validity = array.null_count != 0 && array.n_buffers > 0
                             ? static_cast<const std::uint8_t*>(array.buffers[0])
                             : nullptr;
  const auto valid = [&](std::int64_t row) {
    const std::int64_t i = array.offset + row;
    return validity == nullptr || ((validity[i >> 3] >> (i & 7)) & 1) != 0;
  };
  std::vector<TextColumn> columns;
  for (std::int64_t c = 0; c < array.n_children; ++c) {
    columns.emplace_back(*schema.children[c], *array.children[c], array.offset);
  }
  // The keys as json.dumps spells them, with what comes before each: "{" or ", ", then ": ".
  std::vector<std::string> keys;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    std::string key = c == 0 ? "{" : ", ";
    append_json_string(key, columns[c].name(), false);
    keys.push_back(key + ": ");
  }
  std::string text;
  // The values, the keys and a little for escapes: one allocation in the usual case.
  std::size_t expected = 2 * static_cast<std::size_t>(array.length);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    expected += columns[c].span(array.length) + (keys[c].size() + 2) *
                                                     static_cast<std::size_t>(array.length);
  }
  text.reserve(expected + expected / 16);
  std::vector<std::int64_t> ends;
  ends.reserve(static_cast<std::size_t>(array.length));
  std::int64_t nulls = 0;
  OwnedBuffer bitmap = allocate_buffer(static_cast<std::size_t>(array.length + 7) / 8);
  auto* bits = static_cast<std::uint8_t*>(bitmap.get());
  std::memset(bits, 0, static_cast<std::size_t>(array.length + 7) / 8);
  for (std::int64_t row = 0; row < array.length; ++row) {
    if (!valid(row)) {
      ++nulls;
      ends.push_back(static_cast<std::int64_t>(text.size()));
      continue;
    }
    bits[row >> 3] = static_cast<std::uint8_t>(bits[row >> 3] | (1u << (row & 7)));
    if (columns.empty()) text.push_back('{');
    for (std::size_t c = 0; c < columns.size(); ++c) {
      text.append(keys[c]);
      append_json_string(text, columns[c].at(row), false);
    }
    text.push_back('}');
    ends.push_back(static_cast<std::int64_t>(text.size()));
  }
  const bool large = text.size() > 0x7FFFFFFFu;
  ArrayParts parts;
  parts.length = array.length;
  parts.null_count = nulls;
  if (nulls == 0) {
    parts.buffers.emplace_back(nullptr);  // no validity bitmap: no nulls
  } else {
    parts.buffers.push_back(std::move(bitmap));
  }
  parts.buffers.push_back(large ? offsets_buffer<std::int64_t>(ends)
                                : offsets_buffer<std::int32_t>(ends));
  OwnedBuffer data = allocate_buffer(text.size());
  std::memcpy(data.get(), text.data(), text.size());
  parts.buffers.push_back(std::move(data));
  constexpr std::int64_t kNullable = 2;  // ARROW_FLAG_NULLABLE
  out_schema = SchemaParts{large ? "U" : "u", schema.name == nullptr ? "" : schema.name,
                           nulls == 0 ? 0 : kNullable, {}};
  return parts;
}

}  // namespace tarvo::arrow
