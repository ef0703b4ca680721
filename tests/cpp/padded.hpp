// tests/cpp/padded.hpp: a test text followed by the zero padding the document parser reads past its end.
#pragma once

#include <string>
#include <string_view>

#include "providers/json_reader.hpp"

namespace tarvo::test_support {

// simdjson reads ahead, so every text is given the padding the compiled-in documents carry.
struct Padded {
  explicit Padded(std::string_view text) : storage(text) { storage.append(json::kPadding, '\0'); }
  std::string_view view() const { return {storage.data(), storage.size() - json::kPadding}; }
  std::string storage;
};

}  // namespace tarvo::test_support
