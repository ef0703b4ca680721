// src/core/census/mobile.cpp: reading census_mobile.json and weighting the prefixes.
#include "census/mobile.hpp"

#include <array>

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo::census {
namespace {

constinit Once<CensusMobiles> mobiles_cell;

constexpr std::array<std::string_view, 3> kCarrierFields{"name", "subscribers", "prefixes"};
// More people than exist, far below where a sum of a few networks could overflow.
constexpr std::uint64_t kMaxSubscribers = 1'000'000'000'000;

bool is_prefix(std::string_view text) {
  return text.size() == 3 && text[0] >= '1' && text[0] <= '9' && text[1] >= '0' && text[1] <= '9' &&
         text[2] >= '0' && text[2] <= '9';
}

}  // namespace

std::vector<MobileCarrier> parse_census_mobile(std::string_view padded_text) {
  constexpr std::string_view kDocument = "census_mobile.json";
  std::vector<MobileCarrier> carriers;
  std::uint64_t total = 0;
  json::read_array_document(kDocument, padded_text, "carriers", [&](simdjson::dom::element value) {
    MobileCarrier carrier;
    json::read_record(value, kCarrierFields, false,
                      [&](std::size_t field, simdjson::dom::element v) {
                        switch (field) {
                          case 0:
                            carrier.name = json::expect_string(v);
                            break;
                          case 1:
                            carrier.subscribers = json::expect_unsigned(v, kMaxSubscribers);
                            break;
                          default:
                            carrier.prefixes = json::read_string_list(v);
                        }
                      });
    for (const std::string& prefix : carrier.prefixes) {
      if (!is_prefix(prefix)) {
        throw json::FormatError("invalid value: expected three-digit prefixes");
      }
    }
    total += carrier.prefixes.empty() ? 0 : carrier.subscribers;
    carriers.push_back(std::move(carrier));
  });
  if (total == 0) {
    json::throw_invalid_document(kDocument,
                                 json::FormatError("no carrier with subscribers and a prefix"));
  }
  return carriers;
}

CensusMobiles::CensusMobiles(const std::vector<MobileCarrier>& carriers) {
  std::vector<std::uint64_t> weights;
  for (const MobileCarrier& carrier : carriers) {
    const auto index = static_cast<std::uint32_t>(carriers_.size());
    carriers_.push_back(carrier.name);
    for (const std::string& digits : carrier.prefixes) {
      prefixes_.push_back(Prefix{digits, index});
      weights.push_back(carrier.subscribers / carrier.prefixes.size());
    }
  }
  table_ = AliasTable(weights);
}

const CensusMobiles& census_mobiles() {
  return mobiles_cell.get(
      [] { return CensusMobiles(parse_census_mobile(embedded::census_mobile_json())); });
}

}  // namespace tarvo::census
