// src/core/engine/chunk_pipeline.hpp: rows drawn in chunks by a pool of threads, handed over in row order.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/plan.hpp"
#include "engine/row_draw.hpp"

namespace tarvo {

// Workers claim chunks in order and draw each into a fresh ChunkSink; the caller takes them back
// in row order with next(). At most `window` chunks are drawn ahead of the one the caller is
// waiting for, so memory stays flat for any row count. Rows do not depend on which worker drew
// them, so the output is the same for any number of threads.
template <typename ChunkSink>
class ChunkPipeline {
 public:
  using MakeSink = std::function<std::unique_ptr<ChunkSink>(std::uint64_t first_row,
                                                            std::uint64_t rows)>;

  ChunkPipeline(const Plan& plan, std::uint64_t start, std::uint64_t count,
                std::uint64_t chunk_rows, unsigned threads, MakeSink make_sink)
      : plan_(plan),
        start_(start),
        count_(count),
        chunk_rows_(std::max<std::uint64_t>(chunk_rows, 1)),
        // Neither may wrap: a chunk size near 2**64 is one chunk, and 2**31 threads look
        // 2**32 chunks ahead, not none.
        chunks_(count / chunk_rows_ + (count % chunk_rows_ != 0)),
        window_(2 * std::uint64_t{std::max(threads, 1u)}),
        make_sink_(std::move(make_sink)) {
    const std::uint64_t workers = std::min<std::uint64_t>(std::max(threads, 1u), chunks_);
    try {
      for (std::uint64_t i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
    } catch (...) {
      stop();  // a thread that could not start leaves the others running; joinable at exit aborts
      throw;
    }
  }

  ChunkPipeline(const ChunkPipeline&) = delete;
  ChunkPipeline& operator=(const ChunkPipeline&) = delete;

  // Stops the workers after the chunks they are drawing; what is not taken is dropped.
  ~ChunkPipeline() { stop(); }

  std::uint64_t chunk_count() const { return chunks_; }

  // The next chunk in row order, or nullptr after the last. A worker's exception is rethrown
  // here, at the chunk that failed.
  std::unique_ptr<ChunkSink> next() {
    std::unique_lock lock(mutex_);
    if (taken_ == chunks_) return nullptr;
    changed_.wait(lock, [&] { return done_.count(taken_) != 0; });
    auto node = done_.extract(taken_);
    ++taken_;
    lock.unlock();
    changed_.notify_all();
    Result& result = node.mapped();
    if (result.error) std::rethrow_exception(result.error);
    return std::move(result.sink);
  }

 private:
  struct Result {
    std::unique_ptr<ChunkSink> sink;
    std::exception_ptr error;
  };

  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }

  void work() {
    for (;;) {
      std::uint64_t chunk;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
          return stopping_ || claimed_ == chunks_ || claimed_ < taken_ + window_;
        });
        if (stopping_ || claimed_ == chunks_) return;
        chunk = claimed_++;
      }
      Result result;
      try {
        const std::uint64_t first = start_ + chunk * chunk_rows_;
        const std::uint64_t rows = std::min(chunk_rows_, count_ - chunk * chunk_rows_);
        result.sink = make_sink_(first, rows);
        draw_seeded_rows(plan_, first, rows, *result.sink);
      } catch (...) {
        result.error = std::current_exception();
      }
      {
        std::lock_guard lock(mutex_);
        done_.emplace(chunk, std::move(result));
      }
      changed_.notify_all();
    }
  }

  const Plan& plan_;
  const std::uint64_t start_, count_, chunk_rows_, chunks_, window_;
  MakeSink make_sink_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, Result> done_;
  std::uint64_t claimed_ = 0, taken_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace tarvo
