// src/core/kinds/families/boolean.cpp: bool: true with a given probability.
#include <array>
#include <cmath>

#include "kinds/fields.hpp"

namespace tarvo {
namespace {

// True when the top 53 bits of one word fall below P * 2^53: exact for any P a double holds,
// and P = 1 always true.
class BoolDrawer final : public DrawerOf<BoolDrawer> {
 public:
  explicit BoolDrawer(std::uint64_t below)
      : DrawerOf({ValueType::Bool, kReadsNothing, true, 0}), below_(below) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    sink.boolean((rng.draw_u64() >> 11) < below_);
  }

 private:
  std::uint64_t below_;
};

std::shared_ptr<const Drawer> strict_bool(const KindArgs& args) {
  double p = 0.5;
  if (args.parameters) {
    const auto read = read_number<double>(*args.parameters);
    if (!read || !(*read >= 0 && *read <= 1)) {
      fail(args, "expected bool:P with P, the chance of True, from 0 to 1");
    }
    p = *read;
  }
  return std::make_shared<const BoolDrawer>(
      static_cast<std::uint64_t>(std::llround(p * 9007199254740992.0)));
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"bool", ":P", "True with probability P (default 0.5), else False", ValueType::Bool,
   kReadsNothing, false, "", strict_bool, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> bool_kinds() { return kKinds; }

}  // namespace tarvo
