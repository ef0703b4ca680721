// src/core/sinks/sqlite_sink.cpp: rows as SQLite records, values typed as a SQLite table of the kinds' types stores them.
#include "sinks/byte_sink.hpp"
#include "sinks/text_forms.hpp"
#include "sqlite/file_builder.hpp"

namespace tarvo {
namespace {

// A record per row, each value as SQLite itself stores what sqlite3 binds for it: integers in
// their smallest form, floats as 8-byte reals, dates as ISO text, an address as the JSON text
// json.dumps(..., ensure_ascii=False) gives (what the sqlite3 path stores for it).
class SqliteSink final : public ByteSink {
 public:
  void begin_row() override { record_.clear(); }
  void end_row() override { record_.finish_into(bytes); }
  void null() override { record_.null(); }
  void integer(std::int64_t value) override { record_.integer(value); }
  void real(double value) override { record_.real(value); }
  void text(std::string_view value) override { record_.text(value); }
  // A boolean is the integer 0 or 1, as SQLite keeps them; money its exact text.
  void boolean(bool value) override { record_.integer(value ? 1 : 0); }
  void money(std::int64_t centavos) override {
    scratch_.clear();
    append_money(scratch_, centavos);
    record_.text(scratch_);
  }
  void address(const Address* a) override {
    if (a == nullptr) {
      record_.null();
      return;
    }
    scratch_.clear();
    append_address_json(scratch_, a);
    record_.text(scratch_);
  }

 private:
  sqlite::RecordWriter record_;
  std::string scratch_;
};

}  // namespace

std::unique_ptr<ByteSink> make_sqlite_sink() { return std::make_unique<SqliteSink>(); }

}  // namespace tarvo
