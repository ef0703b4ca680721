// src/core/providers/embedded.hpp: the JSON documents compiled into the module.
#pragma once

#include <cstddef>
#include <string_view>

namespace tarvo::embedded {

// Every text is followed by at least this many zero bytes, so a parser that reads ahead in
// wide blocks (simdjson) can use it in place without a copy.
inline constexpr std::size_t kPadding = 64;

std::string_view last_names_json();
std::string_view first_names_json();
std::string_view preference_json();
std::string_view contact_json();
std::string_view government_json();
std::string_view utility_json();
std::string_view luzon_json();
std::string_view visayas_json();
std::string_view mindanao_json();
std::string_view census_zip_json();
std::string_view census_landline_json();
std::string_view census_mobile_json();
std::string_view census_names_json();
std::string_view census_people_json();
std::string_view census_written_places_json();
std::string_view census_streets_json();
std::string_view census_occupation_json();
std::string_view census_education_json();
std::string_view census_employers_json();
std::string_view census_religion_json();
std::string_view census_surnames_json();
std::string_view census_surname_places_json();
std::string_view census_given_names_json();
std::string_view census_population_json();

}  // namespace tarvo::embedded
