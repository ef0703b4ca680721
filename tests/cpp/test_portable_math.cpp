// tests/cpp/test_portable_math.cpp: exp, log and pow of our own stay within a few units in the last place of the C library's.
#include "random/portable_math.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "random/philox.hpp"

namespace tarvo {
namespace {

// Relative error against the C library, which is itself within a unit of the truth.
double relative_error(double ours, double theirs) { return std::fabs(ours - theirs) / std::fabs(theirs); }

TEST(PortableMath, AgreesWithTheCLibraryOverTheirRanges) {
  const PhiloxKey key{7, 11};
  double worst_log = 0, worst_exp = 0, worst_pow = 0;
  for (std::uint64_t i = 0; i < 20000; ++i) {
    const PhiloxBlock w = philox4x64_10({i, 0, 0, 0}, key);
    const double unit = static_cast<double>(w[0] >> 11) * 0x1.0p-53;
    const double x = std::ldexp(0.5 + unit, static_cast<int>(w[1] % 2000) - 1000);  // 2^-1000 .. 2^1000
    worst_log = std::max(worst_log, std::fabs(portable::log(x) - std::log(x)) /
                                        std::max(1.0, std::fabs(std::log(x))));
    const double y = (unit - 0.5) * 1400;  // -700 .. 700
    worst_exp = std::max(worst_exp, relative_error(portable::exp(y), std::exp(y)));
    // The skewed pick's use: bases from 1 to 10^12, powers from -10 to 10.
    const double base = 1 + static_cast<double>(w[2] >> 24);
    const double power = static_cast<double>(w[3] >> 11) * 0x1.0p-53 * 2 - 1;
    worst_pow = std::max(worst_pow, relative_error(portable::pow(base, power), std::pow(base, power)));
  }
  EXPECT_LT(worst_log, 4e-16);
  EXPECT_LT(worst_exp, 8e-16);
  EXPECT_LT(worst_pow, 8e-15);
}

TEST(PortableMath, EdgesAndExactPowersOfTen) {
  EXPECT_EQ(portable::log(1.0), 0.0);
  EXPECT_EQ(portable::exp(0.0), 1.0);
  EXPECT_TRUE(std::isinf(portable::exp(710)) && portable::exp(-746) == 0.0);
  EXPECT_TRUE(std::isinf(portable::log(0.0)) && std::isnan(portable::log(-1.0)));
  for (int n = -22; n <= 22; ++n) EXPECT_EQ(portable::power_of_ten(n), std::pow(10.0, n)) << n;
  EXPECT_TRUE(std::isinf(portable::power_of_ten(400)) && portable::power_of_ten(-400) == 0.0);
}

}  // namespace
}  // namespace tarvo
