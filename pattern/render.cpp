#include "pattern/render.hpp"

#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "cli/usage.hpp"
#include "models/domain.hpp"
#include "models/registry.hpp"
#include "plot/svg.hpp"
#include "text/numbers.hpp"

namespace pattern {

std::string round_trip(float value) { return text::shortest(value); }

std::string to_csv(const Pattern& pattern) {
  // The mode-matching engine adds the 45-degree plane's cross-polar field.
  const bool cross = models::describes_walls(pattern.model);
  std::string out;
  for (const std::string& name : column_names(pattern)) out += (out.empty() ? "" : ",") + name;
  out += "\r\n";
  for (const PatternRow& r : pattern.rows) {
    for (const float v : {r.angle, r.e_amplitude, r.h_amplitude, r.e_relative, r.h_relative, r.e_phase}) {
      out += round_trip(v);
      out += ',';
    }
    out += round_trip(r.h_phase);
    if (cross) {
      out += ',';
      out += round_trip(r.cross_relative);
    }
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
constexpr const char* cross_colour = "#2ca02c";

std::string model_title(Model model) { return std::string(models::info(model).title); }

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
  const char* heading = classic && engine           ? "classic / engine"
                        : classic                   ? "classic model"
                        : pattern.modal.has_value() ? "modal engine"
                                                    : "aperture engine";
  s += text(x, y, heading, "font-size=\"12\" font-weight=\"bold\"");
  y += 17;
  const Beamwidths& b = pattern.beamwidths;
  const farfield::BeamFigures* g = engine ? &*pattern.engine : nullptr;
  auto c = [&](float v) { return classic ? std::optional<double>(v) : std::nullopt; };
  auto e = [&](const std::optional<double>& v) {
    return engine ? std::optional<double>(v.value_or(NAN)) : std::nullopt;
  };
  auto centre = [&](const std::optional<farfield::PhaseCentreFit>& fit) {
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
  if (pattern.modal) {
    const modal::Figures& m = *pattern.modal;
    char value[64];
    y += 8;
    std::snprintf(value, sizeof value, "directivity %.2f dBi", m.directivity_db);
    s += text(x, y, value, "font-size=\"12\"");
    s += text(x, y + 17, "return loss " + models::return_loss_text(m, !models::whole_sphere(pattern.model)),
              "font-size=\"12\"");
    std::snprintf(value, sizeof value, "cross-polar %.1f dB", m.peak_cross_polar_db);
    s += text(x, y + 34, value, "font-size=\"12\"");
    std::snprintf(value, sizeof value, "(peak at %.1f\xC2\xB0)", m.peak_cross_polar_angle);
    s += text(x, y + 51, value, "font-size=\"12\"");
  }
  return s;
}

}  // namespace

// The curve of one plane above the floor; where it falls below the floor the
// curve breaks and a small downward triangle on the floor marks the clipped
// stretch.
std::string clipped_curve(const plot::Panel& f, const std::vector<std::pair<double, double>>& angle_db,
                          const char* colour, bool& clipped) {
  std::vector<std::pair<double, double>> points;
  std::string marks;
  bool below = false;
  for (const auto& [angle, db] : angle_db) {
    const bool now_below = std::isfinite(db) && db < floor_db;
    if (now_below && !below) {
      const double x = f.x(angle), y = f.y(floor_db);
      marks += "<path d=\"M " + plot::number(x - 5) + " " + plot::number(y - 9) + " L " +
               plot::number(x + 5) + " " + plot::number(y - 9) + " L " + plot::number(x) + " " +
               plot::number(y - 1) + " Z\" fill=\"" + colour + "\"/>\n";
      clipped = true;
    }
    below = now_below;
    points.emplace_back(f.x(angle), std::isfinite(db) && !now_below ? f.y(db) : NAN);
  }
  return plot::curve(points, colour) + marks;
}

namespace {

// The half-beamwidths at the -3 and -10 dB levels: the classic routine's as
// circles, the engine's as squares.
std::string beamwidth_marks(const plot::Panel& f, const Pattern& pattern, double offset) {
  std::string s;
  struct Mark {
    double half_angle, level;
    const char* colour;
  };
  auto draw_marks = [&](std::span<const Mark> marks, bool square) {
    for (const Mark& m : marks) {
      if (!(m.half_angle >= f.x_from && m.half_angle <= f.x_to)) continue;
      const double x = f.x(m.half_angle), y = f.y(m.level - offset);
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
    const farfield::BeamFigures& g = *pattern.engine;
    auto half = [](const std::optional<double>& width) { return width ? *width / 2.0 : -1e9; };
    const Mark marks[] = {{half(g.e_beamwidth_3db), -3.0, e_colour},
                          {half(g.h_beamwidth_3db), -3.0, h_colour},
                          {half(g.e_beamwidth_10db), -10.0, e_colour},
                          {half(g.h_beamwidth_10db), -10.0, h_colour}};
    draw_marks(marks, true);
  }

  return s;
}

// The legend right of the panel: the curves, the clipping mark, the figures.
std::string legend(const Pattern& pattern, double lx, bool cross, bool clipped) {
  std::string s;
  s += plot::legend_line(lx, top + 10, e_colour, false, "E plane");
  s += plot::legend_line(lx, top + 32, h_colour, false, "H plane");
  double ly = top + 56;
  if (cross) {
    s += plot::legend_line(lx, ly - 2, cross_colour, false, "cross-polar, 45\xC2\xB0");
    ly += 22;
  }
  if (clipped) {
    s += "<path d=\"M " + plot::number(lx + 10) + " " + plot::number(ly - 8) + " L " + plot::number(lx + 20) +
         " " + plot::number(ly - 8) + " L " + plot::number(lx + 15) + " " + plot::number(ly) +
         " Z\" fill=\"#555555\"/>\n";
    s += text(lx + 36, ly, "clipped at -40 dB", "font-size=\"12\"");
    ly += 24;
  }
  s += legend_figures(pattern, lx, ly);
  return s;
}

}  // namespace

std::string to_svg(const Pattern& pattern, const Description& d) {
  const double from = pattern.rows.empty() ? 0.0 : pattern.rows.front().angle;
  const double to =
      pattern.rows.empty() || pattern.rows.back().angle <= from ? from + 1.0 : pattern.rows.back().angle;
  // A pattern whose peak lies off the axis (a large phase error) is drawn
  // relative to its own peak, so that nothing is cut off at the top.
  double peak = 0.0, peak_angle = 0.0;
  for (const PatternRow& r : pattern.rows)
    for (const float v : {r.e_relative, r.h_relative})
      if (std::isfinite(v) && double(v) > peak) peak = v, peak_angle = r.angle;
  const double offset = peak > 0.005 ? peak : 0.0;
  const plot::Panel f{left, top, width - left - right, height - top - bottom, from, to, floor_db, 0.0};
  const double plot_right = width - right;
  std::string s = plot::document_start(width, height);
  const auto title =
      plot::title_lines(d.kind + ", " + d.horn + ", at " + round_trip(d.frequency) + " GHz", 78);
  s += text(width / 2, title.size() > 1 ? 20 : 28, title[0],
            "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
  if (title.size() > 1)
    s += text(width / 2, 38, title[1], "text-anchor=\"middle\" font-size=\"14\" font-weight=\"bold\"");
  std::string subtitle = model_title(pattern.model);
  if (offset > 0.0)
    subtitle += "; relative to the peak, " + plot::number(offset) + " dB above the axis at " +
                plot::number(peak_angle) + "\xC2\xB0";
  s += text(width / 2, title.size() > 1 ? 54 : 46, subtitle, "text-anchor=\"middle\" fill=\"#555555\"");
  if (!d.classic_warning.empty())
    s += text(left + 8, top + height - bottom - 10, d.classic_warning, "fill=\"#c62828\" font-size=\"12\"");
  s += f.axes("Angle from the axis (degrees)",
              offset > 0.0 ? "Amplitude relative to the peak (dB)" : "Amplitude relative to the axis (dB)",
              12, 8, true);

  // The -3 dB and -10 dB levels below the axis value, at which the
  // beamwidths are taken.
  for (double level : {-3.0, -10.0}) {
    const double y = f.y(level - offset);
    s += line(left, y, plot_right, y, "stroke=\"#555555\" stroke-dasharray=\"6 4\"");
    s += text(
        plot_right - 4, y - 4,
        plot::number(level).substr(0, plot::number(level).find('.')) + (offset > 0.0 ? " dB (axis)" : " dB"),
        "text-anchor=\"end\" fill=\"#555555\"");
  }
  s += beamwidth_marks(f, pattern, offset);

  std::vector<std::pair<double, double>> e_points, h_points;
  for (const PatternRow& r : pattern.rows) {
    e_points.emplace_back(r.angle, double(r.e_relative) - offset);
    h_points.emplace_back(r.angle, double(r.h_relative) - offset);
  }
  bool clipped = false;
  s += clipped_curve(f, e_points, e_colour, clipped);
  s += clipped_curve(f, h_points, h_colour, clipped);
  const bool cross = models::describes_walls(pattern.model);
  if (cross) {
    std::vector<std::pair<double, double>> x_points;
    x_points.reserve(pattern.rows.size());
    for (const PatternRow& r : pattern.rows)
      x_points.emplace_back(r.angle, double(r.cross_relative) - offset);
    s += clipped_curve(f, x_points, cross_colour, clipped);
  }

  s += legend(pattern, plot_right + 15, cross, clipped);
  s += plot::document_end();
  return s;
}

}  // namespace pattern
