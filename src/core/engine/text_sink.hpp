// src/core/engine/text_sink.hpp: one cell as the text a CSV field holds, for kinds that compose text.
#pragma once

#include <string>

#include "engine/sink.hpp"
#include "sinks/text_forms.hpp"

namespace tarvo {

// Numbers as str() spells them, True/False, money with two decimals, dates and times as ISO
// text, an address on one line, a null as nothing.
class TextSink final : public Sink {
 public:
  explicit TextSink(std::string& out) : out_(out) {}

  void null() override {}
  void integer(std::int64_t value) override { append_int(out_, value); }
  void real(double value) override { append_python_float(out_, value); }
  void boolean(bool value) override { out_.append(value ? "True" : "False"); }
  void money(std::int64_t centavos) override { append_money(out_, centavos); }
  void text(std::string_view value) override { out_.append(value); }
  void address(const Address* a) override {
    if (a != nullptr) write_full_address(*a, scratch_), out_.append(scratch_);
  }

 private:
  std::string& out_;
  std::string scratch_;
};

// Passes every cell on to `to` and keeps its text too, for the cells of the row that read it.
class TeeSink final : public Sink {
 public:
  TeeSink(Sink& to, std::string& text) : to_(to), tee_(text) {}

  void null() override { to_.null(); }
  void integer(std::int64_t value) override { to_.integer(value), tee_.integer(value); }
  void real(double value) override { to_.real(value), tee_.real(value); }
  void boolean(bool value) override { to_.boolean(value), tee_.boolean(value); }
  void money(std::int64_t centavos) override { to_.money(centavos), tee_.money(centavos); }
  void text(std::string_view value) override { to_.text(value), tee_.text(value); }
  void listed(const TextList& list, std::uint32_t index, std::string_view value) override {
    to_.listed(list, index, value), tee_.text(value);
  }
  void date(std::int32_t days, std::string_view iso_text) override {
    to_.date(days, iso_text), tee_.text(iso_text);
  }
  void timestamp(std::int64_t seconds, std::string_view iso_text) override {
    to_.timestamp(seconds, iso_text), tee_.text(iso_text);
  }
  void time_of_day(std::int32_t seconds, std::string_view text_form) override {
    to_.time_of_day(seconds, text_form), tee_.text(text_form);
  }
  void address(const Address* a) override { to_.address(a), tee_.address(a); }

 private:
  Sink& to_;
  TextSink tee_;
};

}  // namespace tarvo
