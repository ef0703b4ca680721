// src/core/sinks/byte_sink.cpp: which sink spells which format, and what frames the rows.
#include "sinks/byte_sink.hpp"

namespace tarvo {

std::unique_ptr<ByteSink> make_csv_sink(const Plan& plan);
std::string csv_header(const Plan& plan);
std::unique_ptr<ByteSink> make_json_sink(const Plan& plan, bool indented, bool first);
std::unique_ptr<ByteSink> make_pg_copy_sink(const Plan& plan);
std::string pg_copy_header();
std::string pg_copy_trailer();
std::unique_ptr<ByteSink> make_sqlite_sink();

std::unique_ptr<ByteSink> make_byte_sink(ByteFormat format, const Plan& plan, bool first) {
  switch (format) {
    case ByteFormat::Csv: return make_csv_sink(plan);
    case ByteFormat::Json: return make_json_sink(plan, true, first);
    case ByteFormat::Jsonl: return make_json_sink(plan, false, first);
    case ByteFormat::PgCopy: return make_pg_copy_sink(plan);
    case ByteFormat::SqliteRecords: return make_sqlite_sink();
  }
  return nullptr;
}

std::string byte_prologue(ByteFormat format, const Plan& plan, std::uint64_t rows) {
  switch (format) {
    case ByteFormat::Csv: return rows == 0 ? "" : csv_header(plan);  // as save: no rows, no header
    case ByteFormat::Json: return rows == 0 ? "[]" : "[\n";
    case ByteFormat::Jsonl: return "";
    case ByteFormat::PgCopy: return pg_copy_header();  // even for no rows: COPY expects it
    case ByteFormat::SqliteRecords: return "";         // the file's pages frame the records
  }
  return "";
}

std::string byte_epilogue(ByteFormat format, std::uint64_t rows) {
  if (format == ByteFormat::PgCopy) return pg_copy_trailer();
  return format == ByteFormat::Json && rows > 0 ? "\n]" : "";
}

}  // namespace tarvo
