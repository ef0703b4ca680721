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

}  // namespace tarvo
