#include "feed/formats.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "cli/json.hpp"
#include "cli/usage.hpp"
#include "feed/render.hpp"
#include "text/numbers.hpp"

namespace feed {
namespace {

std::string cell(const Value& v) {
  return v && std::isfinite(*v) ? text::shortest(text::nine_digits(*v)) : "";
}

constexpr std::string_view from_file = "pattern file";

// The verdict on the row's model; unknown for a pattern file's and a row
// without figures.
std::string domain_cell(const Row& row, const std::string& model) {
  return model == from_file || !row.error.empty() ? "" : row.domain.cell();
}

// A CSV field: quoted where it holds a comma, a quote or a line end.
std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

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
  // The frequency as it was asked (a float's shortest digits), not nine digits of it.
  std::string line = text::shortest(float(row.frequency_ghz)) + ',' + reflector_kind(row);
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

std::string json_row(const Row& row, bool first, const std::string& model) {
  nlohmann::ordered_json j = nlohmann::ordered_json::object();
  j["frequency_ghz"] = cli::json_number(float(row.frequency_ghz));
  j["reflector"] = reflector_kind(row);
  for (std::size_t i = 1; i < columns().size(); ++i) {
    const Value v = columns()[i].value(row);
    j[columns()[i].name] = v && std::isfinite(*v) ? nlohmann::ordered_json(text::nine_digits(*v)) : nullptr;
  }
  j["model"] = model;
  j["domain"] = domain_cell(row, model);
  j["error"] = row.error;
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
std::string ratio_db(double ratio) { return field(ratio, 7, 4) + field(decibels(ratio), 7, 2); }

}  // namespace

std::string text_block(const std::vector<Row>& rows, const std::string& unit, bool with_gain) {
  if (rows.empty()) return "";
  const Row& first = rows.front();
  std::string out = "Frequency " + text::shortest(float(first.frequency_ghz)) + " GHz, wavelength " +
                    text::shortest(text::nine_digits(first.wavelength)) + " " + unit + "\n\n";
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

namespace {

// Without two reflectors asked for, the picture spans these f/D, and always
// the optimum's, up to picture_widest.
constexpr double picture_from = 0.2, picture_to = 1.5, picture_widest = 5.0;

// "spherical model", or "patterns from the file".
std::string model_words(const Heading& h) {
  return h.model == from_file ? std::string("patterns from the file") : h.model + " model";
}

class TextWriter final : public Writer {
 public:
  TextWriter(Sink sink, const Heading& h) : sink_(std::move(sink)), h_(h) {
    sink_("veskal-feed " VESKAL_VERSION ": " + h_.title + "; " + model_words(h_) + "\n\n");
  }
  void frequency(FrequencyFeed*, const std::vector<Row>& rows) override {
    const Row& first = rows.front();
    if (!first.error.empty()) {
      sink_("Frequency " + text::shortest(float(first.frequency_ghz)) + " GHz: no figures: " + first.error +
            "\n\n");
      return;
    }
    std::string block = text_block(rows, h_.unit, h_.with_gain);
    models::Domain outside;
    for (const Row& r : rows) outside.add(r.domain);
    if (h_.model != from_file && !outside.ok()) {
      // The mark under the frequency's line.
      const std::size_t line = block.find('\n');
      block.insert(line + 1, "Outside the model's domain: " + outside.cell() + "\n");
    }
    sink_(block);
  }
  void finish() override {}

 private:
  Sink sink_;
  Heading h_;
};

// The model that made the rows, its verdict and the row's error stand in the
// last columns, so that the columns before them keep their places.
class CsvWriter final : public Writer {
 public:
  CsvWriter(Sink sink, std::string model) : sink_(std::move(sink)), model_(std::move(model)) {
    sink_(with_tail(csv_header(), "model,domain,error"));
  }
  void frequency(FrequencyFeed*, const std::vector<Row>& rows) override {
    for (const Row& r : rows)
      sink_(with_tail(csv_row(r), model_ + "," + domain_cell(r, model_) + "," + csv_field(r.error)));
  }
  void finish() override {}

 private:
  static std::string with_tail(std::string line, const std::string& tail) {
    line.insert(line.size() - 2, "," + tail);  // before the CR LF
    return line;
  }
  Sink sink_;
  std::string model_;
};

class JsonWriter final : public Writer {
 public:
  JsonWriter(Sink sink, const Heading& h, const nlohmann::ordered_json& source)
      : sink_(std::move(sink)), model_(h.model) {
    sink_(json_head(source, h.model, h.unit));
  }
  void frequency(FrequencyFeed*, const std::vector<Row>& rows) override {
    for (const Row& r : rows) sink_(json_row(r, !std::exchange(any_row_, true), model_));
  }
  void finish() override { sink_(json_tail(any_row_)); }

 private:
  Sink sink_;
  std::string model_;
  bool any_row_ = false;
};

class SvgWriter final : public Writer {
 public:
  SvgWriter(Sink sink, const Heading& h) : sink_(std::move(sink)), h_(h) {}
  void frequency(FrequencyFeed* feed, const std::vector<Row>& rows) override {
    if (!feed) throw std::runtime_error(rows.front().error);  // no picture of a frequency without figures
    FrequencyFeed& f = *feed;
    // The reflectors asked for (or the default span) and the optimum.
    double from = picture_from, to = picture_to;
    if (h_.reflectors_given) {
      from = to = rows.front().f_over_d();
      for (const Row& r : rows) from = std::min(from, r.f_over_d()), to = std::max(to, r.f_over_d());
    }
    from = std::min(from, rows.back().f_over_d());
    to = std::min(std::max(to, rows.back().f_over_d()), picture_widest);
    if (!(to > from)) from = picture_from, to = picture_to;
    const double margin = (to - from) / 20.0;  // the marks clear of the frame
    from = std::max(from - margin, from / 2.0);
    to += margin;
    models::Domain outside;
    for (const Row& r : rows) outside.add(r.domain);
    const std::string subtitle = model_words(h_) + ", " + text::shortest(float(f.frequency_ghz)) +
                                 " GHz; the feed at its best phase centre";
    const std::string verdict =
        h_.model == from_file || outside.ok() ? "" : "outside the model's domain: " + outside.cell();
    sink_(to_svg(f, rows, Picture{h_.title, subtitle, verdict, from, to}));
  }
  void finish() override {}

 private:
  Sink sink_;
  Heading h_;
};

}  // namespace

std::unique_ptr<Writer> text_writer(Sink sink, const Heading& heading) {
  return std::make_unique<TextWriter>(std::move(sink), heading);
}
std::unique_ptr<Writer> csv_writer(Sink sink, const Heading& heading) {
  return std::make_unique<CsvWriter>(std::move(sink), heading.model);
}
std::unique_ptr<Writer> json_writer(Sink sink, const Heading& heading, const nlohmann::ordered_json& source) {
  return std::make_unique<JsonWriter>(std::move(sink), heading, source);
}
std::unique_ptr<Writer> svg_writer(Sink sink, const Heading& heading) {
  return std::make_unique<SvgWriter>(std::move(sink), heading);
}

}  // namespace feed
