// src/core/kinds/registry.hpp: every column kind, once: its name, value type, parameters and meaning.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tarvo {

enum class Kind : std::uint8_t {
  Unknown,
  Int,
  Float,
  Choice,
  Uuid,
  Gender,
  FirstName,
  MiddleName,
  LastName,
  Suffix,
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

// What a cell of the kind holds: a sink picks its column type from this (Arrow, databases), a
// row of dicts holds the Python value the comment names.
enum class ValueType : std::uint8_t {
  Int64,    // int
  Int32,    // int, small enough for 32 bits
  Float64,  // float
  Text,     // str
  Date,     // str "YYYY-MM-DD" in rows, a calendar date in typed outputs
  Address,  // dict of barangay, city, province, region, zip_code
};

struct KindInfo {
  std::string_view name;        // the whole text, or the prefix before ':' of a parametric kind
  Kind kind;
  ValueType type;
  std::string_view parameters;  // "" for a plain kind, else the grammar after the name
  std::string_view description;
  bool in_dummy;                // also matched by Dummy.seed (kinds added later are not)
  bool uses_person;             // needs the row's person (names, gender, birth date)
  bool uses_address;            // needs the row's place
  std::string_view alias_of;    // "" or the name of the kind this one is another name for
};

// The one table of kinds, in the order they are listed to users.
std::span<const KindInfo> kind_registry();

// The entry named exactly `name` (a plain kind, or a parametric kind's prefix), or nullptr.
const KindInfo* find_kind(std::string_view name);

std::string_view value_type_name(ValueType type);

// What a cell of `kind` holds (Text for Unknown, which no data set has).
ValueType kind_value_type(Kind kind);

}  // namespace tarvo
