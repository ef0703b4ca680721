// tests/cpp/test_embedded.cpp: the compiled-in documents are complete and padded for in-place parsing.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "providers/embedded.hpp"

namespace {

using Accessor = std::string_view (*)();

class EmbeddedDocument : public ::testing::TestWithParam<Accessor> {};

TEST_P(EmbeddedDocument, IsJsonTextFollowedByZeroPadding) {
  const std::string_view text = GetParam()();
  ASSERT_GT(text.size(), 1u);
  const char first = text.front();
  EXPECT_TRUE(first == '{' || first == '[') << "starts with " << first;
  for (std::size_t i = 0; i < tarvo::embedded::kPadding; ++i) {
    ASSERT_EQ(text.data()[text.size() + i], '\0') << "padding byte " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    AllDocuments, EmbeddedDocument,
    ::testing::Values(&tarvo::embedded::last_names_json, &tarvo::embedded::first_names_json,
                      &tarvo::embedded::preference_json, &tarvo::embedded::contact_json,
                      &tarvo::embedded::government_json, &tarvo::embedded::utility_json,
                      &tarvo::embedded::luzon_json, &tarvo::embedded::visayas_json,
                      &tarvo::embedded::mindanao_json, &tarvo::embedded::census_names_json,
                      &tarvo::embedded::census_people_json));

}  // namespace
