// tests/cpp/test_engine.cpp: the counter-based source, the seeded drawer and the chunk pipeline.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/chunk_pipeline.hpp"
#include "engine/plan.hpp"
#include "engine/row_draw.hpp"
#include "kinds/strict_parse.hpp"
#include "random/counter_rng.hpp"

namespace tarvo {
namespace {

// numpy.random.Philox(key=5 + (6 << 64), counter=(1 - 1) + (2 << 64) + (3 << 128) + (4 << 192))
// .random_raw(4): numpy counts up before each block, hence the - 1.
TEST(Philox, MatchesNumpysPhilox) {
  const PhiloxBlock block = philox4x64_10({1, 2, 3, 4}, {5, 6});
  EXPECT_EQ(block, (PhiloxBlock{11789110016301065044u, 12460072761081090454u,
                                11575064416179582204u, 635235873073864927u}));
}

TEST(CounterRng, BlocksAreMadeOnDemandAndAddressedByRowAndStream) {
  const PhiloxKey key{1, 2};
  CounterRng rng(key, 7, 9);
  EXPECT_EQ(rng.blocks_made(), 0u);
  const PhiloxBlock first = philox4x64_10({7, 0, 9, 0}, key);
  const PhiloxBlock second = philox4x64_10({7, 1, 9, 0}, key);
  EXPECT_EQ(rng.draw_u64(), first[0]);
  EXPECT_EQ(rng.draw_u32(), static_cast<std::uint32_t>(first[1]));
  // the odd word left is skipped, so a 64-bit draw never straddles two blocks
  for (int i = 0; i < 2; ++i) rng.draw_u64();
  EXPECT_EQ(rng.draw_u64(), second[0]);
  EXPECT_EQ(rng.blocks_made(), 2u);
  CounterRng from_first(key, 7, 9, first);
  EXPECT_EQ(from_first.draw_u64(), first[0]);
}

TEST(CounterRng, WholeSignedRangeIsOneWordOffsetByLow) {
  CounterRng a({3, 4}, 0, 1), b({3, 4}, 0, 1);
  EXPECT_EQ(a.uniform_i64(INT64_MIN, INT64_MAX),
            static_cast<std::int64_t>(b.draw_u64() + (std::uint64_t{1} << 63)));
  EXPECT_EQ(a.uniform_i64(-5, -5), -5);
  EXPECT_THROW(a.uniform_i64(2, 1), std::exception);
}

// Remembers every cell as text, failing at a chosen row to test error hand-over.
class RecordingSink final : public Sink {
 public:
  explicit RecordingSink(std::uint64_t first, std::uint64_t fail_at = ~0ull)
      : row_(first), fail_at_(fail_at) {}
  std::vector<std::string> cells;
  void begin_row() override {
    if (row_++ == fail_at_) throw std::runtime_error("sink failed");
  }
  void null() override { cells.push_back("null"); }
  void integer(std::int64_t v) override { cells.push_back(std::to_string(v)); }
  void real(double v) override { cells.push_back(std::to_string(v)); }
  void boolean(bool v) override { cells.push_back(v ? "true" : "false"); }
  void money(std::int64_t v) override { cells.push_back(std::to_string(v)); }
  void text(std::string_view v) override { cells.emplace_back(v); }
  void address(const Address* a) override { cells.emplace_back(a ? a->barangay : "-"); }

 private:
  std::uint64_t row_, fail_at_;
};

const std::vector<std::pair<std::string, std::string>> kColumns = {
    {"id", "uuid"}, {"name", "full_name"}, {"n", "int:-3:3"}, {"at", "address"}};

TEST(ChunkPipeline, GivesChunksInRowOrderForAnyThreadCount) {
  const Plan plan = make_plan(kColumns, 1, 0, {2026, 1, 1}, make_profile("uniform"));
  RecordingSink whole(0);
  draw_seeded_rows(plan, 100, 1000, whole);
  for (unsigned threads : {1u, 2u, 5u}) {
    ChunkPipeline<RecordingSink> pipeline(plan, 100, 1000, 37, threads,
                                          [](std::uint64_t first, std::uint64_t) {
                                            return std::make_unique<RecordingSink>(first);
                                          });
    std::vector<std::string> cells;
    while (auto chunk = pipeline.next()) cells.insert(cells.end(), chunk->cells.begin(), chunk->cells.end());
    EXPECT_EQ(cells, whole.cells) << threads << " threads";
  }
}

// Extremes of the arguments: a look-ahead of 2 x threads past 32 bits, and a chunk size near
// 2**64, where (count + chunk_rows - 1) / chunk_rows would wrap to no chunk at all.
TEST(ChunkPipeline, HugeThreadCountsAndChunkSizesStillGiveEveryRow) {
  const Plan plan = make_plan(kColumns, 1, 0, {2026, 1, 1}, make_profile("uniform"));
  for (const auto& [chunk_rows, threads] :
       {std::pair{std::uint64_t{4}, 0x80000000u}, std::pair{~std::uint64_t{0}, 2u}}) {
    ChunkPipeline<RecordingSink> pipeline(plan, 5, 10, chunk_rows, threads,
                                          [](std::uint64_t first, std::uint64_t) {
                                            return std::make_unique<RecordingSink>(first);
                                          });
    std::uint64_t rows = 0;
    while (auto chunk = pipeline.next()) rows += chunk->cells.size() / kColumns.size();
    EXPECT_EQ(rows, 10u) << chunk_rows;
  }
}

TEST(ChunkPipeline, AWorkersFailureReachesTheCallerAtItsChunk) {
  const Plan plan = make_plan(kColumns, 1, 0, {2026, 1, 1}, make_profile("uniform"));
  ChunkPipeline<RecordingSink> pipeline(plan, 0, 100, 10, 3, [](std::uint64_t first, std::uint64_t) {
    return std::make_unique<RecordingSink>(first, 55);
  });
  for (int chunk = 0; chunk < 5; ++chunk) EXPECT_NE(pipeline.next(), nullptr);
  EXPECT_THROW(pipeline.next(), std::runtime_error);
}

TEST(Plan, NamesTheColumnOfABadKind) {
  const std::vector<std::pair<std::string, std::string>> columns = {{"ok", "uuid"},
                                                                    {"bad", "full_nam"}};
  try {
    make_plan(columns, 0, 0, {2026, 1, 1}, make_profile("uniform"));
    FAIL() << "no error";
  } catch (const DefinitionError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("column 'bad': unknown kind \"full_nam\": did you mean \"full_name\"?", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace tarvo
