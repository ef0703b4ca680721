// src/core/engine/members_profile.hpp: the people of a table of household members.
#pragma once

#include <memory>

#include "engine/profile.hpp"
#include "engine/relation.hpp"

namespace tarvo {

struct Plan;

// The census profile for the child of a one to many relation whose parents are households: row
// i is member k of household p, who lives at the household's place, and whose role, sex, age,
// surnames, religion and civil status the household's family gives (census/household.hpp).
// Drawing a member draws the family of its household again; a thread keeps the last one, so the
// members of a household cost one family between them.
std::shared_ptr<const Profile> household_members_profile(std::shared_ptr<const Profile> census,
                                                         std::shared_ptr<const Relation> households,
                                                         const PhiloxKey& member_key);

}  // namespace tarvo
