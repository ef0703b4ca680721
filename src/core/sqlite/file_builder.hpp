// src/core/sqlite/file_builder.hpp: a new SQLite database file of one table, built page by page from its records.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::sqlite {

// SQLite's variable-length integer: big-endian groups of 7 bits, the ninth byte all 8.
void append_varint(std::string& out, std::uint64_t value);

// A record of SQLite's file format (https://www.sqlite.org/fileformat2.html, "Record Format"),
// one value at a time: a header of serial types, then the values' bytes.
class RecordWriter {
 public:
  void clear() {
    types_.clear();
    body_.clear();
  }
  void null() { append_varint(types_, 0); }
  void integer(std::int64_t value);
  void real(double value);
  void text(std::string_view value);
  // Appends the record, its payload length first: "[varint P][P bytes]".
  void finish_into(std::string& out) const;

 private:
  std::string types_;
  std::string body_;
};

// Builds the file's pages in the order they are written: the table's leaf pages (and the
// overflow pages of records too large for one) as the records come, in rowid order 1, 2, ...;
// then the interior pages above them; page 1, the database header and the schema table that
// names the table, comes last, as it needs the root's number. Each page but the first goes to
// `write` once, complete, in increasing page order.
class FileBuilder {
 public:
  using PageWriter = std::function<void(std::string_view page)>;

  static constexpr std::uint32_t kPageSize = 4096;

  explicit FileBuilder(PageWriter write) : write_(std::move(write)) {}

  // Appends every "[varint P][P bytes]" record in `records` as the next rows.
  void add_records(std::string_view records);

  // Writes the rest of the table's pages and returns page 1, for the table `name` made by
  // `create_sql` (the text sqlite_schema keeps). Throws std::length_error when that text does
  // not fit on page 1.
  std::string finish(std::string_view name, std::string_view create_sql);

 private:
  struct Child {
    std::uint32_t page;
    std::uint64_t last_rowid;
  };

  void add_cell(std::string_view payload);
  void flush_leaf();
  std::uint32_t write_page(std::string_view page);
  std::vector<Child> interior_level(const std::vector<Child>& children);

  PageWriter write_;
  std::uint32_t next_page_ = 2;  // page 1 is written last
  std::uint64_t rowid_ = 0;
  std::string cells_;  // the current leaf's cells, in order
  std::vector<std::uint16_t> cell_sizes_;
  std::vector<Child> leaves_;
  std::string page_;
};

}  // namespace tarvo::sqlite
