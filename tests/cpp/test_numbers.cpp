// tests/cpp/test_numbers.cpp: telephone and government number formats and their order of draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "keyed_rng.hpp"

namespace tarvo {
namespace {

using test_support::keyed_rng;

std::string padded(std::uint32_t value, std::size_t width) {
  std::string digits = std::to_string(value);
  return std::string(width - std::min(width, digits.size()), '0') + digits;
}

bool all_digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

constexpr int kSamples = 20000;

TEST(Contact, MobileNumbersHaveSevenDigitSubscribers) {
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  const auto& prefixes = contact_data().mobile_prefixes;
  for (int i = 0; i < kSamples; ++i) {
    const std::string prefix = prefixes[expected.uniform_index(prefixes.size())];
    const std::uint32_t subscriber = expected.uniform_u32(1000000, 9999999);
    const std::string text(phone_number(rng).view());
    ASSERT_EQ(text, "+63 " + prefix + " " + std::to_string(subscriber));
    ASSERT_EQ(text.size(), 15u);
    ASSERT_NE(text[8], '0');
  }
}

TEST(Contact, LandlinesAreThirteenCharactersForEveryAreaCode) {
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  const auto& codes = contact_data().landline_area_codes;
  int manila = 0;
  int leading_zero_kept = 0;
  for (int i = 0; i < kSamples; ++i) {
    const std::string code = codes[expected.uniform_index(codes.size())];
    const std::uint32_t number = code == "02" ? expected.uniform_u32(30000000, 89999999)
                                              : expected.uniform_u32(1000000, 9999999);
    const std::string text(landline(rng).view());
    ASSERT_EQ(text, "(" + code + ") " + std::to_string(number));
    ASSERT_EQ(text.size(), 13u) << text;
    manila += code == "02";
    leading_zero_kept += text.compare(0, 2, "(0") == 0;
  }
  EXPECT_GT(manila, kSamples / 20);
  EXPECT_EQ(leading_zero_kept, kSamples);
}

TEST(Government, SssNumbersDrawPrefixNumberThenFinalDigit) {
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  const auto& prefixes = gov_data().sss_prefixes;
  for (int i = 0; i < kSamples; ++i) {
    const std::string prefix = prefixes[expected.uniform_index(prefixes.size())];
    const std::uint32_t number = expected.uniform_u32(1000000, 9999999);
    const std::uint32_t final_digit = expected.uniform_u32(1, 9);
    const std::string text(sss_number(rng).view());
    ASSERT_EQ(text, prefix + "-" + std::to_string(number) + "-" + std::to_string(final_digit));
    ASSERT_EQ(text.size(), 12u);
    ASSERT_NE(text.back(), '0');
    ASSERT_NE(text[3], '0');
  }
}

TEST(Government, TinNumbersPadOnlyTheBranchCode) {
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  int zero_led_branches = 0;
  for (int i = 0; i < kSamples; ++i) {
    const std::uint32_t g1 = expected.uniform_u32(100, 999);
    const std::uint32_t g2 = expected.uniform_u32(100, 999);
    const std::uint32_t g3 = expected.uniform_u32(100, 999);
    const std::uint32_t branch = expected.uniform_u32(0, 999);
    const std::string text(tin_number(rng).view());
    ASSERT_EQ(text, std::to_string(g1) + "-" + std::to_string(g2) + "-" + std::to_string(g3) + "-" +
                        padded(branch, 3));
    ASSERT_EQ(text.size(), 15u);
    zero_led_branches += text[12] == '0';
  }
  EXPECT_GT(zero_led_branches, kSamples / 20);
}

TEST(Government, PhilHealthNumbersHaveThreeGroups) {
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  const auto& prefixes = gov_data().philhealth_prefixes;
  for (int i = 0; i < kSamples; ++i) {
    const std::string prefix = prefixes[expected.uniform_index(prefixes.size())];
    const std::uint32_t number = expected.uniform_u32(100000000, 999999999);
    const std::uint32_t check = expected.uniform_u32(0, 9);
    const std::string text(philhealth_number(rng).view());
    ASSERT_EQ(text, prefix + "-" + std::to_string(number) + "-" + std::to_string(check));
    ASSERT_EQ(text.size(), 14u);
    ASSERT_EQ(std::count(text.begin(), text.end(), '-'), 2);
  }
  EXPECT_EQ(rng.position(), expected.position());
}

TEST(Numbers, EveryFormatHasDigitGroupsOfFixedWidth) {
  Rng rng = keyed_rng();
  for (int i = 0; i < 2000; ++i) {
    const std::string mobile(phone_number(rng).view());
    EXPECT_TRUE(mobile.starts_with("+63 ") && all_digits(mobile.substr(4, 3)) && mobile[7] == ' ' &&
                all_digits(mobile.substr(8)))
        << mobile;
    const std::string tin(tin_number(rng).view());
    for (std::size_t group = 0; group < 4; ++group) {
      EXPECT_TRUE(all_digits(tin.substr(group * 4, 3))) << tin;
    }
    EXPECT_NE(tin[0], '0');
    EXPECT_NE(tin[4], '0');
    EXPECT_NE(tin[8], '0');
    const std::string phil(philhealth_number(rng).view());
    EXPECT_TRUE(all_digits(phil.substr(0, 2)) && all_digits(phil.substr(3, 9)) &&
                all_digits(phil.substr(13)))
        << phil;
  }
}

}  // namespace
}  // namespace tarvo
