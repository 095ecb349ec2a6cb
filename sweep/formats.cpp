#include "sweep/formats.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <variant>

#include "cli/json.hpp"
#include "cli/text.hpp"
#include "report/blocks.hpp"

namespace sweep {
namespace {

// A cell: empty, a classic float, an engine double, or text.
using Cell = std::variant<std::monostate, float, double, std::string>;

// Engine values to nine significant digits: far below the engine's accuracy
// limits, and short to read.
Cell engine_value(const std::optional<double>& v) {
  return v && std::isfinite(*v) ? Cell(cli::nine_digits(*v)) : Cell();
}

// An engine figure of a row, none where the engine refused the row.
template <class Get>
Cell engine_cell(const Row& r, Get get) {
  if (!r.check || !r.check->figures) return Cell();
  return engine_value(get(*r.check->figures));
}

std::optional<double> centre(const std::optional<farfield::PhaseCentreFit>& fit) {
  return fit ? std::optional(fit->wavelengths) : std::nullopt;
}

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) out += (out.empty() ? "" : ";") + n;
  return out;
}

// Each column once: its name, its unit ("length" is the horn's), its cell.
struct Column {
  const char* name;
  const char* unit;
  Cell (*cell)(const Row&);
};

// clang-format off
constexpr Column classic_columns[] = {
    {"frequency_ghz", "GHz", [](const Row& r) { return Cell(r.frequency); }},
    {"wavelength", "length", [](const Row& r) { return Cell(r.wavelength); }},
    {"phase_error", "", [](const Row& r) { return Cell(r.phase_error); }},
    {"gain_db", "dB", [](const Row& r) { return r.classic ? Cell(r.classic->gain) : Cell(); }},
    {"e_beamwidth_3db_deg", "degrees", [](const Row& r) { return r.classic ? Cell(r.classic->e_beamwidth_3db) : Cell(); }},
    {"h_beamwidth_3db_deg", "degrees", [](const Row& r) { return r.classic ? Cell(r.classic->h_beamwidth_3db) : Cell(); }},
    {"e_beamwidth_10db_deg", "degrees", [](const Row& r) { return r.classic ? Cell(r.classic->e_beamwidth_10db) : Cell(); }},
    {"h_beamwidth_10db_deg", "degrees", [](const Row& r) { return r.classic ? Cell(r.classic->h_beamwidth_10db) : Cell(); }},
    {"e_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return r.classic ? Cell(r.classic->e_phase_centre_wavelengths) : Cell(); }},
    {"h_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return r.classic ? Cell(r.classic->h_phase_centre_wavelengths) : Cell(); }},
    {"e_phase_centre", "length", [](const Row& r) { return r.classic ? Cell(r.classic->e_phase_centre_length) : Cell(); }},
    {"h_phase_centre", "length", [](const Row& r) { return r.classic ? Cell(r.classic->h_phase_centre_length) : Cell(); }},
    {"classic_error", "", [](const Row& r) { return r.classic ? Cell() : Cell(r.classic_error); }},
};
constexpr Column check_columns[] = {
    {"engine_directivity_db", "dB", [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return std::optional(f.directivity_db); }); }},
    {"engine_e_beamwidth_3db_deg", "degrees", [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return f.e_beamwidth_3db; }); }},
    {"engine_h_beamwidth_3db_deg", "degrees", [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return f.h_beamwidth_3db; }); }},
    {"engine_e_beamwidth_10db_deg", "degrees", [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return f.e_beamwidth_10db; }); }},
    {"engine_h_beamwidth_10db_deg", "degrees", [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return f.h_beamwidth_10db; }); }},
    {"engine_e_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return centre(f.e_phase_centre); }); }},
    {"engine_h_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return engine_cell(r, [](const EngineFigures& f) { return centre(f.h_phase_centre); }); }},
    {"engine_e_phase_centre", "length", [](const Row& r) { return engine_value(r.check->e_phase_centre_length); }},
    {"engine_h_phase_centre", "length", [](const Row& r) { return engine_value(r.check->h_phase_centre_length); }},
    {"outside_limits", "", [](const Row& r) { return r.classic && r.check->figures ? Cell(joined(r.check->outside_limits)) : Cell(); }},
    {"engine_error", "", [](const Row& r) { return r.check->figures ? Cell() : Cell(r.check->error); }},
};
constexpr Column modal_columns[] = {
    {"engine_return_loss_db", "dB", [](const Row& r) { return engine_value(r.check->return_loss_db); }},
    {"engine_vswr", "", [](const Row& r) { return engine_value(r.check->vswr); }},
    {"engine_peak_cross_polar_db", "dB", [](const Row& r) { return engine_value(r.check->peak_cross_polar_db); }},
};
// clang-format on

std::vector<Column> columns(const Layout& layout) {
  // Without a cone: frequency and wavelength, no classic figures and no
  // limits to check them against.
  const std::size_t classic = layout.classic ? std::size(classic_columns) : 2;
  std::vector<Column> all(std::begin(classic_columns), std::begin(classic_columns) + classic);
  if (layout.checked)
    for (const Column& c : check_columns)
      if (layout.classic || std::string_view(c.name) != "outside_limits") all.push_back(c);
  if (layout.modal) all.insert(all.end(), std::begin(modal_columns), std::end(modal_columns));
  return all;
}

std::string csv_text(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string csv_cell(const Cell& cell) {
  if (const auto* f = std::get_if<float>(&cell)) return cli::shortest(*f);
  if (const auto* d = std::get_if<double>(&cell)) return cli::shortest(*d);
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

std::vector<std::string> column_names(const Layout& layout) {
  std::vector<std::string> names;
  for (const Column& c : columns(layout)) names.emplace_back(c.name);
  return names;
}

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
