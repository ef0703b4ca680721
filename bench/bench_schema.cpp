// bench/bench_schema.cpp: what relations cost: a child table with a reference against one without,
// and building a one-to-many index.
//
// Usage: bench_schema [rows] [parents]. Prints rows per second of an orders table with and
// without a ref column to its customers (uniform, skewed and one-to-many), the seconds and bytes
// of an index over `parents` parents (default 100,000,000), and the members of households.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench_rows.hpp"
#include "census/population.hpp"
#include "engine/child_index.hpp"
#include "engine/plan.hpp"
#include "engine/row_draw.hpp"

namespace {

using bench::Columns;
using bench::DiscardSink;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::shared_ptr<const tarvo::Plan> table(const Columns& columns, const tarvo::TableContext& context) {
  return std::make_shared<const tarvo::Plan>(tarvo::make_plan(
      columns, 42, 0, tarvo::CivilDate{2026, 1, 1}, tarvo::make_profile("census"), {}, &context));
}

double rows_per_second(const tarvo::Plan& plan, std::uint64_t rows) {
  DiscardSink sink;
  tarvo::draw_seeded_rows(plan, 0, 1000, sink);
  double best = 0;
  for (int run = 0; run < 5; ++run) {
    const auto start = Clock::now();
    tarvo::draw_seeded_rows(plan, 0, rows, sink);
    best = std::max(best, static_cast<double>(rows) / seconds_since(start));
  }
  if (sink.checksum == 42) std::puts("");
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
  const std::uint64_t parents = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100'000'000;

  tarvo::TableContext customers_context{"customers", {}, 1'000'000, std::nullopt};
  auto customers = table({{"id", "row:1"}, {"name", "full_name"}}, customers_context);
  tarvo::TableContext orders_context{"orders", {{"customers", {customers, 1'000'000}}}, rows,
                                     std::nullopt};
  // The orders table of bench_engine (ten columns), and a small one of four.
  const Columns small = {{"id", "row:1"}, {"total", "money:100:5000"}, {"placed", "datetime:-1y:0d"},
                         {"status", "choice:Paid=8,Pending=2"}};
  for (const Columns* shape : {&bench::kOrderColumns, &small}) {
  const Columns& orders = *shape;
  const double plain = rows_per_second(*table(orders, orders_context), rows);
  std::printf("orders, %zu columns:                     %.2f M rows/s\n", orders.size(), plain / 1e6);
  for (const char* ref : {"ref:customers.id", "ref:customers.id:skew=1.2"}) {
    Columns with = orders;
    with.emplace_back("customer_id", ref);
    const double speed = rows_per_second(*table(with, orders_context), rows);
    std::printf("  and %-27s %.2f M rows/s (%.0f%%)\n", ref, speed / 1e6, 100 * speed / plain);
  }
  }
  tarvo::TableContext lines_context{"lines", {{"orders", {table(small, orders_context), rows}}},
                                    std::nullopt, tarvo::TableContext::Children{"orders", tarvo::census::AliasTable(std::vector<std::uint64_t>{1, 1, 1, 1}), 1, false}};
  Columns lines = {{"qty", "int:1:5"}, {"price", "money:20:2000"}, {"line", "position"}};
  const double lines_plain = rows_per_second(*table(lines, lines_context), rows);
  lines.emplace_back("order_id", "ref:orders.id");
  const double lines_ref = rows_per_second(*table(lines, lines_context), rows);
  std::printf("order lines (1 to 4 per order), 3 columns: %.2f M rows/s, with ref:orders.id %.2f "
              "(%.0f%%)\n", lines_plain / 1e6, lines_ref / 1e6, 100 * lines_ref / lines_plain);

  const auto start = Clock::now();
  const tarvo::ChildIndex index({1, 2}, 5, parents, tarvo::census::census_population().household_size, 1);
  const double build = seconds_since(start);
  std::printf("index over %llu households: built in %.2f s on one core (%.1f ns a parent), "
              "%zu bytes (%.1f KB per million parents), %llu members\n",
              static_cast<unsigned long long>(parents), build,
              build * 1e9 / static_cast<double>(parents), index.memory_bytes(),
              static_cast<double>(index.memory_bytes()) / (static_cast<double>(parents) / 1e6) / 1024,
              static_cast<unsigned long long>(index.children()));
  return 0;
}
