// src/core/kinds/registry.cpp: the table of kind families. A new family is one file and one line here.
#include "kinds/registry.hpp"

#include <array>
#include <vector>

namespace tarvo {

// Each family's file (kinds/families/) lists its kinds with their parsers and drawers.
std::span<const KindDescriptor> number_kinds();
std::span<const KindDescriptor> choice_kinds();
std::span<const KindDescriptor> uuid_kinds();
std::span<const KindDescriptor> name_kinds();
std::span<const KindDescriptor> email_kinds();
std::span<const KindDescriptor> life_kinds();
std::span<const KindDescriptor> trait_kinds();
std::span<const KindDescriptor> utility_kinds();
std::span<const KindDescriptor> contact_kinds();
std::span<const KindDescriptor> government_kinds();
std::span<const KindDescriptor> place_kinds();
std::span<const KindDescriptor> row_kinds();
std::span<const KindDescriptor> bool_kinds();
std::span<const KindDescriptor> money_kinds();
std::span<const KindDescriptor> date_kinds();
std::span<const KindDescriptor> pattern_kinds();
std::span<const KindDescriptor> template_kinds();
std::span<const KindDescriptor> identifier_kinds();
std::span<const KindDescriptor> work_kinds();
std::span<const KindDescriptor> reference_kinds();
std::span<const KindDescriptor> household_kinds();

namespace {

using Family = std::span<const KindDescriptor> (*)();

// In the order users see the kinds (`tarvo kinds`, the README).
constexpr std::array<Family, 21> kFamilies = {
    number_kinds,     choice_kinds, uuid_kinds,    name_kinds,     email_kinds,
    life_kinds,       trait_kinds,  utility_kinds, contact_kinds,  government_kinds,
    identifier_kinds, place_kinds,  work_kinds,    row_kinds,      bool_kinds,
    money_kinds,      date_kinds,   pattern_kinds, template_kinds, reference_kinds,
    household_kinds,
};

}  // namespace

std::span<const KindDescriptor> kind_registry() {
  static const std::vector<KindDescriptor> kinds = [] {
    std::vector<KindDescriptor> all;
    for (Family family : kFamilies) {
      for (const KindDescriptor& kind : family()) all.push_back(kind);
    }
    return all;
  }();
  return kinds;
}

const KindDescriptor* find_kind(std::string_view name) {
  for (const KindDescriptor& kind : kind_registry()) {
    if (kind.name == name) return &kind;
  }
  return nullptr;
}

}  // namespace tarvo
