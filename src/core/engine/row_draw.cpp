// src/core/engine/row_draw.cpp: how each kind turns a row's person, place and words into a cell.
#include "engine/row_draw.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "census/email.hpp"
#include "census/landline.hpp"
#include "census/mobile.hpp"
#include "census/person.hpp"
#include "census/places.hpp"
#include "census/tin.hpp"
#include "census/traits.hpp"
#include "engine/calendar.hpp"
#include "providers/address.hpp"
#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "providers/personal.hpp"
#include "providers/utility.hpp"
#include "random.hpp"
#include "random/counter_rng.hpp"

namespace tarvo {
namespace {

// What the cells of one row read from its person, whichever profile drew it.
struct RowPerson {
  bool male = false;
  std::string_view gender, first_name, middle_name, last_name, suffix;
  TextList first_list = TextList::FirstMale, surname_list = TextList::LastName;
  std::uint32_t first_index = 0, middle_index = 0, last_index = 0, suffix_index = 0;
  char birthdate_text[10] = {};
  std::int32_t birth_days = 0;
  std::uint32_t age = 0;
  const census::CensusPerson* census = nullptr;  // set under the census profile

  std::string_view birthdate() const { return {birthdate_text, sizeof birthdate_text}; }
};

struct Row {
  const RowPerson* person;
  const Address* address;  // nullptr: no place to draw
  Profile profile;
};

std::uint32_t as_index(std::size_t i) { return static_cast<std::uint32_t>(i); }

// Rounding to the requested places can overflow (10^places infinite) or divide by a zero
// multiplier; the drawn value is then returned as it is, so every value stays in range.
template <typename R>
double rounded_float(const ColumnKind& kind, R& rng) {
  const double x = rng.uniform_real(kind.float_min, kind.float_max);
  const double rounded = std::round(x * kind.float_multiplier) / kind.float_multiplier;
  return std::isfinite(rounded) ? rounded : x;
}

void place_part(Kind kind, const Address* a, Sink& sink) {
  if (a == nullptr) return sink.text("");
  switch (kind) {
    case Kind::Region: return sink.listed(TextList::Region, a->region_index, a->region);
    case Kind::Province: return sink.listed(TextList::Province, a->province_index, a->province);
    case Kind::CityMun: return sink.listed(TextList::City, a->city_index, a->city);
    case Kind::Barangay: return sink.listed(TextList::Barangay, a->barangay_index, a->barangay);
    default: return sink.listed(TextList::ZipCode, a->barangay_index, a->zip_code);
  }
}

template <typename R>
void draw_email(R& rng, const Row& row, std::string& out) {
  if (row.profile == Profile::Census) {
    census::census_email(rng, *row.person->census, out);
  } else {
    email(rng, row.person->first_name, row.person->last_name, out);
  }
}

// One cell. `rng` is the cell's own stream for a data set, the shared thread generator for Dummy;
// either way this is the only place a kind becomes a value.
template <typename R>
void draw_cell(const ColumnKind& column, R& rng, const Row& row, std::string& scratch,
               Sink& sink) {
  const RowPerson& p = *row.person;
  const bool census = row.profile == Profile::Census;
  switch (column.kind) {
    case Kind::Unknown:
      return sink.null();
    case Kind::Int:
      if (column.narrow_int) {
        return sink.integer(rng.uniform_i32(static_cast<std::int32_t>(column.int_low),
                                            static_cast<std::int32_t>(column.int_high)));
      }
      return sink.integer(rng.uniform_i64(column.int_low, column.int_high));
    case Kind::Float:
      return sink.real(rounded_float(column, rng));
    case Kind::Choice: {
      const std::size_t i = rng.uniform_index(column.options.size());
      return sink.listed(TextList::Choice, as_index(i), column.options[i]);
    }
    case Kind::Uuid:
      return sink.text(uuid(rng).view());
    case Kind::Gender:
      return sink.listed(TextList::Gender, p.male ? 0 : 1, p.gender);
    case Kind::FirstName:
      return sink.listed(p.first_list, p.first_index, p.first_name);
    case Kind::MiddleName:
      return sink.listed(p.surname_list, p.middle_index, p.middle_name);
    case Kind::LastName:
      return sink.listed(p.surname_list, p.last_index, p.last_name);
    case Kind::Suffix:
      return sink.listed(TextList::Suffix, p.suffix_index, p.suffix);
    case Kind::FullName:
      scratch.assign(p.first_name).append(" ").append(p.last_name);
      if (!p.suffix.empty()) scratch.append(" ").append(p.suffix);
      return sink.text(scratch);
    case Kind::Email:
      draw_email(rng, row, scratch);
      return sink.text(scratch);
    case Kind::Birthdate:
      return sink.date(p.birth_days, p.birthdate());
    case Kind::Age:
      return sink.integer(p.age);
    case Kind::CivilStatus: {
      const std::size_t i =
          census ? census::census_civil_status_index(rng, *p.census) : civil_status_index(rng);
      return sink.listed(TextList::CivilStatus, as_index(i), preference().civil_status[i]);
    }
    case Kind::BloodType: {
      const std::size_t i = census ? census::census_blood_type_index(rng) : blood_type_index(rng);
      return sink.listed(TextList::BloodType, as_index(i), preference().blood_type[i]);
    }
    case Kind::Color: {
      const std::size_t i = color_index(rng);
      return sink.listed(TextList::Color, as_index(i), utility_data().colors[i]);
    }
    case Kind::Status: {
      const std::size_t i = status_index(rng);
      return sink.listed(TextList::Status, as_index(i), utility_data().statuses[i]);
    }
    case Kind::PhoneNumber:
      return sink.text(census ? census::census_mobile(rng).view() : phone_number(rng).view());
    case Kind::Landline:
      if (census && row.address != nullptr) {
        return sink.text(census::census_landline(rng, *row.address).view());
      }
      return sink.text(landline(rng).view());
    case Kind::SssNumber:
      return sink.text(sss_number(rng).view());
    case Kind::TinNumber:
      return sink.text(census ? census::census_tin(rng).view() : tin_number(rng).view());
    case Kind::PhilhealthNumber:
      return sink.text(philhealth_number(rng).view());
    case Kind::Region:
    case Kind::Province:
    case Kind::CityMun:
    case Kind::Barangay:
    case Kind::ZipCode:
      return place_part(column.kind, row.address, sink);
    case Kind::Address:
      return sink.address(row.address);
    case Kind::FullAddress:
      if (row.address == nullptr) return sink.text("");
      write_full_address(*row.address, scratch);
      return sink.text(scratch);
  }
  sink.null();
}

// Whether a kind draws words from the column's own stream; the others only read the row's
// person or place, and their stream's block is never made.
constexpr bool draws_own_words(Kind kind) {
  switch (kind) {
    case Kind::Unknown:
    case Kind::Gender:
    case Kind::FirstName:
    case Kind::MiddleName:
    case Kind::LastName:
    case Kind::Suffix:
    case Kind::FullName:
    case Kind::Birthdate:
    case Kind::Age:
    case Kind::Region:
    case Kind::Province:
    case Kind::CityMun:
    case Kind::Barangay:
    case Kind::ZipCode:
    case Kind::Address:
    case Kind::FullAddress:
      return false;
    default:
      return true;
  }
}

RowPerson uniform_person(const Person& person) {
  RowPerson row;
  row.male = person.male;
  row.gender = person.gender;
  row.first_list = person.male ? TextList::FirstMale : TextList::FirstFemale;
  row.first_index = person.first_index;
  row.first_name = person.first_name;
  row.surname_list = TextList::LastName;
  row.last_index = person.last_index;
  row.last_name = person.last_name;
  std::copy(std::begin(person.birthdate_text), std::end(person.birthdate_text),
            row.birthdate_text);
  row.birth_days = days_from_civil(person.birth);
  row.age = person.age;
  return row;
}

RowPerson census_person(const census::CensusPerson& person) {
  RowPerson row;
  row.male = person.male;
  row.gender = person.gender;
  row.first_list = person.male ? TextList::CensusFirstMale : TextList::CensusFirstFemale;
  row.first_index = person.first_index;
  row.first_name = person.first_name;
  row.surname_list = TextList::CensusSurname;
  row.middle_index = person.middle_index;
  row.middle_name = person.middle_name;
  row.last_index = person.last_index;
  row.last_name = person.last_name;
  row.suffix_index = person.suffix_index;
  row.suffix = person.suffix;
  std::copy(std::begin(person.birthdate_text), std::end(person.birthdate_text),
            row.birthdate_text);
  row.birth_days = days_from_civil(person.birth_date);
  row.age = person.age;
  row.census = &person;
  return row;
}

}  // namespace

void draw_seeded_rows(const Plan& plan, std::uint64_t start, std::uint64_t count, Sink& sink) {
  // Streams whose first block each row needs: the person's, the place's, then the columns'
  // that draw words (a column that reads only the person makes no block).
  std::vector<std::uint64_t> streams;
  if (plan.needs_person) streams.push_back(kPersonStream);
  if (plan.needs_address) streams.push_back(kAddressStream);
  bool needs_middle = false;
  for (const PlannedColumn& column : plan.columns) {
    // A unique column other than e-mail takes its value from the row index alone.
    const bool draws = column.unique ? column.kind.kind == Kind::Email
                                     : draws_own_words(column.kind.kind);
    if (draws) streams.push_back(column.stream);
    needs_middle = needs_middle || column.kind.kind == Kind::MiddleName;
  }
  std::vector<PhiloxBlock> first(streams.size());
  // The census person takes a dozen words, more than one block holds: its second block is made
  // in the same loop as the first blocks, rather than alone, later, at full latency.
  PhiloxBlock person_second{};
  const bool person_needs_two = plan.needs_person && plan.profile == Profile::Census;
  std::string scratch;
  const bool census = plan.profile == Profile::Census;
  const LastNames* surnames = needs_middle && !census ? &last_names() : nullptr;

  for (std::uint64_t row = start; row < start + count; ++row) {
    for (std::size_t k = 0; k < streams.size(); ++k) {
      first[k] = CounterRng::first_block(plan.key, row, streams[k]);
    }
    if (person_needs_two) person_second = CounterRng::block(plan.key, row, kPersonStream, 1);
    std::size_t next = 0;
    RowPerson person;
    census::CensusPerson drawn;
    if (plan.needs_person) {
      CounterRng rng = person_needs_two
                           ? CounterRng(plan.key, row, kPersonStream, first[next], person_second)
                           : CounterRng(plan.key, row, kPersonStream, first[next]);
      ++next;
      if (census) {
        drawn = census::draw_census_person(rng, plan.as_of);
        person = census_person(drawn);
      } else {
        person = uniform_person(draw_person(rng, plan.as_of));
        if (needs_middle) {  // the mother's surname, after everything Dummy's person draws
          person.middle_index = as_index(rng.uniform_index(surnames->surnames.size()));
          person.middle_name = surnames->surnames[person.middle_index];
        }
      }
    }
    std::optional<Address> address;
    if (plan.needs_address) {
      CounterRng rng(plan.key, row, kAddressStream, first[next++]);
      address = census ? census::draw_census_address(rng) : generate_address(rng);
    }
    const Row cells{&person, address ? &*address : nullptr, plan.profile};
    sink.begin_row();
    for (const PlannedColumn& column : plan.columns) {
      if (column.unique && column.kind.kind != Kind::Email) {
        column.unique->write(row, scratch);
        sink.text(scratch);
      } else if (column.unique) {
        CounterRng rng(plan.key, row, column.stream, first[next++]);
        draw_email(rng, cells, scratch);
        column.unique->number_email(row, scratch);
        sink.text(scratch);
      } else if (draws_own_words(column.kind.kind)) {
        CounterRng rng(plan.key, row, column.stream, first[next++]);
        draw_cell(column.kind, rng, cells, scratch, sink);
      } else {
        CounterRng unused(plan.key, row, column.stream);
        draw_cell(column.kind, unused, cells, scratch, sink);
      }
    }
    sink.end_row();
  }
}

void draw_thread_rows(std::span<const ColumnKind> columns, std::uint64_t count, Sink& sink) {
  std::string scratch;
  Rng& rng = thread_rng();
  for (std::uint64_t i = 0; i < count; ++i) {
    const RowPerson person = uniform_person(draw_person(rng, today_utc()));
    const std::optional<Address> address = generate_address(rng);
    const Row cells{&person, address ? &*address : nullptr, Profile::Uniform};
    sink.begin_row();
    for (const ColumnKind& column : columns) draw_cell(column, rng, cells, scratch, sink);
    sink.end_row();
  }
}

}  // namespace tarvo
