// src/core/dummy_kinds.hpp: the grammar of type specifications ("full_name", "int:1:10", "choice:a,b").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

enum class Kind : std::uint8_t {
  Unknown,
  Int,
  Float,
  Choice,
  Uuid,  // "uuid" and "id"
  Gender,
  FirstName,
  LastName,
  FullName,
  Email,
  Birthdate,
  Age,
  CivilStatus,
  BloodType,
  Color,
  Status,
  PhoneNumber,
  Landline,
  SssNumber,
  TinNumber,
  PhilhealthNumber,
  Region,
  Province,
  CityMun,
  Barangay,
  ZipCode,
  Address,
  FullAddress,
};

// A type specification, matched and its parameters read once; generating from it draws exactly
// what matching it for every cell would.
struct ColumnKind {
  Kind kind = Kind::Unknown;
  std::int32_t int_low = 0, int_high = 100;
  double float_min = 0.0, float_max = 1.0, float_multiplier = 100.0;
  std::vector<std::string> options;  // "choice:"/"list:", already trimmed
};

// Matching is exact and case-sensitive; nothing is trimmed. A malformed parameter takes its
// default; an unmatched text is Kind::Unknown. Never fails.
ColumnKind parse_column_kind(std::string_view spec);

// Leading and trailing Unicode White_Space removed from UTF-8 text.
std::string_view trim_white_space(std::string_view text);

}  // namespace tarvo
