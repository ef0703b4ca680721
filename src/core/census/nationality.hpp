// src/core/census/nationality.hpp: citizenship of a resident, Filipino for all but about 0.2%.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvo::census {

// Per million of the household population. NSO, 2010 Census of Population and Housing (release
// of November 2012): of 92,097,978 household members, 177,368 (0.19%) were citizens of a foreign
// country, the most of the United States (29,959), China (28,750), Japan (11,583) and India
// (8,963); a quarter did not report which. The 2020 census's table by country of citizenship
// could not be read here, so the 2010 figures stand, and the foreign share is spread over the
// four named countries in proportion (the others and the unreported are not named, so they are
// not drawn). Confidence: the share high for 2010, the split medium.
struct Citizenship {
  std::string_view demonym;
  std::uint32_t per_million;
};

inline constexpr Citizenship kCitizenships[] = {
    {"Filipino", 998'074}, {"American", 728}, {"Chinese", 699}, {"Japanese", 281}, {"Indian", 218},
};

// One draw of 0..999999.
template <class R>
std::string_view draw_nationality(R& rng) {
  std::uint32_t point = rng.uniform_u32(0, 999'999);
  for (const Citizenship& citizenship : kCitizenships) {
    if (point < citizenship.per_million) return citizenship.demonym;
    point -= citizenship.per_million;
  }
  return kCitizenships[0].demonym;
}

}  // namespace tarvo::census
