// src/core/sinks/text_forms.hpp: values spelled as Python spells them (str, repr, json), into a buffer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvo {

// str(int).
void append_int(std::string& out, std::int64_t value);

// repr(float) (and so str() and json.dumps): the shortest digits that read back exactly, in
// fixed notation for exponents -4 to 15 with ".0" on whole numbers, else "1.5e-05" style.
void append_python_float(std::string& out, double value);

// repr(str) for UTF-8 text of printable characters: single quotes unless the text holds one
// and no double quote; backslashes, the quote and control characters escaped.
void append_python_repr(std::string& out, std::string_view text);

// A JSON string with its quotes, as json.dumps writes it: ensure_ascii escapes everything
// outside printable ASCII as \uXXXX (surrogate pairs past U+FFFF); otherwise only control
// characters, the quote and the backslash are escaped and UTF-8 passes through.
void append_json_string(std::string& out, std::string_view text, bool ensure_ascii);

// A sum in centavos as pesos with exactly two decimals: "1234.50", "-0.05", "0.00" (what str()
// gives for the Decimal a row holds).
void append_money(std::string& out, std::int64_t centavos);

// The address's five parts as a JSON object, keys in the order barangay, city, province,
// region, zip_code, as json.dumps(address, ensure_ascii=False) writes it.
struct Address;
void append_address_json(std::string& out, const Address* address);

// A CSV field as RFC 4180 readers expect, quoted only when it holds a comma, a double quote,
// CR or LF (inner quotes doubled).
void append_csv_field(std::string& out, std::string_view text);

// The header line naming `names` (without its line break): one field each. A lone empty name is
// quoted, as csv.writer does; a bare empty line would read back as no field.
std::string csv_header_line(std::span<const std::string_view> names);

}  // namespace tarvo
