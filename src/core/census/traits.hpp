// src/core/census/traits.hpp: civil status by age and sex, and blood type, as published.
#pragma once

#include <cstddef>

#include "census/figures.hpp"
#include "census/person.hpp"

namespace tarvo::census {

// An index into preference().civil_status, from the person's age group and sex: one table draw.
// A couple living in without marrying is "Single" in law; the census's divorced or separated
// group is split into "Separated", "Annulled", "Legally Separated" and "Divorced".
template <class R>
std::size_t census_civil_status_index(R& rng, const CensusPerson& person) {
  const CensusFigures& figures = census_figures();
  return figures.civil_status[figures.marital_group_by_age[person.age]][person.male ? 1 : 0].sample(
      rng);
}

// An index into preference().blood_type with the Philippine Red Cross shares: one table draw.
template <class R>
std::size_t census_blood_type_index(R& rng) {
  return census_figures().blood_type.sample(rng);
}

}  // namespace tarvo::census
