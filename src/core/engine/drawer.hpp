// src/core/engine/drawer.hpp: a column resolved once, when the plan is made, into what draws its cells.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/row_person.hpp"
#include "engine/sink.hpp"
#include "kinds/value_type.hpp"
#include "providers/address.hpp"
#include "random.hpp"
#include "random/counter_rng.hpp"
#include "random/philox.hpp"

namespace tarvo {

// What the cells of a kind read besides their own stream; the drawer draws a row's person and
// place only when some column reads them.
enum Reads : std::uint8_t {
  kReadsNothing = 0,
  kReadsPerson = 1,
  kReadsPlace = 2,
  kReadsMiddleName = 4,  // the uniform profile draws the mother's surname only when asked
};

struct Plan;

// The texts of the row's cells that other cells read (a template's fields), kept as the row
// drawer writes those cells, so a template copies them rather than drawing them again.
struct RowTexts {
  std::vector<std::string> text;  // by the column's text slot
  std::vector<std::uint8_t> filled;
};

// One row as its cells see it.
struct RowView {
  std::uint64_t row;
  const RowPerson* person;  // null when no column reads the person
  const Address* address;   // null when no column reads the place, or the data has none
  const Plan* plan;         // null for Dummy's rows
  std::string* scratch;     // the drawing thread's buffer for composed texts, reused by each cell
  RowTexts* texts;          // null for Dummy's rows
  // The parent row of each of the plan's relations, by its index in plan.relations, found once
  // for the row; null when a cell is drawn alone (then it finds its own).
  const std::uint64_t* parents = nullptr;
  const std::uint32_t* positions = nullptr;
};

// What a resolved column is, fixed when the plan is made: the sinks and the bounds read this
// record instead of asking the kind.
struct DrawerTraits {
  ValueType type = ValueType::Text;
  std::uint8_t reads = kReadsNothing;
  // Whether the cells take words from the column's own stream: the row drawer makes the stream's
  // first block, in the row's batch, only for those that do.
  bool draws_words = true;
  // The most bytes of one text cell (for an address, of its longest part); 0 for other types.
  std::size_t longest_text = 0;
  // Whether the kind itself may give a null (a child's e-mail), apart from a column's nulls.
  bool may_be_null = false;
};

// The keys a unique form is built from: Philox at {stream, 0, "unique", 0} under the data set's
// key, apart from every row's stream (whose counters start with the row).
struct UniqueKeys {
  PhiloxBlock words;
};

class Drawer;

// A column in which no two rows share a value: row r holds value P(r) of the kind's values, for
// a keyed permutation P, so nothing is remembered.
struct UniqueForm {
  std::shared_ptr<const Drawer> drawer;
  std::uint64_t capacity;  // distinct values, so rows below it never repeat one
};

// Draws one cell of its column per call. A seeded data set passes the cell's own counter stream,
// Dummy its thread's generator; either way this is the only place the kind becomes a value.
// Immutable once made: any number of threads draw from one drawer at once.
class Drawer {
 public:
  explicit Drawer(const DrawerTraits& traits) noexcept : traits_(traits) {}
  virtual ~Drawer() = default;
  Drawer(const Drawer&) = delete;
  Drawer& operator=(const Drawer&) = delete;

  virtual void draw(CounterRng& rng, const RowView& row, Sink& sink) const = 0;
  virtual void draw(Rng& rng, const RowView& row, Sink& sink) const = 0;

  // The same kind with no two rows sharing a value, or none when the kind has no unique form.
  virtual std::optional<UniqueForm> unique_form(const UniqueKeys& /*keys*/) const {
    return std::nullopt;
  }

  // Why the kind cannot give rows below `rows_end` (its values would run out), or none.
  virtual std::optional<std::string> rows_error(std::uint64_t /*rows_end*/) const {
    return std::nullopt;
  }

  const DrawerTraits& traits() const noexcept { return traits_; }

 private:
  DrawerTraits traits_;
};

// Implements both draws with one template `cell(R& rng, const RowView&, Sink&)` of Self, so a
// kind is written once for both word sources.
template <class Self>
class DrawerOf : public Drawer {
 public:
  using Drawer::Drawer;
  void draw(CounterRng& rng, const RowView& row, Sink& sink) const final {
    static_cast<const Self*>(this)->cell(rng, row, sink);
  }
  void draw(Rng& rng, const RowView& row, Sink& sink) const final {
    static_cast<const Self*>(this)->cell(rng, row, sink);
  }
};

}  // namespace tarvo
