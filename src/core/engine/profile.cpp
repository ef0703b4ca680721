// src/core/engine/profile.cpp: the census and uniform profiles' people and places.
#include "engine/profile.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "census/figures.hpp"
#include "census/names.hpp"
#include "census/person.hpp"
#include "census/places.hpp"
#include "census/reading.hpp"
#include "census/resident.hpp"
#include "census/written_places.hpp"
#include "engine/calendar.hpp"
#include "engine/drawer.hpp"
#include "kinds/definition_error.hpp"
#include "providers/personal.hpp"

namespace tarvo {
namespace {

std::size_t longest(const std::vector<std::string>& list) {
  std::size_t most = 0;
  for (const std::string& entry : list) most = std::max(most, entry.size());
  return most;
}

std::uint64_t person_stream_for(AgeRange ages, AgeRange defaults) {
  if (ages == defaults) return kPersonStream;
  // 256 + youngest * 2^16 + oldest * 2^32: never 1 or 2, and the top bit clear, apart from the
  // columns' streams.
  return 0x100u | (std::uint64_t{ages.youngest} << 16) | (std::uint64_t{ages.oldest} << 32);
}

struct UniformLists {
  TextList male{first_names().male.size()};
  TextList female{first_names().female.size()};
  TextList surnames{last_names().surnames.size()};
};

const UniformLists& uniform_lists() {
  static const UniformLists lists;
  return lists;
}

struct CensusLists {
  TextList male{census::census_names().male.names.size()};
  TextList female{census::census_names().female.names.size()};
  TextList surnames{census::census_names().surnames.names.size()};
  TextList suffixes{census::census_figures().suffixes.size()};
};

const CensusLists& census_lists() {
  static const CensusLists lists;
  return lists;
}

class UniformProfile final : public Profile {
 public:
  explicit UniformProfile(AgeRange ages)
      : Profile(ProfileId::Uniform, ages, default_ages(ProfileId::Uniform)) {}

  bool person_takes_two_blocks() const noexcept override { return false; }

  void draw_person(CounterRng& rng, CivilDate as_of, bool with_middle, const Address*,
                   RowPerson& row) const override {
    uniform_row_person(tarvo::draw_person(rng, as_of, ages().youngest, ages().oldest), row);
    if (with_middle) {  // the mother's surname, after everything Dummy's person draws
      const LastNames& surnames = last_names();
      row.middle_index = static_cast<std::uint32_t>(rng.uniform_index(surnames.surnames.size()));
      row.middle_name = surnames.surnames[row.middle_index];
    }
  }

  std::optional<Address> draw_address(CounterRng& rng) const override {
    return generate_address(rng);
  }

  NameBounds name_bounds() const override {
    static const NameBounds bounds{
        std::max(longest(first_names().male), longest(first_names().female)),
        longest(last_names().surnames), 0};
    return bounds;
  }
};

// The census profile of the 1.1 releases, exactly: adults only, names from census_names.json
// with no regard to place, official place labels.
class Census1Profile final : public Profile {
 public:
  explicit Census1Profile(AgeRange ages)
      : Profile(ProfileId::Census1, ages, default_ages(ProfileId::Census1)) {
    const census::CensusFigures& figures = census::census_figures();
    if (ages == default_ages(ProfileId::Census1)) {
      ages_ = &figures.age;
      return;
    }
    const auto first = figures.age_weights.begin() + (ages.youngest - census::kYoungestAge);
    const std::vector<std::uint64_t> weights(first, first + (ages.oldest - ages.youngest + 1));
    narrowed_ = census::make_table(weights);
    ages_ = &narrowed_;
  }

  bool person_takes_two_blocks() const noexcept override { return true; }

  void draw_person(CounterRng& rng, CivilDate as_of, bool, const Address*,
                   RowPerson& row) const override {
    row.census = census::draw_census_person(rng, as_of, *ages_, ages().youngest);
    const CensusLists& lists = census_lists();
    fill_census_row(row, row.census.male ? &lists.male : &lists.female, lists.surnames,
                    lists.suffixes);
  }

  std::optional<Address> draw_address(CounterRng& rng) const override {
    return census::draw_census_address(rng);
  }

  NameBounds name_bounds() const override {
    static const NameBounds bounds = [] {
      const census::CensusNames& names = census::census_names();
      return NameBounds{std::max(longest(names.male.names), longest(names.female.names)),
                        longest(names.surnames.names), longest(census::census_figures().suffixes)};
    }();
    return bounds;
  }

 private:
  const census::AliasTable* ages_ = nullptr;
  census::AliasTable narrowed_;
};

struct ResidentLists {
  TextList surnames{census::census_surnames().names.size()};
  TextList suffixes{census::census_figures().suffixes.size()};
};

const ResidentLists& resident_lists() {
  static const ResidentLists lists;
  return lists;
}

// Written labels are other texts than the official ones at the same indices, so their lists
// are lists of their own.
const PlaceLists& written_lists() {
  static const PlaceLists lists(address_regions().region_count(), address_regions().province_count(),
                                address_regions().city_count(), address_regions().barangay_count());
  return lists;
}

// People of all ages as the 2020 census counts them, whose religion and names follow their
// province, and places written as Filipinos write them.
class CensusProfile final : public Profile {
 public:
  explicit CensusProfile(AgeRange ages)
      : Profile(ProfileId::Census, ages, default_ages(ProfileId::Census)),
        places_(census::census_places()),
        written_(census::written_places()) {
    const auto& weights = census::census_population().age_weights;
    ages_ = census::make_table(std::vector<std::uint64_t>(weights.begin() + ages.youngest,
                                                          weights.begin() + ages.oldest + 1));
  }

  bool person_takes_two_blocks() const noexcept override { return true; }
  std::uint8_t person_reads() const noexcept override { return kReadsPlace; }

  void draw_person(CounterRng& rng, CivilDate as_of, bool, const Address* place,
                   RowPerson& row) const override {
    static const Address nowhere{};
    census::draw_resident(rng, as_of, place != nullptr ? *place : nowhere, ages_,
                          ages().youngest, {}, row.census);
    fill_census_row(row);
  }

  std::optional<Address> draw_address(CounterRng& rng) const override {
    std::optional<Address> address = places_.draw_unlabelled(rng);
    if (!address) return address;
    written_.label(*address);
    address->lists = &written_lists();
    return address;
  }

  NameBounds name_bounds() const override {
    static const NameBounds bounds = [] {
      std::size_t given = 0;
      const census::CensusGivenNames& names = census::census_given_names();
      auto widest = [&](const census::GivenNameEntry& entry) {
        given = std::max({given, longest(entry.single.texts),
                          longest(entry.first.texts) + 1 + longest(entry.second.texts)});
      };
      for (const auto& entry : names.male) widest(entry);
      for (const auto& entry : names.female) widest(entry);
      widest(names.muslim_male);
      widest(names.muslim_female);
      return NameBounds{std::min(given, census::kGivenNameCapacity),
                        longest(census::census_surnames().names),
                        longest(census::census_figures().suffixes)};
    }();
    return bounds;
  }

 private:
  census::AliasTable ages_;
  // Held, so that a row's draw does not ask the process-wide tables whether they are built.
  const census::CensusPlaces& places_;
  const census::WrittenPlaces& written_;
};

std::string range_text(AgeRange ages) {
  return std::to_string(ages.youngest) + " to " + std::to_string(ages.oldest);
}

}  // namespace

Profile::Profile(ProfileId id, AgeRange ages, AgeRange defaults) noexcept
    : id_(id), ages_(ages), person_stream_(person_stream_for(ages, defaults)) {}

AgeRange default_ages(ProfileId id) noexcept {
  return id == ProfileId::Uniform ? AgeRange{18, 70}
                                  : AgeRange{census::kYoungestAge, census::kOldestAge};
}

std::shared_ptr<const Profile> make_profile(std::string_view name, std::optional<AgeRange> ages) {
  ProfileId id;
  if (name == "census") {
    id = ProfileId::Census;
  } else if (name == "census-1") {
    id = ProfileId::Census1;
  } else if (name == "uniform") {
    id = ProfileId::Uniform;
  } else {
    throw DefinitionError("profile must be 'census', 'census-1' or 'uniform', not '" +
                    std::string(name) + "'");
  }
  // Only the census profile has children: a child of it is single, with no TIN or e-mail. The
  // figures behind census-1's ages start at 18, and the uniform profile draws anyone's civil
  // status, occupation and TIN alike, as only an adult can have them.
  const AgeRange widest = id == ProfileId::Census
                              ? AgeRange{0, census::kOldestAge}
                              : AgeRange{census::kYoungestAge, census::kOldestAge};
  const AgeRange range = ages.value_or(default_ages(id));
  if (range.youngest > range.oldest) {
    throw DefinitionError("ages: the youngest age " + std::to_string(range.youngest) +
                    " is above the oldest, " + std::to_string(range.oldest));
  }
  if (range.youngest < widest.youngest || range.oldest > widest.oldest) {
    throw DefinitionError("ages: the " + std::string(name) + " profile draws ages " +
                    range_text(widest) + ", not " + range_text(range));
  }
  switch (id) {
    case ProfileId::Census: return std::make_shared<const CensusProfile>(range);
    case ProfileId::Census1: return std::make_shared<const Census1Profile>(range);
    case ProfileId::Uniform: break;
  }
  return std::make_shared<const UniformProfile>(range);
}

void fill_census_row(RowPerson& row) {
  const ResidentLists& lists = resident_lists();
  // Composed names are not entries of a list.
  fill_census_row(row, nullptr, lists.surnames, lists.suffixes);
}

void fill_census_row(RowPerson& row, const TextList* first_names, const TextList& surnames,
                     const TextList& suffixes) {
  const census::CensusPerson& person = row.census;
  row.is_census = true;
  row.male = person.male;
  row.gender = person.gender;
  row.first_list = first_names;
  row.first_index = person.first_index;
  row.first_name = person.first_name;
  row.surname_list = &surnames;
  row.middle_index = person.middle_index;
  row.middle_name = person.middle_name;
  row.last_index = person.last_index;
  row.last_name = person.last_name;
  row.suffix_list = &suffixes;
  row.suffix_index = person.suffix_index;
  row.suffix = person.suffix;
  std::copy(std::begin(person.birthdate_text), std::end(person.birthdate_text),
            row.birthdate_text);
  row.birth_days = days_from_civil(person.birth_date);
  row.age = person.age;
}

void uniform_row_person(const Person& person, RowPerson& row) {
  const UniformLists& lists = uniform_lists();
  row.male = person.male;
  row.gender = person.gender;
  row.first_list = person.male ? &lists.male : &lists.female;
  row.first_index = person.first_index;
  row.first_name = person.first_name;
  row.surname_list = &lists.surnames;
  row.last_index = person.last_index;
  row.last_name = person.last_name;
  std::copy(std::begin(person.birthdate_text), std::end(person.birthdate_text),
            row.birthdate_text);
  row.birth_days = days_from_civil(person.birth);
  row.age = person.age;
}

const TextList& gender_list() {
  static const TextList list(2);
  return list;
}

}  // namespace tarvo
