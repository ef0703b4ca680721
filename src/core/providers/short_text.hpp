// src/core/providers/short_text.hpp: fixed-capacity text for generated values, built without allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarvo {

// A generated number or identifier is at most a few dozen characters, so it is written into a
// buffer inside the value instead of a heap string; the Python glue copies view() into a str.
// Appends past the capacity are cut off rather than written out of bounds: with the compiled-in
// data they never happen (the tests pin every format's length), but a bad prefix must not be
// able to corrupt memory.
template <std::size_t Capacity>
class ShortText {
 public:
  static_assert(Capacity < 256, "the length is kept in one byte");
  static constexpr std::size_t capacity = Capacity;

  std::string_view view() const noexcept { return {data_, size_}; }
  std::size_t size() const noexcept { return size_; }

  ShortText& append(std::string_view text) noexcept {
    for (char c : text) {
      push(c);
    }
    return *this;
  }

  ShortText& push(char c) noexcept {
    if (size_ < Capacity) {
      data_[size_++] = c;
    }
    return *this;
  }

  // Makes room for count more characters and returns where they go; the caller fills all of
  // them. Asking past the capacity is a programming error, so it returns nullptr and adds none.
  char* extend(std::size_t count) noexcept {
    if (size_ + count > Capacity) {
      return nullptr;
    }
    char* at = data_ + size_;
    size_ = static_cast<std::uint8_t>(size_ + count);
    return at;
  }

  // value in decimal, zero-padded to exactly width digits; value must be below 10^width.
  ShortText& digits(std::uint32_t value, std::size_t width) noexcept {
    if (size_ + width > Capacity) {
      width = Capacity - size_;
    }
    for (std::size_t i = width; i-- > 0;) {
      data_[size_ + i] = static_cast<char>('0' + value % 10);
      value /= 10;
    }
    size_ = static_cast<std::uint8_t>(size_ + width);
    return *this;
  }

 private:
  char data_[Capacity];
  std::uint8_t size_ = 0;
};

}  // namespace tarvo
