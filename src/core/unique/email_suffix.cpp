// src/core/unique/email_suffix.cpp: row numbers permuted within their decimal length.
#include "unique/email_suffix.hpp"

#include <array>
#include <charconv>

#include "panic.hpp"
#include "unique/mix.hpp"

namespace tarvo::unique {
namespace {

constexpr std::size_t kLengths = 19;  // 10^19 - 1 < 2^64 - 1 < 10^20 - 1

// kPowers[d] = 10^d, the smallest number of d + 1 digits.
constexpr std::array<std::uint64_t, kLengths> kPowers = [] {
  std::array<std::uint64_t, kLengths> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& entry : powers) {
    entry = power;
    power *= 10;
  }
  return powers;
}();

}  // namespace

EmailSuffix::EmailSuffix(std::uint64_t key_lo, std::uint64_t key_hi) {
  lengths_.reserve(kLengths);
  for (std::size_t length = 1; length <= kLengths; ++length) {
    // Each length its own key, so no two lengths walk the same network.
    lengths_.emplace_back(9 * kPowers[length - 1], key_lo,
                          detail::mix64(key_hi + length * detail::kGolden));
  }
}

std::uint64_t EmailSuffix::operator()(std::uint64_t row) const {
  if (row >= kCapacity) {
    throw Panic("e-mail row index past the capacity of unique numbers");
  }
  const std::uint64_t position = row + 1;
  std::size_t length = 1;
  while (length < kLengths && position >= kPowers[length]) {
    ++length;
  }
  return kPowers[length - 1] + lengths_[length - 1](position - kPowers[length - 1]);
}

void EmailSuffix::append(std::string& out, std::uint64_t number, char joiner) {
  if (!out.empty() && out.back() >= '0' && out.back() <= '9') {
    out.push_back(joiner);
  }
  char digits[20];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out.append(digits, end);
}

}  // namespace tarvo::unique
