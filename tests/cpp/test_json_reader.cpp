// tests/cpp/test_json_reader.cpp: strict document parsing, record walking and the once-only cell.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "panic.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"
#include "padded.hpp"

namespace tarvo {
namespace {

using test_support::Padded;

std::string parse_error(std::string_view text) {
  Padded padded(text);
  simdjson::dom::parser parser;
  try {
    json::parse_document(parser, padded.view());
  } catch (const json::FormatError& error) {
    return error.what();
  }
  return "no error";
}

TEST(ParseDocument, NamesTrailingCharactersApartFromOtherSyntaxErrors) {
  struct Case {
    const char* text;
    const char* description;
  };
  const Case cases[] = {
      {"{\"a\": 1}  \n\t\r", "no error"},
      {"{\"a\": 1} x", "trailing characters after the top-level value"},
      {"{\"a\": 1}{}", "trailing characters after the top-level value"},
      {"{\"a\": \"}\\\"\"} 0", "trailing characters after the top-level value"},
      {"[1] ]", "trailing characters after the top-level value"},
      {"\"text\" \"more\"", "trailing characters after the top-level value"},
      {"{\"a\": 1,}", simdjson::error_message(simdjson::TAPE_ERROR)},
      {"{\"a\" 1} x", simdjson::error_message(simdjson::TAPE_ERROR)},
      {"{\"a\": tru}", simdjson::error_message(simdjson::T_ATOM_ERROR)},
      {"{\"a\": \"open}", simdjson::error_message(simdjson::UNCLOSED_STRING)},
      {"   ", simdjson::error_message(simdjson::EMPTY)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parse_error(c.text), c.description);
  }
}

constexpr std::array<std::string_view, 2> kFields = {"first", "second"};

// Runs read_record over text and returns the seen (index, string) pairs, or the error text.
std::string walk(std::string_view text, bool allow_array_form) {
  Padded padded(text);
  simdjson::dom::parser parser;
  std::string seen;
  try {
    json::read_record(json::parse_document(parser, padded.view()), kFields, allow_array_form,
                      [&](std::size_t index, simdjson::dom::element value) {
                        seen += std::to_string(index) + "=";
                        seen += json::expect_string(value);
                        seen += ";";
                      });
  } catch (const json::FormatError& error) {
    return error.what();
  }
  return seen;
}

TEST(ReadRecord, ObjectFormTakesKeysInAnyOrderAndSkipsEveryKindOfUnknownValue) {
  EXPECT_EQ(walk(R"({"second": "b", "first": "a"})", false), "1=b;0=a;");
  EXPECT_EQ(walk(R"({"n": null, "t": true, "f": false, "i": -3, "d": 1.5e3,
                    "u": 18446744073709551615,
                    "s": "x", "first": "a", "a": [1, [2], {"first": 3}], "o": {"second": {}},
                    "e": [], "eo": {}, "n": null, "second": "b"})",
                 false),
            "0=a;1=b;");
}

TEST(ReadRecord, ReportsMissingRepeatedAndMistypedFields) {
  struct Case {
    const char* text;
    bool allow_array_form;
    const char* description;
  };
  const Case cases[] = {
      {R"({"first": "a"})", false, "missing field `second`"},
      {R"({})", true, "missing field `first`"},
      {R"({"first": "a", "second": "b", "first": "c"})", false, "duplicate field `first`"},
      {R"({"first": "a", "second": 2})", false, "invalid type: expected a string for `second`"},
      {R"(["a", "b"])", false, "invalid type: expected an object"},
      {R"("a")", true, "invalid type: expected an object or an array"},
      {R"(["a"])", true, "invalid length 1, expected an array of 2 field values"},
      {R"(["a", "b", "c"])", true, "invalid length 3, expected an array of 2 field values"},
      {R"(["a", null])", true, "invalid type: expected a string for `second`"},
      {R"(["a", "b"])", true, "0=a;1=b;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(walk(c.text, c.allow_array_form), c.description);
  }
}

TEST(ReadRecord, NestedFailuresNameEveryEnclosingField) {
  Padded padded(R"({"first": "a", "second": {"first": ["x"], "second": ["y", 1]}})");
  simdjson::dom::parser parser;
  auto read_inner = [](std::size_t, simdjson::dom::element value) {
    json::read_record(value, kFields, false, [](std::size_t, simdjson::dom::element inner) {
      json::read_string_list(inner);
    });
  };
  try {
    json::read_record(json::parse_document(parser, padded.view()), kFields, false,
                      [&](std::size_t index, simdjson::dom::element value) {
                        if (index == 1) {
                          read_inner(index, value);
                        }
                      });
    FAIL() << "no error";
  } catch (const json::FormatError& error) {
    EXPECT_STREQ(error.what(),
                 "invalid type: expected an array of strings for `second` for `second`");
  }
}

TEST(ReadStringList, AcceptsOnlyArraysOfStrings) {
  auto read = [](std::string_view text) {
    Padded padded(text);
    simdjson::dom::parser parser;
    return json::read_string_list(json::parse_document(parser, padded.view()));
  };
  EXPECT_EQ(read(R"(["b", "a", "b", "", "Jehovah's \"W\""])"),
            (std::vector<std::string>{"b", "a", "b", "", "Jehovah's \"W\""}));
  EXPECT_TRUE(read("[]").empty());
  for (const char* bad : {R"(["a", 1])", R"(["a", null])", R"(["a", ["b"]])", R"("a")", "{}"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(read(bad), json::FormatError);
  }
}

TEST(Once, BuildsOnceAndReturnsTheSameValue) {
  static constinit Once<std::vector<int>> cell;
  int builds = 0;
  auto build = [&] {
    ++builds;
    return std::vector<int>{1, 2, 3};
  };
  EXPECT_FALSE(cell.ready());
  const std::vector<int>& first = cell.get(build);
  const std::vector<int>& second = cell.get(build);
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(&first, &second);
  EXPECT_TRUE(cell.ready());
  EXPECT_EQ(second, (std::vector<int>{1, 2, 3}));
}

TEST(Once, PanicIsFinalButOtherExceptionsAllowARetry) {
  static constinit Once<int> failing;
  EXPECT_THROW(failing.get([]() -> int { throw Panic("Invalid x.json format: broken"); }), Panic);
  int builds = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      failing.get([&] { return ++builds; });
      FAIL() << "a failed cell built again";
    } catch (const Panic& panic) {
      EXPECT_STREQ(panic.what(), "Invalid x.json format: broken");
    }
  }
  EXPECT_EQ(builds, 0);
  EXPECT_FALSE(failing.ready());

  static constinit Once<int> retried;
  EXPECT_THROW(retried.get([]() -> int { throw std::bad_alloc(); }), std::bad_alloc);
  EXPECT_EQ(retried.get([] { return 7; }), 7);
}

TEST(Once, ConcurrentCallersWaitForTheOneBuild) {
  static constinit Once<int> cell;
  std::atomic<int> builds{0};
  std::vector<const int*> seen(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&, i] {
      seen[i] = &cell.get([&] {
        builds.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return 42;
      });
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(builds.load(), 1);
  for (const int* value : seen) {
    EXPECT_EQ(value, seen[0]);
    EXPECT_EQ(*value, 42);
  }
}

}  // namespace
}  // namespace tarvo
