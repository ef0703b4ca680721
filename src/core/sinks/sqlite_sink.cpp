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
  void address(const Address* a) override {
    if (a == nullptr) {
      record_.null();
      return;
    }
    scratch_.clear();
    const std::string_view parts[] = {a->barangay, a->city, a->province, a->region, a->zip_code};
    static constexpr std::string_view kKeys[] = {R"({"barangay": )", R"(, "city": )",
                                                 R"(, "province": )", R"(, "region": )",
                                                 R"(, "zip_code": )"};
    for (std::size_t i = 0; i < 5; ++i) {
      scratch_.append(kKeys[i]);
      append_json_string(scratch_, parts[i], false);
    }
    scratch_.push_back('}');
    record_.text(scratch_);
  }

 private:
  sqlite::RecordWriter record_;
  std::string scratch_;
};

}  // namespace

std::unique_ptr<ByteSink> make_sqlite_sink() { return std::make_unique<SqliteSink>(); }

}  // namespace tarvo
