// The sweep as a picture: panels stacked against frequency (gain, the four
// beamwidths, the two phase centres; with the mode-matching engine the return
// loss and the cross-polar peak too), classic values solid, the engine's
// dashed in the same colours. The frequency axis runs from the smallest to the
// largest frequency and the points are joined in frequency order; rows whose
// phase error lies beyond the classic tables are shaded.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "cli/usage.hpp"
#include "models/classic.hpp"
#include "plot/svg.hpp"
#include "sweep/formats.hpp"
#include "text/numbers.hpp"

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
  double least_span = 0.0;  // the y axis's least span (dB levels: 10 dB)
};

// A classic value, or an engine value, of a row through `get`; none where the row has none.
template <class Get>
std::optional<double> classic(const Row& r, Get get) {
  if (!r.classic) return std::nullopt;
  return double(get(*r.classic));
}

template <class Get>
std::optional<double> engine(const Row& r, Get get) {
  if (!r.check || !r.check->figures) return std::nullopt;
  return get(*r.check);
}

// The rows drawn, in frequency order, and what the picture says of them.
struct Drawn {
  std::vector<Row> rows;
  bool checked = false;
  bool markers = false;  // points drawn as markers: few rows
};

std::string panel(const PanelSpec& contents, const Drawn& drawn, double y0, bool last) {
  const bool checked = drawn.checked;
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const Row& r : drawn.rows)
    for (const Series& s : contents.series)
      for (const Getter* g : {&s.classic, &s.engine}) {
        if (!*g || (g == &s.engine && !checked)) continue;
        if (const auto v = (*g)(r); v && std::isfinite(*v)) {
          lo = std::min(lo, *v);
          hi = std::max(hi, *v);
        }
      }
  if (!(lo <= hi)) lo = 0.0, hi = 1.0;
  // Levels never on less than a sensible span, so that a ripple of a few
  // tenths of a dB does not fill the panel.
  if (contents.least_span > 0.0 && hi - lo < contents.least_span) {
    const double middle = (hi + lo) / 2.0;
    lo = middle - contents.least_span / 2.0;
    hi = middle + contents.least_span / 2.0;
  }
  const double pad = hi > lo ? 0.06 * (hi - lo) : std::max(1.0, std::abs(hi) * 0.05);
  const double f0 = drawn.rows.front().frequency, f1 = drawn.rows.back().frequency;
  const double fpad = f1 > f0 ? 0.0 : std::max(0.05, 0.01 * f0);
  const plot::Panel p{left, y0, width - left - right, panel_height, f0 - fpad, f1 + fpad, lo - pad, hi + pad};
  std::string s;
  // Shade the runs of rows beyond the classic tables.
  for (std::size_t i = 0; i < drawn.rows.size();) {
    if (!drawn.rows[i].beyond_tables) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j + 1 < drawn.rows.size() && drawn.rows[j + 1].beyond_tables) ++j;
    const double x0 = std::max(p.left, p.x(drawn.rows[i].frequency) - 3.0);
    const double x1 = std::min(p.left + p.width, p.x(drawn.rows[j].frequency) + 3.0);
    s += plot::rect(x0, y0, x1 - x0, panel_height, "fill=\"#f4c7c3\" fill-opacity=\"0.6\"");
    i = j + 1;
  }
  s += p.axes(last ? "Frequency (GHz)" : "", contents.title);
  for (const Series& series : contents.series) {
    for (const bool engine : {false, true}) {
      if (engine && !checked) continue;
      const Getter& g = engine ? series.engine : series.classic;
      if (!g) continue;
      std::vector<std::pair<double, double>> points;
      for (const Row& r : drawn.rows) {
        const auto v = g(r);
        points.emplace_back(p.x(r.frequency), v && std::isfinite(*v) ? p.y(*v) : NAN);
      }
      s += plot::curve(points, series.colour, engine);
      if (drawn.markers)
        for (const auto& [x, y] : points)
          if (std::isfinite(y)) s += plot::marker(x, y, series.colour, engine);
    }
  }
  double ly = y0 + 12;
  for (const Series& series : contents.series) {
    s += plot::legend_line(width - right + 18, ly, series.colour, false, series.label);
    ly += 20;
  }
  return s;
}

std::string picture(const Drawn& drawn, const Picture& picture) {
  const std::string& unit = picture.unit;
  const bool checked = drawn.checked;
  using C = horn::Characteristics;
  // A wall's sweep has the engine's directivity alone; a cone's the classic
  // gain, with the engine's directivity when checked.
  const bool classic_gain = picture.layout.classic;
  std::vector<PanelSpec> panels = {
      {classic_gain ? (checked ? "Gain / directivity (dB)" : "Gain (dB)") : "Directivity (dB)",
       {{classic_gain ? (checked ? "gain / directivity" : "gain") : "directivity", "#2ca02c",
         [](const Row& r) { return classic(r, [](const C& c) { return c.gain; }); },
         [](const Row& r) {
           return engine(r, [](const Check& c) { return std::optional(c.figures->directivity_db); });
         }}},
       10.0},
      {"Full beamwidth (degrees)",
       {{"E plane 3 dB", "#1f77b4",
         [](const Row& r) { return classic(r, [](const C& c) { return c.e_beamwidth_3db; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.figures->e_beamwidth_3db; }); }},
        {"H plane 3 dB", "#d62728",
         [](const Row& r) { return classic(r, [](const C& c) { return c.h_beamwidth_3db; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.figures->h_beamwidth_3db; }); }},
        {"E plane 10 dB", "#17becf",
         [](const Row& r) { return classic(r, [](const C& c) { return c.e_beamwidth_10db; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.figures->e_beamwidth_10db; }); }},
        {"H plane 10 dB", "#ff7f0e",
         [](const Row& r) { return classic(r, [](const C& c) { return c.h_beamwidth_10db; }); },
         [](const Row& r) {
           return engine(r, [](const Check& c) { return c.figures->h_beamwidth_10db; });
         }}}},
      {"Phase centre behind the aperture (" + unit + ")",
       {{"E plane", "#1f77b4",
         [](const Row& r) { return classic(r, [](const C& c) { return c.e_phase_centre_length; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.e_phase_centre_length; }); }},
        {"H plane", "#d62728",
         [](const Row& r) { return classic(r, [](const C& c) { return c.h_phase_centre_length; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.h_phase_centre_length; }); }}}},
  };
  if (picture.layout.modal) {
    panels.push_back({"Return loss (dB)",
                      {{"input", "#9467bd", nullptr,
                        [](const Row& r) { return r.check ? r.check->return_loss_db : std::nullopt; }}},
                      10.0});
    panels.push_back({"Cross-polar peak (dB)",
                      {{"45\xC2\xB0 plane", "#8c564b", nullptr,
                        [](const Row& r) { return r.check ? r.check->peak_cross_polar_db : std::nullopt; }}},
                      10.0});
  }
  // The title in one or two lines of at most 95 characters (bold 16 px).
  const std::vector<std::string> lines = plot::title_lines(picture.title, 95);
  const double shift = 20.0 * static_cast<double>(lines.size() - 1);
  const double height = top + shift + static_cast<double>(panels.size()) * (panel_height + gap) + 10;
  std::string s = plot::document_start(width, height);
  for (std::size_t i = 0; i < lines.size(); ++i)
    s += plot::text(width / 2, 26 + 20.0 * static_cast<double>(i), lines[i],
                    "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
  std::string subtitle = picture.layout.classic ? "classic model" : picture.engine;
  if (checked && picture.layout.classic) subtitle += " (solid) and " + picture.engine + " (dashed)";
  if (drawn.markers) subtitle += "; markers: the computed frequencies";
  s += plot::text(width / 2, 46 + shift, subtitle, "text-anchor=\"middle\" fill=\"#555555\"");
  for (std::size_t i = 0; i < panels.size(); ++i)
    s += panel(panels[i], drawn, top + shift + static_cast<double>(i) * (panel_height + gap),
               i + 1 == panels.size());
  bool beyond = false;
  for (const Row& r : drawn.rows) beyond = beyond || r.beyond_tables;
  if (beyond)
    s += plot::rect(width - right + 18, top + shift + panel_height + gap + 100, 30, 12,
                    "fill=\"#f4c7c3\" fill-opacity=\"0.6\"") +
         plot::text(width - right + 54, top + shift + panel_height + gap + 110, "s > 0.8: beyond the", "") +
         plot::text(width - right + 54, top + shift + panel_height + gap + 126, "classic tables", "");
  if (checked && picture.layout.classic) {
    const double y = top + shift + 12 + 40;  // under the gain legend
    s += plot::legend_line(width - right + 18, y, "#555555", false, "classic");
    s += plot::legend_line(width - right + 18, y + 20, "#555555", true, "engine");
  }
  s += plot::document_end();
  return s;
}

// Keeps every k-th row (at most picture_points), draws them at the end.
class SvgWriter : public Writer {
 public:
  SvgWriter(Sink sink, Picture picture, std::int64_t rows)
      : sink_(std::move(sink)),
        picture_(std::move(picture)),
        stride_(std::max<std::int64_t>(1, (rows + picture_points - 2) / (picture_points - 1))),
        last_(rows - 1) {
    drawn_.checked = !picture_.engine.empty();
  }
  void row(const Row& row) override {
    if (index_ % stride_ == 0 || index_ == last_) drawn_.rows.push_back(row);
    ++index_;
  }
  void finish() override {
    if (drawn_.rows.empty()) return;
    std::stable_sort(drawn_.rows.begin(), drawn_.rows.end(),
                     [](const Row& a, const Row& b) { return a.frequency < b.frequency; });
    // A frequency listed twice has the same figures (each frequency's are its
    // own): drawn once, so that a long curve stays a curve.
    drawn_.rows.erase(std::unique(drawn_.rows.begin(), drawn_.rows.end(),
                                  [](const Row& a, const Row& b) { return a.frequency == b.frequency; }),
                      drawn_.rows.end());
    drawn_.markers = drawn_.rows.size() <= 30;
    sink_(picture(drawn_, picture_));
  }

 private:
  Sink sink_;
  Picture picture_;
  std::int64_t stride_, last_, index_ = 0;
  Drawn drawn_;
};

}  // namespace

std::unique_ptr<Writer> svg_writer(Sink sink, const Picture& picture, std::int64_t rows) {
  return std::make_unique<SvgWriter>(std::move(sink), picture, rows);
}

}  // namespace sweep
