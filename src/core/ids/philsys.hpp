// src/core/ids/philsys.hpp: PhilSys Number (PSN) and PhilSys Card Number (PCN) of the national ID.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ids/id_text.hpp"

namespace tarvo::ids {

// Republic Act No. 11055 (Philippine Identification System Act, 2018) and the PSA's PhilSys
// pages: the PSN is a "randomly-generated 12-digit permanent identification number"; the PCN is
// its public token, the 16-digit number printed on the front of the PhilID and on the ePhilID,
// in four groups of four ("1234-5678-9101-1213" in the DOH's PH Core FHIR guide). A lost card
// gets a new PCN while the PSN stays. Neither carries a published check digit, so every digit
// is drawn; the PSN is written 4-4-4 as identifier detectors (Microsoft Purview's "Philippines
// national identification number") read it.
inline constexpr std::size_t kPhilsysCardNumberLength = 19;  // "1234-5678-9012-3456"
inline constexpr std::size_t kPhilsysNumberLength = 14;      // "1234-5678-9012"

// Four draws of 0..9999.
template <class R>
IdLikeText philsys_card_number(R& rng) {
  IdLikeText text;
  return append_digit_groups(text, rng, 4);
}

// Three draws of 0..9999.
template <class R>
IdLikeText philsys_number(R& rng) {
  IdLikeText text;
  return append_digit_groups(text, rng, 3);
}

}  // namespace tarvo::ids
