// bench/bench_rows.hpp: what the C++ benchmarks share: the ten benchmark columns and a sink that keeps nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/sink.hpp"

namespace bench {

using Columns = std::vector<std::pair<std::string, std::string>>;

// The columns of bench/bench_tarvo.py's SPEC.
inline const Columns kBenchmarkColumns = {
    {"name", "full_name"},    {"gender", "gender"},     {"age", "age"},
    {"email", "email"},       {"phone", "phone_number"}, {"n", "int:1:100"},
    {"x", "float:0:1000"},    {"c", "choice:a,b,c"},    {"address", "full_address"},
    {"id", "uuid"},
};

// An orders table of the column language: a row number, a pattern, a weighted choice, a
// datetime, money, a boolean, a date that is mostly empty, a template over two of these, a
// UUID and an int.
inline const Columns kOrderColumns = {
    {"order_id", "row:1"},
    {"order_no", "pattern:ORD-2026-######"},
    {"status", "choice:Active=80,Inactive=15,Suspended=5"},
    {"created_at", "datetime:-2y:0d"},
    {"total", "money:50:25000"},
    {"paid", "bool:0.85"},
    {"deleted_at", "date:-1y:0d;nulls=0.9"},
    {"label", "template:{order_no}/{status|lower}"},
    {"uuid", "uuid"},
    {"items", "int:1:12"},
};

// Touches every cell so nothing is optimised away, and keeps nothing.
class DiscardSink final : public tarvo::Sink {
 public:
  std::uint64_t checksum = 0;
  void null() override { ++checksum; }
  void integer(std::int64_t v) override { checksum += static_cast<std::uint64_t>(v); }
  void real(double v) override { checksum += static_cast<std::uint64_t>(v); }
  void date(std::int32_t days, std::string_view) override { checksum += static_cast<std::uint64_t>(days); }
  void timestamp(std::int64_t s, std::string_view) override { checksum += static_cast<std::uint64_t>(s); }
  void boolean(bool v) override { checksum += v ? 1 : 0; }
  void money(std::int64_t v) override { checksum += static_cast<std::uint64_t>(v); }
  void text(std::string_view v) override { checksum += v.size() + static_cast<unsigned char>(v[0]); }
  void listed(const tarvo::TextList&, std::uint32_t i, std::string_view) override { checksum += i; }
  void address(const tarvo::Address* a) override { checksum += a->barangay_index; }
};

}  // namespace bench
