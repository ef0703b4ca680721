// src/core/arrow/record_stream.cpp: the C stream callbacks over a chunk pipeline of batch sinks.
#include "arrow/record_stream.hpp"

#include <cerrno>
#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "arrow/batch_sink.hpp"
#include "arrow/record_schema.hpp"
#include "engine/chunk_pipeline.hpp"

namespace tarvo::arrow {
namespace {

class RecordStream {
 public:
  RecordStream(std::shared_ptr<const Plan> plan, const StreamRange& range)
      : plan_(std::move(plan)), range_(range), types_(column_types(*plan_, range.batch_rows)) {}

  int schema(ArrowSchema* out) {
    return reported([&] { export_schema(record_schema(*plan_, types_), out); });
  }

  int next(ArrowArray* out) {
    if (error_ != 0) return error_;
    if (range_.stop_requested && range_.stop_requested()) {
      message_ = "interrupted";
      return error_ = EINTR;
    }
    error_ = reported([&] {
      if (!pipeline_) {
        pipeline_ = std::make_unique<ChunkPipeline<BatchSink>>(
            *plan_, range_.start, range_.count, range_.batch_rows, range_.threads,
            [this](std::uint64_t, std::uint64_t rows) {
              return std::make_unique<BatchSink>(types_, rows);
            });
      }
      if (std::unique_ptr<BatchSink> batch = pipeline_->next()) {
        batch->export_batch(out);
      } else {
        out->release = nullptr;  // the end of the stream
      }
    });
    return error_;
  }

  const char* last_error() const { return message_.empty() ? nullptr : message_.c_str(); }

 private:
  template <typename Body>
  int reported(Body&& body) noexcept {
    try {
      body();
      return 0;
    } catch (const std::bad_alloc&) {
      message_ = "out of memory while drawing rows";
      return ENOMEM;
    } catch (const std::exception& e) {
      message_ = e.what();
      return EIO;
    } catch (...) {
      message_ = "unknown error while drawing rows";
      return EIO;
    }
  }

  // Declared before the pipeline, which draws from the plan and is stopped first.
  const std::shared_ptr<const Plan> plan_;
  const StreamRange range_;
  const std::vector<ColumnType> types_;
  std::unique_ptr<ChunkPipeline<BatchSink>> pipeline_;
  int error_ = 0;
  std::string message_;
};

RecordStream& state(ArrowArrayStream* stream) {
  return *static_cast<RecordStream*>(stream->private_data);
}

int get_schema(ArrowArrayStream* stream, ArrowSchema* out) { return state(stream).schema(out); }

int get_next(ArrowArrayStream* stream, ArrowArray* out) { return state(stream).next(out); }

const char* get_last_error(ArrowArrayStream* stream) { return state(stream).last_error(); }

void release(ArrowArrayStream* stream) {
  delete &state(stream);  // joins the workers after the batches they are drawing
  stream->release = nullptr;
}

}  // namespace

void export_record_stream(std::shared_ptr<const Plan> plan, const StreamRange& range,
                          ArrowArrayStream* out) {
  auto stream = std::make_unique<RecordStream>(std::move(plan), range);
  *out = ArrowArrayStream{get_schema, get_next, get_last_error, release, stream.release()};
}

void export_record_schema(const Plan& plan, std::uint64_t batch_rows, ArrowSchema* out) {
  export_schema(record_schema(plan, column_types(plan, batch_rows)), out);
}

}  // namespace tarvo::arrow
