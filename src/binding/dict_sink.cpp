// src/binding/dict_sink.cpp: rows as dicts, with one shared str per fixed-list entry.
#include "dict_sink.hpp"

#include <cstdlib>
#include <new>

#include "sinks/text_forms.hpp"

namespace tarvo::py {

namespace {

Ref make_str(std::string_view text) {
  return Ref::checked(
      PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

}  // namespace

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
      : size_(size),
        slots_(static_cast<PyObject**>(std::calloc(size == 0 ? 1 : size, sizeof(PyObject*)))) {
    if (slots_ == nullptr) throw std::bad_alloc();
  }
  StrCache(const StrCache&) = delete;
  StrCache& operator=(const StrCache&) = delete;
  ~StrCache() {
    for (std::size_t index : used_) Py_DECREF(slots_[index]);
    std::free(slots_);
  }

  std::size_t size() const { return size_; }

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
  std::size_t size_;
  PyObject** slots_;
  std::vector<std::size_t> used_;
};

DictSink::DictSink(std::span<const std::string> names, std::size_t expected_rows)
    : recent_(names.size(), {nullptr, nullptr}) {
  // Every row starts as a copy of one dict with the row's keys in column order: copying a
  // small dict is far cheaper than growing a new one key by key.
  template_row_ = Ref::checked(PyDict_New());
  for (const std::string& name : names) {
    keys_.push_back(make_str(name));
    check(PyDict_SetItem(template_row_.get(), keys_.back().get(), Py_None));
  }
  rows_.reserve(expected_rows);
}

DictSink::~DictSink() = default;

void DictSink::begin_row() {
  row_ = Ref::checked(PyDict_Copy(template_row_.get()));
  column_ = 0;
}

void DictSink::end_row() { rows_.push_back(std::move(row_)); }

void DictSink::put(PyObject* value) {
  check(PyDict_SetItem(row_.get(), keys_[column_].get(), value));
  ++column_;
}

void DictSink::null() { put(Py_None); }

void DictSink::integer(std::int64_t value) { put_new(Ref::checked(PyLong_FromLongLong(value))); }

void DictSink::real(double value) { put_new(Ref::checked(PyFloat_FromDouble(value))); }

void DictSink::boolean(bool value) { put(value ? Py_True : Py_False); }

void DictSink::money(std::int64_t centavos) {
  if (!decimal_) {
    Ref module = Ref::checked(PyImport_ImportModule("decimal"));
    decimal_ = Ref::checked(PyObject_GetAttrString(module.get(), "Decimal"));
  }
  std::string digits;
  append_money(digits, centavos);
  Ref text = make_str(digits);
  put_new(Ref::checked(PyObject_CallFunctionObjArgs(decimal_.get(), text.get(), nullptr)));
}

void DictSink::text(std::string_view value) { put_new(make_str(value)); }

StrCache& DictSink::cache(const TextList& list) {
  for (auto& [known, cache] : caches_) {
    if (known == &list) return *cache;
  }
  caches_.emplace_back(&list, std::make_unique<StrCache>(list.size()));
  return *caches_.back().second;
}

void DictSink::listed(const TextList& list, std::uint32_t index, std::string_view value) {
  auto& [known, recent] = recent_[column_];
  if (known != &list) {
    known = &list;
    recent = &cache(list);
  }
  put(recent->get(index, value));
}

PyObject* DictSink::empty_str() {
  if (!empty_) empty_ = make_str("");
  return empty_.get();
}

void DictSink::address(const Address* a) {
  static constexpr const char* kKeys[] = {"barangay", "city", "province", "region", "zip_code"};
  if (!address_keys_[0]) {
    for (std::size_t i = 0; i < 5; ++i) address_keys_[i] = make_str(kKeys[i]);
  }
  PyObject* values[5];
  if (a == nullptr || a->lists == nullptr) {
    const std::string_view parts[] = {a ? a->barangay : "", a ? a->city : "",
                                      a ? a->province : "", a ? a->region : "",
                                      a ? a->zip_code : ""};
    Ref dict = Ref::checked(PyDict_New());
    for (std::size_t i = 0; i < 5; ++i) {
      Ref part = parts[i].empty() ? Ref::borrow(empty_str()) : make_str(parts[i]);
      check(PyDict_SetItem(dict.get(), address_keys_[i].get(), part.get()));
    }
    return put(dict.get());
  }
  if (a->lists != address_lists_) {
    const PlaceLists& lists = *a->lists;
    address_caches_[0] = &cache(lists.barangay);
    address_caches_[1] = &cache(lists.city);
    address_caches_[2] = &cache(lists.province);
    address_caches_[3] = &cache(lists.region);
    address_caches_[4] = &cache(lists.zip_code);
    address_lists_ = a->lists;
  }
  values[0] = address_caches_[0]->get(a->barangay_index, a->barangay);
  values[1] = address_caches_[1]->get(a->city_index, a->city);
  values[2] = address_caches_[2]->get(a->province_index, a->province);
  values[3] = address_caches_[3]->get(a->region_index, a->region);
  values[4] = address_caches_[4]->get(a->barangay_index, a->zip_code);
  Ref dict = Ref::checked(PyDict_New());
  for (std::size_t i = 0; i < 5; ++i) {
    check(PyDict_SetItem(dict.get(), address_keys_[i].get(), values[i]));
  }
  put(dict.get());
}

Ref DictSink::take_list() {
  // Rows are gathered first and put into the list only at the end: a list with empty slots
  // must never be visible to Python code, which can run while rows are made (a garbage-collector
  // callback, a signal handler) and would crash reading such a slot.
  Ref list = Ref::checked(PyList_New(static_cast<Py_ssize_t>(rows_.size())));
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), rows_[i].release());
  }
  rows_.clear();
  return list;
}

}  // namespace tarvo::py
