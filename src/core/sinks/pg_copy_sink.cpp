// src/core/sinks/pg_copy_sink.cpp: rows in PostgreSQL's binary COPY format, for bigint, integer, double precision, text, date and jsonb columns.
#include <bit>
#include <type_traits>

#include "sinks/byte_sink.hpp"
#include "sinks/text_forms.hpp"

namespace tarvo {
namespace {

// Binary COPY needs no escaping and no number formatting on either side, so the server only
// checks lengths and copies; the price is that each value must be sent in exactly the column's
// type, which the caller guarantees by creating (or checking) the table itself.
constexpr std::int32_t kDaysFrom1970To2000 = 10957;  // PostgreSQL counts dates from 2000-01-01
constexpr char kJsonbVersion = 1;

template <typename T>
void append_big_endian(std::string& out, T value) {
  const auto bits = static_cast<std::make_unsigned_t<T>>(value);
  char bytes[sizeof bits];
  for (std::size_t i = 0; i < sizeof bits; ++i) {
    bytes[i] = static_cast<char>(bits >> (8 * (sizeof bits - 1 - i)));
  }
  out.append(bytes, sizeof bits);
}

class PgCopySink final : public ByteSink {
 public:
  explicit PgCopySink(const Plan& plan) {
    for (const PlannedColumn& column : plan.columns) types_.push_back(kind_value_type(column.kind.kind));
  }

  void begin_row() override {
    column_ = 0;
    append_big_endian(bytes, static_cast<std::int16_t>(types_.size()));
  }
  void null() override {
    ++column_;
    append_big_endian(bytes, std::int32_t{-1});
  }
  void integer(std::int64_t value) override {
    if (types_[column_++] == ValueType::Int32) {
      append_big_endian(bytes, std::int32_t{4});
      append_big_endian(bytes, static_cast<std::int32_t>(value));
    } else {
      append_big_endian(bytes, std::int32_t{8});
      append_big_endian(bytes, value);
    }
  }
  void real(double value) override {
    ++column_;
    append_big_endian(bytes, std::int32_t{8});
    append_big_endian(bytes, std::bit_cast<std::int64_t>(value));
  }
  void text(std::string_view value) override {
    ++column_;
    append_big_endian(bytes, static_cast<std::int32_t>(value.size()));
    bytes.append(value);
  }
  void date(std::int32_t days, std::string_view) override {
    ++column_;
    append_big_endian(bytes, std::int32_t{4});
    append_big_endian(bytes, days - kDaysFrom1970To2000);
  }
  void address(const Address* a) override {
    ++column_;
    const std::string_view parts[] = {a ? a->barangay : "", a ? a->city : "",
                                      a ? a->province : "", a ? a->region : "",
                                      a ? a->zip_code : ""};
    static constexpr std::string_view kKeys[] = {"{\"barangay\":", ",\"city\":", ",\"province\":",
                                                 ",\"region\":", ",\"zip_code\":"};
    const std::size_t length_at = bytes.size();
    append_big_endian(bytes, std::int32_t{0});  // patched below, once the JSON is written
    bytes.push_back(kJsonbVersion);
    for (std::size_t i = 0; i < 5; ++i) {
      bytes.append(kKeys[i]);
      append_json_string(bytes, parts[i], false);
    }
    bytes.push_back('}');
    std::string length;
    append_big_endian(length, static_cast<std::int32_t>(bytes.size() - length_at - 4));
    bytes.replace(length_at, 4, length);
  }

 private:
  std::vector<ValueType> types_;
  std::size_t column_ = 0;
};

}  // namespace

std::unique_ptr<ByteSink> make_pg_copy_sink(const Plan& plan) {
  return std::make_unique<PgCopySink>(plan);
}

std::string pg_copy_header() {
  // The signature, no flags (no OIDs), and an empty header extension.
  std::string header("PGCOPY\n\xff\r\n\0", 11);
  append_big_endian(header, std::int32_t{0});
  append_big_endian(header, std::int32_t{0});
  return header;
}

std::string pg_copy_trailer() {
  std::string trailer;
  append_big_endian(trailer, std::int16_t{-1});
  return trailer;
}

}  // namespace tarvo
