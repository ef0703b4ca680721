// tests/cpp/test_arrow.cpp: Arrow batches: text within the kinds' bounds, offsets, ownership on release.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "arrow/batch_sink.hpp"
#include "arrow/record_schema.hpp"
#include "engine/plan.hpp"
#include "engine/row_draw.hpp"
#include "kinds/registry.hpp"

namespace tarvo::arrow {
namespace {

Plan every_kind_plan(std::string_view profile) {
  std::vector<std::pair<std::string, std::string>> columns;
  for (const KindDescriptor& kind : kind_registry()) {
    // Kinds that read a parent are for tables of a schema.
    if (kind.parameters.empty() && !kind.schema_only) columns.emplace_back(kind.name, kind.name);
  }
  columns.emplace_back("choice", "choice:a,bbbbbbb,cc");
  // zfill pads by characters: to more bytes than its width where they take several.
  columns.emplace_back("snowmen", "choice:\u00f1,\u2603\u2603");
  columns.emplace_back("padded", "template:{snowmen|zfill:5}");
  return make_plan(columns, 1, 2, CivilDate{2026, 1, 1}, make_profile(profile));
}

ArrowArray draw_batch(const Plan& plan, std::uint64_t batch_rows, std::uint64_t rows) {
  BatchSink sink(column_types(plan, batch_rows), rows);
  draw_seeded_rows(plan, 0, rows, sink);
  ArrowArray batch;
  sink.export_batch(&batch);
  return batch;
}

// The text arrays of a column: itself, or an address's five parts.
std::vector<const ArrowArray*> texts_of(const ArrowArray* column, ValueType type) {
  if (type == ValueType::Text) return {column};
  if (type != ValueType::Address) return {};
  return {column->children, column->children + column->n_children};
}

template <typename Offset = std::int32_t>
std::vector<std::string> cells(const ArrowArray* text) {
  const auto* offsets = static_cast<const Offset*>(text->buffers[1]);
  const auto* bytes = static_cast<const char*>(text->buffers[2]);
  std::vector<std::string> out;
  for (std::int64_t i = 0; i < text->length; ++i) {
    out.emplace_back(bytes + offsets[i], static_cast<std::size_t>(offsets[i + 1] - offsets[i]));
  }
  return out;
}

class ArrowBatch : public testing::TestWithParam<const char*> {};

TEST_P(ArrowBatch, TextCellsStayWithinTheirKindsBoundsInEitherOffsetWidth) {
  const Plan plan = every_kind_plan(GetParam());
  constexpr std::uint64_t kRows = 20'000;
  constexpr std::uint64_t kHugeBatch = std::uint64_t{1} << 40;
  const std::vector<ColumnType> types = column_types(plan, kRows);
  const std::vector<ColumnType> large_types = column_types(plan, kHugeBatch);
  ArrowArray narrow = draw_batch(plan, kRows, kRows);
  ArrowArray large = draw_batch(plan, kHugeBatch, kRows);
  ASSERT_EQ(narrow.length, static_cast<std::int64_t>(kRows));
  ASSERT_EQ(narrow.n_children, static_cast<std::int64_t>(plan.columns.size()));
  for (std::size_t c = 0; c < plan.columns.size(); ++c) {
    const std::vector<const ArrowArray*> texts = texts_of(narrow.children[c], types[c].value);
    const std::vector<const ArrowArray*> wide = texts_of(large.children[c], types[c].value);
    for (std::size_t t = 0; t < texts.size(); ++t) {
      ASSERT_FALSE(types[c].large_text);
      const std::vector<std::string> values = cells(texts[t]);
      // Large unless the kind's text is always empty.
      ASSERT_EQ(large_types[c].large_text, types[c].longest_text != 0) << plan.columns[c].name;
      EXPECT_EQ(large_types[c].large_text ? cells<std::int64_t>(wide[t]) : cells(wide[t]), values)
          << plan.columns[c].name;
      std::size_t longest = 0;
      for (const std::string& value : values) longest = std::max(longest, value.size());
      EXPECT_LE(longest, types[c].longest_text) << plan.columns[c].name;
    }
  }
  large.release(&large);
  // A consumer may keep one column and drop the batch: the column outlives it.
  ASSERT_EQ(types[0].value, ValueType::Text);
  ArrowArray kept = *narrow.children[0];
  narrow.children[0]->release = nullptr;
  narrow.release(&narrow);
  EXPECT_EQ(narrow.release, nullptr);
  EXPECT_EQ(cells(&kept).size(), kRows);
  kept.release(&kept);
}

INSTANTIATE_TEST_SUITE_P(Profiles, ArrowBatch, testing::Values("uniform", "census"));

}  // namespace
}  // namespace tarvo::arrow
