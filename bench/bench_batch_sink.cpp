// bench/bench_batch_sink.cpp: what building Arrow batches adds to the row drawer, on one thread.
//
// Usage: bench_batch_sink [rows] [batch_rows]. Prints nanoseconds per row for the ten benchmark
// columns drawn into a sink that keeps nothing, and into Arrow batches. Times are this thread's
// CPU time, so that the other work of a shared machine does not count.
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "arrow/batch_sink.hpp"
#include "bench_rows.hpp"
#include "arrow/record_schema.hpp"
#include "engine/plan.hpp"
#include "engine/row_draw.hpp"

namespace {

using bench::DiscardSink;
using bench::kBenchmarkColumns;

double thread_cpu_ns() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

double median_ns_per_row(std::uint64_t rows, const std::function<void()>& run) {
  std::vector<double> ns;
  for (int i = 0; i < 7; ++i) {
    const double start = thread_cpu_ns();
    run();
    ns.push_back((thread_cpu_ns() - start) / static_cast<double>(rows));
  }
  std::sort(ns.begin(), ns.end());
  return ns[ns.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
  const std::uint64_t batch = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 65'536;
  const tarvo::Plan plan = tarvo::make_plan(kBenchmarkColumns, 42, 0, tarvo::CivilDate{2026, 1, 1},
                                            tarvo::make_profile("uniform"));
  const std::vector<tarvo::arrow::ColumnType> types = tarvo::arrow::column_types(plan, batch);
  DiscardSink discard;
  tarvo::draw_seeded_rows(plan, 0, 1000, discard);  // parses the documents outside the timing

  const double bare =
      median_ns_per_row(rows, [&] { tarvo::draw_seeded_rows(plan, 0, rows, discard); });
  // Released at once (a consumer that copies, as polars does) or all kept until the end (one
  // that maps them, as pyarrow.table does, so every batch is written to fresh memory).
  auto into_batches = [&](bool keep) {
    std::vector<ArrowArray> kept;
    for (std::uint64_t first = 0; first < rows; first += batch) {
      const std::uint64_t count = std::min(batch, rows - first);
      tarvo::arrow::BatchSink sink(types, count);
      tarvo::draw_seeded_rows(plan, first, count, sink);
      ArrowArray out;
      sink.export_batch(&out);
      if (keep) {
        kept.push_back(out);
      } else {
        out.release(&out);
      }
    }
    for (ArrowArray& out : kept) out.release(&out);
  };
  const double arrow = median_ns_per_row(rows, [&] { into_batches(false); });
  const double kept = median_ns_per_row(rows, [&] { into_batches(true); });
  std::printf("10 benchmark columns, %llu-row batches, one thread:\n",
              static_cast<unsigned long long>(batch));
  std::printf("  drawn, nothing kept   %6.1f ns/row\n", bare);
  std::printf("  batches released     %6.1f ns/row (+%.1f)\n", arrow, arrow - bare);
  std::printf("  batches kept         %6.1f ns/row (+%.1f)\n", kept, kept - bare);
  return discard.checksum == 42 ? 1 : 0;
}
