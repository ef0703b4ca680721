// src/core/engine/row_draw.cpp: the row loop: a row's person and place, then each column's drawer.
#include "engine/row_draw.hpp"

#include <algorithm>

#include <optional>
#include <string>
#include <vector>

#include "engine/text_sink.hpp"

#include "providers/address.hpp"
#include "providers/personal.hpp"
#include "random.hpp"
#include "random/counter_rng.hpp"

namespace tarvo {
namespace {

// What each column does in a row, in column order, worked out once per call.
struct ColumnStep {
  const PlannedColumn* column;
  int words = -1;  // index of its first value block in the row's batch, or -1: draws none
  // The null block of the four rows around the current one, for a column with nulls.
  std::uint64_t null_group = ~std::uint64_t{0};
  PhiloxBlock null_words{};
};

}  // namespace

void draw_seeded_rows(const Plan& plan, std::uint64_t start, std::uint64_t count, Sink& sink) {
  const Profile& profile = *plan.profile;
  // The blocks each row needs first: the person's, the place's, then the columns' (value and
  // null streams) that draw words. They are made in one loop, where their multiplications
  // overlap instead of waiting on each other.
  struct FirstBlock {
    std::uint64_t stream, lane;
  };
  std::vector<FirstBlock> wanted;
  const bool needs_person = plan.needs_person();
  const bool needs_address = plan.needs_address();
  if (needs_person) wanted.push_back({profile.person_stream(), 0});
  if (needs_address) wanted.push_back({kAddressStream, 0});

  std::vector<ColumnStep> steps;
  steps.reserve(plan.columns.size());
  for (const PlannedColumn& column : plan.columns) {
    ColumnStep step{&column};
    // A column that is mostly null would waste its value block in the batch: its block is
    // made alone, and only for the cells that are not null.
    if (column.drawer->traits().draws_words && column.nulls < 0.5) {
      step.words = static_cast<int>(wanted.size());
      wanted.push_back({column.stream, 0});
    }
    steps.push_back(step);
  }
  const bool with_middle = (plan.reads & kReadsMiddleName) != 0;
  const bool person_needs_two = needs_person && profile.person_takes_two_blocks();
  std::vector<PhiloxBlock> first(wanted.size());
  PhiloxBlock person_second{};
  std::string scratch;
  // One person for every row: a profile writes the same fields of it in each row, and building
  // a fresh one (its census record zeroed) each time cost more than a column.
  RowPerson person;
  RowTexts texts{std::vector<std::string>(plan.text_slots),
                 std::vector<std::uint8_t>(plan.text_slots)};
  // Each relation's parent row, once per row; a pick's block serves four rows.
  std::vector<std::uint64_t> parents(plan.relations.size());
  std::vector<std::uint32_t> positions(plan.relations.size());
  std::vector<PhiloxBlock> pick_words(plan.relations.size());
  std::uint64_t pick_group = ~std::uint64_t{0};

  for (std::uint64_t row = start; row < start + count; ++row) {
    for (std::size_t k = 0; k < wanted.size(); ++k) {
      first[k] = philox4x64_10({row, 0, wanted[k].stream, wanted[k].lane}, plan.key);
    }
    // The census person takes a dozen words, more than one block holds: its second block is
    // made here too, rather than alone, later, at full latency.
    if (person_needs_two) {
      person_second = CounterRng::block(plan.key, row, profile.person_stream(), 1);
    }
    // The place first: a census person depends on it.
    std::optional<Address> address;
    if (needs_address) {
      CounterRng rng(plan.key, row, kAddressStream, first[needs_person ? 1 : 0]);
      address = profile.draw_address_at(row, rng);
    }
    if (needs_person) {
      CounterRng rng = person_needs_two
                           ? CounterRng(plan.key, row, profile.person_stream(), first[0],
                                        person_second)
                           : CounterRng(plan.key, row, profile.person_stream(), first[0]);
      profile.draw_person_at(row, rng, plan.as_of, with_middle, address ? &*address : nullptr,
                             person);
    }
    const bool new_group = row / 4 != pick_group;
    pick_group = row / 4;
    for (std::size_t r = 0; r < plan.relations.size(); ++r) {
      const Relation& relation = *plan.relations[r];
      Relation::Parent parent;
      if (relation.pick() == Pick::Children) {
        parent = relation.parent_of(plan.key, row);
      } else {
        if (new_group) pick_words[r] = relation.block_of(plan.key, row);
        parent = relation.parent_of(row, pick_words[r]);
      }
      parents[r] = parent.row;
      positions[r] = parent.position;
    }
    const RowView view{row,     needs_person ? &person : nullptr, address ? &*address : nullptr,
                       &plan,   &scratch,                         &texts,
                       parents.data(), positions.data()};
    std::fill(texts.filled.begin(), texts.filled.end(), 0);
    sink.begin_row();
    for (ColumnStep& step : steps) {
      const PlannedColumn& column = *step.column;
      const int slot = column.text_slot;
      if (slot >= 0) {
        texts.text[slot].clear();
        texts.filled[slot] = 1;
      }
      if (column.null_below != 0) {
        if (row / kRowsPerNullBlock != step.null_group) {
          step.null_group = row / kRowsPerNullBlock;
          step.null_words = column.null_block(plan.key, row);
        }
        if (column.is_null(step.null_words[row % kRowsPerNullBlock])) {
          sink.null();
          continue;
        }
      }
      CounterRng rng = step.words >= 0
                           ? CounterRng(plan.key, row, column.stream, first[step.words])
                           : CounterRng(plan.key, row, column.stream);
      if (slot >= 0) {
        TeeSink tee(sink, texts.text[slot]);
        column.drawer->draw(rng, view, tee);
      } else {
        column.drawer->draw(rng, view, sink);
      }
    }
    sink.end_row();
  }
}

void draw_cell_at(const Plan& plan, const PlannedColumn& column, std::uint64_t row, Sink& sink,
                  std::string& scratch) {
  if (column.is_null_at(plan.key, row)) return sink.null();
  const Profile& profile = *plan.profile;
  std::uint8_t reads = column.drawer->traits().reads;
  if ((reads & kReadsPerson) != 0) reads |= profile.person_reads();
  std::optional<Address> address;
  if ((reads & kReadsPlace) != 0) {
    CounterRng rng(plan.key, row, kAddressStream);
    address = profile.draw_address_at(row, rng);
  }
  // A person is a few hundred bytes to set up: made only for a column that reads one.
  std::optional<RowPerson> person;
  if ((reads & kReadsPerson) != 0) {
    person.emplace();
    CounterRng rng(plan.key, row, profile.person_stream());
    profile.draw_person_at(row, rng, plan.as_of, (reads & kReadsMiddleName) != 0,
                           address ? &*address : nullptr, *person);
  }
  const RowView view{row, person ? &*person : nullptr, address ? &*address : nullptr, &plan,
                     &scratch, nullptr};
  CounterRng rng(plan.key, row, column.stream);
  column.drawer->draw(rng, view, sink);
}

void draw_thread_rows(std::span<const std::shared_ptr<const Drawer>> columns, std::uint64_t count,
                      Sink& sink) {
  std::string scratch;
  Rng& rng = thread_rng();
  for (std::uint64_t i = 0; i < count; ++i) {
    RowPerson person;
    uniform_row_person(draw_person(rng, today_utc()), person);
    const std::optional<Address> address = generate_address(rng);
    const RowView view{i, &person, address ? &*address : nullptr, nullptr, &scratch, nullptr};
    sink.begin_row();
    for (const auto& column : columns) column->draw(rng, view, sink);
    sink.end_row();
  }
}

}  // namespace tarvo
