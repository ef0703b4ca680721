// src/core/ids/membership.hpp: Pag-IBIG MID, UMID CRN and GSIS BP numbers of fund members.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ids/id_text.hpp"

namespace tarvo::ids {

inline constexpr std::size_t kPagibigMidLength = 14;  // "1234-5678-9012"
inline constexpr std::size_t kUmidCrnLength = 14;     // "0111-2345678-9"
inline constexpr std::size_t kGsisBpLength = 10;      // "2012345678"

// Pag-IBIG Fund (HDMF, Republic Act No. 9679) Membership ID: twelve digits issued at
// registration, written 4-4-4 on the Fund's forms and loyalty cards ("XXXX-XXXX-XXXX"). No check
// digit is published. Members' MIDs as printed begin with 1, which is kept; the other eleven
// digits are drawn. Three draws: 1000..1999, then two of 0..9999.
template <class R>
IdLikeText pagibig_mid(R& rng) {
  IdLikeText text;
  text.digits(rng.uniform_u32(1000, 1999), 4).push('-');
  return append_digit_groups(text, rng, 2);
}

// UMID Common Reference Number (Executive Order No. 420, 2005, which made the unified ID of
// SSS, GSIS, PhilHealth and Pag-IBIG): twelve digits printed after "CRN-" on the card in the
// grouping 4-7-1, "CRN-0111-2345678-9"; the caption is not part of the number and is left out.
// The printed numbers begin with 0; the last digit is not a published check digit. Three draws:
// 0..999 (behind the leading 0), 0..9999999, 0..9.
template <class R>
IdLikeText umid_crn(R& rng) {
  IdLikeText text;
  text.digits(rng.uniform_u32(0, 999), 4).push('-');
  text.digits(rng.uniform_u32(0, 9'999'999), 7).push('-');
  text.digits(rng.uniform_u32(0, 9), 1);
  return text;
}

// GSIS Business Partner number: the member number of the GSIS's SAP-based system, asked by
// eGSISMO and GSIS Touch and printed under the photo of the GSIS digital ID. The GSIS publishes
// no format; agencies' personnel systems take it as ten digits without separators, the length
// of an SAP business partner number. Confidence: low to medium on the length, none on any
// structure, so all ten digits are drawn, the first 1..9. Two draws: 1..9, then 0..999999999.
template <class R>
IdLikeText gsis_bp_number(R& rng) {
  IdLikeText text;
  text.digits(rng.uniform_u32(1, 9), 1);
  text.digits(rng.uniform_u32(0, 999'999'999), 9);
  return text;
}

}  // namespace tarvo::ids
