// bench/bench_engine.cpp: the row drawer alone, into a sink that only looks at each cell.
//
// Usage: bench_engine [rows]. Prints rows per second and nanoseconds per row for the ten
// benchmark columns, the same columns one at a time (where a row's time goes), the orders table
// of the column language, what a share of nulls costs a column, and the counter-based block
// function alone. bench/compare_drawer.sh runs it beside the build of another commit.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "bench_rows.hpp"
#include "engine/plan.hpp"
#include "engine/row_draw.hpp"
#include "engine/sink.hpp"
#include "random/philox.hpp"

namespace {

using bench::Columns;
using bench::DiscardSink;
using bench::kBenchmarkColumns;

double median_ns_per_row(const Columns& columns, std::uint64_t rows, int runs,
                         const char* profile) {
  const tarvo::Plan plan = tarvo::make_plan(columns, 42, 0, tarvo::CivilDate{2026, 1, 1},
                                            tarvo::make_profile(profile));
  DiscardSink sink;
  tarvo::draw_seeded_rows(plan, 0, 1000, sink);  // parses the documents outside the timing
  std::vector<double> ns;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    tarvo::draw_seeded_rows(plan, 0, rows, sink);
    const std::chrono::duration<double, std::nano> elapsed =
        std::chrono::steady_clock::now() - start;
    ns.push_back(elapsed.count() / static_cast<double>(rows));
  }
  std::sort(ns.begin(), ns.end());
  if (sink.checksum == 42) std::puts("");
  return ns[ns.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
  for (const char* name : {"uniform", "census"}) {
    const char* profile = name;
    const double all = median_ns_per_row(kBenchmarkColumns, rows, 7, profile);
    std::printf("%s profile, 10 benchmark columns: %.0f ns/row, %.2f M rows/s on one core\n", name,
                all, 1e3 / all);
    const double empty = median_ns_per_row({}, rows, 5, profile);
    std::printf("  no columns (row overhead)      %6.1f ns\n", empty);
    for (const auto& column : kBenchmarkColumns) {
      const double one = median_ns_per_row({column}, rows, 5, profile);
      std::printf("  %-14s alone            %6.1f ns\n", column.second.c_str(), one - empty);
    }
  }
  const double orders = median_ns_per_row(bench::kOrderColumns, rows, 7, "uniform");
  std::printf("orders table, 10 columns: %.0f ns/row, %.2f M rows/s on one core\n", orders,
              1e3 / orders);
  for (const char* kind : {"email", "int:1:100", "full_address"}) {
    const std::string text(kind);
    const double plain = median_ns_per_row({{"c", text}, {"id", "uuid"}}, rows, 7, "census");
    const double nulls = median_ns_per_row({{"c", text + ";nulls=0.1"}, {"id", "uuid"}}, rows, 7,
                                           "census");
    std::printf("  %-14s with nulls=0.1: %.1f ns/row against %.1f (%+.1f%%)\n", kind, nulls,
                plain, 100.0 * (nulls / plain - 1.0));
  }
  std::uint64_t acc = 0;
  const auto start = std::chrono::steady_clock::now();
  for (std::uint64_t i = 0; i < rows; ++i) acc += tarvo::philox4x64_10({i, 0, 7, 0}, {1, 2})[0];
  const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("one Philox4x64-10 block          %6.1f ns%s\n",
              elapsed.count() / static_cast<double>(rows), acc == 42 ? " " : "");
  return 0;
}
