// src/core/kinds/families/numbers.cpp: int and float, the numbers drawn from a range.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "engine/permuted.hpp"
#include "engine/profile.hpp"
#include "kinds/fields.hpp"
#include "kinds/lenient_parse.hpp"
#include "random/portable_math.hpp"

namespace tarvo {
namespace {

constexpr std::uint32_t kMaxPlaces = 15;  // a double holds 15 significant decimal digits

// A data set's int spans the signed 64-bit range; Dummy's is 32-bit and drawn with 32-bit
// words, which keeps its word use (and so its values) as they always were.
template <bool Narrow>
class IntDrawer final : public DrawerOf<IntDrawer<Narrow>> {
 public:
  IntDrawer(std::int64_t low, std::int64_t high)
      : DrawerOf<IntDrawer<Narrow>>({ValueType::Int64, kReadsNothing, true, 0}),
        low_(low),
        high_(high) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    if constexpr (Narrow) {
      sink.integer(rng.uniform_i32(static_cast<std::int32_t>(low_),
                                   static_cast<std::int32_t>(high_)));
    } else {
      sink.integer(rng.uniform_i64(low_, high_));
    }
  }

  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    // The whole 64-bit range has 2^64 values, one more than a permutation's size can count: it
    // then leaves out the highest.
    const std::uint64_t span = static_cast<std::uint64_t>(high_) - static_cast<std::uint64_t>(low_);
    const std::uint64_t capacity = span == std::numeric_limits<std::uint64_t>::max() ? span : span + 1;
    const std::int64_t low = low_;
    return permuted_form(*this, capacity, keys, [low](std::uint64_t i, Sink& sink) {
      sink.integer(static_cast<std::int64_t>(static_cast<std::uint64_t>(low) + i));
    });
  }

 private:
  std::int64_t low_, high_;
};

// Rounding to the requested places can overflow (10^places infinite) or divide by a zero
// multiplier; the drawn value is then kept as it is, so every value stays in range.
class FloatDrawer final : public DrawerOf<FloatDrawer> {
 public:
  FloatDrawer(double low, double high, double multiplier)
      : DrawerOf({ValueType::Float64, kReadsNothing, true, 0}),
        low_(low),
        high_(high),
        multiplier_(multiplier) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    const double x = rng.uniform_real(low_, high_);
    const double rounded = std::round(x * multiplier_) / multiplier_;
    sink.real(std::isfinite(rounded) ? rounded : x);
  }

 private:
  double low_, high_, multiplier_;
};

// A value with PLACES decimals: k / 10^PLACES for a whole k drawn evenly over those in
// [MIN, MAX), so no value reaches MAX and none is a negative zero. Where the grid is finer than
// a double tells apart (|MAX| * 10^PLACES past 2^53), every double is a value of it and the
// draw is the double itself.
class GridFloatDrawer final : public DrawerOf<GridFloatDrawer> {
 public:
  GridFloatDrawer(std::int64_t low, std::int64_t high, double multiplier)
      : DrawerOf({ValueType::Float64, kReadsNothing, true, 0}),
        low_(low),
        high_(high),
        multiplier_(multiplier) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    sink.real(static_cast<double>(rng.uniform_i64(low_, high_)) / multiplier_);
  }

 private:
  std::int64_t low_, high_;
  double multiplier_;
};

class FineFloatDrawer final : public DrawerOf<FineFloatDrawer> {
 public:
  FineFloatDrawer(double low, double high)
      : DrawerOf({ValueType::Float64, kReadsNothing, true, 0}), low_(low), high_(high) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    const double x = rng.uniform_real(low_, high_);
    sink.real(x < high_ ? x : std::nextafter(high_, low_));  // a rounding up to MAX stays below
  }

 private:
  double low_, high_;
};

constexpr double kExactIntegers = 9007199254740992.0;  // 2^53

std::shared_ptr<const Drawer> grid_float(const KindArgs& args, double low, double high,
                                         std::uint32_t places) {
  const double multiplier = portable::power_of_ten(static_cast<std::int32_t>(places));
  if (std::max(std::fabs(low), std::fabs(high)) * multiplier >= kExactIntegers) {
    return std::make_shared<const FineFloatDrawer>(low, high);
  }
  auto first = static_cast<std::int64_t>(std::ceil(low * multiplier));
  while (static_cast<double>(first) / multiplier < low) ++first;
  auto last = static_cast<std::int64_t>(std::ceil(high * multiplier)) - 1;
  while (static_cast<double>(last) / multiplier >= high) --last;
  while (static_cast<double>(last + 1) / multiplier < high) ++last;
  if (first > last) fail(args, "no number with PLACES decimals lies in [MIN, MAX)");
  return std::make_shared<const GridFloatDrawer>(first, last, multiplier);
}

std::shared_ptr<const Drawer> strict_int(const KindArgs& args) {
  if (!args.parameters) return std::make_shared<const IntDrawer<false>>(0, 100);
  const auto fields = colon_fields(*args.parameters);
  if (fields.size() != 2) fail(args, "expected int:LOW:HIGH");
  const auto low = read_number<std::int64_t>(fields[0]);
  const auto high = read_number<std::int64_t>(fields[1]);
  if (!low) fail(args, "LOW is not a whole number from -2**63 to 2**63-1");
  if (!high) fail(args, "HIGH is not a whole number from -2**63 to 2**63-1");
  if (*low > *high) fail(args, "empty range: LOW is above HIGH");
  return std::make_shared<const IntDrawer<false>>(*low, *high);
}

std::shared_ptr<const Drawer> lenient_int(std::string_view text) {
  const auto fields = split_lenient(text, ':');
  const std::int32_t low = fields.size() > 1 ? lenient_i32(fields[1]).value_or(0) : 0;
  const std::int32_t high = fields.size() > 2 ? lenient_i32(fields[2]).value_or(100) : 100;
  return std::make_shared<const IntDrawer<true>>(low, high);
}

// Census-1 keeps the rounding of the 1.1 releases, which could give MAX or -0.0; the other
// profiles draw over the grid of PLACES decimals.
std::shared_ptr<const Drawer> float_drawer(const KindArgs& args, double low, double high,
                                           std::uint32_t places) {
  if (args.profile.id() == ProfileId::Census1) {
    return std::make_shared<const FloatDrawer>(low, high,
                                               portable::power_of_ten(static_cast<std::int32_t>(places)));
  }
  return grid_float(args, low, high, places);
}

std::shared_ptr<const Drawer> strict_float(const KindArgs& args) {
  if (!args.parameters) return float_drawer(args, 0.0, 1.0, 2);
  const auto fields = colon_fields(*args.parameters);
  if (fields.size() != 2 && fields.size() != 3) fail(args, "expected float:MIN:MAX[:PLACES]");
  const auto low = read_number<double>(fields[0]);
  const auto high = read_number<double>(fields[1]);
  if (!low || !std::isfinite(*low)) fail(args, "MIN is not a finite number");
  if (!high || !std::isfinite(*high)) fail(args, "MAX is not a finite number");
  if (!(*low < *high)) fail(args, "empty range: MIN must be below MAX");
  if (!std::isfinite(*high - *low)) fail(args, "the range MAX - MIN is too wide for a float");
  std::uint32_t places = 2;
  if (fields.size() == 3) {
    const auto read = read_number<std::uint32_t>(fields[2]);
    if (!read || *read > kMaxPlaces) fail(args, "PLACES is not a whole number from 0 to 15");
    places = *read;
  }
  return float_drawer(args, *low, *high, places);
}

std::shared_ptr<const Drawer> lenient_float(std::string_view text) {
  const auto fields = split_lenient(text, ':');
  const double low = fields.size() > 1 ? lenient_double(fields[1]).value_or(0.0) : 0.0;
  const double high = fields.size() > 2 ? lenient_double(fields[2]).value_or(1.0) : 1.0;
  double multiplier = 100.0;
  if (fields.size() > 3) {
    if (const auto places = lenient_u32(fields[3])) {
      // Read as Dummy always has: the places as a signed 32-bit number.
      multiplier = portable::power_of_ten(static_cast<std::int32_t>(*places));
    }
  }
  return std::make_shared<const FloatDrawer>(low, high, multiplier);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"int", ":LOW:HIGH", "whole number from LOW to HIGH inclusive (defaults 0 and 100)",
   ValueType::Int64, kReadsNothing, true, "", strict_int, lenient_int},
  {"float", ":MIN:MAX:PLACES",
   "number with PLACES decimals drawn evenly from [MIN, MAX) (defaults 0, 1, 2)",
   ValueType::Float64, kReadsNothing, false, "", strict_float, lenient_float},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> number_kinds() { return kKinds; }

}  // namespace tarvo
