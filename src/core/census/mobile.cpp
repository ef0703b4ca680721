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

bool is_prefix(std::string_view text) {
  return text.size() == 3 && text[0] >= '1' && text[0] <= '9' && text[1] >= '0' &&
         text[1] <= '9' && text[2] >= '0' && text[2] <= '9';
}

}  // namespace

std::vector<MobileCarrier> parse_census_mobile(std::string_view padded_text) {
  std::vector<MobileCarrier> carriers;
  try {
    simdjson::dom::parser parser;
    json::read_record(
        json::parse_document(parser, padded_text), std::array<std::string_view, 1>{"carriers"},
        false, [&](std::size_t, simdjson::dom::element list) {
          for (const simdjson::dom::element value : json::expect_array(list)) {
            MobileCarrier carrier;
            json::read_record(value, kCarrierFields, false,
                              [&](std::size_t field, simdjson::dom::element v) {
                                switch (field) {
                                  case 0: carrier.name = json::expect_string(v); break;
                                  case 1:
                                    carrier.subscribers = json::expect_unsigned(v, 1'000'000'000'000);
                                    break;
                                  default: carrier.prefixes = json::read_string_list(v);
                                }
                              });
            for (const std::string& prefix : carrier.prefixes) {
              if (!is_prefix(prefix)) {
                throw json::FormatError("invalid value: expected three-digit prefixes");
              }
            }
            carriers.push_back(std::move(carrier));
          }
        });
  } catch (const json::FormatError& error) {
    json::throw_invalid_document("census_mobile.json", error);
  }
  std::uint64_t total = 0;
  for (const MobileCarrier& carrier : carriers) {
    total += carrier.prefixes.empty() ? 0 : carrier.subscribers;
  }
  if (total == 0) {
    json::throw_invalid_document("census_mobile.json",
                                 json::FormatError("no carrier with subscribers and a prefix"));
  }
  return carriers;
}

CensusMobiles::CensusMobiles(const std::vector<MobileCarrier>& carriers) {
  std::vector<double> weights;
  for (const MobileCarrier& carrier : carriers) {
    const auto index = static_cast<std::uint32_t>(carriers_.size());
    carriers_.push_back(carrier.name);
    for (const std::string& digits : carrier.prefixes) {
      prefixes_.push_back(Prefix{digits, index});
      weights.push_back(static_cast<double>(carrier.subscribers) /
                        static_cast<double>(carrier.prefixes.size()));
    }
  }
  table_ = AliasTable(weights);
}

const CensusMobiles& census_mobiles() {
  return mobiles_cell.get([] { return CensusMobiles(parse_census_mobile(embedded::census_mobile_json())); });
}

}  // namespace tarvo::census
