// src/core/kinds/families/reference.cpp: ref: a column of the parent row, and position among siblings.
#include <array>
#include <string>

#include "engine/plan.hpp"
#include "engine/row_draw.hpp"
#include "kinds/fields.hpp"

namespace tarvo {
namespace {

// The value of the parent's column in the parent row the relation picks for this row: the
// parent's own cell, drawn again from its row (nothing of the parent table is kept).
class RefDrawer final : public DrawerOf<RefDrawer> {
 public:
  RefDrawer(std::shared_ptr<const Relation> relation, std::size_t index, const PlannedColumn& column)
      : DrawerOf(traits_of(column)), relation_(std::move(relation)), index_(index), column_(&column) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    const std::uint64_t parent = row.parents != nullptr
                                     ? row.parents[index_]
                                     : relation_->parent_of(row.plan->key, row.row).row;
    draw_cell_at(relation_->parent(), *column_, parent, sink, *row.scratch);
  }

 private:
  static DrawerTraits traits_of(const PlannedColumn& column) {
    DrawerTraits traits = column.drawer->traits();
    traits.reads = kReadsNothing;  // of the child's row: the parent's row is drawn apart
    traits.draws_words = false;    // the relation has a stream of its own
    traits.may_be_null = column.nullable();
    return traits;
  }

  std::shared_ptr<const Relation> relation_;
  std::size_t index_;            // in the child's plan.relations
  const PlannedColumn* column_;  // in the parent's plan, which the relation keeps alive
};

// The row's place among the children of its parent, from 1.
class PositionDrawer final : public DrawerOf<PositionDrawer> {
 public:
  PositionDrawer(std::shared_ptr<const Relation> relation, std::size_t index)
      : DrawerOf({ValueType::Int32, kReadsNothing, false, 0}), relation_(std::move(relation)),
        index_(index) {}

  template <class R>
  void cell(R&, const RowView& row, Sink& sink) const {
    const std::uint32_t position = row.positions != nullptr
                                       ? row.positions[index_]
                                       : relation_->parent_of(row.plan->key, row.row).position;
    sink.integer(position + 1);
  }

 private:
  std::shared_ptr<const Relation> relation_;
  std::size_t index_;
};

// ref:TABLE.COLUMN[@RELATION][:uniform|:skew=S][:key]
std::shared_ptr<const Drawer> strict_ref(const KindArgs& args) {
  if (!args.parameters) fail(args, "expected ref:TABLE.COLUMN");
  const auto fields = colon_fields(*args.parameters);
  const std::string_view target = fields[0];
  const std::size_t dot = target.find('.');
  if (dot == std::string_view::npos || dot == 0) fail(args, "expected ref:TABLE.COLUMN");
  const std::string_view table = target.substr(0, dot);
  std::string_view column_name = target.substr(dot + 1);
  std::string_view name = table;
  if (const std::size_t at = column_name.find('@'); at != std::string_view::npos) {
    name = column_name.substr(at + 1);
    column_name = column_name.substr(0, at);
    if (name.empty()) fail(args, "an empty relation name after '@'");
  }
  std::optional<std::pair<Pick, double>> pick;
  bool key = false;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    const std::string_view option = fields[i];
    if (option == "uniform") {
      pick = std::pair{Pick::Uniform, 0.0};
    } else if (option == "key") {
      key = true;
    } else if (option.starts_with("skew=")) {
      const auto skew = read_number<double>(option.substr(5));
      if (!skew || !(*skew > 0 && *skew <= 10)) fail(args, "skew must be a number above 0, at most 10");
      pick = std::pair{Pick::Skewed, *skew};
    } else {
      fail(args, "unknown option " + quoted(option) + " (ref takes uniform, skew=S and key)");
    }
  }
  if (args.columns == nullptr) fail(args, "a reference reads another table of a schema");
  std::shared_ptr<const Relation> relation;
  try {
    relation = args.columns->relation(name, table, pick);
  } catch (const DefinitionError& e) {
    fail(args, e.message());
  }
  const PlannedColumn* column = relation->parent().column(column_name);
  if (column == nullptr) {
    fail(args, "table '" + std::string(table) + "' has no column '" + std::string(column_name) + "'");
  }
  if (key && !column->unique && column->kind_text.substr(0, column->kind_text.find(':')) != "row") {
    fail(args, "a key must be unique in its table: '" + std::string(table) + "." +
                   std::string(column_name) + "' is neither a row number nor a unique column");
  }
  const std::size_t index = args.columns->relation_index(*relation);
  return std::make_shared<const RefDrawer>(std::move(relation), index, *column);
}

std::shared_ptr<const Drawer> strict_position(const KindArgs& args) {
  if (args.parameters) fail(args, "this kind takes no parameters");
  if (args.columns == nullptr) fail(args, "position counts the children of a parent in a schema");
  std::shared_ptr<const Relation> relation;
  try {
    relation = args.columns->relation({}, {}, std::nullopt);
  } catch (const DefinitionError& e) {
    fail(args, e.message());
  }
  if (relation->pick() != Pick::Children) {
    fail(args, "position counts the children of a one to many parent (a table's parent)");
  }
  const std::size_t index = args.columns->relation_index(*relation);
  return std::make_shared<const PositionDrawer>(std::move(relation), index);
}

// clang-format off
const std::array kKinds = std::to_array<KindDescriptor>({
  {"ref", ":TABLE.COLUMN", "COLUMN of the row of TABLE this row belongs to (a schema's relation; "
   "@NAME names it, :skew=S favours a few parents, :key requires a unique column)",
   ValueType::Text, kReadsNothing, false, "", strict_ref, nullptr, true},
  {"position", "", "the row's place among its parent's children, from 1 (a table with a parent)",
   ValueType::Int32, kReadsNothing, false, "", strict_position, nullptr, true},
});
// clang-format on

}  // namespace

std::span<const KindDescriptor> reference_kinds() { return kKinds; }

}  // namespace tarvo
