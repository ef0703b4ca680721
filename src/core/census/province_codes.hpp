// src/core/census/province_codes.hpp: provinces of the address documents found by their PSGC code.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "providers/address.hpp"

namespace tarvo::census {

// The index in data.province_records() of the province whose code is `code`, if any.
std::optional<std::uint32_t> province_index(const AddressData& data, std::string_view code);

}  // namespace tarvo::census
