// src/core/kinds/families/life.cpp: birthdate and age, read from the row's person.
#include <array>

#include "kinds/fields.hpp"

namespace tarvo {
namespace {

class BirthdateDrawer final : public DrawerOf<BirthdateDrawer> {
 public:
  BirthdateDrawer() : DrawerOf({ValueType::Date, kReadsPerson, false, 10}) {}
  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    sink.date(row.person->birth_days, row.person->birthdate());
  }
};

class AgeDrawer final : public DrawerOf<AgeDrawer> {
 public:
  AgeDrawer() : DrawerOf({ValueType::Int32, kReadsPerson, false, 0}) {}
  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    sink.integer(row.person->age);
  }
};

template <class D>
std::shared_ptr<const Drawer> strict(const KindArgs& args) {
  return plain_kind(args, [](const Profile&) { return std::make_shared<const D>(); });
}
template <class D>
std::shared_ptr<const Drawer> lenient(std::string_view) {
  return std::make_shared<const D>();
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"birthdate", "", "birth date, YYYY-MM-DD", ValueType::Date, kReadsPerson, false, "",
   strict<BirthdateDrawer>, lenient<BirthdateDrawer>},
  {"age", "", "exact age in years on the data set's date", ValueType::Int32, kReadsPerson, false,
   "", strict<AgeDrawer>, lenient<AgeDrawer>},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> life_kinds() { return kKinds; }

}  // namespace tarvo
