// src/core/engine/profile.hpp: a data set's profile: how its rows' people and places are drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "engine/row_person.hpp"
#include "providers/address.hpp"
#include "providers/clock.hpp"
#include "providers/personal.hpp"
#include "random/counter_rng.hpp"

namespace tarvo {

// Which distributions a column draws from. A kind whose cells differ between profiles picks its
// drawer by this once, when the plan is made, never per cell.
enum class ProfileId : std::uint8_t {
  Census,   // people and places as the Philippines has them
  Census1,  // the census profile of the 1.1 releases, kept so that their seeds still replay
  Uniform,  // every list entry equally likely, as Dummy draws
};

// Whether the profile draws as the censuses describe the country (either census profile).
inline bool draws_census(ProfileId id) noexcept { return id != ProfileId::Uniform; }

// The ages of a data set's people, inclusive.
struct AgeRange {
  std::uint32_t youngest;
  std::uint32_t oldest;
  friend bool operator==(const AgeRange&, const AgeRange&) = default;
};

// The streams of a row that are not a column's. Column streams have the top bit set, so the
// two sets never meet.
inline constexpr std::uint64_t kPersonStream = 1;
inline constexpr std::uint64_t kAddressStream = 2;

// The longest names a profile's people can have, in bytes, for the bounds of text columns.
struct NameBounds {
  std::size_t first_name, surname, suffix;
};

// Chosen once per plan and shared read-only by every thread that draws from it.
class Profile {
 public:
  Profile(ProfileId id, AgeRange ages, AgeRange default_ages) noexcept;
  virtual ~Profile() = default;
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;

  ProfileId id() const noexcept { return id_; }
  AgeRange ages() const noexcept { return ages_; }
  // The stream of the row's person: kPersonStream for the profile's own ages, another for any
  // other range, so that narrowing the ages draws other people rather than shifted ones.
  std::uint64_t person_stream() const noexcept { return person_stream_; }

  // Whether the person nearly always takes two blocks of its stream, so the drawer can make the
  // second in the row's batch of first blocks.
  virtual bool person_takes_two_blocks() const noexcept = 0;
  // The row's person from its stream; `with_middle` when a column reads the middle name.
  // `place` is the row's address when person_reads() asks for it (null if none was drawn).
  virtual void draw_person(CounterRng& rng, CivilDate as_of, bool with_middle,
                           const Address* place, RowPerson& out) const = 0;
  // The person of row `row` of a table whose people are someone else's (household members):
  // by default, drawn from the stream as above.
  virtual void draw_person_at(std::uint64_t /*row*/, CounterRng& rng, CivilDate as_of,
                              bool with_middle, const Address* place, RowPerson& out) const {
    draw_person(rng, as_of, with_middle, place, out);
  }
  // What drawing the person reads besides its stream: the census profile's people depend on
  // their place.
  virtual std::uint8_t person_reads() const noexcept { return 0; }
  virtual std::optional<Address> draw_address(CounterRng& rng) const = 0;
  // Whether the people are the members of households: each row one member of a family drawn
  // for its household (relationship reads their role).
  virtual bool household_members() const noexcept { return false; }
  // The place of row `row` (a household member's is the household's): by default as above.
  virtual std::optional<Address> draw_address_at(std::uint64_t /*row*/, CounterRng& rng) const {
    return draw_address(rng);
  }
  virtual NameBounds name_bounds() const = 0;

 private:
  ProfileId id_;
  AgeRange ages_;
  std::uint64_t person_stream_;
};

// The profile named `name` ("census", "census-1" or "uniform"), with its people's ages narrowed
// to `ages` when given. Throws DefinitionError for an unknown name or a range the profile cannot draw.
std::shared_ptr<const Profile> make_profile(std::string_view name,
                                            std::optional<AgeRange> ages = std::nullopt);

// The row's view of a census person drawn into row.census, whose names are entries of these
// lists (given names of none, for the current census profile's composed ones).
void fill_census_row(RowPerson& row);
void fill_census_row(RowPerson& row, const TextList* first_names, const TextList& surnames,
                     const TextList& suffixes);

// A uniformly drawn person (Dummy's, or the uniform profile's) as the cells read it.
void uniform_row_person(const Person& drawn, RowPerson& out);

// The ages a profile draws when a data set does not narrow them.
AgeRange default_ages(ProfileId id) noexcept;

}  // namespace tarvo
