// src/core/census/employer.cpp: reading census_employers.json into forms and weighted words.
#include "census/employer.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "census/reading.hpp"
#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusEmployers> employers_cell;

std::vector<EmployerPiece> parse_form(std::string_view form) {
  static constexpr std::pair<std::string_view, EmployerPiece::Kind> kSlots[] = {
      {"surname", EmployerPiece::kSurname}, {"place", EmployerPiece::kPlace},
      {"word", EmployerPiece::kWord},       {"initials", EmployerPiece::kInitials},
      {"trade", EmployerPiece::kTrade},     {"suffix", EmployerPiece::kSuffix}};
  std::vector<EmployerPiece> pieces;
  while (!form.empty()) {
    const std::size_t open = form.find('{');
    if (open != 0) {
      pieces.push_back({EmployerPiece::kLiteral, std::string(form.substr(0, open))});
      if (open == std::string_view::npos) break;
      form.remove_prefix(open);
    }
    const std::size_t close = form.find('}');
    const std::string_view slot = form.substr(1, close == std::string_view::npos ? 0 : close - 1);
    const auto found = std::find_if(std::begin(kSlots), std::end(kSlots),
                                    [&](const auto& s) { return s.first == slot; });
    if (close == std::string_view::npos || found == std::end(kSlots)) {
      throw json::FormatError("invalid value: an unknown slot in the form `" + std::string(form) +
                              "`");
    }
    pieces.push_back({found->second, {}});
    form.remove_prefix(close + 1);
  }
  return pieces;
}

std::size_t longest(const WeightedTexts& words) {
  std::size_t most = 0;
  for (const std::string& text : words.texts) most = std::max(most, text.size());
  return most;
}

}  // namespace

CensusEmployers parse_census_employers(std::string_view padded_text) {
  static constexpr std::array<std::string_view, 4> kFields = {"forms", "trades", "words",
                                                              "suffixes"};
  CensusEmployers data;
  try {
    simdjson::dom::parser parser;
    json::read_record(json::parse_document(parser, padded_text), kFields, false,
                      [&](std::size_t field, simdjson::dom::element value) {
                        if (field == 0) {
                          WeightedList forms = read_weighted_list(value);
                          data.form_table = make_table(forms.weights);
                          for (const std::string& form : forms.texts) {
                            data.forms.push_back(parse_form(form));
                          }
                        }
                        if (field == 1) data.trades = read_weighted_texts(value);
                        if (field == 2) data.words = read_weighted_texts(value);
                        if (field == 3) data.suffixes = read_weighted_texts(value);
                      });
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_employers.json", error);
  }
  return data;
}

const CensusEmployers& census_employers() {
  return employers_cell.get([] { return parse_census_employers(embedded::census_employers_json()); });
}

std::string_view employer_place(std::string_view written_city) {
  static constexpr std::string_view kCity = " City";
  if (written_city.ends_with(kCity)) written_city.remove_suffix(kCity.size());
  return written_city;
}

std::size_t employer_name_longest(const CensusEmployers& data, std::size_t longest_surname,
                                  std::size_t longest_place) {
  std::size_t most = 0;
  for (const auto& form : data.forms) {
    std::size_t size = 0;
    for (const EmployerPiece& piece : form) {
      switch (piece.kind) {
        case EmployerPiece::kLiteral: size += piece.literal.size(); break;
        case EmployerPiece::kSurname: size += longest_surname; break;
        case EmployerPiece::kPlace: size += longest_place; break;
        case EmployerPiece::kWord: size += longest(data.words); break;
        case EmployerPiece::kTrade: size += longest(data.trades); break;
        case EmployerPiece::kSuffix: size += longest(data.suffixes); break;
        case EmployerPiece::kInitials: size += 3; break;
      }
    }
    most = std::max(most, size);
  }
  return std::min(most, EmployerText::capacity);
}

}  // namespace tarvo::census
