// src/core/kinds/families/traits.cpp: civil status and blood type, by profile.
#include <array>

#include "census/religion.hpp"
#include "census/traits.hpp"
#include "engine/profile.hpp"
#include "kinds/families/listed.hpp"
#include "kinds/fields.hpp"
#include "providers/personal.hpp"

namespace tarvo {
namespace {

const TextList& civil_status_list() {
  static const TextList list(preference().civil_status.size());
  return list;
}

const TextList& blood_type_list() {
  static const TextList list(preference().blood_type.size());
  return list;
}

// Uniform over the list, as Dummy draws; census-1's by the person's age group and sex; the census
// profile's is part of the person (a couple's agrees, only Muslims divorce), drawn with it.
std::shared_ptr<const Drawer> make_civil_status(const Profile& profile) {
  if (profile.id() == ProfileId::Census) {
    return listed_drawer(preference().civil_status, civil_status_list(), kReadsPerson,
                         [](auto&, const RowView& row) {
                           return static_cast<std::size_t>(row.person->census.civil_status);
                         });
  }
  if (profile.id() == ProfileId::Census1) {
    return listed_drawer(preference().civil_status, civil_status_list(), kReadsPerson,
                         [](auto& rng, const RowView& row) {
                           return census::census_civil_status_index(rng, row.person->census);
                         });
  }
  return listed_drawer(preference().civil_status, civil_status_list(), kReadsNothing,
                       [](auto& rng, const RowView&) { return civil_status_index(rng); });
}

// Uniform, or with the Philippine Red Cross shares.
std::shared_ptr<const Drawer> make_blood_type(const Profile& profile) {
  if (draws_census(profile.id())) {
    return listed_drawer(preference().blood_type, blood_type_list(), kReadsNothing,
                         [](auto& rng, const RowView&) {
                           return census::census_blood_type_index(rng);
                         });
  }
  return listed_drawer(preference().blood_type, blood_type_list(), kReadsNothing,
                       [](auto& rng, const RowView&) { return blood_type_index(rng); });
}

// The census profile's religion is the person's (by province, PSA 2020); census-1, which has no
// religion in its people, draws it by the row's province; the uniform profile evenly.
std::shared_ptr<const Drawer> make_religion(const Profile& profile) {
  static const TextList list(census::census_religions().labels.size());
  const auto& labels = census::census_religions().labels;
  if (profile.id() == ProfileId::Census) {
    return listed_drawer(labels, list, kReadsPerson, [](auto&, const RowView& row) {
      return static_cast<std::size_t>(row.person->census.religion);
    });
  }
  if (profile.id() == ProfileId::Census1) {
    return listed_drawer(labels, list, kReadsPlace, [](auto& rng, const RowView& row) {
      const std::uint32_t province = row.address != nullptr ? row.address->province_index : 0;
      return census::census_religions().by_province[province].sample(rng);
    });
  }
  return listed_drawer(labels, list, kReadsNothing, [](auto& rng, const RowView&) {
    return rng.uniform_index(census::census_religions().labels.size());
  });
}

std::shared_ptr<const Drawer> strict_religion(const KindArgs& args) {
  return plain_kind(args, make_religion);
}

std::shared_ptr<const Drawer> strict_civil_status(const KindArgs& args) {
  return plain_kind(args, make_civil_status);
}
std::shared_ptr<const Drawer> strict_blood_type(const KindArgs& args) {
  return plain_kind(args, make_blood_type);
}
std::shared_ptr<const Drawer> lenient_civil_status(std::string_view) {
  return listed_drawer(preference().civil_status, civil_status_list(), kReadsNothing,
                       [](auto& rng, const RowView&) { return civil_status_index(rng); });
}
std::shared_ptr<const Drawer> lenient_blood_type(std::string_view) {
  return listed_drawer(preference().blood_type, blood_type_list(), kReadsNothing,
                       [](auto& rng, const RowView&) { return blood_type_index(rng); });
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"civil_status", "", "civil status", ValueType::Text, kReadsPerson, false, "",
   strict_civil_status, lenient_civil_status},
  {"blood_type", "", "ABO and Rh blood type", ValueType::Text, kReadsNothing, false, "",
   strict_blood_type, lenient_blood_type},
  {"religion", "", "religious affiliation (PSA 2020, by province)", ValueType::Text,
   kReadsPerson, false, "", strict_religion, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> trait_kinds() { return kKinds; }

}  // namespace tarvo
