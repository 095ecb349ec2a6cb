#include "feed/formats.hpp"

#include <cmath>
#include <cstdio>

#include "cli/text.hpp"

namespace feed {
namespace {

using Value = std::optional<double>;

Value finite(double v) { return std::isfinite(v) ? Value(v) : std::nullopt; }
Value db(double ratio) { return decibels(ratio); }
Value in_unit(const Row& r, const Value& wavelengths) {
  return wavelengths ? Value(*wavelengths * r.wavelength) : std::nullopt;
}

std::string cell(const Value& v) { return v && std::isfinite(*v) ? cli::shortest(cli::nine_digits(*v)) : ""; }

}  // namespace

const std::vector<Column>& columns() {
  static const std::vector<Column> list = {
      {"frequency_ghz", "GHz", [](const Row& r) { return Value(r.frequency_ghz); }},
      {"f_over_d", "", [](const Row& r) { return finite(r.f_over_d()); }},
      {"half_angle_deg", "degrees", [](const Row& r) { return Value(r.half_angle_deg()); }},
      {"eta_spillover", "", [](const Row& r) { return Value(r.figures.eta.spillover); }},
      {"eta_illumination", "", [](const Row& r) { return Value(r.figures.eta.illumination); }},
      {"eta_phase", "", [](const Row& r) { return Value(r.figures.eta.phase); }},
      {"eta_polarisation", "", [](const Row& r) { return Value(r.figures.eta.polarisation); }},
      {"eta_aperture", "", [](const Row& r) { return Value(r.figures.eta.aperture()); }},
      {"eta_spillover_db", "dB", [](const Row& r) { return db(r.figures.eta.spillover); }},
      {"eta_illumination_db", "dB", [](const Row& r) { return db(r.figures.eta.illumination); }},
      {"eta_phase_db", "dB", [](const Row& r) { return db(r.figures.eta.phase); }},
      {"eta_polarisation_db", "dB", [](const Row& r) { return db(r.figures.eta.polarisation); }},
      {"eta_aperture_db", "dB", [](const Row& r) { return db(r.figures.eta.aperture()); }},
      {"edge_taper_e_db", "dB", [](const Row& r) { return finite(r.figures.edge_taper_e_db); }},
      {"edge_taper_h_db", "dB", [](const Row& r) { return finite(r.figures.edge_taper_h_db); }},
      {"edge_taper_db", "dB", [](const Row& r) { return finite(r.edge_taper_db()); }},
      {"space_attenuation_db", "dB", [](const Row& r) { return finite(r.space_attenuation_db()); }},
      {"edge_illumination_db", "dB", [](const Row& r) { return finite(r.edge_illumination_db()); }},
      {"peak_cross_polar_db", "dB", [](const Row& r) { return r.figures.peak_cross_polar_db; }},
      {"peak_cross_polar_angle_deg", "degrees",
       [](const Row& r) {
         return r.figures.peak_cross_polar_db ? Value(r.figures.peak_cross_polar_angle / reflector::degree)
                                              : std::nullopt;
       }},
      {"phase_centre_wavelengths", "wavelengths", [](const Row& r) { return Value(r.figures.phase_centre); }},
      {"phase_centre", "length", [](const Row& r) { return in_unit(r, r.figures.phase_centre); }},
      {"engine_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return r.centres.engine; }},
      {"eta_phase_engine_centre", "", [](const Row& r) { return r.eta_phase_engine; }},
      {"classic_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return r.centres.classic; }},
      {"eta_phase_classic_centre", "", [](const Row& r) { return r.eta_phase_classic; }},
      {"given_phase_centre_wavelengths", "wavelengths", [](const Row& r) { return r.centres.given; }},
      {"eta_phase_given_centre", "", [](const Row& r) { return r.eta_phase_given; }},
      {"reflector_gain_dbi", "dBi", [](const Row& r) { return r.gain_dbi; }},
  };
  return list;
}

namespace {
const char* kind(const Row& r) { return r.optimum ? "optimum" : "given"; }
}  // namespace

std::string csv_header() {
  std::string head = "frequency_ghz,reflector";
  for (std::size_t i = 1; i < columns().size(); ++i) {
    head += ',';
    head += columns()[i].name;
  }
  return head + "\r\n";
}

std::string csv_row(const Row& row) {
  std::string line = cell(columns()[0].value(row)) + ',' + kind(row);
  for (std::size_t i = 1; i < columns().size(); ++i) {
    line += ',';
    line += cell(columns()[i].value(row));
  }
  return line + "\r\n";
}

std::string json_head(const nlohmann::ordered_json& source, const std::string& model,
                      const std::string& unit) {
  nlohmann::ordered_json head = nlohmann::ordered_json::object();
  head["program"] = "veskal-feed";
  for (const auto& [key, value] : source.items()) head[key] = value;
  head["model"] = model;
  nlohmann::ordered_json units = nlohmann::ordered_json::object();
  for (const Column& c : columns())
    if (*c.unit) units[c.name] = std::string(c.unit) == "length" ? unit : c.unit;
  head["units"] = units;
  std::string text = head.dump(1);
  text.pop_back();  // the closing brace: the rows follow
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text + ",\n \"rows\": [";
}

std::string json_row(const Row& row, bool first) {
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  j["frequency_ghz"] = cli::nine_digits(row.frequency_ghz);
  j["reflector"] = kind(row);
  for (std::size_t i = 1; i < columns().size(); ++i) {
    const Value v = columns()[i].value(row);
    j[columns()[i].name] = v && std::isfinite(*v) ? nlohmann::ordered_json(cli::nine_digits(*v)) : nullptr;
  }
  std::string text = j.dump(1);
  // Indented one level more, inside the array.
  std::string indented = "\n  ";
  for (const char c : text) {
    indented += c;
    if (c == '\n') indented += "  ";
  }
  return (first ? "" : ",") + indented;
}

std::string json_tail(bool any_row) { return any_row ? "\n ]\n}\n" : "]\n}\n"; }

namespace {

// A value with fixed decimals in a field of `width`; "-" when unknown.
std::string field(const Value& v, int width, int decimals) {
  char text[64];
  if (!v || !std::isfinite(*v))
    std::snprintf(text, sizeof text, "%*s", width, "-");
  else
    std::snprintf(text, sizeof text, "%*.*f", width, decimals, *v);
  return text;
}
std::string ratio_db(double ratio) { return field(ratio, 7, 4) + field(db(ratio), 7, 2); }

}  // namespace

std::string text_block(const std::vector<Row>& rows, const std::string& unit, bool with_gain) {
  if (rows.empty()) return "";
  const Row& first = rows.front();
  std::string out = "Frequency " + cli::shortest(cli::nine_digits(first.frequency_ghz)) +
                    " GHz, wavelength " + cli::shortest(cli::nine_digits(first.wavelength)) + " " + unit +
                    "\n\n";
  out += "Efficiencies (ratio, dB), the feed's best phase centre at the focus\n";
  out +=
      "            f/D   theta0     spillover     illumination      phase        polarisation      aperture";
  out += with_gain ? "     gain\n" : "\n";
  out += "                    deg";
  out += with_gain
             ? "                                                                                       dBi\n"
             : "\n";
  for (const Row& r : rows) {
    out += r.optimum ? "optimum " : "given   ";
    out += field(r.f_over_d(), 7, 3) + field(r.half_angle_deg(), 9, 2) + "  " +
           ratio_db(r.figures.eta.spillover) + "  " + ratio_db(r.figures.eta.illumination) + "  " +
           ratio_db(r.figures.eta.phase) + "  " + ratio_db(r.figures.eta.polarisation) + "  " +
           ratio_db(r.figures.eta.aperture());
    if (with_gain) out += field(r.gain_dbi, 9, 2);
    out += "\n";
  }
  out += "\nEdge of the reflector (dB below the axis) and the 45-degree plane's cross-polar peak within it\n";
  out += "            f/D   taper E  taper H     mean   space  edge ill.   cross-polar    at\n";
  out += "                                              att.                      dB   deg\n";
  for (const Row& r : rows) {
    out += r.optimum ? "optimum " : "given   ";
    const Value xp_angle = r.figures.peak_cross_polar_db
                               ? Value(r.figures.peak_cross_polar_angle / reflector::degree)
                               : std::nullopt;
    out += field(r.f_over_d(), 7, 3) + field(r.figures.edge_taper_e_db, 10, 2) +
           field(r.figures.edge_taper_h_db, 9, 2) + field(r.edge_taper_db(), 9, 2) +
           field(r.space_attenuation_db(), 8, 2) + field(r.edge_illumination_db(), 11, 2) +
           field(r.figures.peak_cross_polar_db, 14, 2) + field(xp_angle, 6, 1) + "\n";
  }
  out +=
      "\nPhase centre at the focus (behind the reference point) and the phase efficiency at other "
      "positions\n";
  out +=
      "            f/D         best position  eta_phase   engine's fit  eta_phase   classic  eta_phase     "
      "given  eta_phase\n";
  char unit_head[16];
  std::snprintf(unit_head, sizeof unit_head, "%8s", unit.c_str());
  out += std::string("                   wavelengths ") + unit_head +
         "              wavelengths             wavelengths         wavelengths\n";
  for (const Row& r : rows) {
    out += r.optimum ? "optimum " : "given   ";
    out += field(r.f_over_d(), 7, 3) + field(r.figures.phase_centre, 14, 4) +
           field(r.figures.phase_centre * r.wavelength, 9, 4) + field(r.figures.eta.phase, 11, 4) +
           field(r.centres.engine, 15, 4) + field(r.eta_phase_engine, 11, 4) +
           field(r.centres.classic, 10, 4) + field(r.eta_phase_classic, 11, 4) +
           field(r.centres.given, 10, 4) + field(r.eta_phase_given, 11, 4) + "\n";
  }
  return out + "\n";
}

}  // namespace feed
