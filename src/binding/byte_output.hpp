// src/binding/byte_output.hpp: where the module's bytes go: a file it opens, a descriptor, or a Python write().
#pragma once

#include <string>
#include <string_view>

#include "lib_handle.hpp"

namespace tarvo::py {

// The one way bytes leave the module, for Dummy.save and Engine.write alike. A descriptor is
// written with ::write, retried after an interruption once Python's signal handlers have run (so
// a FIFO with no reader still gives way to Ctrl-C); a Python callable (a binary file's write, which
// takes each piece whole) is given bytes objects.
class ByteOutput {
 public:
  // How a failed system call is raised: as open() and write() raise it (OSError(errno,
  // strerror), for the engine's callers), or as Dummy.save always has ("{description} (os error
  // N)", its message text part of its interface).
  enum class Errors { Python, Save };

  // Opens `path` for writing, created or truncated (mode 0666 less the umask); a path holding a
  // NUL is refused.
  static ByteOutput open_path(const std::string& path, Errors errors);
  // Writes to a descriptor the caller owns, or to a Python callable.
  static ByteOutput to_descriptor(int fd, Errors errors);
  static ByteOutput to_callable(PyObject* write, Errors errors);

  ByteOutput(ByteOutput&& other) noexcept;
  ByteOutput& operator=(ByteOutput&&) = delete;
  ~ByteOutput();

  bool writes_natively() const { return fd_ >= 0; }

  // Without the interpreter lock, to a descriptor only: writes what it can of `bytes` (leaving
  // the rest in it) and returns 0, or the errno of the failed write (EINTR included: the caller
  // runs the signal handlers and calls write() with what is left).
  int write_natively(std::string_view& bytes) const noexcept;

  // With the interpreter lock: all of `bytes`, or the error raised (as ErrorAlreadySet). With
  // `release_lock`, a descriptor is written without the lock.
  void write(std::string_view bytes, bool release_lock = false);

  // Raises errno value `err` in this output's style.
  [[noreturn]] void raise_errno(int err) const;

 private:
  ByteOutput(int fd, bool owned, Ref write, Errors errors)
      : fd_(fd), owned_(owned), write_(std::move(write)), errors_(errors) {}

  int fd_ = -1;
  bool owned_ = false;
  Ref write_;
  Errors errors_;
};

// Lines gathered in a bounded buffer and written when it fills: memory stays constant however
// many lines there are, and a million lines do not cost a million system calls. What is
// buffered when the writer is destroyed on an error path is still written: what was produced
// stays written, and the pending error stays the one raised.
class BufferedLines {
 public:
  explicit BufferedLines(ByteOutput& output) : output_(output) { buffer_.reserve(kCapacity); }
  BufferedLines(const BufferedLines&) = delete;
  BufferedLines& operator=(const BufferedLines&) = delete;
  ~BufferedLines();

  std::string& line() { return buffer_; }
  void end_line() {
    buffer_.push_back('\n');
    if (buffer_.size() >= kCapacity) flush();
  }
  void flush() {
    output_.write(buffer_);
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kCapacity = 1 << 16;
  ByteOutput& output_;
  std::string buffer_;
};

}  // namespace tarvo::py
