// src/binding/dict_sink.hpp: the sink that makes a Python list of dicts, for Dummy.seed and Dataset.rows.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/sink.hpp"
#include "lib_handle.hpp"

namespace tarvo::py {

class StrCache;

class DictSink final : public Sink {
 public:
  // `names` are the row keys in column order; `options[i]` the choice options of column i
  // (empty for other kinds). `expected_rows` only reserves room.
  DictSink(std::span<const std::string> names, std::span<const std::vector<std::string>> options,
           std::size_t expected_rows);
  ~DictSink() override;

  void begin_row() override;
  void end_row() override;
  void null() override;
  void integer(std::int64_t value) override;
  void real(double value) override;
  void text(std::string_view value) override;
  void listed(TextList list, std::uint32_t index, std::string_view value) override;
  void address(const Address* address) override;

  // The rows made so far as a list, which the sink no longer holds.
  Ref take_list();

 private:
  void put(PyObject* value);
  void put_new(Ref value) { put(value.get()); }
  PyObject* empty_str();
  PyObject* shared(TextList list, std::uint32_t index, std::string_view value);

  std::vector<Ref> keys_;
  std::vector<std::vector<Ref>> options_;
  Ref template_row_;
  Ref row_;
  std::size_t column_ = 0;
  std::vector<Ref> rows_;
  std::array<std::unique_ptr<StrCache>, static_cast<std::size_t>(TextList::Count_)> caches_;
  Ref empty_;
  std::array<Ref, 5> address_keys_;
};

}  // namespace tarvo::py
