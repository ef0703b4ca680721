// src/core/kinds/families/contact.cpp: mobile and landline numbers.
#include <array>

#include "census/landline.hpp"
#include "census/mobile.hpp"
#include "engine/age_gate.hpp"
#include "engine/permuted.hpp"
#include "engine/profile.hpp"
#include "kinds/fields.hpp"
#include "providers/contact.hpp"
#include "unique/formats.hpp"

namespace tarvo {
namespace {

constexpr std::size_t kLongest = NumberText::capacity;

// Mobile numbers of Globe, Smart and DITO weighted by subscribers under the census profile,
// every prefix alike under the uniform one. A unique number's prefix is uniform over the
// profile's prefixes.
template <bool Census>
class MobileDrawer final : public DrawerOf<MobileDrawer<Census>> {
 public:
  MobileDrawer() : DrawerOf<MobileDrawer<Census>>({ValueType::Text, kReadsNothing, true, kLongest}) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    if constexpr (Census) {
      sink.text(census::census_mobile(rng).view());
    } else {
      sink.text(phone_number(rng).view());
    }
  }

  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    std::vector<std::string> prefixes;
    if constexpr (Census) {
      for (const auto& prefix : census::census_mobiles().prefixes()) prefixes.push_back(prefix.digits);
    } else {
      prefixes = contact_data().mobile_prefixes;
    }
    const std::uint64_t capacity = unique::phone_capacity(prefixes.size());
    return permuted_form(*this, capacity, keys,
                         [prefixes = std::move(prefixes)](std::uint64_t i, Sink& sink) {
                           sink.text(unique::phone_number_at(prefixes, i).view());
                         });
  }
};

// The census profiles' landline has an area code of the row's province, and the current one's
// Metro Manila numbers begin with a carrier's identifier in the carriers' shares.
enum class Lines : std::uint8_t { Uniform, Census1, Census };

template <Lines L>
class LandlineDrawer final : public DrawerOf<LandlineDrawer<L>> {
 public:
  LandlineDrawer()
      : DrawerOf<LandlineDrawer<L>>(
            {ValueType::Text, L != Lines::Uniform ? kReadsPlace : kReadsNothing, true, kLongest}) {}

  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    if constexpr (L == Lines::Census) {
      if (row.address != nullptr) {
        return sink.text(census::census_landline_by_carrier(rng, *row.address).view());
      }
    } else if constexpr (L == Lines::Census1) {
      if (row.address != nullptr) return sink.text(census::census_landline(rng, *row.address).view());
    }
    sink.text(landline(rng).view());
  }
};

// No mobile number of one's own below 10.
std::shared_ptr<const Drawer> make_mobile(const Profile& profile) {
  if (draws_census(profile.id())) {
    return for_ages_from(10, profile, std::make_shared<const MobileDrawer<true>>());
  }
  return std::make_shared<const MobileDrawer<false>>();
}

std::shared_ptr<const Drawer> make_landline(const Profile& profile) {
  switch (profile.id()) {
    case ProfileId::Census: return std::make_shared<const LandlineDrawer<Lines::Census>>();
    case ProfileId::Census1: return std::make_shared<const LandlineDrawer<Lines::Census1>>();
    case ProfileId::Uniform: break;
  }
  return std::make_shared<const LandlineDrawer<Lines::Uniform>>();
}

std::shared_ptr<const Drawer> strict_mobile(const KindArgs& args) {
  return plain_kind(args, make_mobile);
}
std::shared_ptr<const Drawer> strict_landline(const KindArgs& args) {
  return plain_kind(args, make_landline);
}
std::shared_ptr<const Drawer> lenient_mobile(std::string_view) {
  return std::make_shared<const MobileDrawer<false>>();
}
std::shared_ptr<const Drawer> lenient_landline(std::string_view) {
  return std::make_shared<const LandlineDrawer<Lines::Uniform>>();
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"phone_number", "", "mobile number", ValueType::Text, kReadsNothing, true, "", strict_mobile,
   lenient_mobile},
  {"landline", "", "landline number with area code", ValueType::Text, kReadsPlace, false, "",
   strict_landline, lenient_landline},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> contact_kinds() { return kKinds; }

}  // namespace tarvo
