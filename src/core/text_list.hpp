// src/core/text_list.hpp: a fixed list of texts that cells take entries from.
#pragma once

#include <cstddef>

namespace tarvo {

// Entry i of a list is always the same text, so a sink that converts text (to a Python str, say)
// can convert each entry once and share the result among every cell that draws it. A list is
// known by its address: it must outlive every sink that is handed one of its entries, which the
// process-wide lists do by living for good and a column's own list by living in the plan.
class TextList {
 public:
  explicit TextList(std::size_t size) noexcept : size_(size) {}
  TextList(const TextList&) = delete;
  TextList& operator=(const TextList&) = delete;

  std::size_t size() const noexcept { return size_; }

 private:
  std::size_t size_;
};

}  // namespace tarvo
