// src/core/kinds/value_type.hpp: what a cell holds, and how each output spells that type.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tarvo {

// A kind's cells all have one value type; a sink picks its column type from it, and the row
// drawer calls the Sink method of the same name.
enum class ValueType : std::uint8_t {
  Int64,
  Int32,      // small enough for 32 bits (ages)
  Float64,
  Bool,
  Money,      // pesos with two decimal places, held as whole centavos
  Text,
  Date,       // "YYYY-MM-DD" text in rows, a calendar date in typed outputs
  Timestamp,  // to the second, at +08:00 (Philippine time)
  Time,       // a time of day to the second
  Address,    // barangay, city, province, region and ZIP code together
};

struct ValueTypeInfo {
  ValueType type;
  std::string_view name;      // as the engine reports a column's type: "int64", "money", ...
  std::string_view in_rows;   // the Python type of a cell in Dataset.rows()
  std::string_view typed;     // what typed outputs hold, where that differs from in_rows ("")
  std::string_view arrow;     // Arrow C data format ("" for text, whose width the batch decides)
  std::string_view postgres;  // column type of a PostgreSQL table
  std::string_view sqlite;    // declared type of a SQLite column
};

// Every value type, in the order of the enum.
std::span<const ValueTypeInfo> value_types();
const ValueTypeInfo& value_type_info(ValueType type);

}  // namespace tarvo
