// src/core/kinds/families/uuid.cpp: uuid (and id): random version-4 UUIDs.
#include <array>

#include "kinds/fields.hpp"
#include "providers/utility.hpp"
#include "unique/formats.hpp"

namespace tarvo {
namespace {

constexpr DrawerTraits kTraits{ValueType::Text, kReadsNothing, true, 36};

// Unique by construction: a keyed bijection of the row index, no permutation needed.
class UniqueUuidDrawer final : public DrawerOf<UniqueUuidDrawer> {
 public:
  explicit UniqueUuidDrawer(std::uint64_t key)
      : DrawerOf({ValueType::Text, kReadsNothing, false, 36}), key_(key) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    sink.text(unique::uuid_at(row.row, key_).view());
  }

 private:
  std::uint64_t key_;
};

class UuidDrawer final : public DrawerOf<UuidDrawer> {
 public:
  UuidDrawer() : DrawerOf(kTraits) {}

  template <class R>
  void cell(R& rng, const RowView&, Sink& sink) const {
    sink.text(uuid(rng).view());
  }

  std::optional<UniqueForm> unique_form(const UniqueKeys& keys) const override {
    return UniqueForm{std::make_shared<const UniqueUuidDrawer>(keys.words[2]),
                      unique::kUuidCapacity};
  }
};

std::shared_ptr<const Drawer> make_uuid(const Profile&) {
  return std::make_shared<const UuidDrawer>();
}
std::shared_ptr<const Drawer> strict_uuid(const KindArgs& args) {
  return plain_kind(args, make_uuid);
}
std::shared_ptr<const Drawer> lenient_uuid(std::string_view) {
  return std::make_shared<const UuidDrawer>();
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"uuid", "", "random version-4 UUID", ValueType::Text, kReadsNothing, true, "",
   strict_uuid, lenient_uuid},
  {"id", "", "random version-4 UUID", ValueType::Text, kReadsNothing, true, "uuid",
   strict_uuid, lenient_uuid},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> uuid_kinds() { return kKinds; }

}  // namespace tarvo
