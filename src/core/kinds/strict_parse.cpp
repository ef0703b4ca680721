// src/core/kinds/strict_parse.cpp: finding a data set's kind by its name, or saying which was meant.
#include "kinds/strict_parse.hpp"

#include <string>

#include "kinds/fields.hpp"

namespace tarvo {
namespace {

[[noreturn]] void fail_unknown(std::string_view text, std::string_view name) {
  std::string message = "unknown kind " + quoted(text);
  const auto suggestions = closest_kinds(name);
  if (!suggestions.empty()) {
    const std::string_view rest = name.size() < text.size() ? text.substr(name.size()) : "";
    message += ": did you mean ";
    for (std::size_t i = 0; i < suggestions.size(); ++i) {
      if (i > 0) message += i + 1 == suggestions.size() ? " or " : ", ";
      const KindDescriptor* kind = find_kind(suggestions[i]);
      // Keep the parameters the caller wrote when the suggestion takes some.
      std::string suggestion(suggestions[i]);
      if (kind != nullptr && !kind->parameters.empty()) suggestion.append(rest);
      message += quoted(suggestion);
    }
    message += "?";
  }
  message += " ('tarvo kinds' lists them all)";
  throw DefinitionError(message);
}

}  // namespace

std::shared_ptr<const Drawer> resolve_strict(std::string_view text, const Profile& profile,
                                             CivilDate as_of, const ColumnLookup* columns,
                                             std::uint64_t stream) {
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  const KindDescriptor* kind = find_kind(name);
  if (kind == nullptr) fail_unknown(text, name);
  std::optional<std::string_view> parameters;
  if (colon != std::string_view::npos) parameters = text.substr(colon + 1);
  return kind->resolve(KindArgs{text, parameters, *kind, profile, columns, stream, as_of});
}

}  // namespace tarvo
