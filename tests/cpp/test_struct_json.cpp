// tests/cpp/test_struct_json.cpp: struct arrays of texts as JSON objects, spelled as Python's json.dumps does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "arrow/struct_json.hpp"

namespace tarvo::arrow {
namespace {

ArrayParts text_column(const std::vector<std::string>& values) {
  ArrayParts parts;
  parts.length = static_cast<std::int64_t>(values.size());
  std::string data;
  OwnedBuffer offsets = allocate_buffer(values.size() + 1, sizeof(std::int32_t));
  auto* ends = static_cast<std::int32_t*>(offsets.get());
  ends[0] = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    data += values[i];
    ends[i + 1] = static_cast<std::int32_t>(data.size());
  }
  OwnedBuffer bytes = allocate_buffer(data.size());
  std::memcpy(bytes.get(), data.data(), data.size());
  parts.buffers.emplace_back(nullptr);
  parts.buffers.push_back(std::move(offsets));
  parts.buffers.push_back(std::move(bytes));
  return parts;
}

TEST(StructJson, SpellsEachRowAsJsonDumpsWithTheArraysOffset) {
  ArrayParts parts;
  parts.length = 3;
  parts.buffers.emplace_back(nullptr);
  parts.children.push_back(text_column({"skip", "Osmeña", "say \"hi\"\\\n"}));
  parts.children.push_back(text_column({"", "8417", ""}));
  ArrowArray array;
  export_array(std::move(parts), &array);
  array.offset = 1;  // a slice: the first row is not part of it
  array.length = 2;
  ArrowSchema schema;
  export_schema(SchemaParts{"+s", "where", 0, {{"u", "barangay", 0, {}}, {"u", "zip \"code\"", 0, {}}}},
                &schema);
  SchemaParts out_schema;
  ArrayParts json = struct_to_json(schema, array, out_schema);
  ASSERT_EQ(json.length, 2);
  EXPECT_EQ(out_schema.format, "u");
  const auto* ends = static_cast<const std::int32_t*>(json.buffers[1].get());
  const std::string text(static_cast<const char*>(json.buffers[2].get()),
                         static_cast<std::size_t>(ends[2]));
  EXPECT_EQ(text.substr(0, static_cast<std::size_t>(ends[1])),
            R"({"barangay": "Osmeña", "zip \"code\"": "8417"})");
  EXPECT_EQ(text.substr(static_cast<std::size_t>(ends[1])),
            R"({"barangay": "say \"hi\"\\\n", "zip \"code\"": ""})");
  array.release(&array);
  schema.release(&schema);
}

}  // namespace
}  // namespace tarvo::arrow
