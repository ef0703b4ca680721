// src/core/sinks/csv_sink.cpp: rows as CSV lines, each value as Python's str() spells it.
#include <vector>

#include "sinks/byte_sink.hpp"
#include "sinks/text_forms.hpp"

namespace tarvo {
namespace {

// A null is an empty field, which every CSV reader (and PostgreSQL's COPY ... CSV) takes as
// missing; an address is its JSON object, which DuckDB's and PostgreSQL's JSON functions read.
class CsvSink final : public ByteSink {
 public:
  explicit CsvSink(std::size_t columns) : columns_(columns) {}

  void begin_row() override {
    line_start_ = bytes.size();
    column_ = 0;
  }
  void end_row() override {
    // A lone empty field is quoted, as csv.writer does; a bare empty line reads back as no field.
    if (columns_ == 1 && bytes.size() == line_start_) bytes.append("\"\"");
    bytes.push_back('\n');
  }
  void null() override { separate(); }
  void integer(std::int64_t value) override {
    separate();
    append_int(bytes, value);
  }
  void real(double value) override {
    separate();
    append_python_float(bytes, value);
  }
  void boolean(bool value) override {
    separate();
    bytes.append(value ? "True" : "False");
  }
  void money(std::int64_t centavos) override {
    separate();
    append_money(bytes, centavos);
  }
  void text(std::string_view value) override { field(value); }
  void address(const Address* a) override {
    scratch_.clear();
    append_address_json(scratch_, a);
    field(scratch_);
  }

 private:
  void separate() {
    if (column_++ > 0) bytes.push_back(',');
  }
  void field(std::string_view value) {
    separate();
    append_csv_field(bytes, value);
  }

  std::size_t columns_;
  std::size_t column_ = 0;
  std::size_t line_start_ = 0;
  std::string scratch_;
};

}  // namespace

std::unique_ptr<ByteSink> make_csv_sink(const Plan& plan) {
  return std::make_unique<CsvSink>(plan.columns.size());
}

std::string csv_header(const Plan& plan) {
  std::vector<std::string_view> names;
  for (const PlannedColumn& column : plan.columns) names.push_back(column.name);
  return csv_header_line(names) + '\n';
}

}  // namespace tarvo
