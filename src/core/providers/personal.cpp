// src/core/providers/personal.cpp: reading the name documents and drawing the personal values.
#include "providers/personal.hpp"

#include <algorithm>
#include <array>

#include "providers/embedded.hpp"
#include "providers/json_reader.hpp"
#include "providers/once.hpp"

namespace tarvo {
namespace {

constinit Once<LastNames> last_names_cell;
constinit Once<FirstNames> first_names_cell;
constinit Once<Preference> preference_cell;

// February is 28 days in every year: a birth date never lands on a leap day, so it exists in
// every birth year and the age arithmetic below never meets a missing date.
constexpr std::array<std::uint32_t, 12> kMonthLength = {31, 28, 31, 30, 31, 30,
                                                         31, 31, 30, 31, 30, 31};

void write_two_digits(char* out, std::uint32_t value) {
  out[0] = static_cast<char>('0' + value / 10);
  out[1] = static_cast<char>('0' + value % 10);
}

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Writes `name` lower-cased without spaces and full stops at `out`; returns the end. Runs once
// per e-mail cell, so it writes through a pointer rather than growing a string per character.
char* write_mail_part(char* out, std::string_view name) {
  for (char c : name) {
    if (c != ' ' && c != '.') *out++ = ascii_lower(c);
  }
  return out;
}

}  // namespace

LastNames parse_last_names(std::string_view padded_text) {
  auto lists = json::read_string_list_document<1>("last_names.json", padded_text, {"surnames"});
  return LastNames{std::move(lists[0])};
}

FirstNames parse_first_names(std::string_view padded_text) {
  auto lists =
      json::read_string_list_document<2>("first_names.json", padded_text, {"male", "female"});
  return FirstNames{std::move(lists[0]), std::move(lists[1])};
}

Preference parse_preference(std::string_view padded_text) {
  auto lists = json::read_string_list_document<3>("preference.json", padded_text,
                                                  {"civil_status", "blood_type", "domains"});
  return Preference{std::move(lists[0]), std::move(lists[1]), std::move(lists[2])};
}

const LastNames& last_names() {
  return last_names_cell.get([] { return parse_last_names(embedded::last_names_json()); });
}

const FirstNames& first_names() {
  return first_names_cell.get([] { return parse_first_names(embedded::first_names_json()); });
}

const Preference& preference() {
  return preference_cell.get([] { return parse_preference(embedded::preference_json()); });
}

template <typename R>
Person draw_person(R& rng, CivilDate today, std::uint32_t youngest, std::uint32_t oldest) {
  const FirstNames& first = first_names();
  const LastNames& last = last_names();

  Person person;
  person.male = rng.coin();
  person.gender = person.male ? kMale : kFemale;
  const std::vector<std::string>& given = person.male ? first.male : first.female;
  person.first_index = static_cast<std::uint32_t>(rng.uniform_index(given.size()));
  person.first_name = given[person.first_index];
  person.last_index = static_cast<std::uint32_t>(rng.uniform_index(last.surnames.size()));
  person.last_name = last.surnames[person.last_index];

  const std::uint32_t age = rng.uniform_u32(youngest, oldest);
  const std::uint32_t month = rng.uniform_u32(1, 12);
  const std::uint32_t day = rng.uniform_u32(1, kMonthLength[month - 1]);
  // A birthday still to come this year means one more year back, so the drawn age is the age
  // the person has today rather than the age they reach this year.
  const bool birthday_ahead = month > today.month || (month == today.month && day > today.day);
  const std::int32_t year =
      today.year - static_cast<std::int32_t>(age) - (birthday_ahead ? 1 : 0);

  // today_utc() keeps today.year within 1970..9999, so the year has exactly four digits.
  auto year_digits = static_cast<std::uint32_t>(year);
  for (int i = 3; i >= 0; --i) {
    person.birthdate_text[i] = static_cast<char>('0' + year_digits % 10);
    year_digits /= 10;
  }
  person.birthdate_text[4] = '-';
  write_two_digits(person.birthdate_text + 5, month);
  person.birthdate_text[7] = '-';
  write_two_digits(person.birthdate_text + 8, day);
  person.age = age;
  person.birth = CivilDate{year, month, day};
  return person;
}

void full_name(const Person& person, std::string& out) {
  out.clear();
  out.reserve(person.first_name.size() + 1 + person.last_name.size());
  out.append(person.first_name).push_back(' ');
  out.append(person.last_name);
}

std::string full_name(const Person& person) {
  std::string out;
  full_name(person, out);
  return out;
}

template <typename R>
void email(R& rng, std::string_view first_name, std::string_view last_name, std::string& out) {
  const std::vector<std::string>& domains = preference().domains;
  const std::string& domain = domains[rng.uniform_index(domains.size())];
  out.resize(first_name.size() + last_name.size() + domain.size() + 2);
  char* end = write_mail_part(out.data(), first_name);
  *end++ = '.';
  end = write_mail_part(end, last_name);
  *end++ = '@';
  end = std::copy(domain.begin(), domain.end(), end);
  out.resize(static_cast<std::size_t>(end - out.data()));
}

template <typename R>
std::string email(R& rng, std::string_view first_name, std::string_view last_name) {
  std::string out;
  email(rng, first_name, last_name, out);
  return out;
}

template <typename R>
std::size_t civil_status_index(R& rng) {
  return rng.uniform_index(preference().civil_status.size());
}

template <typename R>
std::string_view civil_status(R& rng) {
  return preference().civil_status[civil_status_index(rng)];
}

template <typename R>
std::size_t blood_type_index(R& rng) { return rng.uniform_index(preference().blood_type.size()); }

template <typename R>
std::string_view blood_type(R& rng) { return preference().blood_type[blood_type_index(rng)]; }

// The lenient per-thread generator and the seeded per-cell one draw through the same code.
template Person draw_person(Rng& rng, CivilDate today, std::uint32_t, std::uint32_t);
template Person draw_person(CounterRng& rng, CivilDate today, std::uint32_t, std::uint32_t);
template void email(Rng& rng, std::string_view first_name, std::string_view last_name, std::string& out);
template void email(CounterRng& rng, std::string_view first_name, std::string_view last_name, std::string& out);
template std::string email(Rng& rng, std::string_view first_name, std::string_view last_name);
template std::string email(CounterRng& rng, std::string_view first_name, std::string_view last_name);
template std::size_t civil_status_index(Rng& rng);
template std::size_t civil_status_index(CounterRng& rng);
template std::string_view civil_status(Rng& rng);
template std::string_view civil_status(CounterRng& rng);
template std::size_t blood_type_index(Rng& rng);
template std::size_t blood_type_index(CounterRng& rng);
template std::string_view blood_type(Rng& rng);
template std::string_view blood_type(CounterRng& rng);

}  // namespace tarvo
