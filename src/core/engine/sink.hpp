// src/core/engine/sink.hpp: where the row drawer puts cells: dicts, bytes of a file, Arrow columns.
#pragma once

#include <cstdint>
#include <string_view>

#include "providers/address.hpp"

namespace tarvo {

// The fixed lists a cell's text can come from. Entry i of a list is always the same text, so a
// sink that converts text (to Python str, to a dictionary-encoded column) can do it once per
// entry; Choice lists are the options of the current column.
enum class TextList : std::uint8_t {
  Gender,
  FirstMale,
  FirstFemale,
  LastName,
  CivilStatus,
  BloodType,
  Color,
  Status,
  Region,
  Province,
  City,
  Barangay,
  ZipCode,  // indexed by barangay: the census profile gives some barangays their own code
  Choice,
  Suffix,
  CensusFirstMale,
  CensusFirstFemale,
  CensusSurname,
  Count_,
};

// The number of entries of a list (0 for Choice, whose size is the column's); parses the list's
// document if no one has yet.
std::size_t text_list_size(TextList list);

// Cells arrive row by row, in column order, each row between begin_row and end_row. A sink may
// throw; the drawer then stops and the partly written row is the sink's to discard.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void begin_row() {}
  virtual void end_row() {}

  virtual void null() = 0;
  virtual void integer(std::int64_t value) = 0;
  virtual void real(double value) = 0;
  virtual void text(std::string_view value) = 0;
  virtual void listed(TextList, std::uint32_t /*index*/, std::string_view value) { text(value); }
  // A calendar date: days since 1970-01-01 and its "YYYY-MM-DD" text.
  virtual void date(std::int32_t /*days*/, std::string_view iso_text) { text(iso_text); }
  // nullptr when the data set holds no place to draw (never with the compiled-in data).
  virtual void address(const Address* address) = 0;
};

}  // namespace tarvo
