// src/core/unique/email_suffix.hpp: a distinct number per row for the local part of unique e-mails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "unique/permutation.hpp"

namespace tarvo::unique {

// Names repeat, so a unique e-mail column ends every local part with a number that no other
// row has: "juan.delacruz" + "4821" + "@gmail.com". Two rows then differ in that number,
// whatever their names and domains, as long as the number can be read back from the address:
// append() makes sure of that.
//
// The number for row r has as many digits as r + 1 and is a keyed permutation of the numbers
// of that length: rows 0..8 get the nine one-digit numbers 1..9 in some order, rows 9..98 the
// two-digit ones, and so on. Numbers stay as short as the data set allows (six digits at most
// up to a million rows) and still depend on the row index alone, not on how many rows are
// made. Every row index below kCapacity has its own number.
class EmailSuffix {
 public:
  static constexpr std::uint64_t kCapacity = 9'999'999'999'999'999'999u;  // 10^19 - 1

  EmailSuffix(std::uint64_t key_lo, std::uint64_t key_hi);

  // The number of row `row`, 1 or more, distinct for distinct rows; Panic when row >= kCapacity.
  std::uint64_t operator()(std::uint64_t row) const;

  // Appends number in decimal to the local part in out. When out ends in a digit (local parts
  // such as "jdc85"), `joiner` goes first (an underscore, or a full stop where the provider
  // takes no underscore), so the number is always the run of digits just before the '@' and
  // distinct numbers always make distinct addresses.
  static void append(std::string& out, std::uint64_t number, char joiner = '_');

 private:
  std::vector<Permutation> lengths_;  // [d - 1]: the d-digit numbers 10^(d-1) .. 10^d - 1
};

}  // namespace tarvo::unique
