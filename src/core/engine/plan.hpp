// src/core/engine/plan.hpp: a seeded data set's columns, key and date, read once and then shared.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/unique_column.hpp"
#include "kinds/column_kind.hpp"
#include "providers/clock.hpp"
#include "random/philox.hpp"

namespace tarvo {

enum class Profile : std::uint8_t {
  Census,   // people and places as the Philippines has them
  Uniform,  // every list entry equally likely, as Dummy draws
};

// The streams of a row that are not a column's. Column streams have the top bit set, so the
// two sets never meet.
inline constexpr std::uint64_t kPersonStream = 1;
inline constexpr std::uint64_t kAddressStream = 2;

struct PlannedColumn {
  std::string name;
  std::string spec;
  ColumnKind kind;
  std::uint64_t stream;  // column_stream(name, spec)
  std::shared_ptr<const UniqueColumn> unique;  // set when no two rows may share a value
};

// Immutable once made, so any number of threads may draw from one plan at once.
struct Plan {
  PhiloxKey key;
  CivilDate as_of;
  Profile profile;
  std::vector<PlannedColumn> columns;
  bool needs_person = false;
  bool needs_address = false;
};

// The Philox key of a seed (taken modulo 2^128 by the caller): the first two words of
// Philox4x64-10 at counter {0x7461727661736565 ("tarvasee"), 0, 0, 0} under the key
// {seed_low, seed_high}. Hashing rather than using the seed itself keeps neighbouring seeds
// (0, 1, 2, ...) from giving keys that differ in one bit.
PhiloxKey key_from_seed(std::uint64_t seed_low, std::uint64_t seed_high) noexcept;

// FNV-1a (64-bit) of the column's name, a zero byte and its kind text, with the top bit set: the
// column's values depend on what it is called and what it draws, and on nothing else in the data
// set.
std::uint64_t column_stream(std::string_view name, std::string_view spec) noexcept;

// Reads every kind strictly; a SpecError names the column ("column 'n': ..."). Names must be
// unique (the caller's dict guarantees it); `unique` names the columns whose values must never
// repeat.
Plan make_plan(std::span<const std::pair<std::string, std::string>> columns,
               std::uint64_t seed_low, std::uint64_t seed_high, CivilDate as_of, Profile profile,
               std::span<const std::string> unique = {});

}  // namespace tarvo
