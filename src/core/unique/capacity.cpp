// src/core/unique/capacity.cpp: the capacity message, with thousands separators for reading.
#include "unique/capacity.hpp"

#include <charconv>

namespace tarvo::unique {
namespace {

std::string grouped(std::uint64_t value) {
  char digits[20];
  const auto length =
      static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    if (i > 0 && (length - i) % 3 == 0) {
      text.push_back(',');
    }
    text.push_back(digits[i]);
  }
  return text;
}

}  // namespace

std::optional<std::string> capacity_error(std::string_view column, std::string_view kind,
                                          std::uint64_t capacity, std::uint64_t rows_end) {
  if (rows_end <= capacity) {
    return std::nullopt;
  }
  std::string message = "unique column '";
  message.append(column).append("' needs ").append(grouped(rows_end));
  message.append(" distinct values (one per row below row ").append(grouped(rows_end));
  message.append("), but ").append(kind).append(" has only ").append(grouped(capacity));
  return message;
}

}  // namespace tarvo::unique
