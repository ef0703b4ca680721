// src/core/kinds/families/row_number.cpp: row: the row's own number from an offset, the usual primary key.
#include <array>
#include <limits>
#include <string>

#include "kinds/fields.hpp"

namespace tarvo {
namespace {

constexpr std::uint64_t kMaxValue = std::numeric_limits<std::int64_t>::max();

// Row i holds OFFSET + i: dense, distinct, and the same at any start, so it is unique as it
// stands and draws no words.
class RowDrawer final : public DrawerOf<RowDrawer> {
 public:
  explicit RowDrawer(std::int64_t offset)
      : DrawerOf({ValueType::Int64, kReadsNothing, false, 0}), offset_(offset) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    sink.integer(static_cast<std::int64_t>(static_cast<std::uint64_t>(offset_) + row.row));
  }

  std::optional<UniqueForm> unique_form(const UniqueKeys&) const override {
    return UniqueForm{std::make_shared<const RowDrawer>(offset_),
                      std::numeric_limits<std::uint64_t>::max()};
  }

  // The last row, rows_end - 1, must still fit in a signed 64-bit number.
  std::optional<std::string> rows_error(std::uint64_t rows_end) const override {
    if (rows_end == 0 || offset_ < 0) return std::nullopt;
    if (rows_end - 1 <= kMaxValue - static_cast<std::uint64_t>(offset_)) return std::nullopt;
    return "row numbers from " + std::to_string(offset_) + " pass 2**63-1 below row " +
           std::to_string(rows_end);
  }

 private:
  std::int64_t offset_;
};

std::shared_ptr<const Drawer> strict_row(const KindArgs& args) {
  std::int64_t offset = 0;
  if (args.parameters) {
    const auto read = read_number<std::int64_t>(*args.parameters);
    if (!read) fail(args, "expected row:OFFSET, a whole number from -2**63 to 2**63-1");
    offset = *read;
  }
  return std::make_shared<const RowDrawer>(offset);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"row", ":OFFSET", "the row's number plus OFFSET (default 0): a dense primary key",
   ValueType::Int64, kReadsNothing, true, "", strict_row, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> row_kinds() { return kKinds; }

}  // namespace tarvo
