// src/core/arrow/record_schema.cpp: choosing the columns' Arrow types, described as a schema.
#include "arrow/record_schema.hpp"

#include <limits>
#include <utility>

#include "arrow/text_bounds.hpp"
#include "panic.hpp"

namespace tarvo::arrow {
namespace {

ValueType value_type_of(Kind kind) {
  for (const KindInfo& info : kind_registry()) {
    if (info.kind == kind) return info.type;
  }
  throw Panic("a planned column has no kind in the registry");
}

bool needs_large_text(std::size_t longest_cell, std::uint64_t batch_rows) {
  constexpr std::uint64_t kMaxBytes = std::numeric_limits<std::int32_t>::max();
  return longest_cell != 0 && batch_rows > kMaxBytes / longest_cell;
}

SchemaParts field(std::string format, std::string name, std::vector<SchemaParts> children = {}) {
  return SchemaParts{std::move(format), std::move(name), 0, std::move(children)};
}

}  // namespace

std::vector<ColumnType> column_types(const Plan& plan, std::uint64_t batch_rows) {
  std::vector<ColumnType> types;
  for (const PlannedColumn& column : plan.columns) {
    const ValueType value = value_type_of(column.kind.kind);
    const std::size_t longest = longest_text_bytes(column.kind);
    types.push_back({value, needs_large_text(longest, batch_rows), longest});
  }
  return types;
}

SchemaParts record_schema(const Plan& plan, std::span<const ColumnType> types) {
  SchemaParts record = field("+s", "");
  for (std::size_t i = 0; i < types.size(); ++i) {
    const std::string& name = plan.columns[i].name;
    const char* text = types[i].large_text ? "U" : "u";
    switch (types[i].value) {
      case ValueType::Int64:
        record.children.push_back(field("l", name));
        break;
      case ValueType::Int32:
        record.children.push_back(field("i", name));
        break;
      case ValueType::Float64:
        record.children.push_back(field("g", name));
        break;
      case ValueType::Text:
        record.children.push_back(field(text, name));
        break;
      case ValueType::Date:
        record.children.push_back(field("tdD", name));
        break;
      case ValueType::Address: {
        std::vector<SchemaParts> parts;
        for (const char* part : kAddressFields) parts.push_back(field(text, part));
        record.children.push_back(field("+s", name, std::move(parts)));
        break;
      }
    }
  }
  return record;
}

}  // namespace tarvo::arrow
