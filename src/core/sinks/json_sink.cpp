// src/core/sinks/json_sink.cpp: rows as JSON: an array indented by four, or one object per line.
#include "sinks/byte_sink.hpp"
#include "sinks/text_forms.hpp"

namespace tarvo {
namespace {

// json.dumps(rows, indent=4) puts each row at depth 1 and an address's parts at depth 2;
// json.dumps(row, ensure_ascii=False, separators=(",", ":")) is the compact line form.
class JsonSink final : public ByteSink {
 public:
  JsonSink(const Plan& plan, bool indented, bool first) : indented_(indented), first_(first) {
    for (const PlannedColumn& column : plan.columns) {
      std::string key;
      append_json_string(key, column.name, indented_);
      key.append(indented_ ? ": " : ":");
      keys_.push_back(std::move(key));
    }
  }

  void begin_row() override {
    if (indented_) {
      if (!first_) bytes.append(",\n");
      bytes.append(keys_.empty() ? "    {" : "    {\n");
    } else {
      bytes.push_back('{');
    }
    first_ = false;
    column_ = 0;
  }
  void end_row() override {
    if (indented_) {
      bytes.append(keys_.empty() ? "}" : "\n    }");
    } else {
      bytes.append("}\n");
    }
  }
  void null() override { key().append("null"); }
  void integer(std::int64_t value) override { append_int(key(), value); }
  void real(double value) override { append_python_float(key(), value); }
  void boolean(bool value) override { key().append(value ? "true" : "false"); }
  // A number with exactly two decimals, which JSON readers take as the decimal it is.
  void money(std::int64_t centavos) override { append_money(key(), centavos); }
  void text(std::string_view value) override { append_json_string(key(), value, indented_); }
  void address(const Address* a) override {
    const std::string_view parts[] = {a ? a->barangay : "", a ? a->city : "",
                                      a ? a->province : "", a ? a->region : "",
                                      a ? a->zip_code : ""};
    static constexpr std::string_view kNames[] = {"barangay", "city", "province", "region",
                                                  "zip_code"};
    std::string& out = key();
    out.append(indented_ ? "{\n" : "{");
    for (std::size_t i = 0; i < 5; ++i) {
      if (i > 0) out.append(indented_ ? ",\n" : ",");
      if (indented_) out.append(12, ' ');
      append_json_string(out, kNames[i], indented_);
      out.append(indented_ ? ": " : ":");
      append_json_string(out, parts[i], indented_);
    }
    out.append(indented_ ? "\n        }" : "}");
  }

 private:
  // Writes the separator and key of the next cell; returns where its value goes.
  std::string& key() {
    if (column_ > 0) bytes.append(indented_ ? ",\n" : ",");
    if (indented_) bytes.append(8, ' ');
    bytes.append(keys_[column_++]);
    return bytes;
  }

  bool indented_;
  bool first_;
  std::size_t column_ = 0;
  std::vector<std::string> keys_;
};

}  // namespace

std::unique_ptr<ByteSink> make_json_sink(const Plan& plan, bool indented, bool first) {
  return std::make_unique<JsonSink>(plan, indented, first);
}

}  // namespace tarvo
