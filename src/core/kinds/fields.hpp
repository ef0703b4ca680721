// src/core/kinds/fields.hpp: reading the parameters of a kind's text, and the errors that name them.
#pragma once

#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kinds/registry.hpp"
#include "kinds/definition_error.hpp"

namespace tarvo {

// `text` in double quotes, for messages.
std::string quoted(std::string_view text);

// DefinitionError "\"<kind text>\": <reason>"; the plan adds the column's name in front.
[[noreturn]] void fail(const KindArgs& args, std::string_view reason);

// The parameters split at ':' ("1:10" -> "1", "10"); one empty field for "".
std::vector<std::string_view> colon_fields(std::string_view parameters);

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

// The strict resolver of a kind that takes no parameters: its drawer is made once per profile
// by make(profile), and a parameter is an error.
template <class Make>
std::shared_ptr<const Drawer> plain_kind(const KindArgs& args, Make make) {
  if (args.parameters) fail(args, "this kind takes no parameters");
  return make(args.profile);
}

}  // namespace tarvo
