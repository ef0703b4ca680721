// src/core/providers/json_reader.cpp: document parsing and the typed checks behind read_record().
#include "providers/json_reader.hpp"

#include <string>

namespace tarvo::json {
namespace {

bool is_json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Where the first top-level value of text would end if the text were well formed up to there.
// Only used to name the fault when simdjson reports a structure error: simdjson rejects
// trailing content but cannot tell it from a missing comma.
std::size_t end_of_first_value(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_json_space(text[i])) {
    ++i;
  }
  if (i == text.size()) {
    return i;
  }
  const char first = text[i];
  if (first != '{' && first != '[' && first != '"') {
    while (i < text.size() && !is_json_space(text[i]) &&
           std::string_view("{}[],:\"").find(text[i]) == std::string_view::npos) {
      ++i;
    }
    return i;
  }
  std::size_t depth = 0;
  bool in_string = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
        if (depth == 0) {
          return i + 1;
        }
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 0) {
        return i + 1;
      }
    }
  }
  return text.size();
}

bool only_space(std::string_view text) {
  for (char c : text) {
    if (!is_json_space(c)) {
      return false;
    }
  }
  return true;
}

}  // namespace

simdjson::dom::element parse_document(simdjson::dom::parser& parser, std::string_view padded_text) {
  simdjson::dom::element root;
  const simdjson::error_code error =
      parser.parse(padded_text.data(), padded_text.size(), false).get(root);
  if (error == simdjson::SUCCESS) {
    return root;
  }
  if (error == simdjson::TAPE_ERROR) {
    const std::size_t end = end_of_first_value(padded_text);
    simdjson::dom::element prefix_root;
    if (end < padded_text.size() && !only_space(padded_text.substr(end)) &&
        parser.parse(padded_text.data(), end, false).get(prefix_root) == simdjson::SUCCESS) {
      throw FormatError("trailing characters after the top-level value");
    }
  }
  throw FormatError(simdjson::error_message(error));
}

std::string_view expect_string(simdjson::dom::element value) {
  std::string_view text;
  if (value.get_string().get(text) != simdjson::SUCCESS) {
    throw FormatError("invalid type: expected a string");
  }
  return text;
}

simdjson::dom::array expect_array(simdjson::dom::element value) {
  simdjson::dom::array array;
  if (value.get_array().get(array) != simdjson::SUCCESS) {
    throw FormatError("invalid type: expected an array");
  }
  return array;
}

simdjson::dom::object expect_object(simdjson::dom::element value) {
  simdjson::dom::object object;
  if (value.get_object().get(object) != simdjson::SUCCESS) {
    throw FormatError("invalid type: expected an object");
  }
  return object;
}

std::uint64_t expect_unsigned(simdjson::dom::element value, std::uint64_t max) {
  std::uint64_t number = 0;
  if (value.get_uint64().get(number) != simdjson::SUCCESS || number > max) {
    throw FormatError("invalid value: expected an integer from 0 to " + std::to_string(max));
  }
  return number;
}

std::vector<std::string> read_string_list(simdjson::dom::element value) {
  simdjson::dom::array array;
  if (value.get_array().get(array) != simdjson::SUCCESS) {
    throw FormatError("invalid type: expected an array of strings");
  }
  std::vector<std::string> list;
  list.reserve(array.size());
  for (simdjson::dom::element item : array) {
    std::string_view text;
    if (item.get_string().get(text) != simdjson::SUCCESS) {
      throw FormatError("invalid type: expected an array of strings");
    }
    list.emplace_back(text);
  }
  return list;
}

void throw_invalid_document(std::string_view document_name, const FormatError& error) {
  throw Panic("Invalid " + std::string(document_name) + " format: " + error.what());
}

namespace detail {

void throw_missing_field(std::string_view field) {
  throw FormatError("missing field `" + std::string(field) + "`");
}

void throw_duplicate_field(std::string_view field) {
  throw FormatError("duplicate field `" + std::string(field) + "`");
}

void throw_in_field(const FormatError& inner, std::string_view field) {
  throw FormatError(std::string(inner.what()) + " for `" + std::string(field) + "`");
}

void throw_wrong_length(std::size_t got, std::size_t expected) {
  throw FormatError("invalid length " + std::to_string(got) + ", expected an array of " +
                    std::to_string(expected) + " field values");
}

void throw_not_a_record(bool allow_array_form) {
  throw FormatError(allow_array_form ? "invalid type: expected an object or an array"
                                     : "invalid type: expected an object");
}

}  // namespace detail
}  // namespace tarvo::json
