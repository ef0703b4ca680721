// src/core/engine/sink.hpp: where the row drawer puts cells: dicts, bytes of a file, Arrow columns.
#pragma once

#include <cstdint>
#include <string_view>

#include "providers/address.hpp"
#include "text_list.hpp"

namespace tarvo {

// Cells arrive row by row, in column order, each row between begin_row and end_row, one call
// per cell of the method that fits the column's value type. A sink may throw; the drawer then
// stops and the partly written row is the sink's to discard.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void begin_row() {}
  virtual void end_row() {}

  // A null cell (a column with nulls, or a kind Dummy does not know).
  virtual void null() = 0;
  virtual void integer(std::int64_t value) = 0;
  virtual void real(double value) = 0;
  virtual void boolean(bool value) = 0;
  // A sum of money in centavos: pesos with exactly two decimal places.
  virtual void money(std::int64_t centavos) = 0;
  virtual void text(std::string_view value) = 0;
  // Entry `index` of a fixed list, whose text is `value`.
  virtual void listed(const TextList& /*list*/, std::uint32_t /*index*/, std::string_view value) {
    text(value);
  }
  // A calendar date: days since 1970-01-01 and its "YYYY-MM-DD" text.
  virtual void date(std::int32_t /*days*/, std::string_view iso_text) { text(iso_text); }
  // An instant: seconds since 1970-01-01T00:00:00Z and its ISO text with the offset.
  virtual void timestamp(std::int64_t /*seconds*/, std::string_view iso_text) { text(iso_text); }
  // A time of day: seconds since midnight and its "HH:MM:SS" text.
  virtual void time_of_day(std::int32_t /*seconds*/, std::string_view text_form) {
    text(text_form);
  }
  // nullptr when the data set holds no place to draw (never with the compiled-in data).
  virtual void address(const Address* address) = 0;
};

}  // namespace tarvo
