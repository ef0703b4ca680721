// src/core/sinks/recording_sink.hpp: cells kept in a compact buffer, to be replayed into another sink later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/sink.hpp"

namespace tarvo {

// Lets a worker thread draw rows while another thread converts them: the worker records into
// this sink with no lock held, the converting thread replays the cells into its own sink (one
// that needs the interpreter, say) in the same order, with the same calls.
class RecordingSink final : public Sink {
 public:
  void begin_row() override { cells_.emplace_back(Type::BeginRow); }
  void end_row() override { cells_.emplace_back(Type::EndRow); }
  void null() override { cells_.emplace_back(Type::Null); }
  void integer(std::int64_t value) override {
    Cell cell{Type::Integer};
    cell.integer = value;
    cells_.push_back(cell);
  }
  void real(double value) override {
    Cell cell{Type::Real};
    cell.real = value;
    cells_.push_back(cell);
  }
  void boolean(bool value) override {
    Cell cell{Type::Boolean};
    cell.integer = value ? 1 : 0;
    cells_.push_back(cell);
  }
  void money(std::int64_t centavos) override {
    Cell cell{Type::Money};
    cell.integer = centavos;
    cells_.push_back(cell);
  }
  void text(std::string_view value) override { cells_.push_back(keep(Type::Text, value)); }
  void listed(const TextList& list, std::uint32_t index, std::string_view value) override {
    Cell cell = keep(Type::Listed, value);
    cell.list = &list;
    cell.index = index;
    cells_.push_back(cell);
  }
  void date(std::int32_t days, std::string_view iso_text) override {
    Cell cell = keep(Type::Date, iso_text);
    cell.integer = days;
    cells_.push_back(cell);
  }
  void timestamp(std::int64_t seconds, std::string_view iso_text) override {
    Cell cell = keep(Type::Timestamp, iso_text);
    cell.integer = seconds;
    cells_.push_back(cell);
  }
  void time_of_day(std::int32_t seconds, std::string_view text_form) override {
    Cell cell = keep(Type::Time, text_form);
    cell.integer = seconds;
    cells_.push_back(cell);
  }
  void address(const Address* address) override {
    Cell cell{Type::Address};
    cell.index = address == nullptr ? kNoAddress : static_cast<std::uint32_t>(addresses_.size());
    if (address != nullptr) addresses_.push_back(*address);  // its views point at lasting data
    cells_.push_back(cell);
  }

  // Makes the same calls on `to`, in the same order, as were made here.
  void replay(Sink& to) const;

 private:
  enum class Type : std::uint8_t {
    BeginRow, EndRow, Null, Integer, Real, Boolean, Money, Text, Listed, Date, Timestamp, Time,
    Address,
  };
  static constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;

  struct Cell {
    explicit Cell(Type kind) : type(kind) {}
    Type type;
    const TextList* list = nullptr;
    std::uint32_t index = 0;
    union {
      std::int64_t integer = 0;  // also a boolean, centavos, days and seconds
      double real;
    };
    std::uint32_t offset = 0, length = 0;  // text in arena_
  };

  Cell keep(Type type, std::string_view value) {
    Cell cell{type};
    cell.offset = static_cast<std::uint32_t>(arena_.size());
    cell.length = static_cast<std::uint32_t>(value.size());
    arena_.append(value);
    return cell;
  }

  std::vector<Cell> cells_;
  std::string arena_;
  std::vector<Address> addresses_;
};

}  // namespace tarvo
