// src/core/kinds/families/work.cpp: occupation, education, employer and nationality.
#include <array>

#include "census/education.hpp"
#include "census/employer.hpp"
#include "census/nationality.hpp"
#include "census/occupation.hpp"
#include "census/surnames.hpp"
#include "census/written_places.hpp"
#include "engine/plan.hpp"
#include "kinds/fields.hpp"

namespace tarvo {
namespace {

// A row's occupation is drawn from a stream of the row's own, not the column's, so that its job
// title and its group agree in any data set that has both.
constexpr std::uint64_t kWorkStream = 3;

census::Occupation row_occupation(const RowView& row) {
  CounterRng rng(row.plan->key, row.row, kWorkStream);
  return census::draw_occupation(rng, census::census_occupations(), row.person->male,
                                 row.person->age);
}

std::size_t longest(const std::vector<std::string>& texts) {
  std::size_t most = 0;
  for (const std::string& text : texts) most = std::max(most, text.size());
  return most;
}

// The job title, or the PSOC major group: by sex and age, from the Labor Force Survey.
template <bool Group>
class OccupationDrawer final : public DrawerOf<OccupationDrawer<Group>> {
 public:
  OccupationDrawer() : DrawerOf<OccupationDrawer<Group>>({ValueType::Text, kReadsPerson, false, bound()}) {}
  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    const census::CensusOccupations& data = census::census_occupations();
    const census::Occupation occupation = row_occupation(row);
    sink.text(Group ? census::occupation_group(data, occupation)
                    : census::occupation_title(data, occupation));
  }

 private:
  static std::size_t bound() {
    const census::CensusOccupations& data = census::census_occupations();
    std::size_t most = longest(data.activities);
    for (const auto& group : data.groups) {
      most = std::max(most, Group ? group.name.size() : longest(group.titles.texts));
    }
    return most;
  }
};

// Highest grade completed, by sex and age (2020 census).
class EducationDrawer final : public DrawerOf<EducationDrawer> {
 public:
  EducationDrawer()
      : DrawerOf({ValueType::Text, kReadsPerson, true, longest(census::census_education().labels)}) {}
  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    sink.text(census::draw_education(rng, census::census_education(), row.person->male,
                                     row.person->age));
  }
};

// A company of the row's town, named for a surname of its province or a word.
class EmployerDrawer final : public DrawerOf<EmployerDrawer> {
 public:
  EmployerDrawer() : DrawerOf({ValueType::Text, kReadsPlace, true, census::EmployerText::capacity}) {}
  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    const census::CensusSurnames& surnames = census::census_surnames();
    const std::uint32_t province = row.address != nullptr ? row.address->province_index : 0;
    const std::string_view surname = surnames.names[surnames.draw(rng, province, false)];
    const std::string_view city =
        row.address != nullptr ? census::written_places().city(row.address->city_index) : "";
    sink.text(census::employer_name(rng, census::census_employers(), surname, city).view());
  }
};

class NationalityDrawer final : public DrawerOf<NationalityDrawer> {
 public:
  NationalityDrawer() : DrawerOf({ValueType::Text, kReadsNothing, true, 16}) {}
  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    sink.text(census::draw_nationality(rng));
  }
};

template <class D>
std::shared_ptr<const Drawer> strict(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) { return std::make_shared<const D>(); });
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"occupation", "", "job title by sex and age (PSA Labor Force Survey), or Student, Unemployed, "
   "Homemaker, Retired", ValueType::Text, kReadsPerson, false, "", strict<OccupationDrawer<false>>,
   nullptr},
  {"occupation_group", "", "PSOC major occupation group of that job", ValueType::Text,
   kReadsPerson, false, "", strict<OccupationDrawer<true>>, nullptr},
  {"education", "", "highest educational attainment by sex and age (2020 census)",
   ValueType::Text, kReadsPerson, false, "", strict<EducationDrawer>, nullptr},
  {"employer", "", "a company name of the row's town", ValueType::Text, kReadsPlace, false, "",
   strict<EmployerDrawer>, nullptr},
  {"nationality", "", "citizenship (2010 census shares)", ValueType::Text, kReadsNothing, false,
   "", strict<NationalityDrawer>, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> work_kinds() { return kKinds; }

}  // namespace tarvo
