// src/core/census/employer.hpp: employer names built from the patterns Philippine firms are named by.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"
#include "census/weighted_texts.hpp"
#include "providers/short_text.hpp"

namespace tarvo::census {

// A form as pieces: literal text, or a slot filled at draw time.
struct EmployerPiece {
  enum Kind { kLiteral, kSurname, kPlace, kWord, kInitials, kTrade, kSuffix } kind;
  std::string literal;
};

struct CensusEmployers {
  std::vector<std::vector<EmployerPiece>> forms;
  AliasTable form_table;  // outcome i is forms[i]
  WeightedTexts trades, words, suffixes;
};

// Reads data/census_employers.json (tools/build_census_employers.py); Panic "Invalid
// census_employers.json format: ..." on any fault, an unknown slot included.
CensusEmployers parse_census_employers(std::string_view padded_text);
const CensusEmployers& census_employers();

using EmployerText = ShortText<128>;

// The place as a firm takes it: a city's written label without " City" ("Davao City" ->
// "Davao").
std::string_view employer_place(std::string_view written_city);

// A name such as "Reyes Hardware", "Golden Star Marketing Corporation" or "Rural Bank of
// Guinobatan, Inc.". `surname` is the row's (or any) surname, `written_city` the row's city or
// municipality as written. Draws: the form's two alias words, then per slot in the form's
// order: a word, trade or suffix two alias words each, initials three letters.
template <class R>
EmployerText employer_name(R& rng, const CensusEmployers& data, std::string_view surname,
                           std::string_view written_city) {
  EmployerText text;
  for (const EmployerPiece& piece : data.forms[data.form_table.sample(rng)]) {
    switch (piece.kind) {
      case EmployerPiece::kLiteral: text.append(piece.literal); break;
      case EmployerPiece::kSurname: text.append(surname); break;
      case EmployerPiece::kPlace: text.append(employer_place(written_city)); break;
      case EmployerPiece::kWord: text.append(data.words.sample(rng)); break;
      case EmployerPiece::kTrade: text.append(data.trades.sample(rng)); break;
      case EmployerPiece::kSuffix:
        text.append(data.suffixes.sample(rng));
        break;
      case EmployerPiece::kInitials:
        for (int i = 0; i < 3; ++i) text.push(static_cast<char>('A' + rng.uniform_u32(0, 25)));
        break;
    }
  }
  return text;
}

// The longest name the patterns give for surnames and places of at most these lengths.
std::size_t employer_name_longest(const CensusEmployers& data, std::size_t longest_surname,
                                  std::size_t longest_place);

}  // namespace tarvo::census
