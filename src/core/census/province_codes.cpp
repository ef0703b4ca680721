// src/core/census/province_codes.cpp: a linear look-up, run only while a document is read.
#include "census/province_codes.hpp"

namespace tarvo::census {

std::optional<std::uint32_t> province_index(const AddressData& data, std::string_view code) {
  const auto provinces = data.province_records();
  for (std::uint32_t i = 0; i < provinces.size(); ++i) {
    if (data.text(provinces[i].code) == code) return i;
  }
  return std::nullopt;
}

}  // namespace tarvo::census
