// src/core/kinds/registry.hpp: every column kind, once: its name, value type, parameters, meaning and drawers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "engine/drawer.hpp"
#include "kinds/value_type.hpp"
#include "providers/clock.hpp"

namespace tarvo {

class Profile;
class KindDescriptor;

class Relation;
enum class Pick : std::uint8_t;

// What the other columns of a data set, and the other tables of its schema, offer a kind that
// reads them (a template, a reference).
class ColumnLookup {
 public:
  virtual ~ColumnLookup() = default;
  // The column named `name`, resolved (and checked for cycles) on first request; nullptr when
  // the data set has no such column. Throws DefinitionError for a cycle.
  virtual const struct PlannedColumn* column(std::string_view name) const = 0;
  // The relation `name` of this table to the schema's table `table`, made on first request with
  // `pick` (a pick of none takes the uniform one, or the one to many relation to the parent).
  // Throws DefinitionError outside a schema, for an unknown table, or for a pick that disagrees with
  // the one an earlier column gave the relation.
  virtual std::shared_ptr<const Relation> relation(std::string_view name, std::string_view table,
                                                   std::optional<std::pair<Pick, double>> pick) const = 0;
  // Where the relation is among the table's: the row drawer finds each parent once per row and
  // hands the cells the parent rows by this index.
  virtual std::size_t relation_index(const Relation& relation) const = 0;
};

// What a kind is resolved against when a data set's plan is made.
struct KindArgs {
  std::string_view text;                      // the whole kind text, for messages
  std::optional<std::string_view> parameters; // after the first ':', none when there is no ':'
  const KindDescriptor& kind;                 // the entry matched (an alias's own)
  const Profile& profile;
  const ColumnLookup* columns;                // null outside a data set
  std::uint64_t stream;                       // the column's stream, for kinds that derive others
  CivilDate as_of;                            // the data set's date, for relative dates
};

// Resolves a kind's text for a data set: reads its parameters strictly and picks the drawer for
// the profile. Throws DefinitionError with what is wrong (the caller adds the column's name).
using StrictResolve = std::shared_ptr<const Drawer> (*)(const KindArgs& args);
// Resolves a kind's text for Dummy, which never refuses one: a malformed parameter takes its
// default. The drawer draws as the uniform profile does, with Dummy's own word use.
using LenientResolve = std::shared_ptr<const Drawer> (*)(std::string_view text);

// One kind as users write it. A family of related kinds (the person's names, the parts of an
// address) lives in one file that lists its descriptors; registry.cpp lists the families.
class KindDescriptor {
 public:
  std::string_view name;        // the whole text, or the prefix before ':' of a parametric kind
  std::string_view parameters;  // "" for a plain kind, else the grammar after the name
  std::string_view description;
  ValueType type;
  std::uint8_t reads;           // Reads: the row's person, place
  bool can_be_unique;
  std::string_view alias_of;    // "" or the name of the kind this one is another name for
  StrictResolve resolve;
  LenientResolve lenient;       // Dummy's reading; nullptr for kinds Dummy does not know
  bool schema_only = false;     // reads a table's relations: only in a table of a schema

  bool in_dummy() const noexcept { return lenient != nullptr; }
};

// The one table of kinds, in the order they are listed to users.
std::span<const KindDescriptor> kind_registry();

// The entry named exactly `name` (a plain kind, or a parametric kind's prefix), or nullptr.
const KindDescriptor* find_kind(std::string_view name);

}  // namespace tarvo
