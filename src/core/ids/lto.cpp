// src/core/ids/lto.cpp: finding a region's LTO letters by its PSGC code.
#include "ids/lto.hpp"

namespace tarvo::ids {

const LtoRegionLetters& lto_region_letters(std::string_view psgc_region_code) {
  const std::string_view prefix = psgc_region_code.substr(0, 2);
  for (const LtoRegionLetters& region : kLtoRegions) {
    if (region.psgc_prefix == prefix) return region;
  }
  for (const LtoRegionLetters& region : kLtoRegions) {
    if (region.psgc_prefix == "13") return region;
  }
  return kLtoRegions[0];
}

}  // namespace tarvo::ids
