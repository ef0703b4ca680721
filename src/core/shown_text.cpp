// src/core/shown_text.cpp: escaping and shortening a user's text for messages.
#include "shown_text.hpp"

namespace tarvo {
namespace {

bool continues_character(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

void append_escaped(std::string& out, char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto code = static_cast<unsigned char>(byte);
  switch (byte) {
    case '\n': out.append("\\n"); return;
    case '\t': out.append("\\t"); return;
    case '\r': out.append("\\r"); return;
    default: break;
  }
  if (code < 0x20 || code == 0x7F) {
    out.append("\\x");
    out.push_back(kHex[code >> 4]);
    out.push_back(kHex[code & 0xF]);
    return;
  }
  out.push_back(byte);
}

// 12345678 as "12,345,678", as Python's format(n, ",") gives it.
std::string with_separators(std::size_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits;
}

}  // namespace

std::string shown_text(std::string_view text) {
  std::string out;
  std::size_t characters = 0;
  for (const char byte : text) {
    if (continues_character(byte)) {
      if (characters <= kShownCharacters) out.push_back(byte);
      continue;
    }
    if (++characters <= kShownCharacters) append_escaped(out, byte);
  }
  if (characters > kShownCharacters) {
    out.append("\u2026 (").append(with_separators(characters)).append(" characters)");
  }
  return out;
}

}  // namespace tarvo
