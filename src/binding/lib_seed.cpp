// src/binding/lib_seed.cpp: Dummy.seed: the column plan, and the loop that builds one dict per row.
#include <cmath>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lib_args.hpp"
#include "dummy_kinds.hpp"
#include "lib_methods.hpp"
#include "providers/address.hpp"
#include "providers/contact.hpp"
#include "providers/government.hpp"
#include "providers/personal.hpp"
#include "providers/utility.hpp"
#include "random.hpp"

namespace tarvo::py {
namespace {

Ref make_str(std::string_view text) {
  return Ref::checked(PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

// One str per entry of a fixed list (names, statuses, place names), made the first time the
// entry is drawn in this call and then shared by every cell that draws it: str objects are
// immutable, so sharing is invisible to the caller and saves most of the allocations. The slots
// come from calloc, so a large list that a short call barely uses costs only what it touches.
// Compound texts (full names, e-mail addresses, address lines) are made fresh instead: they come
// from sets of 40,000 to 300,000 members, and sharing those measured slower, as every reuse then
// misses the cache.
class StrCache {
 public:
  explicit StrCache(std::size_t size)
      : slots_(static_cast<PyObject**>(std::calloc(size == 0 ? 1 : size, sizeof(PyObject*)))) {
    if (slots_ == nullptr) throw std::bad_alloc();
  }
  StrCache(const StrCache&) = delete;
  StrCache& operator=(const StrCache&) = delete;
  ~StrCache() {
    for (std::size_t index : used_) Py_DECREF(slots_[index]);
    std::free(slots_);
  }

  PyObject* get(std::size_t index, std::string_view text) {
    PyObject*& slot = slots_[index];
    if (slot == nullptr) {
      used_.push_back(index);  // first, so that a failure below leaves nothing to release
      try {
        slot = make_str(text).release();
      } catch (...) {
        used_.pop_back();
        throw;
      }
    }
    return slot;
  }

 private:
  PyObject** slots_;
  std::vector<std::size_t> used_;
};

// A cache sized on first use, so a call that never reads a list never parses its document.
template <typename SizeOf>
StrCache& lazy(std::optional<StrCache>& cache, SizeOf&& size_of) {
  if (!cache) cache.emplace(size_of());
  return *cache;
}

struct Column {
  Ref key;
  ColumnKind kind;
  std::vector<Ref> options;  // "choice:" options as str, made once per call
};

class RowBuilder {
 public:
  RowBuilder(std::vector<Column>& columns) : columns_(columns), rng_(thread_rng()) {}

  Ref build(PyObject* template_row) {
    person_ = draw_person(rng_, today_utc());
    address_ = generate_address(rng_);
    Ref row = Ref::checked(PyDict_Copy(template_row));
    for (Column& column : columns_) {
      Ref value = value_of(column);
      check(PyDict_SetItem(row.get(), column.key.get(), value.get()));
    }
    return row;
  }

 private:
  Ref value_of(Column& column) {
    const ColumnKind& kind = column.kind;
    switch (kind.kind) {
      case Kind::Unknown:
        return Ref::borrow(Py_None);
      case Kind::Int:
        return Ref::checked(PyLong_FromLong(rng_.uniform_i32(kind.int_low, kind.int_high)));
      case Kind::Float:
        return Ref::checked(PyFloat_FromDouble(rounded_float(kind)));
      case Kind::Choice:
        return column.options[rng_.uniform_index(column.options.size())];
      case Kind::Uuid:
        return make_str(uuid(rng_).view());
      case Kind::Gender:
        return Ref::borrow(gender_.get(person_.male ? 0 : 1, person_.gender));
      case Kind::FirstName: {
        auto& cache = person_.male ? lazy(male_, [] { return first_names().male.size(); })
                                   : lazy(female_, [] { return first_names().female.size(); });
        return Ref::borrow(cache.get(person_.first_index, person_.first_name));
      }
      case Kind::LastName:
        return Ref::borrow(lazy(last_, [] { return last_names().surnames.size(); })
                               .get(person_.last_index, person_.last_name));
      case Kind::FullName:
        full_name(person_, scratch_);
        return make_str(scratch_);
      case Kind::Email:
        email(rng_, person_.first_name, person_.last_name, scratch_);
        return make_str(scratch_);
      case Kind::Birthdate:
        return make_str(person_.birthdate());
      case Kind::Age:
        return Ref::checked(PyLong_FromUnsignedLong(person_.age));
      case Kind::CivilStatus: {
        const std::size_t i = civil_status_index(rng_);
        return Ref::borrow(lazy(civil_, [] { return preference().civil_status.size(); })
                               .get(i, preference().civil_status[i]));
      }
      case Kind::BloodType: {
        const std::size_t i = blood_type_index(rng_);
        return Ref::borrow(lazy(blood_, [] { return preference().blood_type.size(); })
                               .get(i, preference().blood_type[i]));
      }
      case Kind::Color: {
        const std::size_t i = color_index(rng_);
        return Ref::borrow(lazy(color_, [] { return utility_data().colors.size(); })
                               .get(i, utility_data().colors[i]));
      }
      case Kind::Status: {
        const std::size_t i = status_index(rng_);
        return Ref::borrow(lazy(status_, [] { return utility_data().statuses.size(); })
                               .get(i, utility_data().statuses[i]));
      }
      case Kind::PhoneNumber:
        return make_str(phone_number(rng_).view());
      case Kind::Landline:
        return make_str(landline(rng_).view());
      case Kind::SssNumber:
        return make_str(sss_number(rng_).view());
      case Kind::TinNumber:
        return make_str(tin_number(rng_).view());
      case Kind::PhilhealthNumber:
        return make_str(philhealth_number(rng_).view());
      case Kind::Region:
      case Kind::Province:
      case Kind::CityMun:
      case Kind::Barangay:
      case Kind::ZipCode:
        return Ref::borrow(address_part(kind.kind));
      case Kind::Address:
        return address_dict();
      case Kind::FullAddress:
        if (!address_) return Ref::borrow(empty());
        write_full_address(*address_, scratch_);
        return make_str(scratch_);
    }
    return Ref::borrow(Py_None);
  }

  // Rounding to the requested places can overflow (10^places infinite) or divide by a zero
  // multiplier; the drawn value is then returned as it is, so every value stays in range.
  double rounded_float(const ColumnKind& kind) {
    const double x = rng_.uniform_real(kind.float_min, kind.float_max);
    const double rounded = std::round(x * kind.float_multiplier) / kind.float_multiplier;
    return std::isfinite(rounded) ? rounded : x;
  }

  PyObject* empty() {
    if (!empty_) empty_ = make_str("");
    return empty_.get();
  }

  PyObject* address_part(Kind kind) {
    if (!address_) return empty();
    const Address& a = *address_;
    const AddressData& data = address_regions();
    switch (kind) {
      case Kind::Region:
        return lazy(regions_, [&] { return data.region_count(); }).get(a.region_index, a.region);
      case Kind::Province:
        return lazy(provinces_, [&] { return data.province_count(); })
            .get(a.province_index, a.province);
      case Kind::CityMun:
        return lazy(cities_, [&] { return data.city_count(); }).get(a.city_index, a.city);
      case Kind::Barangay:
        return lazy(barangays_, [&] { return data.barangay_count(); })
            .get(a.barangay_index, a.barangay);
      default:
        return lazy(zips_, [&] { return data.city_count(); }).get(a.city_index, a.zip_code);
    }
  }

  Ref address_dict() {
    static constexpr std::pair<const char*, Kind> kParts[] = {
        {"barangay", Kind::Barangay}, {"city", Kind::CityMun}, {"province", Kind::Province},
        {"region", Kind::Region},     {"zip_code", Kind::ZipCode},
    };
    if (!address_keys_[0]) {
      for (std::size_t i = 0; i < 5; ++i) address_keys_[i] = make_str(kParts[i].first);
    }
    Ref dict = Ref::checked(PyDict_New());
    for (std::size_t i = 0; i < 5; ++i) {
      check(PyDict_SetItem(dict.get(), address_keys_[i].get(), address_part(kParts[i].second)));
    }
    return dict;
  }

  std::vector<Column>& columns_;
  Rng& rng_;
  Person person_{};
  std::optional<Address> address_;
  std::string scratch_;
  StrCache gender_{2};
  std::optional<StrCache> male_, female_, last_, civil_, blood_, color_, status_;
  std::optional<StrCache> regions_, provinces_, cities_, barangays_, zips_;
  Ref empty_;
  Ref address_keys_[5];
};

}  // namespace

Ref seed(PyObject* args, PyObject* kwargs) {
  const auto [row, feature] = bind<2>("Dummy.seed()", {"row", "feature"}, args, kwargs);
  const std::uint64_t rows = convert_argument("row", [&] { return to_u64(row); });
  convert_argument("feature", [&] { expect_instance(feature, Target::Dict); });

  // The plan is taken from the dict's own storage order (an __iter__ override of a subclass is
  // not consulted) and holds copies, so nothing the caller's objects do later can matter.
  std::vector<Column> columns;
  Py_ssize_t pos = 0;
  PyObject *key, *value;
  while (PyDict_Next(feature, &pos, &key, &value)) {
    const std::string_view name = str_to_utf8(key);
    const std::string_view spec = str_to_utf8(value);
    Column column{make_str(name), parse_column_kind(spec), {}};
    for (const std::string& option : column.kind.options) column.options.push_back(make_str(option));
    columns.push_back(std::move(column));
  }
  if (rows > static_cast<std::uint64_t>(PY_SSIZE_T_MAX)) {
    return Ref::checked(PyErr_NoMemory());
  }
  if (rows == 0) return Ref::checked(PyList_New(0));

  // Every row starts as a copy of one dict with the row's keys in column order: copying a
  // small dict is far cheaper than growing a new one key by key.
  Ref template_row = Ref::checked(PyDict_New());
  for (const Column& column : columns) {
    check(PyDict_SetItem(template_row.get(), column.key.get(), Py_None));
  }
  // Rows are gathered here and put into the list only at the end: a list with empty slots must
  // never be visible to Python code, which can run during the loop (a garbage-collector
  // callback, a signal handler) and would crash reading such a slot.
  std::vector<Ref> built;
  if (rows > built.max_size()) return Ref::checked(PyErr_NoMemory());
  built.reserve(static_cast<std::size_t>(rows));
  RowBuilder builder(columns);
  for (std::uint64_t i = 0; i < rows; ++i) {
    // A long call answers Ctrl-C (or any signal handler that raises) within a few milliseconds.
    if (i % 4096 == 0) check(PyErr_CheckSignals());
    built.push_back(builder.build(template_row.get()));
  }
  Ref result = Ref::checked(PyList_New(static_cast<Py_ssize_t>(rows)));
  for (std::size_t i = 0; i < built.size(); ++i) {
    PyList_SetItem(result.get(), static_cast<Py_ssize_t>(i), built[i].release());
  }
  return result;
}

}  // namespace tarvo::py
