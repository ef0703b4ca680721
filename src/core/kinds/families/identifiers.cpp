// src/core/kinds/families/identifiers.cpp: PhilSys, Pag-IBIG, UMID, GSIS, passport, LTO and PRC numbers.
#include <array>

#include "census/birth_date.hpp"
#include "engine/age_gate.hpp"
#include "kinds/fields.hpp"
#include "ids/lto.hpp"
#include "ids/membership.hpp"
#include "ids/passport.hpp"
#include "ids/philsys.hpp"
#include "ids/prc.hpp"

namespace tarvo {
namespace {

// An identifier that needs nothing of the row; `Draw` is its generator.
template <ids::IdLikeText (*Draw)(CounterRng&), ids::IdLikeText (*DrawThread)(Rng&)>
class IdDrawer final : public DrawerOf<IdDrawer<Draw, DrawThread>> {
 public:
  IdDrawer() : DrawerOf<IdDrawer<Draw, DrawThread>>({ValueType::Text, kReadsNothing, true, 24}) {}
  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    if constexpr (std::is_same_v<R, CounterRng>) {
      sink.text(Draw(rng).view());
    } else {
      sink.text(DrawThread(rng).view());
    }
  }
};

template <ids::IdLikeText (*Draw)(CounterRng&), ids::IdLikeText (*DrawThread)(Rng&)>
std::shared_ptr<const Drawer> strict_id(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) {
    return std::make_shared<const IdDrawer<Draw, DrawThread>>();
  });
}

#define TARVO_ID(generator) \
  strict_id<ids::generator<CounterRng>, ids::generator<Rng>>

// The LTO's letters of the row's region.
const ids::LtoRegionLetters& region_letters(const RowView& row) {
  static const ids::LtoRegionLetters& ncr = ids::lto_region_letters("13");
  if (row.address == nullptr) return ncr;
  const AddressData& data = address_regions();
  return ids::lto_region_letters(data.text(data.region_records()[row.address->region_index].code));
}

enum class Vehicle : std::uint8_t { Licence, Car, Motorcycle };

// LTO numbers carry the region's letters; a licence the year it was first issued, from age 17
// (the year the holder turned 17 at the earliest, drawn up to the data set's year).
template <Vehicle V>
class LtoDrawer final : public DrawerOf<LtoDrawer<V>> {
 public:
  LtoDrawer()
      : DrawerOf<LtoDrawer<V>>({ValueType::Text,
                                static_cast<std::uint8_t>(kReadsPlace |
                                                          (V == Vehicle::Licence ? kReadsPerson : 0)),
                                true, 24}) {}
  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    const ids::LtoRegionLetters& letters = region_letters(row);
    if constexpr (V == Vehicle::Car) {
      sink.text(ids::car_plate(rng, letters).view());
    } else if constexpr (V == Vehicle::Motorcycle) {
      sink.text(ids::motorcycle_plate(rng, letters).view());
    } else {
      const auto born = static_cast<std::uint32_t>(row.person->birth_year());
      const std::uint32_t latest = born + row.person->age;
      const std::uint32_t first = std::min(born + 17, latest);
      sink.text(ids::drivers_license_number(rng, letters, rng.uniform_u32(first, latest)).view());
    }
  }
};

template <Vehicle V>
std::shared_ptr<const Drawer> strict_lto(const KindArgs& args) {
  return plain_kind(args, [](const Profile& profile) {
    std::shared_ptr<const Drawer> drawer = std::make_shared<const LtoDrawer<V>>();
    return V == Vehicle::Licence ? for_ages_from(17, profile, std::move(drawer)) : drawer;
  });
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"philsys_card_number", "", "PhilSys Card Number (PCN), 16 digits: 1234-5678-9012-3456",
   ValueType::Text, kReadsNothing, false, "", TARVO_ID(philsys_card_number), nullptr},
  {"philsys_number", "", "PhilSys Number (PSN), 12 digits: 1234-5678-9012", ValueType::Text,
   kReadsNothing, false, "", TARVO_ID(philsys_number), nullptr},
  {"pagibig_mid", "", "Pag-IBIG Membership ID, 12 digits: 1234-5678-9012", ValueType::Text,
   kReadsNothing, false, "", TARVO_ID(pagibig_mid), nullptr},
  {"umid_crn", "", "UMID Common Reference Number: 0111-2345678-9", ValueType::Text,
   kReadsNothing, false, "", TARVO_ID(umid_crn), nullptr},
  {"gsis_bp_number", "", "GSIS Business Partner number, 10 digits", ValueType::Text,
   kReadsNothing, false, "", TARVO_ID(gsis_bp_number), nullptr},
  {"passport_number", "", "Philippine passport number: P1234567A", ValueType::Text,
   kReadsNothing, false, "", TARVO_ID(passport_number), nullptr},
  {"prc_license_number", "", "PRC professional licence number, 7 digits", ValueType::Text,
   kReadsNothing, false, "", TARVO_ID(prc_license_number), nullptr},
  {"drivers_license", "", "LTO driver's licence number of the row's region: A01-23-456789",
   ValueType::Text, kReadsPlace | kReadsPerson, false, "", strict_lto<Vehicle::Licence>, nullptr},
  {"car_plate", "", "private car plate of the row's region, 2014 series: NAB 1234",
   ValueType::Text, kReadsPlace, false, "", strict_lto<Vehicle::Car>, nullptr},
  {"motorcycle_plate", "", "motorcycle plate of the row's region: 123 NAB", ValueType::Text,
   kReadsPlace, false, "", strict_lto<Vehicle::Motorcycle>, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> identifier_kinds() { return kKinds; }

}  // namespace tarvo
