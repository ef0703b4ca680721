// src/core/census/email.cpp: writing an e-mail address from a person's names in ASCII.
#include "census/email.hpp"

#include <algorithm>
#include <string_view>

#include "providers/ascii_fold.hpp"

namespace tarvo::census {
namespace {

char* write_initial(char* out, std::string_view name) {
  char folded[64];
  const char* end = write_folded(folded, name.substr(0, sizeof folded / 2));
  if (end != folded) *out++ = folded[0];
  return out;
}

// How each LocalName is written, in enum order: F the first name, f its initial, m the middle
// initial, L the last name, and the separators as they stand.
constexpr const char* kRecipes[] = {"F.L",   "FL",  "f.L", "fL", "F_L",
                                    "F.m.L", "FmL", "L.F", "LF", "F"};

char* write_digits(char* out, std::uint32_t value, std::uint32_t width) {
  for (std::uint32_t i = width; i-- > 0;) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + width;
}

}  // namespace

void write_email(const CensusPerson& person, const EmailShape& shape, std::string& out) {
  const std::string& domain = census_figures().domains[shape.domain];
  // Gmail takes only letters, digits and full stops in a user name.
  const char joiner = domain == "gmail.com" ? '.' : '_';

  out.resize(person.first_name.size() + person.last_name.size() + person.suffix.size() +
             domain.size() + 8);
  char* const begin = out.data();
  char* at = begin;
  for (const char* step = kRecipes[static_cast<std::size_t>(shape.name)]; *step; ++step) {
    switch (*step) {
      case 'F':
        at = write_folded(at, person.first_name);
        break;
      case 'f':
        at = write_initial(at, person.first_name);
        break;
      case 'm':
        at = write_initial(at, person.middle_name);
        break;
      case 'L':
        at = write_folded(at, person.last_name);
        break;
      case '_':
        *at++ = joiner;
        break;
      default:
        *at++ = *step;
        break;
    }
  }
  if (shape.with_suffix && shape.name != LocalName::kFirstOnly) {
    at = write_folded(at, person.suffix);
  }

  // Gmail wants six characters at least; the birth year stands in for shorter digits there.
  Digits digits = shape.digits;
  const std::uint32_t width = digits == Digits::kRandom           ? shape.width
                              : digits == Digits::kBirthYearShort ? 2
                              : digits == Digits::kBirthYear      ? 4
                                                                  : 0;
  if ((digits == Digits::kNone && shape.name == LocalName::kFirstOnly) ||
      (at - begin) + width < 6) {
    digits = Digits::kBirthYear;
  }
  const auto year = static_cast<std::uint32_t>(person.birth_date.year);
  switch (digits) {
    case Digits::kNone:
      break;
    case Digits::kBirthYear:
      at = write_digits(at, year, 4);
      break;
    case Digits::kBirthYearShort:
      at = write_digits(at, year % 100, 2);
      break;
    case Digits::kRandom:
      at = write_digits(at, shape.number, shape.width);
      break;
  }
  *at++ = '@';
  at = std::copy(domain.begin(), domain.end(), at);
  out.resize(static_cast<std::size_t>(at - begin));
}

}  // namespace tarvo::census
