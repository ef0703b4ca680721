// src/core/engine/plan.cpp: reading a data set's columns, and deriving its key and streams.
#include "engine/plan.hpp"

#include <algorithm>

#include "kinds/registry.hpp"
#include "kinds/strict_parse.hpp"
#include "shown_text.hpp"

namespace tarvo {

PhiloxKey key_from_seed(std::uint64_t seed_low, std::uint64_t seed_high) noexcept {
  const PhiloxBlock block = philox4x64_10({0x7461727661736565u, 0, 0, 0}, {seed_low, seed_high});
  return {block[0], block[1]};
}

std::uint64_t column_stream(std::string_view name, std::string_view spec) noexcept {
  std::uint64_t hash = 0xCBF29CE484222325u;
  auto mix = [&](unsigned char byte) {
    hash ^= byte;
    hash *= 0x100000001B3u;
  };
  for (char c : name) mix(static_cast<unsigned char>(c));
  mix(0);
  for (char c : spec) mix(static_cast<unsigned char>(c));
  return hash | (std::uint64_t{1} << 63);
}

Plan make_plan(std::span<const std::pair<std::string, std::string>> columns,
               std::uint64_t seed_low, std::uint64_t seed_high, CivilDate as_of,
               Profile profile, std::span<const std::string> unique) {
  Plan plan{key_from_seed(seed_low, seed_high), as_of, profile, {}, false, false};
  plan.columns.reserve(columns.size());
  for (const auto& [name, spec] : columns) {
    ColumnKind kind;
    try {
      kind = parse_strict_kind(spec);
    } catch (const SpecError& e) {
      throw SpecError("column '" + shown_text(name) + "': " + e.what());
    }
    const KindInfo* info = find_kind(spec.substr(0, spec.find(':')));
    plan.needs_person = plan.needs_person || info->uses_person;
    plan.needs_address = plan.needs_address || info->uses_address;
    plan.columns.push_back({name, spec, std::move(kind), column_stream(name, spec), nullptr});
  }
  for (const std::string& name : unique) {
    auto found = std::find_if(plan.columns.begin(), plan.columns.end(),
                              [&](const PlannedColumn& column) { return column.name == name; });
    if (found == plan.columns.end()) {
      throw SpecError("unique: there is no column '" + shown_text(name) + "'");
    }
    if (!found->unique) {
      found->unique = std::make_shared<const UniqueColumn>(name, found->kind.kind, profile,
                                                           plan.key, found->stream);
    }
  }
  return plan;
}

}  // namespace tarvo
