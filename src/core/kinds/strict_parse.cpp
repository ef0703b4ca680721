// src/core/kinds/strict_parse.cpp: reading kind texts for a data set; every doubt is an error.
#include "kinds/strict_parse.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "kinds/lenient_parse.hpp"
#include "shown_text.hpp"

namespace tarvo {
namespace {

constexpr std::uint32_t kMaxPlaces = 15;  // a double holds 15 significant decimal digits

std::string quoted(std::string_view text) { return '"' + shown_text(text) + '"'; }

[[noreturn]] void fail(std::string_view spec, const std::string& reason) {
  std::string message = quoted(spec);
  message.append(": ").append(reason);
  throw SpecError(message);
}

std::vector<std::string_view> fields_after_name(std::string_view spec) {
  std::vector<std::string_view> fields;
  std::string_view rest = spec.substr(spec.find(':') + 1);
  for (;;) {
    const std::size_t at = rest.find(':');
    fields.push_back(rest.substr(0, at));
    if (at == std::string_view::npos) return fields;
    rest.remove_prefix(at + 1);
  }
}

// Decimal digits with an optional sign, nothing else; from_chars alone would stop at the first
// stray character and leave it unread.
template <typename Number>
std::optional<Number> read_number(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty() || text[0] == '+') return std::nullopt;
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

void read_int(std::string_view spec, ColumnKind& column) {
  const auto fields = fields_after_name(spec);
  if (fields.size() != 2) fail(spec, "expected int:LOW:HIGH");
  const auto low = read_number<std::int64_t>(fields[0]);
  const auto high = read_number<std::int64_t>(fields[1]);
  if (!low) fail(spec, "LOW is not a whole number from -2**63 to 2**63-1");
  if (!high) fail(spec, "HIGH is not a whole number from -2**63 to 2**63-1");
  if (*low > *high) fail(spec, "empty range: LOW is above HIGH");
  column.int_low = *low;
  column.int_high = *high;
}

void read_float(std::string_view spec, ColumnKind& column) {
  const auto fields = fields_after_name(spec);
  if (fields.size() != 2 && fields.size() != 3) fail(spec, "expected float:MIN:MAX[:PLACES]");
  const auto low = read_number<double>(fields[0]);
  const auto high = read_number<double>(fields[1]);
  if (!low || !std::isfinite(*low)) fail(spec, "MIN is not a finite number");
  if (!high || !std::isfinite(*high)) fail(spec, "MAX is not a finite number");
  if (!(*low < *high)) fail(spec, "empty range: MIN must be below MAX");
  if (!std::isfinite(*high - *low)) fail(spec, "the range MAX - MIN is too wide for a float");
  std::uint32_t places = 2;
  if (fields.size() == 3) {
    const auto read = read_number<std::uint32_t>(fields[2]);
    if (!read || *read > kMaxPlaces) {
      fail(spec, "PLACES is not a whole number from 0 to 15");
    }
    places = *read;
  }
  column.float_min = *low;
  column.float_max = *high;
  column.float_multiplier = std::pow(10.0, static_cast<double>(places));
}

void read_choice(std::string_view spec, ColumnKind& column) {
  const std::string_view list = spec.substr(spec.find(':') + 1);
  for (std::size_t start = 0;;) {
    const std::size_t at = list.find(',', start);
    const std::string_view option =
        trim_white_space(list.substr(start, at == std::string_view::npos ? at : at - start));
    if (option.empty()) fail(spec, "empty option (options are separated by commas)");
    column.options.emplace_back(option);
    if (at == std::string_view::npos) break;
    start = at + 1;
  }
}

[[noreturn]] void fail_unknown(std::string_view spec, std::string_view name) {
  std::string message = "unknown kind " + quoted(spec);
  const auto suggestions = closest_kinds(name);
  if (!suggestions.empty()) {
    const std::string_view rest = name.size() < spec.size() ? spec.substr(name.size()) : "";
    message += ": did you mean ";
    for (std::size_t i = 0; i < suggestions.size(); ++i) {
      if (i > 0) message += i + 1 == suggestions.size() ? " or " : ", ";
      const KindInfo* info = find_kind(suggestions[i]);
      // Keep the parameters the caller wrote when the suggestion takes some.
      std::string suggestion(suggestions[i]);
      if (info != nullptr && !info->parameters.empty()) suggestion.append(rest);
      message += quoted(suggestion);
    }
    message += "?";
  }
  message += " ('tarvo kinds' lists them all)";
  throw SpecError(message);
}

}  // namespace

ColumnKind parse_strict_kind(std::string_view spec) {
  const std::size_t colon = spec.find(':');
  const std::string_view name = spec.substr(0, colon);
  const KindInfo* info = find_kind(name);
  if (info == nullptr) fail_unknown(spec, name);

  ColumnKind column;
  column.kind = info->kind;
  if (colon == std::string_view::npos) {
    if (info->kind == Kind::Choice) fail(spec, "needs its options: choice:A,B,...");
    return column;  // int and float alone keep the defaults of ColumnKind
  }
  if (info->parameters.empty()) fail(spec, "this kind takes no parameters");
  switch (info->kind) {
    case Kind::Int: read_int(spec, column); break;
    case Kind::Float: read_float(spec, column); break;
    default: read_choice(spec, column); break;
  }
  return column;
}

}  // namespace tarvo
