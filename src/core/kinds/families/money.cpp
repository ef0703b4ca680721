// src/core/kinds/families/money.cpp: money: pesos with two decimal places, exact from end to end.
#include <array>
#include <string>

#include "engine/permuted.hpp"
#include "kinds/fields.hpp"

namespace tarvo {
namespace {

// Sums stay below 10^16 pesos, so that decimal(18, 2) holds every one of them.
constexpr std::int64_t kMostCentavos = 999'999'999'999'999'999;

// "1234", "1234.5", "-0.05": digits with at most two decimals, read as centavos without ever
// passing through a binary fraction.
std::optional<std::int64_t> read_centavos(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view cents = point == std::string_view::npos ? "" : text.substr(point + 1);
  if (whole.empty() || cents.size() > 2 || (point != std::string_view::npos && cents.empty())) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (std::string_view part : {whole, cents}) {
    for (char c : part) {
      if (c < '0' || c > '9' || value > kMostCentavos / 10) return std::nullopt;
      value = value * 10 + (c - '0');
    }
  }
  for (std::size_t i = cents.size(); i < 2; ++i) {
    if (value > kMostCentavos / 10) return std::nullopt;
    value *= 10;
  }
  if (value > kMostCentavos) return std::nullopt;
  return negative ? -value : value;
}

class MoneyDrawer final : public DrawerOf<MoneyDrawer> {
 public:
  MoneyDrawer(std::int64_t low, std::int64_t high)
      : DrawerOf({ValueType::Money, kReadsNothing, true, 0}), low_(low), high_(high) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    sink.money(rng.uniform_i64(low_, high_));
  }

  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    const std::int64_t low = low_;
    return permuted_form(*this, static_cast<std::uint64_t>(high_ - low_) + 1, keys,
                         [low](std::uint64_t i, Sink& sink) {
                           sink.money(low + static_cast<std::int64_t>(i));
                         });
  }

 private:
  std::int64_t low_, high_;
};

std::shared_ptr<const Drawer> strict_money(const KindArgs& args) {
  if (!args.parameters) return std::make_shared<const MoneyDrawer>(0, 100'000);
  const auto fields = colon_fields(*args.parameters);
  if (fields.size() != 2) fail(args, "expected money:MIN:MAX");
  const auto low = read_centavos(fields[0]);
  const auto high = read_centavos(fields[1]);
  constexpr std::string_view kWhat =
      " is not a sum of pesos with at most two decimals below 10**16";
  if (!low) fail(args, "MIN" + std::string(kWhat));
  if (!high) fail(args, "MAX" + std::string(kWhat));
  if (*low > *high) fail(args, "empty range: MIN is above MAX");
  return std::make_shared<const MoneyDrawer>(*low, *high);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"money", ":MIN:MAX", "pesos with two decimals from MIN to MAX inclusive (defaults 0 and 1000)",
   ValueType::Money, kReadsNothing, true, "", strict_money, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> money_kinds() { return kKinds; }

}  // namespace tarvo
