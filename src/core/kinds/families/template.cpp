// src/core/kinds/families/template.cpp: template: text made from other values of the same row.
#include <algorithm>
#include <array>
#include <deque>
#include <string>
#include <vector>

#include "engine/plan.hpp"
#include "engine/text_sink.hpp"
#include "kinds/fields.hpp"
#include "kinds/strict_parse.hpp"
#include "providers/ascii_fold.hpp"

namespace tarvo {
namespace {

constexpr std::size_t kLongestText = 64 * 1024;

enum class Filter : std::uint8_t { Lower, Upper, Title, Slug, Initial, Zfill };

struct FilterStep {
  Filter filter;
  std::size_t width = 0;  // zfill's
};

// A field is a column of the data set, which it reads as that column draws it (null as
// nothing), or a kind of its own, drawn from a stream of the template's.
struct Field {
  const PlannedColumn* column = nullptr;
  std::shared_ptr<const Drawer> drawer;
  std::uint64_t stream = 0;
  std::vector<FilterStep> filters;
};

struct Piece {
  std::string literal;
  std::size_t field = 0;  // into the fields, for a piece with no literal
};

bool is_upper_latin1(unsigned char second) { return second >= 0x80 && second <= 0x9E && second != 0x97; }
bool is_lower_latin1(unsigned char second) { return second >= 0xA0 && second <= 0xBE && second != 0xB7; }

// Case mapping of ASCII and the Latin-1 letters (Ñ and ñ, É and é ...), whose UTF-8 forms
// differ only in one bit of the second byte, so the text keeps its length.
void change_case(std::string& text, bool upper, bool title) {
  bool word_start = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool want_upper = title ? word_start : upper;
    bool letter = false;
    if (c >= 'a' && c <= 'z') {
      letter = true;
      if (want_upper) text[i] = static_cast<char>(c - 32);
    } else if (c >= 'A' && c <= 'Z') {
      letter = true;
      if (!want_upper) text[i] = static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      letter = is_upper_latin1(next) || is_lower_latin1(next);
      if (want_upper && is_lower_latin1(next)) text[i + 1] = static_cast<char>(next - 0x20);
      if (!want_upper && is_upper_latin1(next)) text[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    } else if (c >= 0x80) {
      letter = true;  // another script's letter: left as it is, and still inside a word
    }
    word_start = !letter && c != '\'';
  }
}

// Lower-case ASCII letters and digits, accents folded, every other run as one '-'.
void slug(std::string& text) {
  std::string out;
  out.reserve(text.size());
  bool gap = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    char kept = 0;
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) kept = static_cast<char>(c);
    else if (c >= 'A' && c <= 'Z') kept = static_cast<char>(c + 32);
    else if (c == 0xC3 && i + 1 < text.size()) kept = latin1_fold(static_cast<unsigned char>(text[++i]));
    if (kept == 0) {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out.push_back('-');
    gap = false;
    out.push_back(kept);
  }
  text.swap(out);
}

void apply(const FilterStep& step, std::string& text) {
  switch (step.filter) {
    case Filter::Lower: return change_case(text, false, false);
    case Filter::Upper: return change_case(text, true, false);
    case Filter::Title:
      change_case(text, false, false);
      return change_case(text, false, true);
    case Filter::Slug: return slug(text);
    case Filter::Initial: {
      if (text.empty()) return;
      const auto c = static_cast<unsigned char>(text[0]);
      const std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      text.resize(std::min(length, text.size()));
      return;
    }
    case Filter::Zfill: {
      // As Python's str.zfill, the width is of characters: ñ is one, though UTF-8 takes two
      // bytes for it, so only the bytes that start a character are counted.
      const std::size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
      const auto characters = static_cast<std::size_t>(
          std::count_if(text.begin(), text.end(),
                        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
      if (characters < step.width) text.insert(sign, step.width - characters, '0');
      return;
    }
  }
}

// The most bytes zfill:width makes of a text of at most `bytes` bytes. A text it pads has c <
// width characters, so at most 4c bytes (UTF-8 takes four at most), and gains width - c zeros:
// at most min(bytes, 4c) + width - c, which is below both bytes + width and 4 * width.
std::size_t zfilled_bound(std::size_t bytes, std::size_t width) {
  return std::max(bytes, std::min(bytes + width, 4 * width));
}

// The most bytes a field's text can take before its filters.
std::size_t text_bound(const DrawerTraits& traits) {
  switch (traits.type) {
    case ValueType::Int64: return 20;
    case ValueType::Int32: return 11;
    case ValueType::Float64: return 24;
    case ValueType::Bool: return 5;
    case ValueType::Money: return 22;
    case ValueType::Date: return 10;
    case ValueType::Timestamp: return 25;
    case ValueType::Time: return 8;
    case ValueType::Text: return traits.longest_text;
    case ValueType::Address: return 5 * traits.longest_text + 7;
  }
  return traits.longest_text;
}

class TemplateDrawer final : public DrawerOf<TemplateDrawer> {
 public:
  TemplateDrawer(std::vector<Piece> pieces, std::vector<Field> fields, std::uint8_t reads,
                 std::size_t longest)
      : DrawerOf({ValueType::Text, reads, false, longest}),
        pieces_(std::move(pieces)),
        fields_(std::move(fields)) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    Buffers buffers;
    std::string& out = buffers.out();
    std::string& value = buffers.value();
    for (const Piece& piece : pieces_) {
      if (!piece.literal.empty()) {
        out.append(piece.literal);
        continue;
      }
      const Field& field = fields_[piece.field];
      const int slot = field.column != nullptr ? field.column->text_slot : -1;
      if (slot >= 0 && row.texts != nullptr && row.texts->filled[slot] != 0 &&
          field.filters.empty()) {
        out.append(row.texts->text[slot]);  // the cell this row has already drawn
        continue;
      }
      value.clear();
      if (slot >= 0 && row.texts != nullptr && row.texts->filled[slot] != 0) {
        value.assign(row.texts->text[slot]);
      } else {
        render(field, row, value);
      }
      for (const FilterStep& step : field.filters) apply(step, value);
      out.append(value);
    }
    sink.text(out);
  }

 private:
  // A template's text is built in buffers of the drawing thread, one pair per depth of
  // templates that read templates, so a row allocates nothing once the buffers have grown. A
  // deque, because a nested template adds a depth while the outer one is still writing into
  // its own pair: growing a deque at its end moves no element.
  class Buffers {
   public:
    Buffers() : depth_(level()++) {
      if (pool().size() <= depth_) pool().resize(depth_ + 1);
      pool()[depth_].first.clear();
    }
    ~Buffers() { --level(); }
    Buffers(const Buffers&) = delete;
    Buffers& operator=(const Buffers&) = delete;
    std::string& out() { return pool()[depth_].first; }
    std::string& value() { return pool()[depth_].second; }

   private:
    static std::deque<std::pair<std::string, std::string>>& pool() {
      thread_local std::deque<std::pair<std::string, std::string>> buffers;
      return buffers;
    }
    static std::size_t& level() {
      thread_local std::size_t depth = 0;
      return depth;
    }
    std::size_t depth_;
  };

  // The field as its column draws it (null as nothing), or as its own kind.
  static void render(const Field& field, const RowView& row, std::string& value) {
    const PhiloxKey& key = row.plan->key;
    TextSink text(value);
    if (field.column != nullptr) {
      const PlannedColumn& column = *field.column;
      if (column.is_null_at(key, row.row)) return;
      CounterRng rng(key, row.row, column.stream);
      column.drawer->draw(rng, row, text);
    } else {
      CounterRng rng(key, row.row, field.stream);
      field.drawer->draw(rng, row, text);
    }
  }

  std::vector<Piece> pieces_;
  std::vector<Field> fields_;
};

FilterStep read_filter(const KindArgs& args, std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  if (name == "zfill") {
    const auto width = colon == std::string_view::npos
                           ? std::nullopt
                           : read_number<std::size_t>(text.substr(colon + 1));
    if (!width || *width > 64) fail(args, "zfill needs a width from 0 to 64: zfill:6");
    return {Filter::Zfill, *width};
  }
  if (colon != std::string_view::npos) fail(args, "the filter " + quoted(name) + " takes no width");
  if (name == "lower") return {Filter::Lower};
  if (name == "upper") return {Filter::Upper};
  if (name == "title") return {Filter::Title};
  if (name == "slug") return {Filter::Slug};
  if (name == "initial") return {Filter::Initial};
  fail(args, "unknown filter " + quoted(name) + " (filters: lower, upper, title, slug, initial, zfill:N)");
}

// The stream of a template's own field k: apart from every column's and from the template's.
std::uint64_t field_stream(std::uint64_t template_stream, std::size_t k) {
  return (template_stream ^ (0x9E3779B97F4A7C15u * (k + 1))) | (std::uint64_t{1} << 63);
}

std::shared_ptr<const Drawer> strict_template(const KindArgs& args) {
  if (!args.parameters) fail(args, "expected template:TEXT with {column} or {kind} fields");
  const std::string_view text = *args.parameters;
  std::vector<Piece> pieces;
  std::vector<Field> fields;
  std::uint8_t reads = kReadsNothing;
  std::size_t longest = 0;
  auto literal = [&](char c) {
    if (pieces.empty() || pieces.back().literal.empty()) pieces.push_back({});
    pieces.back().literal.push_back(c);
    ++longest;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
      literal(c);
      ++i;
      continue;
    }
    if (c == '}') fail(args, "a '}' with no '{' (write }} for a brace)");
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == ';') {
      literal(';');  // kept escaped by the column's options, which ';' would start
      ++i;
      continue;
    }
    if (c != '{') {
      literal(c);
      continue;
    }
    const std::size_t close = text.find('}', i + 1);
    if (close == std::string_view::npos) fail(args, "a '{' with no '}' (write {{ for a brace)");
    const std::string_view inside = text.substr(i + 1, close - i - 1);
    i = close;
    const std::size_t bar = inside.find('|');
    const std::string_view name = inside.substr(0, bar);
    if (name.empty()) fail(args, "an empty field {}");
    Field field;
    if (args.columns != nullptr) field.column = args.columns->column(name);
    const DrawerTraits* traits;
    if (field.column != nullptr) {
      traits = &field.column->drawer->traits();
    } else {
      field.stream = field_stream(args.stream, fields.size());
      try {
        field.drawer = resolve_strict(name, args.profile, args.as_of, args.columns, field.stream);
      } catch (const DefinitionError& e) {
        fail(args, "the field {" + std::string(name) + "} is neither a column nor a kind: " + e.message());
      }
      traits = &field.drawer->traits();
    }
    reads |= traits->reads;
    std::size_t bound = text_bound(*traits);
    for (std::size_t at = bar; at != std::string_view::npos;) {
      const std::size_t next = inside.find('|', at + 1);
      field.filters.push_back(read_filter(args, inside.substr(at + 1, next - at - 1)));
      const FilterStep& step = field.filters.back();
      if (step.filter == Filter::Initial) bound = std::min<std::size_t>(bound, 4);
      if (step.filter == Filter::Zfill) bound = zfilled_bound(bound, step.width);
      at = next;
    }
    longest += bound;
    pieces.push_back(Piece{"", fields.size()});
    fields.push_back(std::move(field));
  }
  if (fields.empty()) fail(args, "has no field: name a column or a kind in braces, {last_name}");
  if (longest > kLongestText) fail(args, "its text could pass 64 KiB");
  return std::make_shared<const TemplateDrawer>(std::move(pieces), std::move(fields), reads,
                                                longest);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"template", ":TEXT", "TEXT with {field} replaced: a column of the row, or a kind ({first_name}, "
   "{city_mun}); filters {field|lower}, upper, title, slug, initial, zfill:N; {{ and }} for braces",
   ValueType::Text, kReadsNothing, false, "", strict_template, nullptr},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> template_kinds() { return kKinds; }

}  // namespace tarvo
