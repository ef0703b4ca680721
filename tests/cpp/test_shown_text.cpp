// tests/cpp/test_shown_text.cpp: user text in messages: escaped, and shortened whole characters at a time.
#include <gtest/gtest.h>

#include <string>

#include "shown_text.hpp"

namespace tarvo {
namespace {

TEST(ShownText, EscapesControlCharactersAndKeepsTheRest) {
  using namespace std::string_literals;
  EXPECT_EQ(shown_text("a\0b\n\t\r\x1f\x7f ñ'\""s), "a\\x00b\\n\\t\\r\\x1f\\x7f ñ'\"");
}

TEST(ShownText, ShortensLongTextAtACharacterBoundary) {
  std::string text;
  for (int i = 0; i < 1'000'000; ++i) text += "é";  // two bytes each
  const std::string shown = shown_text(text);
  std::string first;
  for (std::size_t i = 0; i < kShownCharacters; ++i) first += "é";
  EXPECT_EQ(shown, first + "\u2026 (1,000,000 characters)");
  EXPECT_EQ(shown_text(first), first);  // at the limit: whole
}

}  // namespace
}  // namespace tarvo
