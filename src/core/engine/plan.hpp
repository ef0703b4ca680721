// src/core/engine/plan.hpp: a seeded data set's columns, key and date, resolved once and then shared.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/drawer.hpp"
#include "engine/profile.hpp"
#include "engine/relation.hpp"
#include "providers/clock.hpp"
#include "random/philox.hpp"

namespace tarvo {

// The fourth counter word of a column's null stream, apart from its value stream's 0, so whether
// a cell is null never moves the values of the cells that are not. One block of the null stream
// serves four rows: block {r / 4, 0, stream, 1}, word r % 4, decides row r, so the drawer
// makes one block per four rows of a column, and any row is still decided alone.
inline constexpr std::uint64_t kNullLane = 1;
inline constexpr std::uint64_t kRowsPerNullBlock = 4;

struct PlannedColumn {
  std::string name;
  std::string text;       // as written: the kind, then its options after ';'
  std::string kind_text;  // the kind alone, which keys the stream
  std::uint64_t stream;   // column_stream(name, kind_text)
  std::shared_ptr<const Drawer> drawer;  // the unique form, for a unique column
  // A cell is null when the top 53 bits of the first word of its null block are below this:
  // 0 for a column without nulls, 2^53 for one that is always null.
  std::uint64_t null_below = 0;
  double nulls = 0;
  bool unique = false;
  std::uint64_t capacity = 0;  // of a unique column: rows below it never repeat a value
  int text_slot = -1;  // where the row keeps this cell's text for the cells that read it

  ValueType type() const { return drawer->traits().type; }
  bool nullable() const { return null_below != 0 || drawer->traits().may_be_null; }
  // Whether the cell whose null word is `word` is null.
  bool is_null(std::uint64_t word) const { return (word >> 11) < null_below; }
  PhiloxBlock null_block(const PhiloxKey& key, std::uint64_t row) const {
    return philox4x64_10({row / kRowsPerNullBlock, 0, stream, kNullLane}, key);
  }
  bool is_null_at(const PhiloxKey& key, std::uint64_t row) const {
    return null_below != 0 && is_null(null_block(key, row)[row % kRowsPerNullBlock]);
  }
};

// Immutable once made, so any number of threads may draw from one plan at once.
struct Plan {
  PhiloxKey key;
  CivilDate as_of;
  std::shared_ptr<const Profile> profile;
  std::vector<PlannedColumn> columns;
  std::uint8_t reads = kReadsNothing;  // what the columns read, together
  std::size_t text_slots = 0;          // cells kept as text in each row, for others to read
  std::string table;                   // its name in a schema, "" for a data set on its own
  // Its relations to the tables of its schema that it reads, in the order first read; the one to
  // many relation to its parent, if it has one, first.
  std::vector<std::shared_ptr<const Relation>> relations;
  // The rows of a table of a schema: as its definition gives them, or for the child of a one to
  // many relation, the sum of its parents' counts. A row past them is refused.
  std::optional<std::uint64_t> row_count;

  const PlannedColumn* column(std::string_view name) const {
    for (const PlannedColumn& c : columns) {
      if (c.name == name) return &c;
    }
    return nullptr;
  }

  bool needs_person() const { return (reads & kReadsPerson) != 0; }
  bool needs_address() const { return (reads & kReadsPlace) != 0; }
};

// An option any column may take after its kind ("email;nulls=0.1"). None of them changes the
// values the column draws, so none enters the column's stream.
struct ColumnOption {
  std::string_view name;
  std::string_view value;  // the grammar of its value
  std::string_view description;
};
std::span<const ColumnOption> column_options();

// The Philox key of a seed (taken modulo 2^128 by the caller): the first two words of
// Philox4x64-10 at counter {0x7461727661736565 ("tarvasee"), 0, 0, 0} under the key
// {seed_low, seed_high}. Hashing rather than using the seed itself keeps neighbouring seeds
// (0, 1, 2, ...) from giving keys that differ in one bit.
PhiloxKey key_from_seed(std::uint64_t seed_low, std::uint64_t seed_high) noexcept;

// FNV-1a (64-bit) of the column's name, a zero byte and its kind text, with the top bit set: the
// column's values depend on what it is called and what it draws, and on nothing else in the data
// set (its options, such as nulls, included).
std::uint64_t column_stream(std::string_view name, std::string_view kind_text) noexcept;

// A table of a schema: its name (which keys it: the schema's key and the name give the table's),
// the tables made before it, which its references read, and for the child of a one to many
// relation, its parent and the children each parent has (least + an outcome of counts).
struct TableContext {
  struct Earlier {
    std::shared_ptr<const Plan> plan;
    std::uint64_t rows;
  };
  std::string name;
  std::vector<std::pair<std::string, Earlier>> earlier;
  std::optional<std::uint64_t> rows;  // the table's rows, unless its parents' children count them
  struct Children {
    std::string parent;
    census::AliasTable counts;
    std::uint32_t least = 0;
    // The parents are households and the children their members: the census's household
    // sizes, and each member a member of its household's family (members_profile.hpp).
    bool households = false;
  };
  std::optional<Children> children;
  // Asked while a one to many index is built (Ctrl-C reaches a schema of a billion parents).
  StopCheck stop;
};

// The key of table `name` of a schema whose key is `schema`: Philox at {"table", FNV-1a(name),
// 0, 0} under it, so adding, removing or reordering tables changes no other table.
PhiloxKey table_key(const PhiloxKey& schema, std::string_view name) noexcept;

// Reads every column strictly (its kind and options, "kind;nulls=0.1"); a DefinitionError names the
// column ("column 'n': ..."). Names must be unique (the caller's dict guarantees it); `unique`
// names the columns whose values must never repeat. `table` makes it a table of a schema.
Plan make_plan(std::span<const std::pair<std::string, std::string>> columns,
               std::uint64_t seed_low, std::uint64_t seed_high, CivilDate as_of,
               std::shared_ptr<const Profile> profile, std::span<const std::string> unique = {},
               const TableContext* table = nullptr);

// Throws DefinitionError when a column cannot give rows below `rows_end`: a unique column with fewer
// values, or a kind whose values run out (row numbers past 2^63 - 1).
void check_rows(const Plan& plan, std::uint64_t rows_end);

}  // namespace tarvo
