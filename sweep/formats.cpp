#include "sweep/formats.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <variant>

#include "cli/json.hpp"
#include "cli/usage.hpp"
#include "report/blocks.hpp"
#include "tables/sweep_columns.hpp"
#include "text/numbers.hpp"

namespace sweep {
namespace {

std::string csv_text(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string csv_cell(const Cell& cell) {
  if (const auto* f = std::get_if<float>(&cell)) return text::shortest(*f);
  if (const auto* d = std::get_if<double>(&cell)) return text::shortest(*d);
  if (const auto* t = std::get_if<std::string>(&cell)) return csv_text(*t);
  return "";
}

nlohmann::ordered_json json_cell(const Cell& cell, const char* name) {
  if (const auto* f = std::get_if<float>(&cell)) return cli::json_number(*f);
  if (const auto* d = std::get_if<double>(&cell)) return *d;
  if (const auto* t = std::get_if<std::string>(&cell)) {
    if (std::string(name) == "outside_limits") {
      nlohmann::ordered_json list = nlohmann::ordered_json::array();
      std::size_t start = 0;
      while (start < t->size()) {
        const std::size_t end = std::min(t->find(';', start), t->size());
        list.push_back(t->substr(start, end - start));
        start = end + 1;
      }
      return list;
    }
    return *t;
  }
  return nullptr;
}

}  // namespace

namespace {

class CsvWriter : public Writer {
 public:
  CsvWriter(Sink sink, const Layout& layout) : sink_(std::move(sink)), columns_(columns(layout)) {
    std::string head;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (i) head += ',';
      head += columns_[i].name;
    }
    sink_(head + "\r\n");
  }
  void row(const Row& row) override {
    line_.clear();
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (i) line_ += ',';
      line_ += csv_cell(columns_[i].cell(row));
    }
    line_ += "\r\n";
    sink_(line_);
  }
  void finish() override {}

 private:
  Sink sink_;
  std::vector<Column> columns_;
  std::string line_;
};

// The document as nlohmann's dump(1) lays it out, written a row at a time.
class JsonWriter : public Writer {
 public:
  JsonWriter(Sink sink, const nlohmann::ordered_json& source, const std::string& unit,
             const nlohmann::ordered_json& options, const Layout& layout)
      : sink_(std::move(sink)), columns_(columns(layout)) {
    nlohmann::ordered_json units = nlohmann::ordered_json::object();
    for (const Column& c : columns_)
      if (*c.unit) units[c.name] = std::string(c.unit) == "length" ? unit : c.unit;
    nlohmann::ordered_json head = nlohmann::ordered_json::object();
    head["program"] = "veskal-sweep";
    for (const auto& [key, value] : source.items()) head[key] = value;
    head["options"] = options;
    head["units"] = units;
    std::string text = head.dump(1);
    text.resize(text.size() - 2);  // the closing "\n}"
    sink_(text + ",\n \"rows\": [");
  }
  void row(const Row& row) override {
    nlohmann::ordered_json r = nlohmann::ordered_json::object();
    for (const Column& c : columns_) r[c.name] = json_cell(c.cell(row), c.name);
    std::string text = r.dump(1);
    std::string indented = first_ ? "\n  " : ",\n  ";
    for (const char ch : text) {
      indented += ch;
      if (ch == '\n') indented += "  ";
    }
    first_ = false;
    sink_(indented);
  }
  void finish() override { sink_(first_ ? "]\n}\n" : "\n ]\n}\n"); }

 private:
  Sink sink_;
  std::vector<Column> columns_;
  bool first_ = true;
};

class ReportWriter : public Writer {
 public:
  ReportWriter(Sink sink, const horn::Horn& horn, bool one_range)
      : sink_(std::move(sink)), horn_(horn), one_range_(one_range) {
    write(report::file_banner());
    if (one_range_) heads();
  }
  void row(const Row& row) override {
    if (ended_) return;
    if (!one_range_) heads();
    if (!row.classic) {
      ended_ = true;
      return;
    }
    sink_(report::result_row(*row.classic) + std::string(report::file_line_end));
  }
  void finish() override {}

 private:
  void write(const std::vector<std::string>& records) {
    for (const auto& r : records) sink_(r + std::string(report::file_line_end));
  }
  void heads() {
    report::range_heads(horn_,
                        [&](report::Block, const std::vector<std::string>& records) { write(records); });
  }
  Sink sink_;
  horn::Horn horn_;
  bool one_range_, ended_ = false;
};

}  // namespace

std::unique_ptr<Writer> csv_writer(Sink sink, const Layout& layout) {
  return std::make_unique<CsvWriter>(std::move(sink), layout);
}

std::unique_ptr<Writer> json_writer(Sink sink, const nlohmann::ordered_json& source, const std::string& unit,
                                    const nlohmann::ordered_json& options, const Layout& layout) {
  return std::make_unique<JsonWriter>(std::move(sink), source, unit, options, layout);
}

std::unique_ptr<Writer> report_writer(Sink sink, const horn::Horn& horn, bool one_range) {
  return std::make_unique<ReportWriter>(std::move(sink), horn, one_range);
}

}  // namespace sweep
