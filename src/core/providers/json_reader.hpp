// src/core/providers/json_reader.hpp: strict reading of the compiled-in JSON documents into records.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <simdjson.h>

#include "panic.hpp"

namespace tarvo::json {

// Bytes that must be readable after the end of a text given to parse_document(); the
// compiled-in documents carry exactly this much zero padding.
inline constexpr std::size_t kPadding = simdjson::SIMDJSON_PADDING;

// A document that does not have the expected shape. what() is a short description such as
// "missing field `male`"; callers put their document's name in front of it.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses a whole document given with kPadding readable zero bytes after text.end(); only
// whitespace may follow the top-level value ("trailing characters after the top-level value").
// Syntax errors become FormatError carrying simdjson's description. The element lives as long
// as the parser and its next parse.
simdjson::dom::element parse_document(simdjson::dom::parser& parser, std::string_view padded_text);

// Throws FormatError unless the value is a JSON string / array / object.
std::string_view expect_string(simdjson::dom::element value);
simdjson::dom::array expect_array(simdjson::dom::element value);
simdjson::dom::object expect_object(simdjson::dom::element value);

// A JSON integer in [0, max]; anything else (a float, a negative, a larger value) throws.
std::uint64_t expect_unsigned(simdjson::dom::element value, std::uint64_t max);

// An array whose elements are all strings, copied in order; anything else throws FormatError.
std::vector<std::string> read_string_list(simdjson::dom::element value);

namespace detail {
[[noreturn]] void throw_missing_field(std::string_view field);
[[noreturn]] void throw_duplicate_field(std::string_view field);
[[noreturn]] void throw_in_field(const FormatError& inner, std::string_view field);
[[noreturn]] void throw_wrong_length(std::size_t got, std::size_t expected);
[[noreturn]] void throw_not_a_record(bool allow_array_form);
}  // namespace detail

// Walks a record in object form (keys in any order) or, when allow_array_form is set, an array
// of its field values in declared order (an array of another length is an error). Calls
// on_field(std::size_t index, simdjson::dom::element value) once per declared field. Keys that
// are not fields are skipped with their values whatever they hold; a missing or repeated field
// throws FormatError. A FormatError thrown by on_field is rethrown with " for `<field>`"
// appended, so nested records read as "invalid type: expected a string for `name` for `cities`".
template <std::size_t N, typename OnField>
void read_record(simdjson::dom::element value, const std::array<std::string_view, N>& fields,
                 bool allow_array_form, OnField&& on_field) {
  auto deliver = [&](std::size_t index, simdjson::dom::element field_value) {
    try {
      on_field(index, field_value);
    } catch (const FormatError& inner) {
      detail::throw_in_field(inner, fields[index]);
    }
  };

  simdjson::dom::object object;
  if (value.get_object().get(object) == simdjson::SUCCESS) {
    std::array<bool, N> seen{};
    for (simdjson::dom::key_value_pair member : object) {
      std::size_t index = 0;
      while (index < N && fields[index] != member.key) {
        ++index;
      }
      if (index == N) {
        continue;
      }
      if (seen[index]) {
        detail::throw_duplicate_field(fields[index]);
      }
      seen[index] = true;
      deliver(index, member.value);
    }
    for (std::size_t index = 0; index < N; ++index) {
      if (!seen[index]) {
        detail::throw_missing_field(fields[index]);
      }
    }
    return;
  }

  simdjson::dom::array array;
  if (allow_array_form && value.get_array().get(array) == simdjson::SUCCESS) {
    // size() saturates at 0xFFFFFF, which still differs from any field count.
    if (array.size() != N) {
      detail::throw_wrong_length(array.size(), N);
    }
    std::size_t index = 0;
    for (simdjson::dom::element item : array) {
      deliver(index++, item);
    }
    return;
  }
  detail::throw_not_a_record(allow_array_form);
}

// The internal failure for a compiled-in document that does not parse:
// Panic "Invalid <document_name> format: <what the reader found>".
[[noreturn]] void throw_invalid_document(std::string_view document_name, const FormatError& error);

// Reads a whole document that is one object whose fields are each a non-empty array of strings
// (the reference documents); returns the lists in field order. Every fault, syntax included,
// is a Panic from throw_invalid_document(). An empty list is refused too, because the
// generators pick from these lists without checking.
template <std::size_t N>
std::array<std::vector<std::string>, N> read_string_list_document(
    std::string_view document_name, std::string_view padded_text,
    const std::array<std::string_view, N>& fields) {
  std::array<std::vector<std::string>, N> lists;
  try {
    simdjson::dom::parser parser;
    read_record(parse_document(parser, padded_text), fields, false,
                [&](std::size_t index, simdjson::dom::element value) {
                  lists[index] = read_string_list(value);
                  if (lists[index].empty()) {
                    throw FormatError("invalid length 0, expected a non-empty array of strings");
                  }
                });
  } catch (const FormatError& error) {
    throw_invalid_document(document_name, error);
  }
  return lists;
}

// Reads a whole document that is one object whose field `field` is an array, calling
// read_item(simdjson::dom::element) on each element in order; other keys are skipped. Every
// fault, syntax and read_item's FormatError included, is a Panic from throw_invalid_document().
template <typename ReadItem>
void read_array_document(std::string_view document_name, std::string_view padded_text,
                         std::string_view field, ReadItem&& read_item) {
  try {
    simdjson::dom::parser parser;
    read_record(parse_document(parser, padded_text), std::array<std::string_view, 1>{field}, false,
                [&](std::size_t, simdjson::dom::element list) {
                  for (const simdjson::dom::element item : expect_array(list)) {
                    read_item(item);
                  }
                });
  } catch (const FormatError& error) {
    throw_invalid_document(document_name, error);
  }
}

}  // namespace tarvo::json
