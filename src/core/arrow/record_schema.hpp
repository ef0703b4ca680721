// src/core/arrow/record_schema.hpp: each column's Arrow type, fixed before the first batch.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "arrow/c_export.hpp"
#include "engine/plan.hpp"
#include "kinds/value_type.hpp"

namespace tarvo::arrow {

struct ColumnType {
  ValueType value;
  bool nullable = false;  // has a validity bitmap: the column has nulls
  // Text (a Text column, or an address's parts) with 64-bit offsets: large_utf8 instead of utf8.
  bool large_text = false;
  std::size_t longest_text = 0;  // the column's longest possible cell, in bytes
};

// A column's text takes 64-bit offsets when its longest possible cell times batch_rows could
// pass the 2 GiB that 32-bit offsets reach. Every batch of a stream shares one schema, so the
// choice rests on the bound, not on the bytes a batch happens to draw.
std::vector<ColumnType> column_types(const Plan& plan, std::uint64_t batch_rows);

// A struct ("+s") of the columns, named as in the plan, each of its value type's Arrow type
// (utf8 or large_utf8 for text; for an address, a struct of barangay, city, province, region
// and zip_code text), nullable only where the column has nulls.
SchemaParts record_schema(const Plan& plan, std::span<const ColumnType> types);

// The address parts in the order of the struct's children.
inline constexpr const char* kAddressFields[] = {"barangay", "city", "province", "region",
                                                 "zip_code"};

}  // namespace tarvo::arrow
