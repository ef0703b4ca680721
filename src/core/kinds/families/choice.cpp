// src/core/kinds/families/choice.cpp: choice (and list): one of the caller's options, weighted or not.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "census/alias_table.hpp"
#include "kinds/fields.hpp"
#include "kinds/lenient_parse.hpp"

namespace tarvo {
namespace {

// Options drawn evenly take one uniform index, as Dummy has always drawn them; weighted ones an
// alias-table draw (an index and a word).
class ChoiceDrawer final : public DrawerOf<ChoiceDrawer> {
 public:
  ChoiceDrawer(std::vector<std::string> options, std::vector<std::uint64_t> weights)
      : DrawerOf({ValueType::Text, kReadsNothing, true, longest(options)}),
        options_(std::move(options)),
        list_(options_.size()) {
    if (!weights.empty()) table_ = census::AliasTable(weights);
  }

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    const std::size_t i = table_.empty() ? rng.uniform_index(options_.size()) : table_.sample(rng);
    sink.listed(list_, static_cast<std::uint32_t>(i), options_[i]);
  }

 private:
  static std::size_t longest(const std::vector<std::string>& options) {
    std::size_t most = 0;
    for (const std::string& option : options) most = std::max(most, option.size());
    return most;
  }

  std::vector<std::string> options_;
  TextList list_;
  census::AliasTable table_;
};

// One option as written: its text with the escapes still in, and where its weight starts.
struct RawOption {
  std::string_view text;
  std::size_t equals = std::string_view::npos;  // position of the unescaped '=', if any
};

// Splits at unescaped commas. A backslash takes the next character as it is; only ',', '=',
// ';' and '\' may follow one, so that a Windows path or a regex is refused rather than mangled.
std::vector<RawOption> split_options(const KindArgs& args, std::string_view list) {
  std::vector<RawOption> options;
  RawOption current;
  std::size_t start = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const char c = list[i];
    if (c == '\\') {
      if (i + 1 == list.size()) fail(args, "a lone \\ at the end (write \\\\ for a backslash)");
      const char next = list[i + 1];
      if (next != ',' && next != '=' && next != ';' && next != '\\') {
        fail(args, std::string("unknown escape \\") + next +
                       " (a backslash escapes only , = ; and \\)");
      }
      ++i;
    } else if (c == '=') {
      if (current.equals != std::string_view::npos) {
        fail(args, "an option has two '=' (write \\= for an '=' in a value)");
      }
      current.equals = i - start;
    } else if (c == ',') {
      current.text = list.substr(start, i - start);
      options.push_back(current);
      current = RawOption{};
      start = i + 1;
    }
  }
  current.text = list.substr(start);
  options.push_back(current);
  return options;
}

std::string unescaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    out.push_back(text[i]);
  }
  return out;
}

// Integer weights are kept exactly while they fit the table; others are scaled to 2^31 in all,
// which keeps every share within 2^-31 of the one written.
std::vector<std::uint64_t> table_weights(const KindArgs& args, std::vector<double> weights) {
  double total = 0;
  bool whole = true;
  for (double w : weights) {
    total += w;
    whole = whole && w == std::floor(w);
  }
  if (std::isinf(total)) {
    // Finite weights whose sum overflows (1e308 twice): the same shares, over the largest.
    const double largest = *std::max_element(weights.begin(), weights.end());
    total = 0;
    for (double& w : weights) total += (w /= largest);
  }
  if (!(total > 0)) fail(args, "the weights are all zero");
  std::vector<std::uint64_t> out;
  if (whole && total <= 4'294'967'295.0) {
    for (double w : weights) out.push_back(static_cast<std::uint64_t>(w));
    return out;
  }
  for (double w : weights) out.push_back(static_cast<std::uint64_t>(std::llround(w / total * 2147483648.0)));
  std::uint64_t sum = 0;
  for (std::uint64_t w : out) sum += w;
  if (sum == 0) fail(args, "the weights are all zero");
  return out;
}

std::shared_ptr<const Drawer> strict_choice(const KindArgs& args) {
  if (!args.parameters) fail(args, "needs its options: choice:A,B,...");
  std::vector<std::string> options;
  std::vector<double> weights;
  std::size_t weighted = 0;
  const auto raw = split_options(args, *args.parameters);
  for (const RawOption& option : raw) {
    const std::string_view value = trim_white_space(option.text.substr(0, option.equals));
    if (value.empty()) fail(args, "empty option (options are separated by commas)");
    options.push_back(unescaped(value));
    if (option.equals == std::string_view::npos) continue;
    ++weighted;
    const std::string_view text = trim_white_space(option.text.substr(option.equals + 1));
    const auto weight = read_number<double>(text);
    if (!weight || !std::isfinite(*weight) || *weight < 0) {
      fail(args, "the weight of " + quoted(options.back()) +
                     " is not a number of at least 0: " + quoted(text));
    }
    weights.push_back(*weight);
  }
  if (weighted != 0 && weighted != raw.size()) {
    fail(args, "give every option a weight (A=3,B=1), or none");
  }
  std::vector<std::uint64_t> table;
  if (weighted != 0) table = table_weights(args, weights);
  return std::make_shared<const ChoiceDrawer>(std::move(options), std::move(table));
}

std::shared_ptr<const Drawer> lenient_choice(std::string_view text) {
  std::vector<std::string> options;
  for (std::string_view option : split_lenient(text.substr(text.find(':') + 1), ',')) {
    options.emplace_back(trim_white_space(option));
  }
  return std::make_shared<const ChoiceDrawer>(std::move(options), std::vector<std::uint64_t>{});
}

constexpr std::string_view kDescription =
    "one of the options, trimmed; A=80,B=20 weighs them (\\, \\= \\; \\\\ escape)";

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"choice", ":A,B,...", kDescription, ValueType::Text, kReadsNothing, false, "",
   strict_choice, lenient_choice},
  {"list", ":A,B,...", kDescription, ValueType::Text, kReadsNothing, false, "choice",
   strict_choice, lenient_choice},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> choice_kinds() { return kKinds; }

}  // namespace tarvo
