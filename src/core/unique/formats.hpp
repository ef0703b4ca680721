// src/core/unique/formats.hpp: identifiers written from a value index, each value of a format once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "providers/short_text.hpp"

namespace tarvo::unique {

// Each format below has a capacity, the number of distinct values its random generator can
// produce, and a function writing value `index` for index in [0, capacity): exactly the values
// the random generator draws, each once, in its layout character for character. A unique
// column writes value P(row) for a Permutation P of [0, capacity) keyed by the column, so a
// row's value depends on its index alone and no two rows share one.
//
// The index is read in mixed radix, the leftmost field most significant, so index 0 is the
// first prefix with the smallest digits and capacity - 1 the last prefix with the largest.
// An index at or past the capacity is a Panic.

// "03-1234567-8": prefix × 7 digits 1000000..9999999 × final digit 1..9.
std::uint64_t sss_capacity(std::size_t prefix_count) noexcept;
IdText sss_number_at(std::span<const std::string> prefixes, std::uint64_t index);

// "12-345678901-2": prefix × 9 digits 100000000..999999999 × final digit 0..9.
std::uint64_t philhealth_capacity(std::size_t prefix_count) noexcept;
IdText philhealth_number_at(std::span<const std::string> prefixes, std::uint64_t index);

// "123-456-789-000": three groups 100..999, then the branch code. `any` covers branch codes
// 000..999 as the random generator draws them; `head_office` keeps the branch at 000, the code
// of a taxpayer's head office registration.
enum class TinBranch { any, head_office };
std::uint64_t tin_capacity(TinBranch branch) noexcept;
IdText tin_number_at(std::uint64_t index, TinBranch branch);

// "+63 917 1234567": prefix × subscriber 1000000..9999999. The prefix list is a parameter
// because profiles differ in the mobile prefixes they draw from.
std::uint64_t phone_capacity(std::size_t prefix_count) noexcept;
NumberText phone_number_at(std::span<const std::string> prefixes, std::uint64_t index);

// A version-4 UUID: 122 bits, far more than any index, so the index itself is scrambled by a
// keyed bijection of 64-bit words into 64 of the bits, and a keyed hash of the result fills the
// other 58. Distinct indices give distinct UUIDs, and consecutive ones look unrelated, so a
// unique UUID column can pass the row index here without a Permutation. Every 64-bit index is
// valid; the capacity counts the row indices a data set can have.
inline constexpr std::uint64_t kUuidCapacity = ~std::uint64_t{0};
ShortText<36> uuid_at(std::uint64_t index, std::uint64_t key) noexcept;

}  // namespace tarvo::unique
