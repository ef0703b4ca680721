// src/core/random/portable_math.hpp: exp, log and pow from additions and multiplications alone.
//
// A C library's exp, log and pow differ between releases and machines in the last bit (glibc's
// before 2.28 and after, musl's, a target's vector routines), and a value drawn through them
// would differ with it. These use only IEEE operations that every machine rounds the same way
// (the build turns off fused multiply-add), so a seeded cell is the same from every wheel. They
// are accurate to a few units in the last place, which is all a sampling curve needs.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tarvo::portable {

namespace detail {
inline constexpr double kLn2High = 6.93147180369123816490e-01;  // ln 2, its top 32 bits
inline constexpr double kLn2Low = 1.90821492927058770002e-10;   // ... and the rest
inline constexpr double kLog2E = 1.44269504088896338700e+00;
}  // namespace detail

// The natural logarithm of x > 0 (NaN below 0, -inf at 0, inf at inf).
inline double log(double x) {
  if (!(x > 0)) return x == 0 ? -std::numeric_limits<double>::infinity()
                              : std::numeric_limits<double>::quiet_NaN();
  if (x == std::numeric_limits<double>::infinity()) return x;
  int e = 0;
  double m = std::frexp(x, &e);  // x = m 2^e, m in [1/2, 1): exact
  if (m < 0.70710678118654752440) {
    m *= 2;
    --e;
  }
  // log m = 2 atanh(s) for s = (m - 1) / (m + 1), |s| < 0.172: the series to s^21 is exact to
  // well under a unit in the last place.
  const double f = m - 1.0;
  const double s = f / (2.0 + f);
  const double s2 = s * s;
  double series = 1.0 / 21;
  for (int k = 19; k >= 3; k -= 2) series = series * s2 + 1.0 / k;
  const double log_m = 2 * s + 2 * s * s2 * series;
  return e * detail::kLn2High + (log_m + e * detail::kLn2Low);
}

// e^x (0 below about -745, inf above about 709.8).
inline double exp(double x) {
  if (x != x) return x;
  if (x > 709.782712893384) return std::numeric_limits<double>::infinity();
  if (x < -745.2) return 0.0;
  // x = k ln 2 + r with |r| <= ln 2 / 2; e^r by its Taylor series to r^14.
  const double k = std::nearbyint(x * detail::kLog2E);
  const double r = (x - k * detail::kLn2High) - k * detail::kLn2Low;
  double series = 1.0;
  for (int n = 14; n >= 1; --n) series = 1.0 + series * r / n;
  return std::ldexp(series, static_cast<int>(k));
}

// base^power for base > 0.
inline double pow(double base, double power) { return exp(power * log(base)); }

// 10^n: exact for 0 <= n <= 22 (every such power is a double), as close as pow gets beyond.
inline double power_of_ten(std::int32_t n) {
  static constexpr std::array<double, 23> kExact = {
      1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (n >= 0 && n <= 22) return kExact[static_cast<std::size_t>(n)];
  if (n < 0 && n >= -22) return 1.0 / kExact[static_cast<std::size_t>(-n)];
  return pow(10.0, static_cast<double>(n));
}

}  // namespace tarvo::portable
