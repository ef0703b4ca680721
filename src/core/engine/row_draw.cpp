// src/core/engine/row_draw.cpp: how each kind turns a row's person, place and words into a cell.
#include "engine/row_draw.hpp"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

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

// What the cells of one row read from its person.
struct RowPerson {
  Person person{};
  std::uint32_t middle_index = 0;
  std::string_view middle_name;
  std::int32_t birth_days = 0;
};

struct Row {
  const RowPerson* person;
  const Address* address;  // nullptr: no place to draw
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
    default: return sink.listed(TextList::ZipCode, a->city_index, a->zip_code);
  }
}

// One cell. `rng` is the cell's own stream for a data set, the shared thread generator for Dummy;
// either way this is the only place a kind becomes a value.
template <typename R>
void draw_cell(const ColumnKind& column, R& rng, const Row& row, std::string& scratch,
               Sink& sink) {
  const Person& p = row.person->person;
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
      return sink.listed(p.male ? TextList::FirstMale : TextList::FirstFemale, p.first_index,
                         p.first_name);
    case Kind::MiddleName:
      return sink.listed(TextList::LastName, row.person->middle_index, row.person->middle_name);
    case Kind::LastName:
      return sink.listed(TextList::LastName, p.last_index, p.last_name);
    case Kind::Suffix:
      return sink.listed(TextList::Suffix, 0, "");
    case Kind::FullName:
      full_name(p, scratch);
      return sink.text(scratch);
    case Kind::Email:
      email(rng, p.first_name, p.last_name, scratch);
      return sink.text(scratch);
    case Kind::Birthdate:
      return sink.date(row.person->birth_days, p.birthdate());
    case Kind::Age:
      return sink.integer(p.age);
    case Kind::CivilStatus: {
      const std::size_t i = civil_status_index(rng);
      return sink.listed(TextList::CivilStatus, as_index(i), preference().civil_status[i]);
    }
    case Kind::BloodType: {
      const std::size_t i = blood_type_index(rng);
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
      return sink.text(phone_number(rng).view());
    case Kind::Landline:
      return sink.text(landline(rng).view());
    case Kind::SssNumber:
      return sink.text(sss_number(rng).view());
    case Kind::TinNumber:
      return sink.text(tin_number(rng).view());
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

RowPerson finish_person(const Person& person) {
  RowPerson row;
  row.person = person;
  row.birth_days = days_from_civil(person.birth);
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
    if (draws_own_words(column.kind.kind)) streams.push_back(column.stream);
    needs_middle = needs_middle || column.kind.kind == Kind::MiddleName;
  }
  std::vector<PhiloxBlock> first(streams.size());
  std::string scratch;
  const LastNames* surnames = needs_middle ? &last_names() : nullptr;

  for (std::uint64_t row = start; row < start + count; ++row) {
    for (std::size_t k = 0; k < streams.size(); ++k) {
      first[k] = CounterRng::first_block(plan.key, row, streams[k]);
    }
    std::size_t next = 0;
    RowPerson person;
    if (plan.needs_person) {
      CounterRng rng(plan.key, row, kPersonStream, first[next++]);
      person = finish_person(draw_person(rng, plan.as_of));
      if (needs_middle) {  // the mother's surname, after everything Dummy's person draws
        person.middle_index = as_index(rng.uniform_index(surnames->surnames.size()));
        person.middle_name = surnames->surnames[person.middle_index];
      }
    }
    std::optional<Address> address;
    if (plan.needs_address) {
      CounterRng rng(plan.key, row, kAddressStream, first[next++]);
      address = generate_address(rng);
    }
    const Row cells{&person, address ? &*address : nullptr};
    sink.begin_row();
    for (const PlannedColumn& column : plan.columns) {
      if (draws_own_words(column.kind.kind)) {
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
    const RowPerson person = finish_person(draw_person(rng, today_utc()));
    const std::optional<Address> address = generate_address(rng);
    const Row cells{&person, address ? &*address : nullptr};
    sink.begin_row();
    for (const ColumnKind& column : columns) draw_cell(column, rng, cells, scratch, sink);
    sink.end_row();
  }
}

}  // namespace tarvo
