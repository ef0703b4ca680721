// src/core/providers/government.cpp: reading government.json and drawing identification numbers.
#include "providers/government.hpp"

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo {
namespace {

constinit Once<GovData> gov_cell;

}  // namespace

GovData parse_gov_data(std::string_view padded_text) {
  auto lists = json::read_string_list_document<2>("government.json", padded_text,
                                                  {"sss_prefixes", "philhealth_prefixes"});
  return GovData{std::move(lists[0]), std::move(lists[1])};
}

const GovData& gov_data() {
  return gov_cell.get([] { return parse_gov_data(embedded::government_json()); });
}

template <typename R>
IdText sss_number(R& rng) {
  const std::vector<std::string>& prefixes = gov_data().sss_prefixes;
  const std::string& prefix = prefixes[rng.uniform_index(prefixes.size())];
  const std::uint32_t number = rng.uniform_u32(1000000, 9999999);
  const std::uint32_t final_digit = rng.uniform_u32(1, 9);
  IdText text;
  text.append(prefix).push('-').digits(number, 7).push('-').digits(final_digit, 1);
  return text;
}

template <typename R>
IdText tin_number(R& rng) {
  const std::uint32_t first = rng.uniform_u32(100, 999);
  const std::uint32_t second = rng.uniform_u32(100, 999);
  const std::uint32_t third = rng.uniform_u32(100, 999);
  const std::uint32_t branch = rng.uniform_u32(0, 999);
  IdText text;
  text.digits(first, 3).push('-').digits(second, 3).push('-').digits(third, 3).push('-');
  text.digits(branch, 3);
  return text;
}

template <typename R>
IdText philhealth_number(R& rng) {
  const std::vector<std::string>& prefixes = gov_data().philhealth_prefixes;
  const std::string& prefix = prefixes[rng.uniform_index(prefixes.size())];
  const std::uint32_t number = rng.uniform_u32(100000000, 999999999);
  const std::uint32_t final_digit = rng.uniform_u32(0, 9);
  IdText text;
  text.append(prefix).push('-').digits(number, 9).push('-').digits(final_digit, 1);
  return text;
}

// The lenient per-thread generator and the seeded per-cell one draw through the same code.
template IdText sss_number(Rng& rng);
template IdText sss_number(CounterRng& rng);
template IdText tin_number(Rng& rng);
template IdText tin_number(CounterRng& rng);
template IdText philhealth_number(Rng& rng);
template IdText philhealth_number(CounterRng& rng);

}  // namespace tarvo
