// src/core/arrow/batch_sink.hpp: the sink that builds one Arrow record batch from a chunk of rows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "arrow/c_data.hpp"
#include "arrow/c_export.hpp"
#include "arrow/record_schema.hpp"
#include "engine/sink.hpp"

namespace tarvo::arrow {

// Cells go straight into the column buffers that the batch exports, so handing a batch over
// copies nothing. Fixed lists are written as plain text: a dictionary-encoded column becomes a
// categorical in polars and pandas, a different type from the str that rows() gives.
class BatchSink final : public Sink {
 public:
  // Room for `rows` rows of columns of these types (the stream's column_types()).
  BatchSink(std::span<const ColumnType> types, std::uint64_t rows);
  ~BatchSink() override;

  void begin_row() override;
  void end_row() override { ++rows_; }
  void null() override;
  void integer(std::int64_t value) override;
  void real(double value) override;
  void boolean(bool value) override;
  void money(std::int64_t centavos) override;
  void text(std::string_view value) override;
  void date(std::int32_t days, std::string_view iso_text) override;
  void timestamp(std::int64_t seconds, std::string_view iso_text) override;
  void time_of_day(std::int32_t seconds, std::string_view text_form) override;
  void address(const Address* address) override;

  // The rows drawn so far as a struct array of the columns, which the sink no longer holds.
  void export_batch(ArrowArray* out);

 private:
  class TextColumn;
  struct Column;

  Column& take(ValueType type);

  std::vector<Column> columns_;
  std::size_t next_ = 0;
  std::uint64_t rows_ = 0;
  std::uint64_t capacity_;
};

}  // namespace tarvo::arrow
