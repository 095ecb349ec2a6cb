// The sweep as a picture: three panels stacked against frequency (gain, the
// four beamwidths, the two phase centres), classic values solid, the engine's
// dashed in the same colours.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "cli/options.hpp"
#include "plot/svg.hpp"
#include "sweep/formats.hpp"

namespace sweep {
namespace {

constexpr double width = 900, left = 90, right = 210, top = 70, panel_height = 190, gap = 62;

using Getter = std::function<std::optional<double>(const Row&)>;

struct Series {
  const char* label;
  const char* colour;
  Getter classic, engine;
};

struct PanelSpec {
  std::string title;  // the y axis
  std::vector<Series> series;
};

// A classic value, or an engine value, of a row through `get`; none where the row has none.
template <class Get>
std::optional<double> classic(const Row& r, Get get) {
  if (!r.classic) return std::nullopt;
  return double(get(*r.classic));
}

template <class Get>
std::optional<double> engine(const Row& r, Get get) {
  if (!r.check) return std::nullopt;
  return get(*r.check);
}

std::string panel(const PanelSpec& contents, const Table& table, double y0, bool last) {
  const bool checked = table.check_phase.has_value();
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const Row& r : table.rows)
    for (const Series& s : contents.series)
      for (const Getter* g : {&s.classic, &s.engine}) {
        if (!*g || (g == &s.engine && !checked)) continue;
        if (const auto v = (*g)(r); v && std::isfinite(*v)) {
          lo = std::min(lo, *v);
          hi = std::max(hi, *v);
        }
      }
  if (!(lo <= hi)) lo = 0.0, hi = 1.0;
  const double pad = hi > lo ? 0.06 * (hi - lo) : std::max(1.0, std::abs(hi) * 0.05);
  const double f0 = table.rows.front().frequency, f1 = table.rows.back().frequency;
  const double fpad = f1 > f0 ? 0.0 : std::max(0.05, 0.01 * f0);
  const plot::Panel p{
      left,     y0,      width - left - right, panel_height, std::min(f0, f1) - fpad, std::max(f0, f1) + fpad,
      lo - pad, hi + pad};
  std::string s = p.axes(last ? "Frequency (GHz)" : "", contents.title);
  for (const Series& series : contents.series) {
    for (const bool engine : {false, true}) {
      if (engine && !checked) continue;
      const Getter& g = engine ? series.engine : series.classic;
      std::vector<std::pair<double, double>> points;
      for (const Row& r : table.rows) {
        const auto v = g(r);
        points.emplace_back(p.x(r.frequency), v && std::isfinite(*v) ? p.y(*v) : NAN);
      }
      if (points.size() == 1 && std::isfinite(points[0].second))
        s += plot::marker(points[0].first, points[0].second, series.colour, engine);
      else
        s += plot::curve(points, series.colour, engine);
    }
  }
  double ly = y0 + 12;
  for (const Series& series : contents.series) {
    s += plot::legend_line(width - right + 18, ly, series.colour, false, series.label);
    ly += 20;
  }
  return s;
}

}  // namespace

std::string to_svg(const Table& table, const std::string& title) {
  const std::string unit = cli::unit_name(table.horn);
  const bool checked = table.check_phase.has_value();
  using C = horn::Characteristics;
  const std::vector<PanelSpec> panels = {
      {"Gain (dB)",
       {{"gain", "#2ca02c", [](const Row& r) { return classic(r, [](const C& c) { return c.gain; }); },
         [](const Row& r) {
           return r.check ? std::optional(r.check->figures.directivity_db) : std::nullopt;
         }}}},
      {"Full beamwidth (degrees)",
       {{"E plane 3 dB", "#1f77b4",
         [](const Row& r) { return classic(r, [](const C& c) { return c.e_beamwidth_3db; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.figures.e_beamwidth_3db; }); }},
        {"H plane 3 dB", "#d62728",
         [](const Row& r) { return classic(r, [](const C& c) { return c.h_beamwidth_3db; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.figures.h_beamwidth_3db; }); }},
        {"E plane 10 dB", "#17becf",
         [](const Row& r) { return classic(r, [](const C& c) { return c.e_beamwidth_10db; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.figures.e_beamwidth_10db; }); }},
        {"H plane 10 dB", "#ff7f0e",
         [](const Row& r) { return classic(r, [](const C& c) { return c.h_beamwidth_10db; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.figures.h_beamwidth_10db; }); }}}},
      {"Phase centre behind the aperture (" + unit + ")",
       {{"E plane", "#1f77b4",
         [](const Row& r) { return classic(r, [](const C& c) { return c.e_phase_centre_length; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.e_phase_centre_length; }); }},
        {"H plane", "#d62728",
         [](const Row& r) { return classic(r, [](const C& c) { return c.h_phase_centre_length; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.h_phase_centre_length; }); }}}},
  };
  const double height = top + static_cast<double>(panels.size()) * (panel_height + gap) + 10;
  std::string s = plot::document_start(width, height);
  s += plot::text(width / 2, 26, title, "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
  std::string subtitle = "classic model";
  if (checked)
    subtitle += std::string(" (solid) and aperture engine with ") +
                (*table.check_phase == aperture::Phase::quadratic ? "quadratic" : "spherical") +
                " aperture phase (dashed)";
  s += plot::text(width / 2, 46, subtitle, "text-anchor=\"middle\" fill=\"#555555\"");
  for (std::size_t i = 0; i < panels.size(); ++i)
    s += panel(panels[i], table, top + static_cast<double>(i) * (panel_height + gap), i + 1 == panels.size());
  if (checked) {
    const double y = top + 12 + 40;  // under the gain legend
    s += plot::legend_line(width - right + 18, y, "#555555", false, "classic");
    s += plot::legend_line(width - right + 18, y + 20, "#555555", true, "engine");
  }
  s += plot::document_end();
  return s;
}

}  // namespace sweep
