// src/core/engine/row_person.hpp: the person of one row, as every profile hands it to the cells.
#pragma once

#include <cstdint>
#include <string_view>

#include "census/person.hpp"
#include "text_list.hpp"

namespace tarvo {

// What the cells of a row read from its person, whichever profile drew it. Names are views of
// entries of the lists named beside them, so a sink can share one converted text per entry.
struct RowPerson {
  bool male = false;
  std::string_view gender, first_name, middle_name, last_name, suffix;
  const TextList* first_list = nullptr;
  const TextList* surname_list = nullptr;  // the last and the middle name's
  const TextList* suffix_list = nullptr;
  std::uint32_t first_index = 0, middle_index = 0, last_index = 0, suffix_index = 0;
  char birthdate_text[10] = {};
  std::int32_t birth_days = 0;  // since 1970-01-01
  std::uint32_t age = 0;
  // The census profile's own record of the person, which its e-mail and civil status read; valid
  // only when `is_census`.
  census::CensusPerson census{};
  bool is_census = false;

  std::string_view birthdate() const { return {birthdate_text, sizeof birthdate_text}; }
  std::uint32_t birth_year() const {
    return static_cast<std::uint32_t>((birthdate_text[0] - '0') * 1000 +
                                      (birthdate_text[1] - '0') * 100 +
                                      (birthdate_text[2] - '0') * 10 + (birthdate_text[3] - '0'));
  }
};

// The list of the two genders: entry 0 is "Male", 1 is "Female".
const TextList& gender_list();

}  // namespace tarvo
