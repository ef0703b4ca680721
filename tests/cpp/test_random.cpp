// tests/cpp/test_random.cpp: known ChaCha12 output, exact word consumption and failures of Rng.
#include "random.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "panic.hpp"

namespace tarvo {
namespace {

Key counting_key() {
  Key key;
  for (std::size_t i = 0; i < key.size(); ++i) {
    key[i] = static_cast<std::uint8_t>(i);
  }
  return key;
}

std::string hex_bytes(const std::vector<std::uint32_t>& words) {
  std::string text;
  char digits[3];
  for (std::uint32_t word : words) {
    for (int shift = 0; shift < 32; shift += 8) {
      std::snprintf(digits, sizeof digits, "%02x", (word >> shift) & 0xFFu);
      text += digits;
    }
  }
  return text;
}

// Key sources are plain function pointers, so the fakes keep their state in globals.
std::atomic<int> key_requests{0};

bool counting_source(Key& key) noexcept {
  ++key_requests;
  key.fill(0xA5);
  return true;
}

bool failing_source(Key&) noexcept { return false; }

std::string panic_message(auto&& call) {
  try {
    call();
  } catch (const Panic& panic) {
    return panic.what();
  }
  return "<no panic>";
}

constexpr const char* kEmptyRange = "cannot sample empty range";
constexpr const char* kNonFinite = "called `Result::unwrap()` on an `Err` value: NonFinite";

TEST(ChaChaBlock, AllZeroKeyMatchesPublishedChaCha12) {
  Rng rng(Key{});
  std::vector<std::uint32_t> block;
  for (int i = 0; i < 16; ++i) {
    block.push_back(rng.draw_u32());
  }
  EXPECT_EQ(hex_bytes(block),
            "9bf49a6a0755f953811fce125f2683d50429c3bb49e074147e0089a52eae155f"
            "0564f879d27ae3c02ce82834acfa8c793a629f2ca0de6919610be82f411326be");
}

TEST(ChaChaBlock, FirstRefillOfCountingKey) {
  Rng rng(counting_key());
  std::vector<std::uint32_t> words;
  for (int i = 0; i < 64; ++i) {
    words.push_back(rng.draw_u32());
  }
  EXPECT_EQ(words[0], 0xfff931f2u);
  EXPECT_EQ(words[1], 0x5ec67ad1u);
  EXPECT_EQ(words[2], 0x25f30544u);
  EXPECT_EQ(words[3], 0xaa40e9d7u);
  EXPECT_EQ(words[60], 0xfa365c13u);
  EXPECT_EQ(words[61], 0x45f59457u);
  EXPECT_EQ(words[62], 0x5a253879u);
  EXPECT_EQ(words[63], 0x4b626621u);
  EXPECT_EQ(rng.block_counter(), 4u);
}

// The four-lane path must give the scalar words, including a counter whose low word wraps
// inside one refill.
TEST(ChaChaBlock, FourBlockPathEqualsScalarBlocks) {
  std::array<std::uint32_t, 8> key{};
  for (std::uint64_t counter : {std::uint64_t{0}, std::uint64_t{1020}, std::uint64_t{0xFFFFFFFE},
                                std::uint64_t{0x123456789ABCDEF0}}) {
    for (std::size_t i = 0; i < key.size(); ++i) {
      key[i] = static_cast<std::uint32_t>(counter * 0x9E3779B97F4A7C15u >> (4 * i)) + i;
    }
    std::uint32_t lanes[64];
    std::uint32_t scalar[64];
    detail::chacha12_blocks4(key, counter, lanes);
    for (int block = 0; block < 4; ++block) {
      detail::chacha12_block_scalar(key, counter + block, scalar + 16 * block);
    }
    for (int i = 0; i < 64; ++i) {
      ASSERT_EQ(lanes[i], scalar[i]) << "counter " << counter << " word " << i;
    }
  }
}

TEST(Draws, KnownSequencesOfCountingKey) {
  {
    Rng rng(counting_key());
    std::vector<std::uint32_t> dice;
    for (int i = 0; i < 12; ++i) {
      dice.push_back(rng.uniform_u32(1, 6));
    }
    EXPECT_EQ(dice, (std::vector<std::uint32_t>{6, 3, 1, 4, 1, 5, 5, 2, 1, 4, 2, 4}));
    EXPECT_EQ(rng.position(), 12u);
  }
  {
    Rng rng(counting_key());
    std::vector<bool> coins;
    for (int i = 0; i < 8; ++i) {
      coins.push_back(rng.coin());
    }
    EXPECT_EQ(coins, (std::vector<bool>{true, false, false, true, false, false, true, true}));
    EXPECT_EQ(rng.position(), 16u);
  }
  {
    Rng rng(counting_key());
    EXPECT_EQ(rng.uniform_real(0.0, 1.0), 0.37021606089544856);
    EXPECT_EQ(rng.uniform_real(0.0, 1.0), 0.6650530004753357);
    EXPECT_EQ(rng.uniform_real(0.0, 1.0), 0.7354544853145628);
    EXPECT_EQ(rng.position(), 6u);
  }
  {
    Rng rng(counting_key());
    std::vector<std::uint32_t> numbers;
    for (int i = 0; i < 5; ++i) {
      numbers.push_back(rng.uniform_u32(100000, 999999));
    }
    EXPECT_EQ(numbers, (std::vector<std::uint32_t>{999906, 433194, 233415, 698547, 210303}));
  }
  {
    // Span 2^32 - 1: almost every draw needs the second word.
    Rng rng(counting_key());
    EXPECT_EQ(rng.uniform_u32(0, 0xFFFFFFFEu), 4294521329u);
    EXPECT_EQ(rng.uniform_u32(0, 0xFFFFFFFEu), 636683588u);
    EXPECT_EQ(rng.uniform_u32(0, 0xFFFFFFFEu), 526390089u);
    EXPECT_EQ(rng.position(), 6u);
  }
}

TEST(Draws, U64WithOneWordLeftSpansTheRefill) {
  Rng rng(counting_key());
  for (int i = 0; i < 63; ++i) {
    rng.draw_u32();
  }
  EXPECT_EQ(rng.draw_u64(), 0x56e96aa54b626621u);
  EXPECT_EQ(rng.position(), 1u);
  EXPECT_EQ(rng.block_counter(), 8u);
}

TEST(Draws, U64AndU128HalvesInOrder) {
  Rng words(counting_key());
  Rng wide(counting_key());
  for (int i = 0; i < 20; ++i) {
    std::uint64_t expected[2];
    for (auto& half : expected) {
      const std::uint64_t low = words.draw_u32();
      half = low | std::uint64_t{words.draw_u32()} << 32;
    }
    const U128 value = wide.draw_u128();
    ASSERT_EQ(value.low, expected[0]);
    ASSERT_EQ(value.high, expected[1]);
  }
  EXPECT_EQ(words.position(), wide.position());
}

TEST(Draws, FullRangesReturnOneRawWord) {
  Rng raw(counting_key());
  Rng sampled(counting_key());
  for (int i = 0; i < 100; ++i) {
    const std::uint32_t word = raw.draw_u32();
    if (i % 2 == 0) {
      ASSERT_EQ(sampled.uniform_i32(std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max()),
                static_cast<std::int32_t>(word));
    } else {
      ASSERT_EQ(sampled.uniform_u32(0, 0xFFFFFFFFu), word);
    }
  }
  EXPECT_EQ(sampled.position(), raw.position());
}

struct SingleValueCase {
  const char* name;
  std::int64_t (*draw)(Rng&);
  std::int64_t expected;
};

class SingleValueRange : public ::testing::TestWithParam<SingleValueCase> {};

TEST_P(SingleValueRange, ReturnsTheBoundAndConsumesOneWord) {
  Rng rng(counting_key());
  for (std::size_t i = 1; i <= 100; ++i) {
    ASSERT_EQ(GetParam().draw(rng), GetParam().expected);
    ASSERT_EQ(rng.position(), i % 64 == 0 ? 64 : i % 64);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, SingleValueRange,
    ::testing::Values(
        SingleValueCase{"u32", [](Rng& r) -> std::int64_t { return r.uniform_u32(5, 5); }, 5},
        SingleValueCase{"u32_max",
                        [](Rng& r) -> std::int64_t {
                          return r.uniform_u32(0xFFFFFFFFu, 0xFFFFFFFFu);
                        },
                        0xFFFFFFFF},
        SingleValueCase{"i32", [](Rng& r) -> std::int64_t { return r.uniform_i32(-3, -3); }, -3},
        SingleValueCase{"index_one",
                        [](Rng& r) -> std::int64_t {
                          return static_cast<std::int64_t>(r.uniform_index(1));
                        },
                        0}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  void (*call)(Rng&);
  const char* message;
};

class FailingRange : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailingRange, FailsWithoutDrawing) {
  Rng rng(counting_key());
  rng.draw_u32();
  EXPECT_EQ(panic_message([&] { GetParam().call(rng); }), GetParam().message);
  EXPECT_EQ(rng.position(), 1u);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Ranges, FailingRange,
    ::testing::Values(
        FailureCase{"u32_reversed", [](Rng& r) { r.uniform_u32(10, 9); }, kEmptyRange},
        FailureCase{"i32_reversed", [](Rng& r) { r.uniform_i32(10, 9); }, kEmptyRange},
        FailureCase{"i32_signed_compare", [](Rng& r) { r.uniform_i32(0, -1); }, kEmptyRange},
        FailureCase{"real_equal", [](Rng& r) { r.uniform_real(1.0, 1.0); }, kEmptyRange},
        FailureCase{"real_reversed", [](Rng& r) { r.uniform_real(2.0, 1.0); }, kEmptyRange},
        FailureCase{"real_nan_low", [](Rng& r) { r.uniform_real(kNaN, 1.0); }, kEmptyRange},
        FailureCase{"real_nan_high", [](Rng& r) { r.uniform_real(0.0, kNaN); }, kEmptyRange},
        FailureCase{"real_infinite_high", [](Rng& r) { r.uniform_real(0.0, kInf); }, kNonFinite},
        FailureCase{"real_infinite_low", [](Rng& r) { r.uniform_real(-kInf, 0.0); }, kNonFinite},
        FailureCase{"real_overflowing_scale", [](Rng& r) { r.uniform_real(-1e308, 1e308); },
                    kNonFinite}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UniformReal, UnitRangeIsOnTheTwoToMinus52Grid) {
  Rng rng(counting_key());
  for (int i = 0; i < 10000; ++i) {
    const double value = rng.uniform_real(0.0, 1.0);
    ASSERT_GE(value, 0.0);
    ASSERT_LT(value, 1.0);
    const double steps = std::ldexp(value, 52);
    ASSERT_EQ(steps, std::floor(steps));
  }
}

TEST(UniformIndex, EmptyListDrawsNothing) {
  Rng rng(counting_key());
  EXPECT_EQ(rng.uniform_index(0), 0u);
  EXPECT_EQ(rng.position(), 64u);
  EXPECT_EQ(rng.block_counter(), 0u);
}

TEST(UniformIndex, NarrowPathEqualsInclusiveU32) {
  for (std::size_t n : {std::size_t{2}, std::size_t{17}, std::size_t{1000003},
                        std::size_t{0xFFFFFFFF}}) {
    Rng index(counting_key());
    Rng inclusive(counting_key());
    for (int i = 0; i < 200; ++i) {
      ASSERT_EQ(index.uniform_index(n),
                inclusive.uniform_u32(0, static_cast<std::uint32_t>(n - 1)));
    }
    EXPECT_EQ(index.position(), inclusive.position());
  }
}

TEST(UniformIndex, WidePathDrawsSixtyFourBitWords) {
  if constexpr (sizeof(std::size_t) < 8) {
    GTEST_SKIP() << "no 64-bit index on this platform";
  } else {
    // Just above the narrow limit the second draw is (almost) never needed: 2 words each.
    Rng rng(counting_key());
    Rng words(counting_key());
    const std::size_t n = std::size_t{1} << 32;
    for (int i = 0; i < 31; ++i) {
      // With n = 2^32 the index is simply the high word of the 64-bit draw.
      ASSERT_EQ(rng.uniform_index(n), words.draw_u64() >> 32);
      ASSERT_EQ(rng.position(), words.position());
    }
    // At the top of the range the fraction test nearly always holds: 4 words each.
    Rng top(counting_key());
    const std::size_t largest = std::numeric_limits<std::size_t>::max();
    for (int i = 1; i <= 15; ++i) {
      const std::size_t value = top.uniform_index(largest);
      ASSERT_LT(value, largest);
      ASSERT_EQ(top.position(), 4u * i);
    }
  }
}

TEST(Rekey, HappensAtThe257thRefillAndNotBefore) {
  key_requests = 0;
  Rng rng(counting_key(), counting_source);
  for (int i = 0; i < 256 * 64; ++i) {
    rng.draw_u32();
  }
  EXPECT_EQ(key_requests, 0);
  EXPECT_EQ(rng.block_counter(), 1024u);
  EXPECT_EQ(rng.position(), 64u);

  const std::uint32_t first_after = rng.draw_u32();
  EXPECT_EQ(key_requests, 1);
  EXPECT_EQ(rng.block_counter(), 4u);

  // The new key starts from counter 0 again, so its output is a fresh generator's.
  Key fresh_key;
  counting_source(fresh_key);
  Rng fresh(fresh_key);
  EXPECT_EQ(first_after, fresh.draw_u32());
}

TEST(Rekey, NewGeneratorKeysOnceAndRefillsWithoutRekeying) {
  key_requests = 0;
  Rng rng(counting_source);
  EXPECT_EQ(key_requests, 1);
  EXPECT_EQ(rng.position(), 64u);
  rng.draw_u32();
  EXPECT_EQ(key_requests, 1);
  EXPECT_EQ(rng.position(), 1u);
  EXPECT_EQ(rng.block_counter(), 4u);
}

TEST(Rekey, FailingSourceMessages) {
  EXPECT_EQ(panic_message([] { Rng rng(failing_source); }),
            "could not initialize ThreadRng: unexpected situation");

  Rng rng(counting_key(), failing_source);
  for (int i = 0; i < 256 * 64 - 1; ++i) {
    rng.draw_u32();
  }
  // The low half is consumed before the refill fails; later draws keep failing rather than
  // reusing keystream under the old key.
  EXPECT_EQ(panic_message([&] { rng.draw_u64(); }),
            "could not reseed ThreadRng: unexpected situation");
  EXPECT_EQ(rng.position(), 64u);
  EXPECT_EQ(panic_message([&] { rng.draw_u32(); }),
            "could not reseed ThreadRng: unexpected situation");
  EXPECT_EQ(rng.block_counter(), 1024u);
}

TEST(ThreadRng, OnePerThreadWithItsOwnKey) {
  Rng& mine = thread_rng();
  EXPECT_EQ(&mine, &thread_rng());

  auto first_words = [] {
    std::array<std::uint32_t, 8> words;
    for (auto& word : words) {
      word = thread_rng().draw_u32();
    }
    return words;
  };
  std::array<std::uint32_t, 8> other_words{};
  const Rng* other_address = nullptr;
  std::size_t other_position = 0;
  std::thread worker([&] {
    other_words = first_words();
    other_address = &thread_rng();
    other_position = thread_rng().position();
  });
  worker.join();
  const auto my_words = first_words();
  EXPECT_NE(other_address, &mine);
  EXPECT_EQ(other_position, 8u);
  EXPECT_NE(my_words, other_words);
}

TEST(Rekey, AtNextDrawDiscardsTheBufferAndTakesANewKey) {
  key_requests = 0;
  Rng parent(counting_key(), counting_source);
  (void)parent.draw_u32();  // a partly used buffer, as a process has when it forks
  Rng child = parent;
  child.rekey_at_next_draw();
  const std::uint32_t from_child = child.draw_u32();
  EXPECT_EQ(key_requests.load(), 1);
  EXPECT_EQ(child.block_counter(), 4u);
  EXPECT_EQ(child.position(), 1u);
  EXPECT_NE(from_child, parent.draw_u32());
  // The new key is the source's: the same words as a generator keyed with it from the start.
  Key fresh;
  fresh.fill(0xA5);
  Rng expected(fresh);
  EXPECT_EQ(from_child, expected.draw_u32());
}

}  // namespace
}  // namespace tarvo
