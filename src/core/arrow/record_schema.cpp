// src/core/arrow/record_schema.cpp: choosing the columns' Arrow types, described as a schema.
#include "arrow/record_schema.hpp"

#include <limits>
#include <string>
#include <utility>

namespace tarvo::arrow {
namespace {

constexpr std::int64_t kNullable = 2;  // ARROW_FLAG_NULLABLE

bool needs_large_text(std::size_t longest_cell, std::uint64_t batch_rows) {
  constexpr std::uint64_t kMaxBytes = std::numeric_limits<std::int32_t>::max();
  return longest_cell != 0 && batch_rows > kMaxBytes / longest_cell;
}

SchemaParts field(std::string format, std::string name, std::int64_t flags = 0,
                  std::vector<SchemaParts> children = {}) {
  return SchemaParts{std::move(format), std::move(name), flags, std::move(children)};
}

}  // namespace

std::vector<ColumnType> column_types(const Plan& plan, std::uint64_t batch_rows) {
  std::vector<ColumnType> types;
  for (const PlannedColumn& column : plan.columns) {
    const std::size_t longest = column.drawer->traits().longest_text;
    types.push_back({column.type(), column.nullable(), needs_large_text(longest, batch_rows),
                     longest});
  }
  return types;
}

SchemaParts record_schema(const Plan& plan, std::span<const ColumnType> types) {
  SchemaParts record = field("+s", "");
  for (std::size_t i = 0; i < types.size(); ++i) {
    const std::string& name = plan.columns[i].name;
    const std::int64_t flags = types[i].nullable ? kNullable : 0;
    const char* text = types[i].large_text ? "U" : "u";
    switch (types[i].value) {
      case ValueType::Text:
        record.children.push_back(field(text, name, flags));
        break;
      case ValueType::Address: {
        std::vector<SchemaParts> parts;
        for (const char* part : kAddressFields) parts.push_back(field(text, part));
        record.children.push_back(field("+s", name, flags, std::move(parts)));
        break;
      }
      default:
        record.children.push_back(
            field(std::string(value_type_info(types[i].value).arrow), name, flags));
        break;
    }
  }
  return record;
}

}  // namespace tarvo::arrow
