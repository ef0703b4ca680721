// src/core/kinds/families/households.cpp: household_size and relationship, of households and their members.
#include <array>

#include "census/household.hpp"
#include "engine/child_index.hpp"
#include "engine/plan.hpp"
#include "kinds/fields.hpp"

namespace tarvo {
namespace {

// The household's number of members, as its members' table counts them: the census's household
// sizes, drawn in the households table's own size stream.
class HouseholdSizeDrawer final : public DrawerOf<HouseholdSizeDrawer> {
 public:
  HouseholdSizeDrawer() : DrawerOf({ValueType::Int32, kReadsNothing, false, 0}) {}
  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    sink.integer(ChildIndex::count_at(row.plan->key, census::kHouseholdSizeStream,
                                      census::census_population().household_size, 1, row.row));
  }
};

class RelationshipDrawer final : public DrawerOf<RelationshipDrawer> {
 public:
  RelationshipDrawer() : DrawerOf({ValueType::Text, kReadsPerson, false, 14}) {}
  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    static const TextList list(census::kRoleLabels.size());
    const auto role = static_cast<std::uint32_t>(row.person->census.relationship);
    sink.listed(list, role, census::kRoleLabels[role]);
  }
};

std::shared_ptr<const Drawer> strict_household_size(const KindArgs& args) {
  if (args.parameters) fail(args, "this kind takes no parameters");
  return std::make_shared<const HouseholdSizeDrawer>();
}

std::shared_ptr<const Drawer> strict_relationship(const KindArgs& args) {
  if (args.parameters) fail(args, "this kind takes no parameters");
  if (!args.profile.household_members()) {
    fail(args, "relationship is a household member's: a table with parent households and "
               "per_parent \"household\"");
  }
  return std::make_shared<const RelationshipDrawer>();
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"household_size", "", "members of the household (2020 census household sizes), as its members' "
   "table has them", ValueType::Int32, kReadsNothing, false, "", strict_household_size, nullptr},
  {"relationship", "", "a household member's relationship to the head: Head, Spouse, Son, "
   "Daughter, ...", ValueType::Text, kReadsPerson, false, "", strict_relationship, nullptr, true},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> household_kinds() { return kKinds; }

}  // namespace tarvo
