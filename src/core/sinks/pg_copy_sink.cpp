// src/core/sinks/pg_copy_sink.cpp: rows in PostgreSQL's binary COPY format, in each value type's column type.
#include <algorithm>
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
constexpr std::int64_t kSecondsFrom1970To2000 = 946'684'800;
constexpr std::int64_t kMicroseconds = 1'000'000;  // timestamps and times are in microseconds
constexpr char kJsonbVersion = 1;
constexpr std::int16_t kNumericNegative = 0x4000;

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
    for (const PlannedColumn& column : plan.columns) types_.push_back(column.type());
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
  void boolean(bool value) override {
    ++column_;
    append_big_endian(bytes, std::int32_t{1});
    bytes.push_back(value ? 1 : 0);
  }
  // numeric's binary form: base-10000 digits, most significant first, with the weight of the
  // first (its power of 10000), the sign and the display scale; 12345.60 is the digits 1, 2345,
  // 6000 with weight 1 and scale 2.
  void money(std::int64_t centavos) override {
    ++column_;
    std::uint64_t magnitude = static_cast<std::uint64_t>(centavos);
    if (centavos < 0) magnitude = ~magnitude + 1;
    std::int16_t digits[8];
    int count = 0;
    for (std::uint64_t pesos = magnitude / 100; pesos != 0; pesos /= 10000) {
      digits[count++] = static_cast<std::int16_t>(pesos % 10000);
    }
    std::reverse(digits, digits + count);
    const auto weight = static_cast<std::int16_t>(count - 1);
    if (magnitude % 100 != 0) digits[count++] = static_cast<std::int16_t>(magnitude % 100 * 100);
    while (count > 0 && digits[count - 1] == 0) --count;  // the canonical form has no trailing 0s
    append_big_endian(bytes, static_cast<std::int32_t>(8 + 2 * count));
    append_big_endian(bytes, static_cast<std::int16_t>(count));
    append_big_endian(bytes, count == 0 ? std::int16_t{0} : weight);
    append_big_endian(bytes, centavos < 0 ? kNumericNegative : std::int16_t{0});
    append_big_endian(bytes, std::int16_t{2});
    for (int i = 0; i < count; ++i) append_big_endian(bytes, digits[i]);
  }
  void timestamp(std::int64_t seconds, std::string_view) override {
    ++column_;
    append_big_endian(bytes, std::int32_t{8});
    append_big_endian(bytes, (seconds - kSecondsFrom1970To2000) * kMicroseconds);
  }
  void time_of_day(std::int32_t seconds, std::string_view) override {
    ++column_;
    append_big_endian(bytes, std::int32_t{8});
    append_big_endian(bytes, std::int64_t{seconds} * kMicroseconds);
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
