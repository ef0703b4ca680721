// src/core/engine/text_lists.cpp: the sizes of the fixed lists that cells share text from.
#include "census/figures.hpp"
#include "census/names.hpp"
#include "engine/sink.hpp"
#include "providers/personal.hpp"
#include "providers/utility.hpp"

namespace tarvo {

std::size_t text_list_size(TextList list) {
  switch (list) {
    case TextList::Gender: return 2;
    case TextList::FirstMale: return first_names().male.size();
    case TextList::FirstFemale: return first_names().female.size();
    case TextList::LastName: return last_names().surnames.size();
    case TextList::CivilStatus: return preference().civil_status.size();
    case TextList::BloodType: return preference().blood_type.size();
    case TextList::Color: return utility_data().colors.size();
    case TextList::Status: return utility_data().statuses.size();
    case TextList::Region: return address_regions().region_count();
    case TextList::Province: return address_regions().province_count();
    case TextList::City: return address_regions().city_count();
    case TextList::ZipCode:
    case TextList::Barangay: return address_regions().barangay_count();
    case TextList::Suffix: return census::census_figures().suffixes.size();
    case TextList::CensusFirstMale: return census::census_names().male.names.size();
    case TextList::CensusFirstFemale: return census::census_names().female.names.size();
    case TextList::CensusSurname: return census::census_names().surnames.names.size();
    case TextList::Choice:
    case TextList::Count_: return 0;
  }
  return 0;
}

}  // namespace tarvo
