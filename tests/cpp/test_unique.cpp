// tests/cpp/test_unique.cpp: keyed permutation, formats from a value index, capacity message.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "keyed_rng.hpp"
#include "panic.hpp"
#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "providers/utility.hpp"
#include "unique/capacity.hpp"
#include "unique/email_suffix.hpp"
#include "unique/formats.hpp"
#include "unique/permutation.hpp"

namespace tarvo::unique {
namespace {

constexpr std::uint64_t kKeyLo = 0x243F6A8885A308D3u;
constexpr std::uint64_t kKeyHi = 0x13198A2E03707344u;

// Every output inside [0, n) and none twice: over n outputs, that is a bijection.
void expect_bijection(std::uint64_t n, std::uint64_t key_lo, std::uint64_t key_hi) {
  const Permutation permutation(n, key_lo, key_hi);
  std::vector<bool> seen(n);
  for (std::uint64_t i = 0; i < n; ++i) {
    const std::uint64_t value = permutation(i);
    ASSERT_LT(value, n) << "n=" << n << " i=" << i;
    ASSERT_FALSE(seen[value]) << "n=" << n << " repeats " << value;
    seen[value] = true;
  }
}

TEST(Permutation, IsABijectionOfEverySmallDomain) {
  for (std::uint64_t n = 1; n <= 300; ++n) {
    expect_bijection(n, kKeyLo, kKeyHi);
    expect_bijection(n, n, ~n);
  }
  expect_bijection(1000003, kKeyLo, kKeyHi);
  expect_bijection((1 << 20) + 1, kKeyLo, kKeyHi);  // odd width (halves of 10 and 11 bits)
}

class LargePermutation : public testing::TestWithParam<std::uint64_t> {};

TEST_P(LargePermutation, StaysInRangeWithoutRepeatsAndLooksShuffled) {
  const std::uint64_t n = GetParam();
  const Permutation permutation(n, kKeyLo, kKeyHi);
  std::vector<std::uint64_t> values;
  std::array<int, 16> buckets{};
  for (std::uint64_t i : {std::uint64_t{0}, n - 16000}) {
    for (std::uint64_t k = i; k < i + 16000; ++k) {
      values.push_back(permutation(k));
      ASSERT_LT(values.back(), n);
      ++buckets[static_cast<std::size_t>(static_cast<double>(values.back()) / n * 16)];
    }
  }
  std::sort(values.begin(), values.end());
  EXPECT_EQ(std::adjacent_find(values.begin(), values.end()), values.end());
  // Consecutive indices spread over the whole range: 2,000 expected a bucket, and a chi-square
  // over 15 degrees of freedom past 60 has probability below 1e-6 for a random permutation.
  double chi_square = 0;
  for (int count : buckets) chi_square += (count - 2000.0) * (count - 2000.0) / 2000.0;
  EXPECT_LT(chi_square, 60) << "n=" << n;
  // One bit of key changes nearly every output.
  const Permutation other(n, kKeyLo ^ 1, kKeyHi);
  int same = 0;
  for (std::uint64_t k = 0; k < 1000; ++k) same += permutation(k) == other(k);
  EXPECT_LT(same, 5);
}

INSTANTIATE_TEST_SUITE_P(Widths, LargePermutation,
                         testing::Values(729'000'000u, 9'000'000'000u, (std::uint64_t{1} << 33) + 1,
                                         ~std::uint64_t{0}));

// A format of the random generator beside its unique counterpart: shape, capacity, edges.
struct FormatCase {
  const char* name;
  const char* pattern;
  std::function<std::string(Rng&)> random;
  std::function<std::string(std::uint64_t)> at;
  std::uint64_t capacity;
  std::string first, last;
};

std::vector<std::string> sorted(std::vector<std::string> list) {
  std::sort(list.begin(), list.end());
  return list;
}

std::vector<FormatCase> format_cases() {
  const auto& sss = gov_data().sss_prefixes;
  const auto& phil = gov_data().philhealth_prefixes;
  // Sorted, so the order of values follows the order of indices; the data keeps its own order.
  static const std::vector<std::string> mobile = sorted(contact_data().mobile_prefixes);
  return {
      {"sss", R"(\d\d-[1-9]\d{6}-[1-9])", [](Rng& r) { return std::string(sss_number(r).view()); },
       [&](std::uint64_t i) { return std::string(sss_number_at(sss, i).view()); },
       sss_capacity(sss.size()), sss.front() + "-1000000-1", sss.back() + "-9999999-9"},
      {"philhealth", R"(\d\d-[1-9]\d{8}-\d)",
       [](Rng& r) { return std::string(philhealth_number(r).view()); },
       [&](std::uint64_t i) { return std::string(philhealth_number_at(phil, i).view()); },
       philhealth_capacity(phil.size()), phil.front() + "-100000000-0",
       phil.back() + "-999999999-9"},
      {"tin", R"([1-9]\d\d-[1-9]\d\d-[1-9]\d\d-\d{3})",
       [](Rng& r) { return std::string(tin_number(r).view()); },
       [](std::uint64_t i) { return std::string(tin_number_at(i, TinBranch::any).view()); },
       tin_capacity(TinBranch::any), "100-100-100-000", "999-999-999-999"},
      {"tin_head_office", R"([1-9]\d\d-[1-9]\d\d-[1-9]\d\d-000)", nullptr,
       [](std::uint64_t i) { return std::string(tin_number_at(i, TinBranch::head_office).view()); },
       tin_capacity(TinBranch::head_office), "100-100-100-000", "999-999-999-000"},
      {"phone", R"(\+63 9\d\d [1-9]\d{6})",
       [](Rng& r) { return std::string(phone_number(r).view()); },
       [](std::uint64_t i) { return std::string(phone_number_at(mobile, i).view()); },
       phone_capacity(mobile.size()), "+63 " + mobile.front() + " 1000000",
       "+63 " + mobile.back() + " 9999999"},
  };
}

TEST(UniqueFormats, MatchTheRandomShapeAndRiseStrictlyWithTheIndex) {
  for (const FormatCase& c : format_cases()) {
    SCOPED_TRACE(c.name);
    const std::regex shape(c.pattern);
    if (c.random) {
      Rng rng = test_support::keyed_rng();
      for (int k = 0; k < 2000; ++k) {
        const std::string value = c.random(rng);
        ASSERT_TRUE(std::regex_match(value, shape)) << value;
      }
    }
    // The first and last values of every field at the two ends: the capacity counts them all.
    EXPECT_EQ(c.at(0), c.first);
    EXPECT_EQ(c.at(c.capacity - 1), c.last);
    EXPECT_THROW(c.at(c.capacity), Panic);
    // Indices in increasing order, edges and every stride of the range: the values rise
    // strictly (same length, so lexicographically), which is injectivity and the mixed-radix
    // order at once.
    std::string previous;
    for (std::uint64_t i = 0; i < c.capacity;
         i += i < 3000 || i >= c.capacity - 3000 ? 1 : c.capacity / 20011) {
      const std::string value = c.at(i);
      ASSERT_TRUE(std::regex_match(value, shape)) << i << " " << value;
      ASSERT_LT(previous, value) << "index " << i;
      previous = value;
    }
  }
}

TEST(UniqueFormats, UuidsAreVersionFourAndDistinctForConsecutiveIndices) {
  const std::regex shape("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  Rng rng = test_support::keyed_rng();
  ASSERT_TRUE(std::regex_match(std::string(uuid(rng).view()), shape));
  std::set<std::string> seen;
  for (std::uint64_t i : {std::uint64_t{0}, kUuidCapacity - 20000}) {
    for (std::uint64_t k = i; k < i + 20000; ++k) {
      const std::string value(uuid_at(k, kKeyLo).view());
      ASSERT_TRUE(std::regex_match(value, shape)) << value;
      ASSERT_TRUE(seen.insert(value).second) << "index " << k;
    }
  }
}

TEST(EmailSuffix, EachDecimalLengthIsAPermutationOfItsNumbers) {
  const EmailSuffix suffix(kKeyLo, kKeyHi);
  // Rows 0..99,998 take exactly the numbers 1..99,999, row r a number as long as r + 1.
  std::vector<bool> seen(100000);
  for (std::uint64_t row = 0; row < 99999; ++row) {
    const std::uint64_t number = suffix(row);
    ASSERT_EQ(std::to_string(number).size(), std::to_string(row + 1).size()) << row;
    ASSERT_FALSE(seen[number]) << number;
    seen[number] = true;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 1);  // only 0 is left
  EXPECT_EQ(std::to_string(suffix(EmailSuffix::kCapacity - 1)).size(), 19u);
  EXPECT_THROW(suffix(EmailSuffix::kCapacity), Panic);
}

TEST(EmailSuffix, AddressesStayDistinctWhenLocalPartsEndInDigits) {
  const EmailSuffix suffix(kKeyLo, kKeyHi);
  const std::string locals[] = {"ab", "ab1", "ab12", "ab1_", ""};
  std::set<std::string> seen;
  for (std::uint64_t row = 0; row < 20000; ++row) {
    std::string address = locals[row % 5];
    EmailSuffix::append(address, suffix(row));
    ASSERT_TRUE(seen.insert(address + "@mail.ph").second) << address;
  }
  std::string digit = "jdc85";
  EmailSuffix::append(digit, 7);
  EXPECT_EQ(digit, "jdc85_7");
}

TEST(CapacityError, NamesColumnKindCapacityAndEnd) {
  EXPECT_FALSE(capacity_error("sss", "sss_number", 729'000'000, 729'000'000));
  EXPECT_EQ(capacity_error("sss", "sss_number", 729'000'000, 800'000'000).value_or(""),
            "unique column 'sss' needs 800,000,000 distinct values (one per row below row "
            "800,000,000), but sss_number has only 729,000,000");
}

}  // namespace
}  // namespace tarvo::unique
