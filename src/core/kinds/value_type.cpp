// src/core/kinds/value_type.cpp: the one table of value types and their spellings in each output.
#include "kinds/value_type.hpp"

#include <array>

namespace tarvo {
namespace {

using enum ValueType;

// Times are in milliseconds in Arrow, as Parquet stores them, so a file reads back the types
// it was written with. Money is decimal(18, 2) everywhere it is typed: the money kind keeps sums below 10^16 pesos,
// so eighteen digits always suffice. Timestamps are instants written at Philippine time, +08:00
// all year (the Philippines has kept no daylight saving time since 1990), and become timestamptz
// in PostgreSQL, which stores the instant and shows it in the session's zone. In SQLite, which has
// no such types, money is text (a REAL would round it) and times are ISO text.
// clang-format off
constexpr std::array kValueTypes = std::to_array<ValueTypeInfo>({
  //type       name         rows       typed                arrow          postgres            sqlite
  {Int64,      "int64",     "int",     "",                  "l",           "bigint",           "BIGINT"},
  {Int32,      "int32",     "int",     "",                  "i",           "integer",          "INTEGER"},
  {Float64,    "float64",   "float",   "",                  "g",           "double precision", "REAL"},
  {Bool,       "bool",      "bool",    "",                  "b",           "boolean",          "BOOLEAN"},
  {Money,      "money",     "Decimal", "decimal(18, 2)",    "d:18,2",      "numeric(18,2)",    "TEXT"},
  {Text,       "text",      "str",     "",                  "",            "text",             "TEXT"},
  {Date,       "date",      "str",     "date",              "tdD",         "date",             "DATE"},
  {Timestamp,  "timestamp", "str",     "timestamp, +08:00", "tsm:+08:00",  "timestamptz",      "TIMESTAMP"},
  {Time,       "time",      "str",     "time",              "ttm",         "time",             "TIME"},
  {Address,    "address",   "dict",    "struct",            "+s",          "jsonb",            "JSON"},
});
// clang-format on

static_assert([] {
  for (std::size_t i = 0; i < kValueTypes.size(); ++i) {
    if (static_cast<std::size_t>(kValueTypes[i].type) != i) return false;
  }
  return true;
}(), "the table follows the order of the enum");

}  // namespace

std::span<const ValueTypeInfo> value_types() { return kValueTypes; }

const ValueTypeInfo& value_type_info(ValueType type) {
  return kValueTypes[static_cast<std::size_t>(type)];
}

}  // namespace tarvo
