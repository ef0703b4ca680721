// src/core/sinks/byte_sink.hpp: sinks that spell rows as the bytes of a file format.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/plan.hpp"
#include "engine/sink.hpp"

namespace tarvo {

enum class ByteFormat : std::uint8_t {
  Csv,    // the bytes Dummy.save writes: a header line, then one line per row
  Json,   // json.dumps(rows, indent=4), byte for byte
  Jsonl,  // one compact object per line, UTF-8 as is
  PgCopy, // PostgreSQL's binary COPY format; the table's columns must have the types of the kinds
  SqliteRecords,  // SQLite records, each "[varint size][record]", for sqlite::FileBuilder
};

// One chunk's rows as bytes. Chunks are concatenated in row order between prologue() and
// epilogue(); `first` tells the chunk that opens the output, which has no separator before its
// first row.
class ByteSink : public Sink {
 public:
  std::string bytes;
};

std::unique_ptr<ByteSink> make_byte_sink(ByteFormat format, const Plan& plan, bool first);

// What comes before the first chunk and after the last, for `rows` rows in all.
std::string byte_prologue(ByteFormat format, const Plan& plan, std::uint64_t rows);
std::string byte_epilogue(ByteFormat format, std::uint64_t rows);

}  // namespace tarvo
