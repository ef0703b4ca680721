// src/core/engine/plan.cpp: reading a data set's columns and options, and deriving its key and streams.
#include "engine/plan.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "census/household.hpp"
#include "engine/members_profile.hpp"
#include "kinds/fields.hpp"
#include "kinds/strict_parse.hpp"
#include "shown_text.hpp"
#include "unique/capacity.hpp"

namespace tarvo {
namespace {

constexpr double kTwoTo53 = 9007199254740992.0;

constexpr ColumnOption kOptions[] = {
    {"nulls", "P",
     "the share of cells that are null (0 to 1), decided by a stream of the column's own, so "
     "the other cells keep the values they have without nulls"},
};

// The kind and its options: "email;nulls=0.1" splits at the first ';' that no backslash
// escapes; options are name=value pairs separated the same way.
struct ColumnText {
  std::string_view kind;
  std::vector<std::string_view> options;
};

ColumnText split_column_text(std::string_view text) {
  ColumnText parts;
  std::size_t start = 0;
  bool in_kind = true;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '\\') {
      ++i;
      continue;
    }
    if (i < text.size() && text[i] != ';') continue;
    const std::string_view part = text.substr(start, i - start);
    if (in_kind) {
      parts.kind = part;
      in_kind = false;
    } else {
      parts.options.push_back(part);
    }
    start = i + 1;
  }
  return parts;
}

[[noreturn]] void fail_column(std::string_view name, std::string_view reason) {
  std::string message = "column '";
  message.append(shown_text(name)).append("': ").append(reason);
  throw DefinitionError(message);
}

void read_option(PlannedColumn& column, std::string_view option) {
  const std::size_t equals = option.find('=');
  const std::string_view key = option.substr(0, equals);
  const std::string_view value =
      equals == std::string_view::npos ? std::string_view{} : option.substr(equals + 1);
  if (key == "nulls") {
    const auto share = read_number<double>(value);
    if (equals == std::string_view::npos || !share || !(*share >= 0 && *share <= 1)) {
      fail_column(column.name, "nulls must be a share from 0 to 1, not " + quoted(value));
    }
    column.nulls = *share;
    column.null_below = static_cast<std::uint64_t>(std::llround(*share * kTwoTo53));
    return;
  }
  if (option.empty()) fail_column(column.name, "an empty option after ';'");
  std::string names;
  for (const ColumnOption& known : kOptions) names.append(names.empty() ? "" : ", ").append(known.name);
  fail_column(column.name, "unknown option " + quoted(key) + " (the options are: " + names + ")");
}

// Resolves columns on first request, so that a column reading another (a template) finds it
// resolved whatever their order, and a ring of such columns is caught rather than followed.
std::uint64_t fnv1a(std::string_view text, std::uint64_t hash = 0xCBF29CE484222325u) {
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3u;
  }
  return hash;
}

class Resolver final : public ColumnLookup {
 public:
  Resolver(Plan& plan, std::vector<std::string_view> kinds, const TableContext* table)
      : plan_(plan), kinds_(std::move(kinds)), state_(kinds_.size(), State::Open), table_(table) {}

  std::shared_ptr<const Relation> relation(std::string_view name, std::string_view table,
                                           std::optional<std::pair<Pick, double>> pick) const override {
    if (table_ == nullptr) {
      throw DefinitionError("a reference reads another table of a schema: tarvo.Schema");
    }
    if (name.empty()) {  // the one to many relation to the table's parent
      for (const auto& known : plan_.relations) {
        if (known->pick() == Pick::Children) return known;
      }
      throw DefinitionError("the table has no parent");
    }
    for (const auto& known : plan_.relations) {
      if (known->name() != name) continue;
      if (known->table() != table) {
        throw DefinitionError("the relation '" + std::string(name) + "' is to table '" + known->table() +
                        "', not '" + std::string(table) + "'");
      }
      if (pick && (known->pick() != pick->first || known->skew() != pick->second)) {
        throw DefinitionError("the relation '" + std::string(name) +
                        "' is given two ways to pick its parent row");
      }
      return known;
    }
    const TableContext::Earlier* parent = nullptr;
    for (const auto& [earlier_name, entry] : table_->earlier) {
      if (earlier_name == table) parent = &entry;
    }
    if (parent == nullptr) {
      throw DefinitionError("there is no table '" + std::string(table) + "' before this one");
    }
    if (parent->rows == 0) throw DefinitionError("table '" + std::string(table) + "' has no rows");
    const auto [how, skew] = pick.value_or(std::pair{Pick::Uniform, 0.0});
    // The relation's stream: the FNV-1a of "relation", a zero byte and its name, top bit set.
    const std::uint64_t stream = fnv1a(name, fnv1a(std::string_view("relation\0", 9))) |
                                 (std::uint64_t{1} << 63);
    auto made = std::make_shared<const Relation>(std::string(name), std::string(table),
                                                 parent->plan, parent->rows, how, skew, stream,
                                                 plan_.key);
    plan_.relations.push_back(made);
    return made;
  }

  std::size_t relation_index(const Relation& relation) const override {
    for (std::size_t i = 0; i < plan_.relations.size(); ++i) {
      if (plan_.relations[i].get() == &relation) return i;
    }
    throw DefinitionError("a relation the table does not have");
  }

  const PlannedColumn* column(std::string_view name) const override {
    for (std::size_t i = 0; i < plan_.columns.size(); ++i) {
      PlannedColumn& column = plan_.columns[i];
      if (column.name == name) {
        resolve(i);
        if (column.text_slot < 0) column.text_slot = static_cast<int>(plan_.text_slots++);
        return &column;
      }
    }
    return nullptr;
  }

  void resolve(std::size_t i) const {
    if (state_[i] == State::Done) return;
    PlannedColumn& column = plan_.columns[i];
    if (state_[i] == State::Busy) {
      std::string ring;
      for (std::size_t k : path_) ring.append(plan_.columns[k].name).append(" -> ");
      fail_column(column.name, "its value depends on itself: " + ring + column.name);
    }
    state_[i] = State::Busy;
    path_.push_back(i);
    try {
      column.drawer =
          resolve_strict(kinds_[i], *plan_.profile, plan_.as_of, this, column.stream);
    } catch (const DefinitionError& e) {
      // A nested column's error already names its column.
      if (e.message().starts_with("column '")) throw;
      fail_column(column.name, e.message());
    }
    path_.pop_back();
    state_[i] = State::Done;
  }

 private:
  enum class State : std::uint8_t { Open, Busy, Done };
  Plan& plan_;
  std::vector<std::string_view> kinds_;
  mutable std::vector<State> state_;
  mutable std::vector<std::size_t> path_;
  const TableContext* table_;
};

}  // namespace

std::span<const ColumnOption> column_options() { return kOptions; }

PhiloxKey key_from_seed(std::uint64_t seed_low, std::uint64_t seed_high) noexcept {
  const PhiloxBlock block = philox4x64_10({0x7461727661736565u, 0, 0, 0}, {seed_low, seed_high});
  return {block[0], block[1]};
}

PhiloxKey table_key(const PhiloxKey& schema, std::string_view name) noexcept {
  const PhiloxBlock block = philox4x64_10({0x7461626C65u /* "table" */, fnv1a(name), 0, 0}, schema);
  return {block[0], block[1]};
}

std::uint64_t column_stream(std::string_view name, std::string_view kind_text) noexcept {
  std::uint64_t hash = 0xCBF29CE484222325u;
  auto mix = [&](unsigned char byte) {
    hash ^= byte;
    hash *= 0x100000001B3u;
  };
  for (char c : name) mix(static_cast<unsigned char>(c));
  mix(0);
  for (char c : kind_text) mix(static_cast<unsigned char>(c));
  return hash | (std::uint64_t{1} << 63);
}

Plan make_plan(std::span<const std::pair<std::string, std::string>> columns,
               std::uint64_t seed_low, std::uint64_t seed_high, CivilDate as_of,
               std::shared_ptr<const Profile> profile, std::span<const std::string> unique,
               const TableContext* table) {
  Plan plan;
  plan.key = key_from_seed(seed_low, seed_high);
  plan.as_of = as_of;
  plan.profile = std::move(profile);
  if (table != nullptr) {
    plan.key = table_key(plan.key, table->name);
    plan.table = table->name;
    plan.row_count = table->rows;
    if (table->children) {
      // The one to many relation comes first: its counts are drawn in the parent table, the
      // index is built here, and the table has as many rows as the parents have children.
      const TableContext::Earlier* parent = nullptr;
      for (const auto& [earlier_name, entry] : table->earlier) {
        if (earlier_name == table->children->parent) parent = &entry;
      }
      if (parent == nullptr) {
        throw DefinitionError("parent: there is no table '" + table->children->parent + "' before this one");
      }
      const bool households = table->children->households;
      if (households && (plan.profile->id() != ProfileId::Census ||
                         parent->plan->profile->id() != ProfileId::Census)) {
        throw DefinitionError("households have the census profile's people: profile='census'");
      }
      // A household's size is the households table's own (household_size reads it); other
      // children are counted in a stream named for the child table.
      const std::uint64_t stream =
          households ? census::kHouseholdSizeStream
                     : fnv1a(table->name, fnv1a(std::string_view("children\0", 9))) |
                           (std::uint64_t{1} << 63);
      auto index = households
                       ? std::make_shared<const ChildIndex>(parent->plan->key, stream, parent->rows,
                                                            census::census_population().household_size, 1,
                                                            table->stop)
                       : std::make_shared<const ChildIndex>(parent->plan->key, stream, parent->rows,
                                                            table->children->counts,
                                                            table->children->least, table->stop);
      plan.row_count = index->children();
      auto relation = std::make_shared<const Relation>(table->children->parent,
                                                       table->children->parent, parent->plan,
                                                       std::move(index));
      if (households) plan.profile = household_members_profile(plan.profile, relation, plan.key);
      plan.relations.push_back(std::move(relation));
    }
  }
  plan.columns.reserve(columns.size());
  std::vector<std::string_view> kinds;
  for (const auto& [name, text] : columns) {
    PlannedColumn column{name, text, "", 0, nullptr};
    const ColumnText parts = split_column_text(column.text);
    column.kind_text.assign(parts.kind);
    column.stream = column_stream(name, parts.kind);
    for (std::string_view option : parts.options) read_option(column, option);
    plan.columns.push_back(std::move(column));
  }
  // The kind texts are views of the columns' own, which no longer move.
  for (const PlannedColumn& column : plan.columns) kinds.push_back(column.kind_text);
  Resolver resolver(plan, std::move(kinds), table);
  for (std::size_t i = 0; i < plan.columns.size(); ++i) resolver.resolve(i);

  for (const std::string& name : unique) {
    auto found = std::find_if(plan.columns.begin(), plan.columns.end(),
                              [&](const PlannedColumn& column) { return column.name == name; });
    if (found == plan.columns.end()) {
      throw DefinitionError("unique: there is no column '" + shown_text(name) + "'");
    }
    if (found->unique) continue;
    const PhiloxBlock keys = philox4x64_10({found->stream, 0, 0x756E69717565u, 0}, plan.key);
    auto form = found->drawer->unique_form(UniqueKeys{keys});
    if (!form) {
      std::string kinds_list;
      for (const KindDescriptor& kind : kind_registry()) {
        if (!kind.can_be_unique) continue;
        if (!kinds_list.empty()) kinds_list.append(", ");
        kinds_list.append(kind.name);
      }
      fail_column(name, "cannot be unique; unique columns are " + kinds_list);
    }
    found->drawer = std::move(form->drawer);
    found->capacity = form->capacity;
    found->unique = true;
  }
  for (const PlannedColumn& column : plan.columns) plan.reads |= column.drawer->traits().reads;
  if ((plan.reads & kReadsPerson) != 0) plan.reads |= plan.profile->person_reads();
  return plan;
}

void check_rows(const Plan& plan, std::uint64_t rows_end) {
  if (plan.row_count && rows_end > *plan.row_count) {
    throw DefinitionError("table '" + plan.table + "' has " + std::to_string(*plan.row_count) +
                    " rows: rows to " + std::to_string(rows_end) + " are asked for");
  }
  for (const PlannedColumn& column : plan.columns) {
    if (column.unique) {
      if (const auto error =
              unique::capacity_error(column.name, column.kind_text, column.capacity, rows_end)) {
        throw DefinitionError(*error);
      }
    }
    if (const auto error = column.drawer->rows_error(rows_end)) fail_column(column.name, *error);
  }
}

}  // namespace tarvo
