// src/core/providers/contact.cpp: reading contact.json and drawing telephone numbers.
#include "providers/contact.hpp"

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo {
namespace {

constinit Once<ContactData> contact_cell;

// The capital's area code; its numbers have had eight digits since 2019, the provinces' seven.
constexpr std::string_view kMetroManila = "02";

}  // namespace

ContactData parse_contact_data(std::string_view padded_text) {
  auto lists = json::read_string_list_document<2>("contact.json", padded_text,
                                                  {"mobile_prefixes", "landline_area_codes"});
  return ContactData{std::move(lists[0]), std::move(lists[1])};
}

const ContactData& contact_data() {
  return contact_cell.get([] { return parse_contact_data(embedded::contact_json()); });
}

template <typename R>
NumberText phone_number(R& rng) {
  const std::vector<std::string>& prefixes = contact_data().mobile_prefixes;
  const std::string& prefix = prefixes[rng.uniform_index(prefixes.size())];
  const std::uint32_t subscriber = rng.uniform_u32(1000000, 9999999);
  NumberText text;
  text.append("+63 ").append(prefix).push(' ').digits(subscriber, 7);
  return text;
}

template <typename R>
NumberText landline(R& rng) {
  const std::vector<std::string>& codes = contact_data().landline_area_codes;
  const std::string& code = codes[rng.uniform_index(codes.size())];
  NumberText text;
  text.push('(').append(code).append(") ");
  if (code == kMetroManila) {
    text.digits(rng.uniform_u32(30000000, 89999999), 8);
  } else {
    text.digits(rng.uniform_u32(1000000, 9999999), 7);
  }
  return text;
}

// The lenient per-thread generator and the seeded per-cell one draw through the same code.
template NumberText phone_number(Rng& rng);
template NumberText phone_number(CounterRng& rng);
template NumberText landline(Rng& rng);
template NumberText landline(CounterRng& rng);

}  // namespace tarvo
