// src/core/ids/lto.hpp: LTO driver's licence numbers and vehicle plates, by the row's region.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ids/id_text.hpp"

namespace tarvo::ids {

inline constexpr std::size_t kDriversLicenseLength = 13;  // "A01-23-456789"
inline constexpr std::size_t kCarPlateLength = 8;         // "NAB 1234"
inline constexpr std::size_t kMotorcyclePlateLength = 7;  // "123 NAB"

// The letters the LTO's regional offices carry: the first letters of the plate series allotted
// to each region (LTO memorandum of 2014: series are allotted to the regional offices by the
// Central Office), as the current design's plates show them (Wikipedia, "Vehicle registration
// plates of the Philippines", CC BY-SA, and the DOTr/LTO plate notices it cites). The NIR keeps
// the letters of the two regions its provinces came from. `licence` is the office letter of a
// driver's licence number; the LTO does not publish its office table, so it is taken as the
// region's first plate letter ("A" for Region I, as "A01" is written). Confidence: medium for
// the plate letters, low for the licence letter.
struct LtoRegionLetters {
  std::string_view psgc_prefix;  // first two digits of the region's PSGC code
  std::string_view car;          // first letters of car plates
  std::string_view motorcycle;   // first letter of the letters of motorcycle plates
  char licence;
};

inline constexpr LtoRegionLetters kLtoRegions[] = {
    {"01", "I", "A", 'A'},  {"02", "B", "B", 'B'},      {"03", "CRW", "CRW", 'C'},
    {"04", "DO", "DO", 'D'}, {"17", "V", "V", 'V'},     {"05", "E", "E", 'E'},
    {"13", "NPQTUX", "NPQTUX", 'N'}, {"14", "Y", "Y", 'Y'}, {"06", "F", "F", 'F'},
    {"07", "G", "G", 'G'},  {"08", "H", "H", 'H'},      {"18", "FG", "FG", 'F'},
    {"09", "J", "J", 'J'},  {"10", "K", "K", 'K'},      {"11", "L", "L", 'L'},
    {"12", "M", "M", 'M'},  {"16", "Z", "Z", 'Z'},      {"19", "J", "J", 'J'},
};

// The letters of the region whose PSGC code (any length, "0100000000" or "01") begins with its
// prefix; NCR's when the code is unknown, where half of all vehicles are registered.
const LtoRegionLetters& lto_region_letters(std::string_view psgc_region_code);

// "A01-23-456789" (LTO licence as printed on the card): the issuing office (the region's letter
// and a two-digit office number), the last two digits of the year of first issue, and a
// six-digit serial. `issue_year` comes from the row (a licence is first issued from age 17 with
// a student permit). The office numbers within a region are not published either, so 01..20 are
// drawn. Two draws: 1..20, 0..999999.
template <class R>
IdLikeText drivers_license_number(R& rng, const LtoRegionLetters& region, unsigned issue_year) {
  IdLikeText text;
  text.push(region.licence).digits(rng.uniform_u32(1, 20), 2).push('-');
  text.digits(issue_year % 100, 2).push('-');
  text.digits(rng.uniform_u32(0, 999'999), 6);
  return text;
}

// Private car plate of the 2014 series, "NAB 1234": the region's letter, two letters A..Z, and
// four digits 1000..9999 (the series start at 1001; plates never show a leading zero). Chosen
// over the 1981 series (three letters, three digits), which is being replaced. Four draws: the
// region letter, two letters, 1000..9999.
template <class R>
IdLikeText car_plate(R& rng, const LtoRegionLetters& region) {
  IdLikeText text;
  text.push(draw_letter(rng, region.car)).push(draw_letter(rng)).push(draw_letter(rng));
  text.push(' ').digits(rng.uniform_u32(1000, 9999), 4);
  return text;
}

// Motorcycle plate of the current design (issued since 2018, the larger plate of the
// Motorcycle Crime Prevention Act, RA 11235): three digits and three letters, "123 NAB", the
// first letter the region's. The 2014 form (two letters, five digits) is not drawn. Four draws:
// 0..999, the region letter, two letters.
template <class R>
IdLikeText motorcycle_plate(R& rng, const LtoRegionLetters& region) {
  IdLikeText text;
  text.digits(rng.uniform_u32(0, 999), 3).push(' ');
  text.push(draw_letter(rng, region.motorcycle)).push(draw_letter(rng)).push(draw_letter(rng));
  return text;
}

}  // namespace tarvo::ids
