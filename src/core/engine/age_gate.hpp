// src/core/engine/age_gate.hpp: a kind that a child does not have (an e-mail, a TIN) is null for one.
#pragma once

#include <memory>

#include "engine/drawer.hpp"
#include "engine/profile.hpp"

namespace tarvo {

// The inner kind's cell from `youngest` years of age, a null below: under the census profile,
// whose people may be children, a column of such a kind can hold nulls only when the data set's
// ages reach below `youngest`, and only then is it nullable in typed outputs.
class AgeGate final : public DrawerOf<AgeGate> {
 public:
  AgeGate(std::shared_ptr<const Drawer> inner, std::uint32_t youngest)
      : DrawerOf(gated(inner->traits())), inner_(std::move(inner)), youngest_(youngest) {}

  template <class R>
  void cell(R& rng, const RowView& row, Sink& sink) const {
    if (row.person->age < youngest_) return sink.null();
    inner_->draw(rng, row, sink);
  }

  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    auto form = inner_->unique_form(keys);
    if (form) form->drawer = std::make_shared<const AgeGate>(std::move(form->drawer), youngest_);
    return form;
  }

 private:
  static DrawerTraits gated(DrawerTraits traits) {
    traits.reads |= kReadsPerson;
    traits.may_be_null = true;
    return traits;
  }

  std::shared_ptr<const Drawer> inner_;
  std::uint32_t youngest_;
};

// `drawer`, gated at `youngest` when the profile's people can be younger.
inline std::shared_ptr<const Drawer> for_ages_from(std::uint32_t youngest, const Profile& profile,
                                                   std::shared_ptr<const Drawer> drawer) {
  if (profile.id() != ProfileId::Census || profile.ages().youngest >= youngest) return drawer;
  return std::make_shared<const AgeGate>(std::move(drawer), youngest);
}

}  // namespace tarvo
