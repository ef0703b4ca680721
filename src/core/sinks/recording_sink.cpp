// src/core/sinks/recording_sink.cpp: replaying recorded cells.
#include "sinks/recording_sink.hpp"

namespace tarvo {

void RecordingSink::replay(Sink& to) const {
  for (const Cell& cell : cells_) {
    const std::string_view text(arena_.data() + cell.offset, cell.length);
    switch (cell.type) {
      case Type::BeginRow: to.begin_row(); break;
      case Type::EndRow: to.end_row(); break;
      case Type::Null: to.null(); break;
      case Type::Integer: to.integer(cell.integer); break;
      case Type::Real: to.real(cell.real); break;
      case Type::Boolean: to.boolean(cell.integer != 0); break;
      case Type::Money: to.money(cell.integer); break;
      case Type::Text: to.text(text); break;
      case Type::Listed: to.listed(*cell.list, cell.index, text); break;
      case Type::Date: to.date(static_cast<std::int32_t>(cell.integer), text); break;
      case Type::Timestamp: to.timestamp(cell.integer, text); break;
      case Type::Time: to.time_of_day(static_cast<std::int32_t>(cell.integer), text); break;
      case Type::Address:
        to.address(cell.index == kNoAddress ? nullptr : &addresses_[cell.index]);
        break;
    }
  }
}

}  // namespace tarvo
