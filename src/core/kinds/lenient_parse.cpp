// src/core/kinds/lenient_parse.cpp: matching kind texts for Dummy and reading their lenient decimal fields.
#include "kinds/lenient_parse.hpp"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "kinds/registry.hpp"

namespace tarvo {

std::vector<std::string_view> split_lenient(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

namespace {

bool all_digits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Digits only, no blanks; the value must fit in `limit`.
std::optional<std::uint64_t> read_magnitude(std::string_view digits, std::uint64_t limit) {
  if (!all_digits(digits)) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::int32_t> lenient_i32(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const auto magnitude = read_magnitude(text, negative ? 2147483648u : 2147483647u);
  if (!magnitude) return std::nullopt;
  const auto value = static_cast<std::int64_t>(*magnitude);
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<std::uint32_t> lenient_u32(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  const auto magnitude = read_magnitude(text, 4294967295u);
  if (!magnitude) return std::nullopt;
  return static_cast<std::uint32_t>(*magnitude);
}

namespace {

bool equals_ignoring_case(std::string_view text, std::string_view lower_word) {
  if (text.size() != lower_word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower_word[i]) return false;
  }
  return true;
}

// Decimal floating-point text: [sign] digits [. digits] [e [sign] digits] with at least one
// digit before the exponent, or inf / infinity / nan in any case. The grammar is checked here;
// strtod then gives the correctly rounded value (an infinity past the double range).
}  // namespace

std::optional<double> lenient_double(std::string_view text) {
  std::string_view body = text;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) body.remove_prefix(1);
  if (equals_ignoring_case(body, "inf") || equals_ignoring_case(body, "infinity") ||
      equals_ignoring_case(body, "nan")) {
    const bool negative = !text.empty() && text[0] == '-';
    if (equals_ignoring_case(body, "nan")) return negative ? -NAN : NAN;
    return negative ? -HUGE_VAL : HUGE_VAL;
  }
  std::size_t i = 0, digits = 0;
  while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, ++digits;
  if (i < body.size() && body[i] == '.') {
    ++i;
    while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    ++i;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    const std::size_t exponent_start = i;
    while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i;
    if (i == exponent_start) return std::nullopt;
  }
  if (i != body.size()) return std::nullopt;
  const std::string copy(text);  // strtod needs the terminating NUL
  return std::strtod(copy.c_str(), nullptr);
}

namespace {

// Decodes one UTF-8 code point at `i` (input is valid UTF-8: it came from a Python str).
char32_t decode_at(std::string_view text, std::size_t i, std::size_t& length) {
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) {
    length = 1;
    return b;
  }
  length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
  char32_t c = b & (0x7F >> length);
  for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
    c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  }
  return c;
}

}  // namespace

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

std::string_view trim_white_space(std::string_view text) {
  std::size_t length = 0;
  while (!text.empty() && is_white_space(decode_at(text, 0, length))) text.remove_prefix(length);
  while (!text.empty()) {
    std::size_t start = text.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    if (!is_white_space(decode_at(text, start, length))) break;
    text.remove_suffix(text.size() - start);
  }
  return text;
}

std::shared_ptr<const Drawer> resolve_lenient(std::string_view text) {
  const std::size_t colon = text.find(':');
  const KindDescriptor* kind = find_kind(text.substr(0, colon));
  // A kind with parameters is matched by its prefix and a colon, a plain one by its whole text.
  const bool matches = kind != nullptr && kind->in_dummy() &&
                       (colon == std::string_view::npos) == kind->parameters.empty();
  return matches ? kind->lenient(text) : unknown_kind_drawer();
}

namespace {

// A kind Dummy does not know: a null cell, and no words drawn.
class UnknownDrawer final : public DrawerOf<UnknownDrawer> {
 public:
  UnknownDrawer() : DrawerOf({ValueType::Text, kReadsNothing, false, 0}) {}
  template <class R>
  void cell(R&, const RowView&, Sink& sink) const {
    sink.null();
  }
};

}  // namespace

std::shared_ptr<const Drawer> unknown_kind_drawer() {
  static const std::shared_ptr<const Drawer> drawer = std::make_shared<const UnknownDrawer>();
  return drawer;
}

}  // namespace tarvo
