// tests/cpp/padded.hpp: test texts with the zero padding the document parser reads past.
#pragma once

#include <string>
#include <string_view>

#include "panic.hpp"
#include "providers/json_reader.hpp"

namespace tarvo::test_support {

// simdjson reads ahead, so every text is given the padding the compiled-in documents carry.
struct Padded {
  explicit Padded(std::string_view text) : storage(text) { storage.append(json::kPadding, '\0'); }
  std::string_view view() const { return {storage.data(), storage.size() - json::kPadding}; }
  std::string storage;
};

// What parse(view) throws for text, as a Panic's message, or "no error".
template <typename Parse>
std::string panic_message(Parse parse, std::string_view text) {
  const Padded padded(text);
  try {
    parse(padded.view());
  } catch (const Panic& panic) {
    return panic.what();
  }
  return "no error";
}

}  // namespace tarvo::test_support
