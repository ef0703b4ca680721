// src/core/kinds/families/email.cpp: e-mail addresses made from the row's names.
#include <algorithm>
#include <array>

#include "census/email.hpp"
#include "engine/profile.hpp"
#include "kinds/fields.hpp"
#include "providers/personal.hpp"
#include "unique/email_suffix.hpp"

namespace tarvo {
namespace {

// Separators, a middle initial, up to four digits or a birth year, a written suffix.
constexpr std::size_t kLocalExtras = 16;
// A unique column's row number: up to 19 digits after an underscore.
constexpr std::size_t kUniqueNumber = 20;

std::size_t longest(const std::vector<std::string>& list) {
  std::size_t most = 0;
  for (const std::string& entry : list) most = std::max(most, entry.size());
  return most;
}

template <bool Census>
void write_address(auto& rng, const RowPerson& person, std::string& out) {
  if constexpr (Census) {
    census::census_email(rng, person.census, out);
  } else {
    email(rng, person.first_name, person.last_name, out);
  }
}

template <bool Census>
class UniqueEmailDrawer;

// The census profile's addresses take the forms Filipinos use at free-mail providers; the
// uniform profile's are first.last at a uniformly drawn domain, as Dummy writes them.
template <bool Census>
class EmailDrawer final : public DrawerOf<EmailDrawer<Census>> {
 public:
  explicit EmailDrawer(std::size_t longest)
      : DrawerOf<EmailDrawer<Census>>({ValueType::Text, kReadsPerson, true, longest}) {}

  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    write_address<Census>(rng, *row.person, *row.scratch);
    sink.text(*row.scratch);
  }

  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    return UniqueForm{std::make_shared<const UniqueEmailDrawer<Census>>(
                          this->traits().longest_text + kUniqueNumber, keys),
                      unique::EmailSuffix::kCapacity};
  }
};

// The drawn address with a number only this row has before the '@'.
template <bool Census>
class UniqueEmailDrawer final : public DrawerOf<UniqueEmailDrawer<Census>> {
 public:
  UniqueEmailDrawer(std::size_t longest, const UniqueKeys& keys)
      : DrawerOf<UniqueEmailDrawer<Census>>({ValueType::Text, kReadsPerson, true, longest}),
        suffix_(keys.words[0], keys.words[1]) {}

  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    std::string& out = *row.scratch;
    write_address<Census>(rng, *row.person, out);
    const std::size_t at = out.find('@');
    const std::string domain = out.substr(at);
    out.resize(at);
    unique::EmailSuffix::append(out, suffix_(row.row));
    out.append(domain);
    sink.text(out);
  }

 private:
  unique::EmailSuffix suffix_;
};

std::shared_ptr<const Drawer> make_email(const Profile& profile) {
  const NameBounds names = profile.name_bounds();
  const std::size_t local = names.first_name + names.surname + names.suffix + kLocalExtras;
  if (profile.id() == ProfileId::Census) {
    return std::make_shared<const EmailDrawer<true>>(
        local + 1 + longest(census::census_figures().domains));
  }
  return std::make_shared<const EmailDrawer<false>>(local + 1 + longest(preference().domains));
}

std::shared_ptr<const Drawer> strict_email(const KindArgs& args) {
  return plain_kind(args, make_email);
}
std::shared_ptr<const Drawer> lenient_email(std::string_view) {
  return std::make_shared<const EmailDrawer<false>>(0);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"email", "", "e-mail address made from the row's names", ValueType::Text, kReadsPerson, true,
   "", strict_email, lenient_email},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> email_kinds() { return kKinds; }

}  // namespace tarvo
