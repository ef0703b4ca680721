// src/core/random.cpp: the ChaCha12 block function, refill and rekey of Rng, and the thread's instance.
#include "random.hpp"

#if defined(__unix__) || defined(__APPLE__)
#include <pthread.h>
#endif

#include "panic.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvo {
namespace detail {
namespace {

// "expand 32-byte k", the constants of ChaCha with a 256-bit key.
constexpr std::uint32_t kSigma[4] = {0x61707865u, 0x3320646Eu, 0x79622D32u, 0x6B206574u};
constexpr int kDoubleRounds = 6;  // ChaCha12

constexpr std::uint32_t rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

#if defined(__GNUC__)
// One lane per block: lane i holds the state word of block counter + i, so the rounds of the
// four blocks run side by side without any shuffling until the final transpose. GCC and clang
// lower this to SSE2 on x86-64, NEON on AArch64 and plain scalar code elsewhere.
using Lanes = std::uint32_t __attribute__((vector_size(16)));

inline Lanes rotl(Lanes x, int n) { return (x << n) | (x >> (32 - n)); }
#endif  // __GNUC__

// The same rounds serve one block (Word = uint32_t) and four blocks side by side (Word = four
// lanes of uint32_t); rotl is overloaded for both.
template <typename Word>
inline void quarter_round(Word& a, Word& b, Word& c, Word& d) {
  a += b;
  d ^= a;
  d = rotl(d, 16);
  c += d;
  b ^= c;
  b = rotl(b, 12);
  a += b;
  d ^= a;
  d = rotl(d, 8);
  c += d;
  b ^= c;
  b = rotl(b, 7);
}

// Column rounds then diagonal rounds, six times: the ChaCha12 permutation of the state.
template <typename Word>
inline void chacha12_rounds(Word (&x)[16]) {
  for (int round = 0; round < kDoubleRounds; ++round) {
    quarter_round(x[0], x[4], x[8], x[12]);
    quarter_round(x[1], x[5], x[9], x[13]);
    quarter_round(x[2], x[6], x[10], x[14]);
    quarter_round(x[3], x[7], x[11], x[15]);
    quarter_round(x[0], x[5], x[10], x[15]);
    quarter_round(x[1], x[6], x[11], x[12]);
    quarter_round(x[2], x[7], x[8], x[13]);
    quarter_round(x[3], x[4], x[9], x[14]);
  }
}

#if defined(__GNUC__)
void blocks4_lanes(const std::array<std::uint32_t, 8>& key, std::uint64_t counter,
                   std::uint32_t* out64) noexcept {
  Lanes input[16];
  for (int i = 0; i < 4; ++i) {
    input[i] = Lanes{} + kSigma[i];
  }
  for (int i = 0; i < 8; ++i) {
    input[4 + i] = Lanes{} + key[i];
  }
  // Each lane gets its own full 64-bit counter so a carry into the high word stays exact.
  for (int lane = 0; lane < 4; ++lane) {
    const std::uint64_t block = counter + static_cast<std::uint64_t>(lane);
    input[12][lane] = static_cast<std::uint32_t>(block);
    input[13][lane] = static_cast<std::uint32_t>(block >> 32);
  }
  input[14] = Lanes{};
  input[15] = Lanes{};

  Lanes x[16];
  for (int i = 0; i < 16; ++i) {
    x[i] = input[i];
  }
  chacha12_rounds(x);
  for (int i = 0; i < 16; ++i) {
    x[i] += input[i];
  }

  // Transpose from word-major lanes to block-major output, four words at a time.
  for (int group = 0; group < 4; ++group) {
#if defined(__SSE2__)
    const __m128i a = reinterpret_cast<__m128i>(x[4 * group]);
    const __m128i b = reinterpret_cast<__m128i>(x[4 * group + 1]);
    const __m128i c = reinterpret_cast<__m128i>(x[4 * group + 2]);
    const __m128i d = reinterpret_cast<__m128i>(x[4 * group + 3]);
    const __m128i ab01 = _mm_unpacklo_epi32(a, b);
    const __m128i cd01 = _mm_unpacklo_epi32(c, d);
    const __m128i ab23 = _mm_unpackhi_epi32(a, b);
    const __m128i cd23 = _mm_unpackhi_epi32(c, d);
    auto* out = reinterpret_cast<__m128i*>(out64 + 4 * group);
    _mm_storeu_si128(out, _mm_unpacklo_epi64(ab01, cd01));
    _mm_storeu_si128(out + 4, _mm_unpackhi_epi64(ab01, cd01));
    _mm_storeu_si128(out + 8, _mm_unpacklo_epi64(ab23, cd23));
    _mm_storeu_si128(out + 12, _mm_unpackhi_epi64(ab23, cd23));
#else
    for (int block = 0; block < 4; ++block) {
      for (int word = 0; word < 4; ++word) {
        out64[16 * block + 4 * group + word] = x[4 * group + word][block];
      }
    }
#endif
  }
}
#endif  // __GNUC__

}  // namespace

void chacha12_block_scalar(const std::array<std::uint32_t, 8>& key, std::uint64_t counter,
                           std::uint32_t* out16) noexcept {
  std::uint32_t input[16];
  for (int i = 0; i < 4; ++i) {
    input[i] = kSigma[i];
  }
  for (int i = 0; i < 8; ++i) {
    input[4 + i] = key[i];
  }
  input[12] = static_cast<std::uint32_t>(counter);
  input[13] = static_cast<std::uint32_t>(counter >> 32);
  input[14] = 0;
  input[15] = 0;

  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i) {
    x[i] = input[i];
  }
  chacha12_rounds(x);
  for (int i = 0; i < 16; ++i) {
    out16[i] = x[i] + input[i];
  }
}

void chacha12_blocks4(const std::array<std::uint32_t, 8>& key, std::uint64_t counter,
                      std::uint32_t* out64) noexcept {
#if defined(__GNUC__)
  blocks4_lanes(key, counter, out64);
#else
  for (int block = 0; block < 4; ++block) {
    chacha12_block_scalar(key, counter + static_cast<std::uint64_t>(block), out64 + 16 * block);
  }
#endif
}

void throw_empty_range() { throw Panic("cannot sample empty range"); }

void throw_non_finite() {
  throw Panic("called `Result::unwrap()` on an `Err` value: NonFinite");
}

}  // namespace detail

Rng::Rng(KeySource source) : source_(source) {
  Key key;
  if (!source_(key)) {
    throw Panic("could not initialize ThreadRng: unexpected situation");
  }
  set_key(key);
}

Rng::Rng(const Key& key, KeySource source) : source_(source) { set_key(key); }

void Rng::set_key(const Key& key) noexcept {
  for (std::size_t i = 0; i < key_.size(); ++i) {
    key_[i] = std::uint32_t{key[4 * i]} | std::uint32_t{key[4 * i + 1]} << 8 |
              std::uint32_t{key[4 * i + 2]} << 16 | std::uint32_t{key[4 * i + 3]} << 24;
  }
}

void Rng::refill() {
  // Checked only here, so the key changes at the first refill after the 1024th block. A failed
  // reseed leaves the counter where it is, so the next draw tries again instead of reusing
  // keystream.
  if (counter_ >= detail::kRekeyBlocks) {
    Key key;
    if (!source_(key)) {
      throw Panic("could not reseed ThreadRng: unexpected situation");
    }
    set_key(key);
    counter_ = 0;
  }
  detail::chacha12_blocks4(key_, counter_, buffer_.data());
  counter_ += 4;
  position_ = 0;
}

std::uint64_t Rng::draw_u64_across_refill() {
  if (position_ == detail::kBufferWords - 1) {
    const std::uint64_t low = buffer_[position_];
    // Consumed even if the refill below throws.
    position_ = detail::kBufferWords;
    refill();
    const std::uint64_t high = buffer_[0];
    position_ = 1;
    return (high << 32) | low;
  }
  refill();
  const std::uint64_t low = buffer_[0];
  const std::uint64_t high = buffer_[1];
  position_ = 2;
  return (high << 32) | low;
}

namespace {

// The generator of the thread that calls fork() is copied into the child, buffer and key alike;
// without a fresh key a forked worker (multiprocessing's default on Linux) would draw exactly
// the values its parent draws next. The child's only thread is the one that forked.
thread_local Rng* this_thread_rng = nullptr;

void rekey_after_fork() noexcept {
  if (this_thread_rng != nullptr) this_thread_rng->rekey_at_next_draw();
}

}  // namespace

Rng& thread_rng() {
  thread_local Rng rng;
  if (this_thread_rng == nullptr) [[unlikely]] {
#if defined(__unix__) || defined(__APPLE__)
    static const bool registered = pthread_atfork(nullptr, nullptr, rekey_after_fork) == 0;
    (void)registered;
#endif
    this_thread_rng = &rng;
  }
  return rng;
}

}  // namespace tarvo
