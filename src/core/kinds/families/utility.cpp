// src/core/kinds/families/utility.cpp: colour and record status words, drawn evenly under every profile.
#include <array>

#include "kinds/families/listed.hpp"
#include "kinds/fields.hpp"
#include "providers/utility.hpp"

namespace tarvo {
namespace {

std::shared_ptr<const Drawer> make_color() {
  static const TextList list(utility_data().colors.size());
  return listed_drawer(utility_data().colors, list, kReadsNothing,
                       [](auto& rng, const RowView&) { return color_index(rng); });
}

std::shared_ptr<const Drawer> make_status() {
  static const TextList list(utility_data().statuses.size());
  return listed_drawer(utility_data().statuses, list, kReadsNothing,
                       [](auto& rng, const RowView&) { return status_index(rng); });
}

std::shared_ptr<const Drawer> strict_color(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) { return make_color(); });
}
std::shared_ptr<const Drawer> strict_status(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) { return make_status(); });
}
std::shared_ptr<const Drawer> lenient_color(std::string_view) {
  return make_color();
}
std::shared_ptr<const Drawer> lenient_status(std::string_view) {
  return make_status();
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"color", "", "colour name", ValueType::Text, kReadsNothing, false, "", strict_color,
   lenient_color},
  {"status", "", "record status", ValueType::Text, kReadsNothing, false, "", strict_status,
   lenient_status},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> utility_kinds() { return kKinds; }

}  // namespace tarvo
