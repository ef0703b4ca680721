// src/core/sqlite/file_builder.cpp: records, leaf, overflow and interior pages, and page 1 of a new SQLite file.
#include "sqlite/file_builder.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace tarvo::sqlite {
namespace {

constexpr std::uint32_t kUsable = FileBuilder::kPageSize;  // no reserved bytes per page
constexpr std::uint8_t kLeafTable = 0x0D;
constexpr std::uint8_t kInteriorTable = 0x05;
// How much of a record a table leaf keeps on its own page before overflow pages take the rest.
constexpr std::uint64_t kMaxLocal = kUsable - 35;
constexpr std::uint64_t kMinLocal = (kUsable - 12) * 32 / 255 - 23;

std::size_t varint_size(std::uint64_t value) {
  if (value > 0x00FFFFFFFFFFFFFFull) return 9;
  std::size_t size = 1;
  while (value >>= 7) ++size;
  return size;
}

template <typename T>
void put_big_endian(char* at, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    at[i] = static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * (sizeof(T) - 1 - i)));
  }
}

void append_big_endian(std::string& out, std::uint64_t value, std::size_t bytes) {
  for (std::size_t i = 0; i < bytes; ++i) {
    out.push_back(static_cast<char>(value >> (8 * (bytes - 1 - i))));
  }
}

// Reads the varint at the front of `bytes` and drops it.
std::uint64_t take_varint(std::string_view& bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < 9; ++i) {
    if (i >= bytes.size()) throw std::invalid_argument("a record is cut short");
    const auto byte = static_cast<std::uint8_t>(bytes[i]);
    if (i == 8) {
      value = (value << 8) | byte;
      bytes.remove_prefix(9);
      return value;
    }
    value = (value << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) {
      bytes.remove_prefix(i + 1);
      return value;
    }
  }
  return value;
}

// A b-tree page of `type` with `cells` (each whole) and, for an interior page, the right child.
// Page 1 keeps the 100-byte database header before its b-tree header.
void lay_out_page(std::string& page, std::size_t start, std::uint8_t type,
                  const std::vector<std::string_view>& cells, std::uint32_t right_child) {
  page.assign(kUsable, '\0');
  const std::size_t header = type == kInteriorTable ? 12 : 8;
  std::size_t content = kUsable;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    content -= cells[i].size();
    std::memcpy(page.data() + content, cells[i].data(), cells[i].size());
    put_big_endian(page.data() + start + header + 2 * i, static_cast<std::uint16_t>(content));
  }
  char* at = page.data() + start;
  at[0] = static_cast<char>(type);
  put_big_endian(at + 3, static_cast<std::uint16_t>(cells.size()));
  put_big_endian(at + 5, static_cast<std::uint16_t>(content == 65536 ? 0 : content));
  if (type == kInteriorTable) put_big_endian(at + 8, right_child);
}

}  // namespace

void append_varint(std::string& out, std::uint64_t value) {
  if (value < 0x80) {
    out.push_back(static_cast<char>(value));
    return;
  }
  if (value > 0x00FFFFFFFFFFFFFFull) {  // nine bytes: 8 groups of 7 bits, then 8 bits
    char bytes[9];
    bytes[8] = static_cast<char>(value);
    value >>= 8;
    for (int i = 7; i >= 0; --i) {
      bytes[i] = static_cast<char>((value & 0x7F) | 0x80);
      value >>= 7;
    }
    out.append(bytes, 9);
    return;
  }
  char bytes[8];
  int n = 0;
  do {
    bytes[n++] = static_cast<char>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<char>(bytes[i] | (i > 0 ? 0x80 : 0)));
}

void RecordWriter::integer(std::int64_t value) {
  // The smallest serial type that holds the value, as SQLite itself picks.
  if (value == 0 || value == 1) {
    append_varint(types_, value == 0 ? 8 : 9);
    return;
  }
  const std::uint64_t magnitude = value < 0 ? ~static_cast<std::uint64_t>(value)
                                            : static_cast<std::uint64_t>(value);
  static constexpr struct { std::uint64_t below; std::uint8_t type, bytes; } kSizes[] = {
      {0x80, 1, 1}, {0x8000, 2, 2}, {0x800000, 3, 3}, {0x80000000, 4, 4},
      {0x800000000000, 5, 6}};
  for (const auto& size : kSizes) {
    if (magnitude < size.below) {
      append_varint(types_, size.type);
      append_big_endian(body_, static_cast<std::uint64_t>(value), size.bytes);
      return;
    }
  }
  append_varint(types_, 6);
  append_big_endian(body_, static_cast<std::uint64_t>(value), 8);
}

void RecordWriter::real(double value) {
  append_varint(types_, 7);
  append_big_endian(body_, std::bit_cast<std::uint64_t>(value), 8);
}

void RecordWriter::text(std::string_view value) {
  append_varint(types_, 2 * static_cast<std::uint64_t>(value.size()) + 13);
  body_.append(value);
}

void RecordWriter::finish_into(std::string& out) const {
  // The header's size counts the varint that gives it.
  std::size_t own = 1;
  while (varint_size(types_.size() + own) > own) ++own;
  const std::size_t header = types_.size() + own;
  const std::uint64_t payload = header + body_.size();
  append_varint(out, payload);
  append_varint(out, header);
  out.append(types_);
  out.append(body_);
}

void FileBuilder::add_records(std::string_view records) {
  while (!records.empty()) {
    const std::uint64_t size = take_varint(records);
    if (size > records.size()) throw std::invalid_argument("a record is cut short");
    add_cell(records.substr(0, size));
    records.remove_prefix(size);
  }
}

void FileBuilder::add_cell(std::string_view payload) {
  const std::uint64_t rowid = rowid_ + 1;
  const std::size_t prefix = varint_size(payload.size()) + varint_size(rowid);
  if (payload.size() <= kMaxLocal) {  // the usual cell: all on the leaf
    const std::size_t size = prefix + payload.size();
    if (8 + 2 * (cell_sizes_.size() + 1) + cells_.size() + size > kUsable) flush_leaf();
    append_varint(cells_, payload.size());
    append_varint(cells_, rowid);
    cells_.append(payload);
    cell_sizes_.push_back(static_cast<std::uint16_t>(size));
    rowid_ = rowid;
    return;
  }
  // Too large for the leaf: its start stays there, the rest goes on a chain of overflow pages,
  // numbered from the next one on, each starting with the number of the page after it (0 on
  // the last).
  const std::uint64_t spill = kMinLocal + (payload.size() - kMinLocal) % (kUsable - 4);
  const std::uint64_t local = spill <= kMaxLocal ? spill : kMinLocal;
  std::string cell;
  append_varint(cell, payload.size());
  append_varint(cell, rowid);
  cell.append(payload.substr(0, local));
  char first[4];
  put_big_endian(first, next_page_);
  cell.append(first, 4);
  std::string_view rest = payload.substr(local);
  const std::uint64_t pages = (rest.size() + kUsable - 5) / (kUsable - 4);
  std::string page;
  for (std::uint64_t i = 0; i < pages; ++i) {
    page.assign(kUsable, '\0');
    put_big_endian(page.data(), i + 1 < pages ? next_page_ + 1 : std::uint32_t{0});
    const std::size_t part = std::min<std::size_t>(rest.size(), kUsable - 4);
    std::memcpy(page.data() + 4, rest.data(), part);
    rest.remove_prefix(part);
    write_page(page);
  }
  // Page header (8), a pointer per cell (2 each), the cells.
  if (8 + 2 * (cell_sizes_.size() + 1) + cells_.size() + cell.size() > kUsable) flush_leaf();
  cells_.append(cell);
  cell_sizes_.push_back(static_cast<std::uint16_t>(cell.size()));
  rowid_ = rowid;
}

void FileBuilder::flush_leaf() {
  std::vector<std::string_view> cells;
  std::size_t at = 0;
  for (const std::uint16_t size : cell_sizes_) {
    cells.emplace_back(cells_.data() + at, size);
    at += size;
  }
  lay_out_page(page_, 0, kLeafTable, cells, 0);
  leaves_.push_back({write_page(page_), rowid_});  // rowid_: the last row this leaf holds
  cells_.clear();
  cell_sizes_.clear();
}

std::uint32_t FileBuilder::write_page(std::string_view page) {
  write_(page);
  return next_page_++;
}

std::vector<FileBuilder::Child> FileBuilder::interior_level(const std::vector<Child>& children) {
  // Children shared evenly among as few pages as hold them: 12 bytes of header, then a pointer
  // and a cell of at most 13 bytes for each child but the last, so 272 would fit; evenly
  // shared, no page gets a single child.
  constexpr std::size_t kPerPage = 250;
  const std::size_t pages = (children.size() + kPerPage - 1) / kPerPage;
  std::vector<Child> parents;
  std::size_t next = 0;
  for (std::size_t p = 0; p < pages; ++p) {
    const std::size_t count = (children.size() - next) / (pages - p);
    std::vector<std::string> cells;
    for (std::size_t i = next; i + 1 < next + count; ++i) {
      std::string cell(4, '\0');
      put_big_endian(cell.data(), children[i].page);
      append_varint(cell, children[i].last_rowid);
      cells.push_back(std::move(cell));
    }
    const std::vector<std::string_view> views(cells.begin(), cells.end());
    lay_out_page(page_, 0, kInteriorTable, views, children[next + count - 1].page);
    parents.push_back({write_page(page_), children[next + count - 1].last_rowid});
    next += count;
  }
  return parents;
}

std::string FileBuilder::finish(std::string_view name, std::string_view create_sql) {
  // The last leaf, partly filled (or an empty table's only page).
  if (!cell_sizes_.empty() || leaves_.empty()) flush_leaf();
  std::vector<Child> level = leaves_;
  while (level.size() > 1) level = interior_level(level);
  const std::uint32_t root = level.front().page;

  RecordWriter schema;
  schema.text("table");
  schema.text(name);
  schema.text(name);
  schema.integer(root);
  schema.text(create_sql);
  std::string record;
  schema.finish_into(record);
  std::string_view payload = record;
  const std::uint64_t size = take_varint(payload);
  std::string cell;
  append_varint(cell, size);
  append_varint(cell, 1);
  cell.append(payload);
  if (100 + 8 + 2 + cell.size() > kUsable || size > kMaxLocal) {
    throw std::length_error("the table's definition does not fit on the first page");
  }
  std::string first;
  lay_out_page(first, 100, kLeafTable, {cell}, 0);
  const std::uint32_t pages = next_page_ - 1;
  char* header = first.data();
  std::memcpy(header, "SQLite format 3\0", 16);
  put_big_endian(header + 16, static_cast<std::uint16_t>(kUsable));
  header[18] = 1;  // the rollback journal's file format versions
  header[19] = 1;
  header[20] = 0;   // no bytes reserved at the end of each page
  header[21] = 64;  // payload fractions, fixed by the format
  header[22] = 32;
  header[23] = 32;
  put_big_endian(header + 24, std::uint32_t{1});  // change counter
  put_big_endian(header + 28, pages);             // valid: the counter matches offset 92
  put_big_endian(header + 40, std::uint32_t{1});  // schema cookie
  put_big_endian(header + 44, std::uint32_t{4});  // schema format 4
  put_big_endian(header + 56, std::uint32_t{1});  // UTF-8
  put_big_endian(header + 92, std::uint32_t{1});  // version-valid-for: the change counter
  put_big_endian(header + 96, std::uint32_t{3040001});
  return first;
}

}  // namespace tarvo::sqlite
