// src/core/engine/members_profile.cpp: a member's place and person from its household's family.
#include "engine/members_profile.hpp"

#include <memory>

#include "census/household.hpp"
#include "engine/drawer.hpp"
#include "engine/plan.hpp"

namespace tarvo {
namespace {

constexpr AgeRange kEveryAge{0, census::kOldestAge};

class MembersProfile final : public Profile {
 public:
  MembersProfile(std::shared_ptr<const Profile> census, std::shared_ptr<const Relation> households,
                 const PhiloxKey& member_key)
      // Members are of every age; the ages are not a range the data set narrows, so they key
      // the person stream as the census profile's own do.
      : Profile(ProfileId::Census, kEveryAge, kEveryAge),
        census_(std::move(census)),
        households_(std::move(households)),
        key_(member_key) {}

  bool person_takes_two_blocks() const noexcept override { return true; }
  std::uint8_t person_reads() const noexcept override { return kReadsPlace; }
  bool household_members() const noexcept override { return true; }
  NameBounds name_bounds() const override { return census_->name_bounds(); }

  void draw_person(CounterRng& rng, CivilDate as_of, bool with_middle, const Address* place,
                   RowPerson& out) const override {
    census_->draw_person(rng, as_of, with_middle, place, out);
  }

  std::optional<Address> draw_address(CounterRng& rng) const override {
    return census_->draw_address(rng);
  }

  // The household's place: its own address stream in the households table.
  std::optional<Address> draw_address_at(std::uint64_t row, CounterRng&) const override {
    const Plan& parent = households_->parent();
    CounterRng rng(parent.key, households_->parent_of(key_, row).row, kAddressStream);
    return parent.profile->draw_address(rng);
  }

  void draw_person_at(std::uint64_t row, CounterRng& rng, CivilDate as_of, bool,
                      const Address* place, RowPerson& out) const override {
    static const Address nowhere{};
    const Relation::Parent household = households_->parent_of(key_, row);
    const census::Family& family = family_of(household.row, household.count, place ? *place : nowhere);
    const census::FamilyMember& member = family.members[std::min<std::uint32_t>(
        household.position, census::kLargestHousehold - 1)];
    census::ResidentRules rules;
    rules.sex = member.male ? 1 : 0;
    rules.age = static_cast<std::int32_t>(member.age);
    rules.religion = static_cast<std::int32_t>(family.religion);
    rules.last_name = member.last_name;
    rules.middle_name = member.middle_name;
    rules.civil_status = member.civil_status;
    static const census::AliasTable unused;
    census::draw_resident(rng, as_of, place ? *place : nowhere, unused, 0, rules, out.census);
    out.census.relationship = static_cast<std::int32_t>(member.role);
    fill_census_row(out);
  }

 private:
  const census::Family& family_of(std::uint64_t household, std::uint32_t size,
                                  const Address& place) const {
    const Plan& parent = households_->parent();
    // On the heap, as child_index.cpp explains: the module's thread-local storage stays small.
    struct Last {
      PhiloxKey key{};
      std::uint64_t household = ~std::uint64_t{0};
      census::Family family;
    };
    thread_local std::unique_ptr<Last> kept;
    if (!kept) kept = std::make_unique<Last>();
    Last& last = *kept;
    if (last.key != parent.key || last.household != household) {
      CounterRng rng(parent.key, household, census::kFamilyStream);
      census::draw_family(rng, place, size, last.family);
      last.key = parent.key;
      last.household = household;
    }
    return last.family;
  }

  std::shared_ptr<const Profile> census_;
  std::shared_ptr<const Relation> households_;
  PhiloxKey key_;
};

}  // namespace

std::shared_ptr<const Profile> household_members_profile(std::shared_ptr<const Profile> census,
                                                         std::shared_ptr<const Relation> households,
                                                         const PhiloxKey& member_key) {
  return std::make_shared<const MembersProfile>(std::move(census), std::move(households),
                                                member_key);
}

}  // namespace tarvo
