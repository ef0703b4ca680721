// src/binding/dict_sink.hpp: the sink that makes a Python list of dicts, for Dummy.seed and Dataset.rows.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/sink.hpp"
#include "lib_handle.hpp"

namespace tarvo::py {

class StrCache;

class DictSink final : public Sink {
 public:
  // `names` are the row keys in column order. `expected_rows` only reserves room.
  DictSink(std::span<const std::string> names, std::size_t expected_rows);
  ~DictSink() override;

  void begin_row() override;
  void end_row() override;
  void null() override;
  void integer(std::int64_t value) override;
  void real(double value) override;
  void boolean(bool value) override;
  void money(std::int64_t centavos) override;
  void text(std::string_view value) override;
  void listed(const TextList& list, std::uint32_t index, std::string_view value) override;
  void address(const Address* address) override;

  // The rows made so far as a list, which the sink no longer holds.
  Ref take_list();

 private:
  void put(PyObject* value);
  void put_new(Ref value) { put(value.get()); }
  PyObject* empty_str();
  StrCache& cache(const TextList& list);

  std::vector<Ref> keys_;
  Ref template_row_;
  Ref row_;
  std::size_t column_ = 0;
  std::vector<Ref> rows_;
  // One cache per list met in this call; a column nearly always draws from the list it drew
  // from last, so that one is tried first.
  std::vector<std::pair<const TextList*, std::unique_ptr<StrCache>>> caches_;
  std::vector<std::pair<const TextList*, StrCache*>> recent_;  // per column
  const PlaceLists* address_lists_ = nullptr;
  StrCache* address_caches_[5] = {};
  Ref empty_;
  Ref address_keys_[5];
  Ref decimal_;  // decimal.Decimal, imported at the first sum of money
};

}  // namespace tarvo::py
