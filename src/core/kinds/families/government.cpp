// src/core/kinds/families/government.cpp: SSS, TIN and PhilHealth numbers.
#include <array>

#include "census/tin.hpp"
#include "engine/age_gate.hpp"
#include "engine/permuted.hpp"
#include "engine/profile.hpp"
#include "kinds/fields.hpp"
#include "providers/government.hpp"
#include "unique/formats.hpp"

namespace tarvo {
namespace {

constexpr std::size_t kLongest = IdText::capacity;

class SssDrawer final : public DrawerOf<SssDrawer> {
 public:
  SssDrawer() : DrawerOf({ValueType::Text, kReadsNothing, true, kLongest}) {}
  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    sink.text(sss_number(rng).view());
  }
  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    const std::vector<std::string>& prefixes = gov_data().sss_prefixes;
    return permuted_form(*this, unique::sss_capacity(prefixes.size()), keys,
                         [&prefixes](std::uint64_t i, Sink& sink) {
                           sink.text(unique::sss_number_at(prefixes, i).view());
                         });
  }
};

class PhilhealthDrawer final : public DrawerOf<PhilhealthDrawer> {
 public:
  PhilhealthDrawer() : DrawerOf({ValueType::Text, kReadsNothing, true, kLongest}) {}
  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    sink.text(philhealth_number(rng).view());
  }
  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    const std::vector<std::string>& prefixes = gov_data().philhealth_prefixes;
    return permuted_form(*this, unique::philhealth_capacity(prefixes.size()), keys,
                         [&prefixes](std::uint64_t i, Sink& sink) {
                           sink.text(unique::philhealth_number_at(prefixes, i).view());
                         });
  }
};

// An individual's TIN with the head-office branch 000 under the census profile; any branch
// code under the uniform one, as Dummy draws.
template <bool Census>
class TinDrawer final : public DrawerOf<TinDrawer<Census>> {
 public:
  TinDrawer() : DrawerOf<TinDrawer<Census>>({ValueType::Text, kReadsNothing, true, kLongest}) {}
  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    if constexpr (Census) {
      sink.text(census::census_tin(rng).view());
    } else {
      sink.text(tin_number(rng).view());
    }
  }
  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    constexpr auto branch = Census ? unique::TinBranch::head_office : unique::TinBranch::any;
    return permuted_form(*this, unique::tin_capacity(branch), keys,
                         [](std::uint64_t i, Sink& sink) {
                           sink.text(unique::tin_number_at(i, branch).view());
                         });
  }
};

std::shared_ptr<const Drawer> strict_sss(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) { return std::make_shared<const SssDrawer>(); });
}
std::shared_ptr<const Drawer> strict_philhealth(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) { return std::make_shared<const PhilhealthDrawer>(); });
}
std::shared_ptr<const Drawer> strict_tin(const KindArgs& args) {
  // A TIN is issued for work or business: none below 18.
  return plain_kind(args, [](const Profile& profile) -> std::shared_ptr<const Drawer> {
    if (draws_census(profile.id())) {
      return for_ages_from(18, profile, std::make_shared<const TinDrawer<true>>());
    }
    return std::make_shared<const TinDrawer<false>>();
  });
}
std::shared_ptr<const Drawer> lenient_sss(std::string_view) {
  return std::make_shared<const SssDrawer>();
}
std::shared_ptr<const Drawer> lenient_philhealth(std::string_view) {
  return std::make_shared<const PhilhealthDrawer>();
}
std::shared_ptr<const Drawer> lenient_tin(std::string_view) {
  return std::make_shared<const TinDrawer<false>>();
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"sss_number", "", "Social Security System number", ValueType::Text, kReadsNothing, true, "",
   strict_sss, lenient_sss},
  {"tin_number", "", "Taxpayer Identification Number", ValueType::Text, kReadsNothing, true, "",
   strict_tin, lenient_tin},
  {"philhealth_number", "", "PhilHealth identification number", ValueType::Text, kReadsNothing,
   true, "", strict_philhealth, lenient_philhealth},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> government_kinds() { return kKinds; }

}  // namespace tarvo
