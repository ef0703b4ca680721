// src/core/providers/government.hpp: SSS, TIN and PhilHealth identification numbers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "providers/short_text.hpp"
#include "random/counter_rng.hpp"
#include "random.hpp"

namespace tarvo {

struct GovData {
  std::vector<std::string> sss_prefixes;
  std::vector<std::string> philhealth_prefixes;
};

// Parsed from the compiled-in government.json on first use; a Panic
// "Invalid government.json format: ..." now and at every later call if it does not parse.
const GovData& gov_data();
GovData parse_gov_data(std::string_view padded_text);

using IdText = ShortText<32>;

// SSS number "03-1234567-8": prefix, seven digits (1000000..9999999), one final digit 1..9
// (random, not a checksum); 12 characters. Draws in that order.
template <typename R>
IdText sss_number(R& rng);

// TIN "123-456-789-000": three groups 100..999, then a branch code 000..999; 15 characters.
// Draws in that order. Needs no reference data.
template <typename R>
IdText tin_number(R& rng);

// PhilHealth number "12-345678901-2": prefix, nine digits (100000000..999999999), one final
// digit 0..9 (random, not a checksum); 14 characters. Draws in that order.
template <typename R>
IdText philhealth_number(R& rng);

}  // namespace tarvo
