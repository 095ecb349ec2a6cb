#include "sweep/formats.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <variant>

#include "cli/options.hpp"
#include "console/sweep.hpp"
#include "plot/svg.hpp"

namespace sweep {
namespace {

// A cell: empty, a classic float, an engine double, or text.
using Cell = std::variant<std::monostate, float, double, std::string>;

// Engine values to nine significant digits: far below the engine's accuracy
// limits, and short to read.
double nine_digits(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return std::strtod(text, nullptr);
}

Cell engine_value(const std::optional<double>& v) {
  return v && std::isfinite(*v) ? Cell(nine_digits(*v)) : Cell();
}

Cell centre(const std::optional<aperture::PhaseCentreFit>& fit) {
  return fit ? engine_value(fit->unweighted.wavelengths) : Cell();
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
    {"engine_directivity_db", "dB", [](const Row& r) { return engine_value(r.check->figures.directivity_db); }},
    {"engine_e_beamwidth_3db_deg", "degrees", [](const Row& r) { return engine_value(r.check->figures.e_beamwidth_3db); }},
    {"engine_h_beamwidth_3db_deg", "degrees", [](const Row& r) { return engine_value(r.check->figures.h_beamwidth_3db); }},
    {"engine_e_beamwidth_10db_deg", "degrees", [](const Row& r) { return engine_value(r.check->figures.e_beamwidth_10db); }},
    {"engine_h_beamwidth_10db_deg", "degrees", [](const Row& r) { return engine_value(r.check->figures.h_beamwidth_10db); }},
    {"engine_e_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return centre(r.check->figures.e_phase_centre); }},
    {"engine_h_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return centre(r.check->figures.h_phase_centre); }},
    {"engine_e_phase_centre", "length", [](const Row& r) { return engine_value(r.check->e_phase_centre_length); }},
    {"engine_h_phase_centre", "length", [](const Row& r) { return engine_value(r.check->h_phase_centre_length); }},
    {"outside_limits", "", [](const Row& r) { return r.classic ? Cell(joined(r.check->outside_limits)) : Cell(); }},
};
// clang-format on

std::vector<Column> columns(bool checked) {
  std::vector<Column> all(std::begin(classic_columns), std::end(classic_columns));
  if (checked) all.insert(all.end(), std::begin(check_columns), std::end(check_columns));
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

std::vector<std::string> column_names(bool checked) {
  std::vector<std::string> names;
  for (const Column& c : columns(checked)) names.emplace_back(c.name);
  return names;
}

std::string to_csv(const Table& table) {
  const auto all = columns(table.check_phase.has_value());
  std::string out;
  for (std::size_t i = 0; i < all.size(); ++i) out += (i ? "," : "") + std::string(all[i].name);
  out += "\r\n";
  for (const Row& row : table.rows) {
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (i) out += ',';
      out += csv_cell(all[i].cell(row));
    }
    out += "\r\n";
  }
  return out;
}

std::string to_json(const Table& table, const nlohmann::ordered_json& options) {
  const std::string unit = cli::unit_name(table.horn);
  const auto all = columns(table.check_phase.has_value());
  nlohmann::ordered_json units = nlohmann::ordered_json::object();
  for (const Column& c : all)
    if (*c.unit) units[c.name] = std::string(c.unit) == "length" ? unit : c.unit;
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const Row& row : table.rows) {
    nlohmann::ordered_json r = nlohmann::ordered_json::object();
    for (const Column& c : all) r[c.name] = json_cell(c.cell(row), c.name);
    rows.push_back(std::move(r));
  }
  nlohmann::ordered_json document = nlohmann::ordered_json::object();
  document["program"] = "veskal-sweep";
  document["horn"] = cli::horn_json(table.horn);
  document["options"] = options;
  document["units"] = units;
  document["rows"] = rows;
  return document.dump(1) + "\n";
}

std::string to_report(const Table& table, bool one_range) {
  std::string out;
  auto write = [&](const std::vector<std::string>& records) {
    for (const auto& r : records) out += r + "\r\n";
  };
  auto heads = [&] {
    write(console::geometry_block(table.horn));
    if (table.horn.has_waveguide()) write(console::waveguide_block(table.horn));
    write(console::column_headers());
  };
  write(console::file_banner());
  if (one_range) heads();
  for (const Row& row : table.rows) {
    if (!one_range) heads();
    if (!row.classic) break;
    out += console::result_row(*row.classic) + "\r\n";
  }
  return out;
}

}  // namespace sweep
