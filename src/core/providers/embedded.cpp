// src/core/providers/embedded.cpp: typed access to the documents that embedded_documents.S links in.
#include "providers/embedded.hpp"

#include <cstdint>

// The assembler file defines, per document, its first byte and its length; see
// cmake/embed_documents.cmake for how it is generated.
#define TARVO_DOCUMENT(name)                                   \
  extern "C" const char tarvo_doc_##name[];                    \
  extern "C" const std::uint64_t tarvo_doc_##name##_size;      \
  std::string_view tarvo::embedded::name() {                   \
    return {tarvo_doc_##name, static_cast<std::size_t>(tarvo_doc_##name##_size)}; \
  }

TARVO_DOCUMENT(last_names_json)
TARVO_DOCUMENT(first_names_json)
TARVO_DOCUMENT(preference_json)
TARVO_DOCUMENT(contact_json)
TARVO_DOCUMENT(government_json)
TARVO_DOCUMENT(utility_json)
TARVO_DOCUMENT(luzon_json)
TARVO_DOCUMENT(visayas_json)
TARVO_DOCUMENT(mindanao_json)
TARVO_DOCUMENT(census_zip_json)
TARVO_DOCUMENT(census_landline_json)
TARVO_DOCUMENT(census_mobile_json)
TARVO_DOCUMENT(census_names_json)
TARVO_DOCUMENT(census_people_json)
TARVO_DOCUMENT(census_written_places_json)
TARVO_DOCUMENT(census_streets_json)
TARVO_DOCUMENT(census_occupation_json)
TARVO_DOCUMENT(census_education_json)
TARVO_DOCUMENT(census_employers_json)
TARVO_DOCUMENT(census_religion_json)
TARVO_DOCUMENT(census_surnames_json)
TARVO_DOCUMENT(census_surname_places_json)
TARVO_DOCUMENT(census_given_names_json)
TARVO_DOCUMENT(census_population_json)
