// tests/cpp/test_census_alias.cpp: the alias table keeps its weights, held and drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "census/alias_table.hpp"
#include "keyed_rng.hpp"

namespace tarvo::census {
namespace {

using test_support::keyed_rng;

std::vector<double> normalised(const std::vector<double>& weights) {
  double total = 0;
  for (const double w : weights) total += w;
  std::vector<double> p;
  for (const double w : weights) p.push_back(w / total);
  return p;
}

class AliasWeights : public testing::TestWithParam<std::vector<double>> {};

TEST_P(AliasWeights, ThresholdsAndDrawsReproduceTheWeights) {
  const std::vector<double>& weights = GetParam();
  const AliasTable table(weights);
  ASSERT_EQ(table.size(), weights.size());
  const std::vector<double> want = normalised(weights);
  const std::vector<double> held = table.probabilities();
  for (std::size_t i = 0; i < weights.size(); ++i) {
    // Each column's split is rounded to 2^-32; an outcome spans at most every column.
    EXPECT_NEAR(held[i], want[i], 1e-9 * static_cast<double>(weights.size())) << i;
  }

  // An OS-keyed generator: keyed_rng() repeats itself every 64 KiB, far too soon for counting.
  constexpr int kDraws = 400000;
  std::vector<int> counts(weights.size(), 0);
  Rng rng;
  for (int i = 0; i < kDraws; ++i) ++counts[table.draw(rng)];
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const double mean = kDraws * want[i];
    // Six standard deviations: a correct table misses this with probability about 1e-9.
    EXPECT_LE(std::abs(counts[i] - mean), 6 * std::sqrt(mean * (1 - want[i])) + 1e-9) << i;
    if (weights[i] == 0) {
      EXPECT_EQ(counts[i], 0) << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, AliasWeights,
    testing::Values(std::vector<double>{1}, std::vector<double>{1, 1, 1, 1},
                    std::vector<double>{0, 5, 0, 1, 0},
                    std::vector<double>{1e-6, 1, 1e6},  // a tiny outcome beside a huge one
                    std::vector<double>{2279, 1123, 0, 75006, 13, 511, 4702, 1, 98000, 3}));

TEST(AliasTable, UnusableWeightsGiveTheEmptyTable) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const std::vector<double>& weights :
       std::vector<std::vector<double>>{{}, {0, 0}, {1, -1}, {1, inf}, {nan, 1}, {1e308, 1e308}}) {
    EXPECT_TRUE(AliasTable(weights).empty());
  }
}

TEST(AliasTable, ADrawTakesOneColumnAndOneThresholdWord) {
  const std::vector<double> weights{3, 1, 4, 1, 5, 9, 2, 6};
  const AliasTable table(weights);
  Rng rng = keyed_rng();
  Rng twin = keyed_rng();
  for (int i = 0; i < 1000; ++i) {
    table.draw(rng);
    twin.uniform_index(weights.size());
    twin.draw_u32();
    ASSERT_EQ(rng.position(), twin.position());
    ASSERT_EQ(rng.block_counter(), twin.block_counter());
  }
}

}  // namespace
}  // namespace tarvo::census
