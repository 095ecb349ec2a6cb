#include "pattern/render.hpp"

#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "cli/text.hpp"
#include "plot/svg.hpp"

namespace pattern {

std::string round_trip(float value) { return cli::shortest(value); }

std::string to_csv(const Pattern& pattern) {
  const std::string reference = pattern.reference == PhaseReference::aperture ? "aperture" : "phase_centre";
  std::string out = "angle_deg,e_amplitude_db,h_amplitude_db,e_relative_db,h_relative_db,e_phase_deg_" +
                    reference + ",h_phase_deg_" + reference + "\r\n";
  for (const PatternRow& r : pattern.rows) {
    for (const float v : {r.angle, r.e_amplitude, r.h_amplitude, r.e_relative, r.h_relative, r.e_phase}) {
      out += round_trip(v);
      out += ',';
    }
    out += round_trip(r.h_phase);
    out += "\r\n";
  }
  return out;
}

namespace {

using plot::line;
using plot::marker;
using plot::text;

constexpr double width = 800, height = 520;
constexpr double left = 80, right = 170, top = 60, bottom = 70;
constexpr double floor_db = -40.0;
constexpr const char* e_colour = "#1f77b4";
constexpr const char* h_colour = "#d62728";

std::string model_title(Model model) {
  switch (model) {
    case Model::classic: return "classic model";
    case Model::quadratic: return "aperture engine, quadratic aperture phase";
    case Model::spherical: return "aperture engine, spherical aperture phase";
  }
  return "";
}

// One legend line of a figure: the classic value, the engine's, or both.
std::string pair_text(const char* label, std::optional<double> classic, std::optional<double> engine,
                      const char* format) {
  auto one = [&](std::optional<double> v) {
    if (!v || !std::isfinite(*v)) return std::string("-");
    char value[32];
    std::snprintf(value, sizeof value, format, *v);
    return std::string(value);
  };
  std::string entry = std::string(label) + ": ";
  if (classic) entry += one(classic);
  if (classic && engine) entry += " / ";
  if (engine) entry += one(engine);
  return entry;
}

// The markers' key, then the full beamwidths and the phase centres of the
// classic model and of the engine, as far as the pattern has them.
std::string legend_figures(const Pattern& pattern, double x, double y) {
  std::string s;
  const bool classic = pattern.has_beamwidths;
  const bool engine = pattern.engine.has_value();
  if (!classic && !engine) return s;
  if (classic) {
    s += marker(x + 15, y, "black", false) + text(x + 36, y + 4, "classic half-widths", "font-size=\"12\"");
    y += 18;
  }
  if (engine) {
    s += marker(x + 15, y, "black", true) + text(x + 36, y + 4, "engine half-widths", "font-size=\"12\"");
    y += 18;
  }
  y += 12;
  const char* heading = classic && engine ? "classic / engine"
                        : classic         ? "classic model"
                                          : "aperture engine";
  s += text(x, y, heading, "font-size=\"12\" font-weight=\"bold\"");
  y += 17;
  const Beamwidths& b = pattern.beamwidths;
  const aperture::Figures* g = engine ? &*pattern.engine : nullptr;
  auto c = [&](float v) { return classic ? std::optional<double>(v) : std::nullopt; };
  auto e = [&](const std::optional<double>& v) {
    return engine ? std::optional<double>(v.value_or(NAN)) : std::nullopt;
  };
  auto centre = [&](const std::optional<aperture::PhaseCentreFit>& fit) {
    return engine ? std::optional<double>(fit ? fit->wavelengths : NAN) : std::nullopt;
  };
  const std::string lines[] = {
      "full beamwidths (\xC2\xB0)",
      pair_text("E 3 dB", c(b.e_3db), g ? e(g->e_beamwidth_3db) : std::nullopt, "%.1f"),
      pair_text("H 3 dB", c(b.h_3db), g ? e(g->h_beamwidth_3db) : std::nullopt, "%.1f"),
      pair_text("E 10 dB", c(b.e_10db), g ? e(g->e_beamwidth_10db) : std::nullopt, "%.1f"),
      pair_text("H 10 dB", c(b.h_10db), g ? e(g->h_beamwidth_10db) : std::nullopt, "%.1f"),
      "phase centres (\xCE\xBB)",
      pair_text("E", c(pattern.classic_e_phase_centre), g ? centre(g->e_phase_centre) : std::nullopt, "%.2f"),
      pair_text("H", c(pattern.classic_h_phase_centre), g ? centre(g->h_phase_centre) : std::nullopt, "%.2f"),
  };
  for (const std::string& line : lines) {
    s += text(x, y, line, "font-size=\"12\"");
    y += 17;
  }
  return s;
}

}  // namespace

std::string to_svg(const Pattern& pattern, const Description& d) {
  const double from = pattern.rows.empty() ? 0.0 : pattern.rows.front().angle;
  const double to =
      pattern.rows.empty() || pattern.rows.back().angle <= from ? from + 1.0 : pattern.rows.back().angle;
  const plot::Panel f{left, top, width - left - right, height - top - bottom, from, to, floor_db, 0.0};
  const double plot_right = width - right;
  std::string s = plot::document_start(width, height);
  s += text(width / 2, 28, "TE-11 conical horn, " + d.horn + ", at " + round_trip(d.frequency) + " GHz",
            "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
  s += text(width / 2, 46, model_title(pattern.model), "text-anchor=\"middle\" fill=\"#555555\"");
  s += f.axes("Angle from the axis (degrees)", "Amplitude relative to the axis (dB)", 12, 8, true);

  // The -3 dB and -10 dB levels.
  for (double level : {-3.0, -10.0}) {
    s += line(left, f.y(level), plot_right, f.y(level), "stroke=\"#555555\" stroke-dasharray=\"6 4\"");
    s += text(plot_right - 4, f.y(level) - 4,
              plot::number(level).substr(0, plot::number(level).find('.')) + " dB",
              "text-anchor=\"end\" fill=\"#555555\"");
  }

  // The half-beamwidths: the classic routine's as circles, the engine's as squares.
  struct Mark {
    double half_angle, level;
    const char* colour;
  };
  auto draw_marks = [&](std::span<const Mark> marks, bool square) {
    for (const Mark& m : marks) {
      if (!(m.half_angle >= f.x_from && m.half_angle <= f.x_to)) continue;
      const double x = f.x(m.half_angle), y = f.y(m.level);
      s += line(x, y - 8, x, y + 8, "stroke=\"" + std::string(m.colour) + "\" stroke-width=\"2\"");
      s += marker(x, y, m.colour, square);
    }
  };
  if (pattern.has_beamwidths) {
    const Beamwidths& b = pattern.beamwidths;
    const Mark marks[] = {{b.e_3db / 2.0, -3.0, e_colour},
                          {b.h_3db / 2.0, -3.0, h_colour},
                          {b.e_10db / 2.0, -10.0, e_colour},
                          {b.h_10db / 2.0, -10.0, h_colour}};
    draw_marks(marks, false);
  }
  if (pattern.engine) {
    const aperture::Figures& g = *pattern.engine;
    auto half = [](const std::optional<double>& width) { return width ? *width / 2.0 : -1e9; };
    const Mark marks[] = {{half(g.e_beamwidth_3db), -3.0, e_colour},
                          {half(g.h_beamwidth_3db), -3.0, h_colour},
                          {half(g.e_beamwidth_10db), -10.0, e_colour},
                          {half(g.h_beamwidth_10db), -10.0, h_colour}};
    draw_marks(marks, true);
  }

  std::vector<std::pair<double, double>> e_points, h_points;
  for (const PatternRow& r : pattern.rows) {
    e_points.emplace_back(f.x(r.angle), std::isfinite(r.e_relative) ? f.y(r.e_relative) : NAN);
    h_points.emplace_back(f.x(r.angle), std::isfinite(r.h_relative) ? f.y(r.h_relative) : NAN);
  }
  s += plot::curve(e_points, e_colour);
  s += plot::curve(h_points, h_colour);

  // Legend.
  const double lx = plot_right + 15;
  s += plot::legend_line(lx, top + 10, e_colour, false, "E plane");
  s += plot::legend_line(lx, top + 32, h_colour, false, "H plane");
  s += legend_figures(pattern, lx, top + 56);
  s += plot::document_end();
  return s;
}

}  // namespace pattern
