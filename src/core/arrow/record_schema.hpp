// src/core/arrow/record_schema.hpp: each column's Arrow type, fixed before the first batch.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "arrow/c_export.hpp"
#include "engine/plan.hpp"
#include "kinds/registry.hpp"

namespace tarvo::arrow {

struct ColumnType {
  ValueType value;
  // Text (a Text column, or an address's parts) with 64-bit offsets: large_utf8 instead of utf8.
  bool large_text = false;
  std::size_t longest_text = 0;  // longest_text_bytes() of the column's kind
};

// A column's text takes 64-bit offsets when its longest possible cell times batch_rows could
// pass the 2 GiB that 32-bit offsets reach. Every batch of a stream shares one schema, so the
// choice rests on the bound, not on the bytes a batch happens to draw.
std::vector<ColumnType> column_types(const Plan& plan, std::uint64_t batch_rows);

// A struct ("+s") of the columns, named as in the plan, none nullable (a data set has no nulls):
// int64, int32 (age), float64, utf8 or large_utf8, date32 (birthdate) and, for an address, a
// struct of barangay, city, province, region and zip_code text.
SchemaParts record_schema(const Plan& plan, std::span<const ColumnType> types);

// The address parts in the order of the struct's children.
inline constexpr const char* kAddressFields[] = {"barangay", "city", "province", "region",
                                                 "zip_code"};

}  // namespace tarvo::arrow
