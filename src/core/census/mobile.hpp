// src/core/census/mobile.hpp: mobile numbers under the networks' prefixes, weighted by subscribers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "census/alias_table.hpp"
#include "providers/contact.hpp"

namespace tarvo::census {

// One network of data/census_mobile.json: its subscriber count and the three-digit prefixes that
// libphonenumber's carrier data assigns to it.
struct MobileCarrier {
  std::string name;
  std::uint64_t subscribers = 0;
  std::vector<std::string> prefixes;
};

// Reads data/census_mobile.json; Panic "Invalid census_mobile.json format: ..." on any fault.
std::vector<MobileCarrier> parse_census_mobile(std::string_view padded_text);

// Every prefix as one outcome weighing its network's subscribers shared evenly among the
// network's prefixes: the networks get their market shares, and no source publishes how a
// network's subscribers spread over its prefixes.
class CensusMobiles {
 public:
  explicit CensusMobiles(const std::vector<MobileCarrier>& carriers);

  struct Prefix {
    std::string digits;
    std::uint32_t carrier;  // into carriers()
  };
  const std::vector<Prefix>& prefixes() const { return prefixes_; }
  const std::vector<std::string>& carriers() const { return carriers_; }
  const AliasTable& table() const { return table_; }  // outcome i is prefixes()[i]

  // "+63 917 1234567": a prefix, then a seven-digit subscriber number (1000000..9999999); always
  // 15 characters, as the uniform profile's. Draws: the alias table's two words, then the number.
  template <class R>
  NumberText draw(R& rng) const {
    const Prefix& prefix = prefixes_[table_.sample(rng)];
    NumberText text;
    text.append("+63 ").append(prefix.digits).push(' ');
    text.digits(rng.uniform_u32(1000000, 9999999), 7);
    return text;
  }

 private:
  std::vector<std::string> carriers_;
  std::vector<Prefix> prefixes_;
  AliasTable table_;
};

// The process-wide table from the embedded census_mobile.json.
const CensusMobiles& census_mobiles();

// R is any source with the sampling API of tarvo::Rng.
template <class R>
NumberText census_mobile(R& rng) {
  return census_mobiles().draw(rng);
}

}  // namespace tarvo::census
