// src/core/kinds/registry.cpp: the table of column kinds. A new kind is one row here plus its draw.
#include "kinds/registry.hpp"

#include <array>

namespace tarvo {
namespace {

using enum ValueType;

constexpr bool P = true;   // uses the row's person
constexpr bool A = true;   // uses the row's place
constexpr bool D = true;   // matched by Dummy.seed too
constexpr bool _ = false;

// clang-format off
constexpr std::array kKinds = std::to_array<KindInfo>({
  //name               kind                    type     parameters               description                                                            dummy person place alias
  {"int",              Kind::Int,              Int64,   ":LOW:HIGH",             "whole number from LOW to HIGH inclusive (defaults 0 and 100)",        D, _, _, ""},
  {"float",            Kind::Float,            Float64, ":MIN:MAX:PLACES",       "number drawn from [MIN, MAX), rounded to PLACES decimals (defaults 0, 1, 2)", D, _, _, ""},
  {"choice",           Kind::Choice,           Text,    ":A,B,...",              "one of the options, trimmed",                                         D, _, _, ""},
  {"list",             Kind::Choice,           Text,    ":A,B,...",              "one of the options, trimmed",                                         D, _, _, "choice"},
  {"uuid",             Kind::Uuid,             Text,    "",                      "random version-4 UUID",                                               D, _, _, ""},
  {"id",               Kind::Uuid,             Text,    "",                      "random version-4 UUID",                                               D, _, _, "uuid"},
  {"gender",           Kind::Gender,           Text,    "",                      "Male or Female",                                                      D, P, _, ""},
  {"first_name",       Kind::FirstName,        Text,    "",                      "first name matching the gender",                                      D, P, _, ""},
  {"middle_name",      Kind::MiddleName,       Text,    "",                      "middle name: a surname, the mother's maiden name",                    _, P, _, ""},
  {"last_name",        Kind::LastName,         Text,    "",                      "surname",                                                             D, P, _, ""},
  {"suffix",           Kind::Suffix,           Text,    "",                      "name suffix (Jr., Sr., III), mostly empty",                           _, P, _, ""},
  {"full_name",        Kind::FullName,         Text,    "",                      "first name and surname",                                              D, P, _, ""},
  {"email",            Kind::Email,            Text,    "",                      "e-mail address made from the row's names",                            D, P, _, ""},
  {"birthdate",        Kind::Birthdate,        Date,    "",                      "birth date, YYYY-MM-DD",                                              D, P, _, ""},
  {"age",              Kind::Age,              Int32,   "",                      "exact age in years on the data set's date",                           D, P, _, ""},
  {"civil_status",     Kind::CivilStatus,      Text,    "",                      "civil status",                                                        D, P, _, ""},
  {"blood_type",       Kind::BloodType,        Text,    "",                      "ABO and Rh blood type",                                               D, _, _, ""},
  {"color",            Kind::Color,            Text,    "",                      "colour name",                                                         D, _, _, ""},
  {"status",           Kind::Status,           Text,    "",                      "record status",                                                       D, _, _, ""},
  {"phone_number",     Kind::PhoneNumber,      Text,    "",                      "mobile number",                                                       D, _, _, ""},
  {"landline",         Kind::Landline,         Text,    "",                      "landline number with area code",                                      D, _, A, ""},
  {"sss_number",       Kind::SssNumber,        Text,    "",                      "Social Security System number",                                       D, _, _, ""},
  {"tin_number",       Kind::TinNumber,        Text,    "",                      "Taxpayer Identification Number",                                      D, _, _, ""},
  {"philhealth_number",Kind::PhilhealthNumber, Text,    "",                      "PhilHealth identification number",                                    D, _, _, ""},
  {"region",           Kind::Region,           Text,    "",                      "region",                                                              D, _, A, ""},
  {"province",         Kind::Province,         Text,    "",                      "province",                                                            D, _, A, ""},
  {"city_mun",         Kind::CityMun,          Text,    "",                      "city or municipality",                                                D, _, A, ""},
  {"barangay",         Kind::Barangay,         Text,    "",                      "barangay",                                                            D, _, A, ""},
  {"zip_code",         Kind::ZipCode,          Text,    "",                      "four-digit ZIP code, empty where unknown",                            D, _, A, ""},
  {"address",          Kind::Address,          Address, "",                      "barangay, city, province, region and ZIP code together",              D, _, A, ""},
  {"full_address",     Kind::FullAddress,      Text,    "",                      "the address on one line",                                             D, _, A, ""},
});
// clang-format on

}  // namespace

std::span<const KindInfo> kind_registry() { return kKinds; }

const KindInfo* find_kind(std::string_view name) {
  for (const KindInfo& info : kKinds) {
    if (info.name == name) return &info;
  }
  return nullptr;
}

ValueType kind_value_type(Kind kind) {
  for (const KindInfo& info : kKinds) {
    if (info.kind == kind) return info.type;
  }
  return Text;
}

std::string_view value_type_name(ValueType type) {
  switch (type) {
    case Int64: return "int";
    case Int32: return "int";
    case Float64: return "float";
    case Text: return "str";
    case Date: return "date";
    case ValueType::Address: return "dict";
  }
  return "?";
}

}  // namespace tarvo
