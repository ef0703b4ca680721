// src/core/unique/capacity.hpp: the error when a unique column needs more values than its kind has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvo::unique {

// Row r of a unique column takes value P(r), so rows [0, rows_end) need rows_end distinct
// values, whichever of them a run starts at. Empty when capacity suffices; otherwise, e.g.
// "unique column 'sss' needs 800,000,000 distinct values (one per row below row 800,000,000),
// but sss_number has only 729,000,000".
std::optional<std::string> capacity_error(std::string_view column, std::string_view kind,
                                          std::uint64_t capacity, std::uint64_t rows_end);

}  // namespace tarvo::unique
