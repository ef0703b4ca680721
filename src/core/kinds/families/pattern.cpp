// src/core/kinds/families/pattern.cpp: pattern: text with random digits and letters in set places.
#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <vector>

#include "engine/permuted.hpp"
#include "kinds/fields.hpp"

namespace tarvo {
namespace {

constexpr std::size_t kLongestText = 64 * 1024;
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kAlphanumerics = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// A run of literal text, or a run of places drawn from one set of characters.
struct Piece {
  std::string literal;
  std::string_view choices;  // empty for a literal
  std::size_t places = 0;
};

// Places drawn at once: as many as one 32-bit draw spans (c^k below 2^32).
std::size_t places_per_draw(std::size_t choices) {
  std::size_t k = 0;
  for (std::uint64_t span = 1; span * choices <= 0xFFFFFFFFu; span *= choices) ++k;
  return k;
}

class PatternDrawer final : public DrawerOf<PatternDrawer> {
 public:
  PatternDrawer(std::vector<Piece> pieces, std::size_t length)
      : DrawerOf({ValueType::Text, kReadsNothing, true, length}), pieces_(std::move(pieces)) {}

  // A run of places of one set is drawn a few places at a time: one uniform draw over c^k
  // values spelled as k base-c digits, most significant first, which is k uniform places.
  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    std::string& out = *row.scratch;
    out.clear();
    for (const Piece& piece : pieces_) {
      if (piece.choices.empty()) {
        out.append(piece.literal);
        continue;
      }
      const std::size_t base = piece.choices.size();
      const std::size_t step = places_per_draw(base);
      for (std::size_t left = piece.places; left > 0;) {
        const std::size_t k = std::min(step, left);
        std::size_t span = 1;
        for (std::size_t i = 0; i < k; ++i) span *= base;
        std::size_t value = rng.uniform_index(span);
        const std::size_t at = out.size();
        out.resize(at + k);
        for (std::size_t i = k; i-- > 0; value /= base) out[at + i] = piece.choices[value % base];
        left -= k;
      }
    }
    sink.text(out);
  }

  // Value i spells i in mixed radix over the drawn places, the last place least significant;
  // a pattern with more values than 64 bits count keeps its first places' choices low.
  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    std::uint64_t capacity = 1;
    for (const Piece& piece : pieces_) {
      for (std::size_t i = 0; i < piece.places; ++i) {
        if (capacity > std::numeric_limits<std::uint64_t>::max() / piece.choices.size()) {
          capacity = std::numeric_limits<std::uint64_t>::max();
          break;
        }
        capacity *= piece.choices.size();
      }
    }
    return permuted_form(*this, capacity, keys, [pieces = pieces_](std::uint64_t i, Sink& sink) {
      std::string out;
      for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        if (piece->choices.empty()) {
          out.insert(0, piece->literal);
          continue;
        }
        for (std::size_t k = 0; k < piece->places; ++k) {
          out.insert(out.begin(), piece->choices[i % piece->choices.size()]);
          i /= piece->choices.size();
        }
      }
      sink.text(out);
    });
  }

 private:
  std::vector<Piece> pieces_;
};

std::shared_ptr<const Drawer> strict_pattern(const KindArgs& args) {
  if (!args.parameters || args.parameters->empty()) {
    fail(args, "expected pattern:TEXT, with # a digit, ? a letter, * either, \\ before a literal");
  }
  const std::string_view text = *args.parameters;
  std::vector<Piece> pieces;
  std::size_t length = 0;
  bool drawn = false;
  auto literal = [&](char c) {
    if (pieces.empty() || !pieces.back().choices.empty()) pieces.push_back({});
    pieces.back().literal.push_back(c);
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string_view choices;
    if (c == '#') choices = kDigits;
    else if (c == '?') choices = kLetters;
    else if (c == '*') choices = kAlphanumerics;
    if (c == '\\') {
      if (++i == text.size()) fail(args, "a lone \\ at the end (write \\\\ for a backslash)");
      literal(text[i]);
    } else if (choices.empty()) {
      literal(c);
    } else if (!pieces.empty() && pieces.back().choices == choices) {
      ++pieces.back().places;
    } else {
      pieces.push_back({"", choices, 1});
      drawn = true;
    }
    ++length;
  }
  if (!drawn) fail(args, "draws nothing: use # for a digit, ? for a letter, * for either");
  if (length > kLongestText) fail(args, "its text could pass 64 KiB");
  return std::make_shared<const PatternDrawer>(std::move(pieces), length);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"pattern", ":TEXT", "TEXT with # a digit, ? a letter A-Z, * either, \\ before a literal",
   ValueType::Text, kReadsNothing, true, "", strict_pattern, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> pattern_kinds() { return kKinds; }

}  // namespace tarvo
