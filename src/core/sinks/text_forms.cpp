// src/core/sinks/text_forms.cpp: Python's and JSON's spelling of numbers and strings, in C++.
#include "sinks/text_forms.hpp"

#include <charconv>
#include <cstring>

#include "providers/address.hpp"

namespace tarvo {

void append_int(std::string& out, std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void append_python_float(std::string& out, double value) {
  // to_chars in scientific form gives the shortest round-trip digits and the exponent; Python's
  // layout ("short" repr style) is then applied to them.
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  if (!text.empty() && text[0] == '-') {
    out.push_back('-');
    text.remove_prefix(1);
  }
  if (text == "inf" || text == "nan") {  // never drawn; what repr() would say
    out.append(text);
    return;
  }
  // "d.ddde+XX": the digits without the point, then the exponent, read here rather than by
  // strtol on a copy (this runs for every float cell).
  char digits_buffer[24];
  std::size_t count_digits = 0;
  std::size_t i = 0;
  for (; i < text.size() && text[i] != 'e'; ++i) {
    if (text[i] != '.') digits_buffer[count_digits++] = text[i];
  }
  const std::string_view digits(digits_buffer, count_digits);
  const bool negative_exponent = i + 1 < text.size() && text[i + 1] == '-';
  int exponent = 0;
  for (std::size_t k = i + 2; k < text.size(); ++k) exponent = exponent * 10 + (text[k] - '0');
  if (negative_exponent) exponent = -exponent;
  const int point = exponent + 1;  // digits[0] sits just before the point at `point`
  const auto count = static_cast<int>(digits.size());
  if (point <= -4 || point > 16) {
    out.push_back(digits[0]);
    if (count > 1) out.append(".").append(digits.substr(1));
    out.push_back('e');
    out.push_back(exponent < 0 ? '-' : '+');
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) out.push_back('0');
    append_int(out, magnitude);
  } else if (point <= 0) {
    out.append("0.").append(static_cast<std::size_t>(-point), '0').append(digits);
  } else if (point < count) {
    out.append(digits.substr(0, static_cast<std::size_t>(point))).push_back('.');
    out.append(digits.substr(static_cast<std::size_t>(point)));
  } else {
    out.append(digits).append(static_cast<std::size_t>(point - count), '0').append(".0");
  }
}

void append_money(std::string& out, std::int64_t centavos) {
  // Through the magnitude as unsigned, so the most negative sum does not overflow.
  std::uint64_t magnitude = static_cast<std::uint64_t>(centavos);
  if (centavos < 0) {
    out.push_back('-');
    magnitude = ~magnitude + 1;
  }
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude / 100);
  out.append(buffer, result.ptr);
  const auto cents = static_cast<unsigned>(magnitude % 100);
  out.push_back('.');
  out.push_back(static_cast<char>('0' + cents / 10));
  out.push_back(static_cast<char>('0' + cents % 10));
}

namespace {

constexpr char kHex[] = "0123456789abcdef";

void append_hex(std::string& out, std::uint32_t value, int digits) {
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out.push_back(kHex[(value >> shift) & 0xF]);
}

// The code point starting at text[i] (valid UTF-8: it came from a Python str); advances i.
std::uint32_t next_code_point(std::string_view text, std::size_t& i) {
  const auto b = static_cast<unsigned char>(text[i]);
  const std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
  std::uint32_t c = length == 1 ? b : b & (0x7F >> length);
  for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
    c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  }
  i += length;
  return c;
}

}  // namespace

void append_python_repr(std::string& out, std::string_view text) {
  const bool double_quoted =
      text.find('\'') != std::string_view::npos && text.find('"') == std::string_view::npos;
  const char quote = double_quoted ? '"' : '\'';
  out.push_back(quote);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == quote || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (c == '\t') {
      out.append("\\t");
    } else if (c == '\n') {
      out.append("\\n");
    } else if (c == '\r') {
      out.append("\\r");
    } else if (byte < 0x20 || byte == 0x7F) {
      out.append("\\x");
      append_hex(out, byte, 2);
    } else {
      out.push_back(c);
    }
  }
  out.push_back(quote);
}

void append_json_string(std::string& out, std::string_view text, bool ensure_ascii) {
  out.push_back('"');
  for (std::size_t i = 0; i < text.size();) {
    // A run that needs no escape goes in whole.
    std::size_t run = i;
    while (run < text.size()) {
      const auto b = static_cast<unsigned char>(text[run]);
      if (b < 0x20 || b == '"' || b == '\\' || (ensure_ascii && b >= 0x7F)) break;
      ++run;
    }
    if (run > i) {
      out.append(text.substr(i, run - i));
      i = run;
      continue;
    }
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out.append("\\\""); ++i; continue;
      case '\\': out.append("\\\\"); ++i; continue;
      case '\n': out.append("\\n"); ++i; continue;
      case '\r': out.append("\\r"); ++i; continue;
      case '\t': out.append("\\t"); ++i; continue;
      case '\b': out.append("\\b"); ++i; continue;
      case '\f': out.append("\\f"); ++i; continue;
      default: break;
    }
    if (byte < 0x20 || (ensure_ascii && byte == 0x7F)) {
      out.append("\\u00");
      append_hex(out, byte, 2);
      ++i;
    } else if (byte < 0x80 || !ensure_ascii) {
      out.push_back(c);
      ++i;
    } else {
      std::uint32_t code = next_code_point(text, i);
      if (code >= 0x10000) {
        code -= 0x10000;
        out.append("\\u");
        append_hex(out, 0xD800 + (code >> 10), 4);
        code = 0xDC00 + (code & 0x3FF);
      }
      out.append("\\u");
      append_hex(out, code, 4);
    }
  }
  out.push_back('"');
}

void append_address_json(std::string& out, const Address* a) {
  static constexpr std::string_view kKeys[] = {"{\"barangay\": ", ", \"city\": ",
                                               ", \"province\": ", ", \"region\": ",
                                               ", \"zip_code\": "};
  const std::string_view parts[] = {a ? a->barangay : "", a ? a->city : "",
                                    a ? a->province : "", a ? a->region : "",
                                    a ? a->zip_code : ""};
  for (std::size_t i = 0; i < 5; ++i) {
    out.append(kKeys[i]);
    append_json_string(out, parts[i], false);
  }
  out.push_back('}');
}

namespace {

// Whether text holds a character that makes a CSV field need quotes. Eight bytes at a time (the
// classic "has a zero byte" test on the word XOR each character): every field of every row goes
// through here, and find_first_of, which calls memchr on the set for each character, cost more
// than the rest of the line.
bool needs_quotes(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  auto has_byte = [](std::uint64_t word, unsigned char c) {
    const std::uint64_t x = word ^ (kOnes * c);
    return ((x - kOnes) & ~x & kHighs) != 0;
  };
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (has_byte(word, ',') || has_byte(word, '"') || has_byte(word, '\r') ||
        has_byte(word, '\n')) {
      return true;
    }
  }
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  }
  return false;
}

}  // namespace

void append_csv_field(std::string& out, std::string_view text) {
  if (!needs_quotes(text)) {
    out.append(text);
    return;
  }
  // Copied in runs up to each quote (doubled), not a character at a time: most quoted fields
  // are addresses, whose commas need quotes and which hold no quote at all.
  out.push_back('"');
  for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
    out.append(text.substr(0, quote + 1)).push_back('"');
    text.remove_prefix(quote + 1);
  }
  out.append(text).push_back('"');
}

std::string csv_header_line(std::span<const std::string_view> names) {
  std::string header;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) header.push_back(',');
    append_csv_field(header, names[i]);
  }
  if (names.size() == 1 && header.empty()) header = "\"\"";
  return header;
}

}  // namespace tarvo
