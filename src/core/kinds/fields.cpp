// src/core/kinds/fields.cpp: parameter fields and the messages that quote a kind's text.
#include "kinds/fields.hpp"

#include "shown_text.hpp"

namespace tarvo {

// User text escaped and shortened as every message shows it.
std::string quoted(std::string_view text) { return '"' + shown_text(text) + '"'; }

void fail(const KindArgs& args, std::string_view reason) {
  std::string message = quoted(args.text);
  message.append(": ").append(reason);
  throw DefinitionError(message);
}

std::vector<std::string_view> colon_fields(std::string_view parameters) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t at = parameters.find(':');
    fields.push_back(parameters.substr(0, at));
    if (at == std::string_view::npos) return fields;
    parameters.remove_prefix(at + 1);
  }
}

}  // namespace tarvo
