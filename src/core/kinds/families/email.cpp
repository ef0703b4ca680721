// src/core/kinds/families/email.cpp: e-mail addresses made from the row's names.
#include <algorithm>
#include <array>

#include "census/email.hpp"
#include "engine/age_gate.hpp"
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
  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    write_address<Census>(rng, *row.person, *row.scratch);
    sink.text(*row.scratch);
  }

  explicit EmailDrawer(std::size_t longest, bool gmail_dots)
      : DrawerOf<EmailDrawer<Census>>({ValueType::Text, kReadsPerson, true, longest}),
        gmail_dots_(gmail_dots) {}

  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    return UniqueForm{std::make_shared<const UniqueEmailDrawer<Census>>(
                          this->traits().longest_text + kUniqueNumber, keys, gmail_dots_),
                      unique::EmailSuffix::kCapacity};
  }

 private:
  bool gmail_dots_ = false;
};

// The drawn address with a number only this row has before the '@'.
template <bool Census>
class UniqueEmailDrawer final : public DrawerOf<UniqueEmailDrawer<Census>> {
 public:
  UniqueEmailDrawer(std::size_t longest, const UniqueKeys& keys, bool gmail_dots)
      : DrawerOf<UniqueEmailDrawer<Census>>({ValueType::Text, kReadsPerson, true, longest}),
        suffix_(keys.words[0], keys.words[1]),
        gmail_dots_(gmail_dots) {}

  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    std::string& out = *row.scratch;
    write_address<Census>(rng, *row.person, out);
    const std::size_t at = out.find('@');
    const std::string domain = out.substr(at);
    out.resize(at);
    // Gmail takes no underscore in a user name; census-1 keeps the one it always wrote.
    const char joiner = gmail_dots_ && domain == "@gmail.com" ? '.' : '_';
    unique::EmailSuffix::append(out, suffix_(row.row), joiner);
    out.append(domain);
    sink.text(out);
  }

 private:
  unique::EmailSuffix suffix_;
  bool gmail_dots_;
};

// No e-mail address below 13, the age the free-mail providers ask their users to be.
std::shared_ptr<const Drawer> make_email(const Profile& profile) {
  const NameBounds names = profile.name_bounds();
  const std::size_t local = names.first_name + names.surname + names.suffix + kLocalExtras;
  const bool gmail_dots = profile.id() != ProfileId::Census1;
  if (draws_census(profile.id())) {
    return for_ages_from(13, profile,
                         std::make_shared<const EmailDrawer<true>>(
                             local + 1 + longest(census::census_figures().domains), gmail_dots));
  }
  return std::make_shared<const EmailDrawer<false>>(local + 1 + longest(preference().domains),
                                                    gmail_dots);
}

std::shared_ptr<const Drawer> strict_email(const KindArgs& args) {
  return plain_kind(args, make_email);
}
std::shared_ptr<const Drawer> lenient_email(std::string_view) {
  return std::make_shared<const EmailDrawer<false>>(0, false);
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
