// src/core/engine/row_draw.hpp: the row drawer: a plan's cells, row after row, into a sink.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "engine/drawer.hpp"
#include "engine/plan.hpp"
#include "engine/sink.hpp"

namespace tarvo {

// Rows start .. start + count - 1 of a seeded data set. Each row's person, place and cells come
// from their own counter streams, so the result is the same for any split of the range, in any
// order, on any thread. The caller keeps start + count within 2^63.
void draw_seeded_rows(const Plan& plan, std::uint64_t start, std::uint64_t count, Sink& sink);

// One cell of one row, drawn alone as the row drawer would draw it (its person and place
// included, as the column reads them): a child table reads its parent's row this way.
void draw_cell_at(const Plan& plan, const PlannedColumn& column, std::uint64_t row, Sink& sink,
                  std::string& scratch);

// Dummy's rows: the calling thread's generator draws, for every row, a person, then a place,
// then each cell in column order, and birth dates count from today's UTC date.
void draw_thread_rows(std::span<const std::shared_ptr<const Drawer>> columns, std::uint64_t count,
                      Sink& sink);

}  // namespace tarvo
