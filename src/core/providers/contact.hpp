// src/core/providers/contact.hpp: Philippine mobile and landline telephone numbers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "providers/short_text.hpp"
#include "random/counter_rng.hpp"
#include "random.hpp"

namespace tarvo {

struct ContactData {
  std::vector<std::string> mobile_prefixes;
  std::vector<std::string> landline_area_codes;
};

// Parsed from the compiled-in contact.json on first use; a Panic
// "Invalid contact.json format: ..." now and at every later call if it does not parse.
const ContactData& contact_data();
ContactData parse_contact_data(std::string_view padded_text);

// Generated numbers fit well within this; see ShortText.
using NumberText = ShortText<32>;

// "+63 917 1234567": a mobile prefix, then a seven-digit subscriber number (1000000..9999999);
// always 15 characters. Draws: prefix, number.
template <typename R>
NumberText phone_number(R& rng);

// "(02) 81234567" or "(032) 2345678": Metro Manila ("02") has eight-digit subscriber numbers
// (30000000..89999999), every other area code seven digits (1000000..9999999); always 13
// characters. Draws: area code, number.
template <typename R>
NumberText landline(R& rng);

}  // namespace tarvo
