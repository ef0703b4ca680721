// tests/cpp/test_utility.cpp: colour and status picks and the layout of random UUIDs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "providers/utility.hpp"
#include "keyed_rng.hpp"

namespace tarvo {
namespace {

using test_support::keyed_rng;

TEST(Utility, ColorAndStatusTakeOneIndexEach) {
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  for (int i = 0; i < 500; ++i) {
    EXPECT_EQ(color(rng), utility_data().colors[expected.uniform_index(10)]);
    EXPECT_EQ(status(rng), utility_data().statuses[expected.uniform_index(6)]);
    EXPECT_EQ(color_index(rng), expected.uniform_index(10));
    EXPECT_EQ(status_index(rng), expected.uniform_index(6));
  }
}

TEST(Utility, UuidWritesTheHighWordFirstWithVersionAndVariant) {
  Rng rng = keyed_rng();
  Rng expected = keyed_rng();
  bool variants[4] = {};
  for (int i = 0; i < 2000; ++i) {
    const U128 bits = expected.draw_u128();
    // The same 128 bits with version 4 and variant 10 forced, printed as two hex halves.
    const std::uint64_t high = (bits.high & ~std::uint64_t{0xF000}) | 0x4000;
    const std::uint64_t low = (bits.low & ~(std::uint64_t{0xC} << 60)) | (std::uint64_t{0x8} << 60);
    char hex[33];
    std::snprintf(hex, sizeof hex, "%016llx%016llx", static_cast<unsigned long long>(high),
                  static_cast<unsigned long long>(low));
    const std::string h(hex);
    const std::string want = h.substr(0, 8) + "-" + h.substr(8, 4) + "-" + h.substr(12, 4) + "-" +
                             h.substr(16, 4) + "-" + h.substr(20);

    const std::string text(uuid(rng).view());
    ASSERT_EQ(text, want);
    ASSERT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
    const std::size_t variant = std::string("89ab").find(text[19]);
    ASSERT_NE(variant, std::string::npos) << text;
    variants[variant] = true;
  }
  EXPECT_TRUE(variants[0] && variants[1] && variants[2] && variants[3]);
}

}  // namespace
}  // namespace tarvo
