// src/core/unique/formats.cpp: mixed-radix decomposition of value indices into identifier fields.
#include "unique/formats.hpp"

#include "panic.hpp"
#include "providers/uuid_text.hpp"
#include "unique/mix.hpp"

namespace tarvo::unique {
namespace {

constexpr std::uint64_t kSeven = 9000000;   // 1000000..9999999
constexpr std::uint64_t kNine = 900000000;  // 100000000..999999999
constexpr std::uint64_t kGroup = 900;       // 100..999
constexpr std::uint64_t kBranches = 1000;   // 000..999

[[noreturn]] void throw_past_capacity() {
  throw Panic("unique value index past the capacity of its format");
}

// Takes the least significant field of `index` in radix `base` and leaves the rest.
std::uint32_t take(std::uint64_t& index, std::uint64_t base) noexcept {
  const auto field = static_cast<std::uint32_t>(index % base);
  index /= base;
  return field;
}

const std::string& prefix_at(std::span<const std::string> prefixes, std::uint64_t position) {
  if (position >= prefixes.size()) {
    throw_past_capacity();
  }
  return prefixes[position];
}

}  // namespace

std::uint64_t sss_capacity(std::size_t prefix_count) noexcept { return prefix_count * kSeven * 9; }

IdText sss_number_at(std::span<const std::string> prefixes, std::uint64_t index) {
  const std::uint32_t final_digit = 1 + take(index, 9);
  const std::uint32_t number = 1000000 + take(index, kSeven);
  const std::string& prefix = prefix_at(prefixes, index);
  IdText text;
  text.append(prefix).push('-').digits(number, 7).push('-').digits(final_digit, 1);
  return text;
}

std::uint64_t philhealth_capacity(std::size_t prefix_count) noexcept {
  return prefix_count * kNine * 10;
}

IdText philhealth_number_at(std::span<const std::string> prefixes, std::uint64_t index) {
  const std::uint32_t final_digit = take(index, 10);
  const std::uint32_t number = 100000000 + take(index, kNine);
  const std::string& prefix = prefix_at(prefixes, index);
  IdText text;
  text.append(prefix).push('-').digits(number, 9).push('-').digits(final_digit, 1);
  return text;
}

std::uint64_t tin_capacity(TinBranch branch) noexcept {
  return kGroup * kGroup * kGroup * (branch == TinBranch::any ? kBranches : 1);
}

IdText tin_number_at(std::uint64_t index, TinBranch branch) {
  if (index >= tin_capacity(branch)) {
    throw_past_capacity();
  }
  const std::uint32_t code = branch == TinBranch::any ? take(index, kBranches) : 0;
  const std::uint32_t third = 100 + take(index, kGroup);
  const std::uint32_t second = 100 + take(index, kGroup);
  const std::uint32_t first = 100 + static_cast<std::uint32_t>(index);
  IdText text;
  text.digits(first, 3).push('-').digits(second, 3).push('-').digits(third, 3).push('-');
  text.digits(code, 3);
  return text;
}

std::uint64_t phone_capacity(std::size_t prefix_count) noexcept { return prefix_count * kSeven; }

NumberText phone_number_at(std::span<const std::string> prefixes, std::uint64_t index) {
  const std::uint32_t subscriber = 1000000 + take(index, kSeven);
  const std::string& prefix = prefix_at(prefixes, index);
  NumberText text;
  text.append("+63 ").append(prefix).push(' ').digits(subscriber, 7);
  return text;
}

ShortText<36> uuid_at(std::uint64_t index, std::uint64_t key) noexcept {
  // scrambled carries the index (mix64 is a bijection): its top 62 bits go to the low word,
  // whose two variant bits are then free to overwrite, and its bottom two to bits 0..1 of the
  // high word, clear of the version nibble at bits 12..15.
  const std::uint64_t scrambled = detail::mix64(index ^ key);
  const std::uint64_t filler = detail::mix64(scrambled + key * detail::kGolden);
  const std::uint64_t high = (filler & ~std::uint64_t{3}) | (scrambled & 3);
  return uuid_text(U128{scrambled >> 2, high});
}

}  // namespace tarvo::unique
