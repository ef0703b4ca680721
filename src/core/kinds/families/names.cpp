// src/core/kinds/families/names.cpp: gender and the person's names, read from the row's person.
#include <array>

#include "engine/profile.hpp"
#include "kinds/fields.hpp"

namespace tarvo {
namespace {

// Which part of the person a drawer writes; each reads it, none draws words of its own.
enum class Part : std::uint8_t { Gender, First, Middle, Last, Suffix, Full };

template <Part P>
class NameDrawer final : public DrawerOf<NameDrawer<P>> {
 public:
  NameDrawer(std::size_t longest, std::uint8_t reads)
      : DrawerOf<NameDrawer<P>>({ValueType::Text, reads, false, longest}) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    const RowPerson& p = *row.person;
    if constexpr (P == Part::Gender) {
      sink.listed(gender_list(), p.male ? 0 : 1, p.gender);
    } else if constexpr (P == Part::First) {
      if (p.first_list == nullptr) return sink.text(p.first_name);  // a composed name
      sink.listed(*p.first_list, p.first_index, p.first_name);
    } else if constexpr (P == Part::Middle) {
      sink.listed(*p.surname_list, p.middle_index, p.middle_name);
    } else if constexpr (P == Part::Last) {
      sink.listed(*p.surname_list, p.last_index, p.last_name);
    } else if constexpr (P == Part::Suffix) {
      if (p.suffix_list == nullptr) return sink.text(p.suffix);  // never drawn: always ""
      sink.listed(*p.suffix_list, p.suffix_index, p.suffix);
    } else {
      std::string& text = *row.scratch;
      text.assign(p.first_name).append(" ").append(p.last_name);
      if (!p.suffix.empty()) text.append(" ").append(p.suffix);
      sink.text(text);
    }
  }
};

template <Part P>
std::size_t longest(const NameBounds& b) {
  switch (P) {
    case Part::Gender: return 6;  // "Female"
    case Part::First: return b.first_name;
    case Part::Middle:
    case Part::Last: return b.surname;
    case Part::Suffix: return b.suffix;
    case Part::Full: return b.first_name + 1 + b.surname + (b.suffix == 0 ? 0 : 1 + b.suffix);
  }
  return 0;
}

template <Part P, std::uint8_t Reads = kReadsPerson>
std::shared_ptr<const Drawer> strict_name(const KindArgs& args) {
  return plain_kind(args, [](const Profile& profile) {
    return std::make_shared<const NameDrawer<P>>(longest<P>(profile.name_bounds()), Reads);
  });
}

// Dummy's people have no middle name or suffix, so it knows only these four.
template <Part P>
std::shared_ptr<const Drawer> lenient_name(std::string_view) {
  return std::make_shared<const NameDrawer<P>>(0, kReadsPerson);
}

constexpr std::uint8_t kReadsMiddle = kReadsPerson | kReadsMiddleName;

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"gender", "", "Male or Female", ValueType::Text, kReadsPerson, false, "",
   strict_name<Part::Gender>, lenient_name<Part::Gender>},
  {"first_name", "", "first name matching the gender", ValueType::Text, kReadsPerson, false, "",
   strict_name<Part::First>, lenient_name<Part::First>},
  {"middle_name", "", "middle name: a surname, the mother's maiden name", ValueType::Text,
   kReadsMiddle, false, "", strict_name<Part::Middle, kReadsMiddle>, nullptr},
  {"last_name", "", "surname", ValueType::Text, kReadsPerson, false, "",
   strict_name<Part::Last>, lenient_name<Part::Last>},
  {"suffix", "", "name suffix (Jr., Sr., III), mostly empty", ValueType::Text, kReadsPerson,
   false, "", strict_name<Part::Suffix>, nullptr},
  {"full_name", "", "first name and surname", ValueType::Text, kReadsPerson, false, "",
   strict_name<Part::Full>, lenient_name<Part::Full>},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> name_kinds() { return kKinds; }

}  // namespace tarvo
