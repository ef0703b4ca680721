// src/core/engine/unique_column.hpp: a column whose values never repeat, from a keyed bijection of the row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kinds/registry.hpp"
#include "random/philox.hpp"
#include "unique/email_suffix.hpp"
#include "unique/formats.hpp"
#include "unique/permutation.hpp"

namespace tarvo {

enum class Profile : std::uint8_t;

// Row r of the column holds value P(r) of its format, for a permutation P of all the format's
// values keyed by the data set and the column: no memory of what was drawn, the same value for
// the row at any start and thread count, and never a repeat below the format's capacity. An
// e-mail keeps its drawn local part and domain and gets a number only that row has.
class UniqueColumn {
 public:
  // Throws SpecError naming the column when its kind has no unique form.
  UniqueColumn(std::string_view column, Kind kind, Profile profile, const PhiloxKey& key,
               std::uint64_t stream);

  std::uint64_t capacity() const { return capacity_; }
  Kind kind() const { return kind_; }

  // The text of row `row` (kinds other than e-mail); replaces out.
  void write(std::uint64_t row, std::string& out) const;

  // Inserts the row's number before the '@' of a drawn e-mail address in out.
  void number_email(std::uint64_t row, std::string& out) const;

 private:
  Kind kind_;
  std::uint64_t capacity_ = 0;
  std::optional<unique::Permutation> permutation_;
  std::optional<unique::EmailSuffix> email_;
  std::uint64_t uuid_key_ = 0;
  std::vector<std::string> prefixes_;
  unique::TinBranch tin_branch_ = unique::TinBranch::any;
};

// Throws SpecError when a unique column of the plan cannot hold rows below `rows_end`.
struct Plan;
void check_unique_capacity(const Plan& plan, std::uint64_t rows_end);

}  // namespace tarvo
