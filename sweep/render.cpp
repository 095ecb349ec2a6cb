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
#include "models/domain.hpp"
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
  // The verdicts that concern the panel's figures: their rows are shaded.
  std::vector<models::Cause> causes = {};
  bool return_loss = false;  // the return loss's bounds drawn as bounds
};

// The verdicts on the figures of every panel, and those of the phase
// centres and of the input match.
const std::vector<models::Cause> pattern_causes = {models::Cause::small_aperture, models::Cause::near_cut_off,
                                                   models::Cause::solver_bound};
const std::vector<models::Cause> centre_causes = {
    models::Cause::small_aperture, models::Cause::near_cut_off, models::Cause::solver_bound,
    models::Cause::phase_centre_behind_apex, models::Cause::phase_centre_ahead_of_aperture};
const std::vector<models::Cause> match_causes = {models::Cause::several_modes_in_guide};

bool has_any(const Row& r, const std::vector<models::Cause>& causes) {
  return std::any_of(causes.begin(), causes.end(), [&](models::Cause c) { return r.domain.has(c); });
}

// Shades the runs of rows that `marked` picks, each row a column of the
// panel (3 px either side of its frequency).
template <class Marked>
std::string shade_runs(const plot::Panel& p, const std::vector<Row>& rows, Marked marked, const char* style) {
  std::string s;
  for (std::size_t i = 0; i < rows.size();) {
    if (!marked(rows[i])) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j + 1 < rows.size() && marked(rows[j + 1])) ++j;
    const double x0 = std::max(p.left, p.x(rows[i].frequency) - 3.0);
    const double x1 = std::min(p.left + p.width, p.x(rows[j].frequency) + 3.0);
    s += plot::rect(x0, p.top, x1 - x0, p.height, style);
    i = j + 1;
  }
  return s;
}

constexpr const char* beyond_style = "fill=\"#f4c7c3\" fill-opacity=\"0.6\"";
constexpr const char* verdict_style = "fill=\"#fbe3a6\" fill-opacity=\"0.7\"";

// A return loss only bounded from below by the settled change: its bound,
// drawn with an upward caret.
bool lower_bound_only(const Row& r) { return r.check && r.check->return_loss_lower_bound_db.has_value(); }

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

// The return loss's uncertainty as bars where it reaches 1 dB, and an
// upward arrow from the bound where only a lower bound is known.
std::string return_loss_bounds(const plot::Panel& p, const std::vector<Row>& rows,
                               const std::vector<std::pair<double, double>>& points, const char* colour) {
  std::string s;
  const std::string stroke = "stroke=\"" + std::string(colour) + "\"";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto [x, y] = points[i];
    if (!std::isfinite(y) || !rows[i].check) continue;
    const Check& c = *rows[i].check;
    if (lower_bound_only(rows[i])) {
      s += plot::line(x, y, x, y - 14, stroke) + plot::line(x - 3, y - 9, x, y - 14, stroke) +
           plot::line(x + 3, y - 9, x, y - 14, stroke);
    } else if (c.return_loss_db && c.return_loss_uncertainty_db && *c.return_loss_uncertainty_db >= 1.0) {
      const double u = *c.return_loss_uncertainty_db;
      const double y_low = p.y(*c.return_loss_db - u), y_high = p.y(*c.return_loss_db + u);
      s += plot::line(x, y_low, x, y_high, stroke) + plot::line(x - 3, y_low, x + 3, y_low, stroke) +
           plot::line(x - 3, y_high, x + 3, y_high, stroke);
    }
  }
  return s;
}

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
  // Shade the runs of rows beyond the classic tables, and those outside
  // the domain of the model of the panel's figures.
  s += shade_runs(
      p, drawn.rows, [](const Row& r) { return r.beyond_tables; }, beyond_style);
  if (!contents.causes.empty())
    s += shade_runs(
        p, drawn.rows, [&](const Row& r) { return has_any(r, contents.causes); }, verdict_style);
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
      if (contents.return_loss) s += return_loss_bounds(p, drawn.rows, points, series.colour);
    }
  }
  // Above the rim's bound the figures are upper bounds: a dotted line there,
  // said under the legend.
  // (A model with the horn's outside has the rim: no such bound.)
  const bool rim_left_out = std::any_of(drawn.rows.begin(), drawn.rows.end(), [](const Row& r) {
    const auto model = r.check ? models::find(r.check->model) : std::nullopt;
    return model && !models::whole_sphere(*model);
  });
  if (contents.return_loss && rim_left_out && hi > models::return_loss_bound_db) {
    const double y = p.y(models::return_loss_bound_db);
    s += plot::line(p.left, y, p.left + p.width, y, "stroke=\"#555555\" stroke-dasharray=\"2,3\"");
    s += plot::line(width - right + 18, y0 + 40, width - right + 44, y0 + 40,
                    "stroke=\"#555555\" stroke-dasharray=\"2,3\"") +
         plot::text(width - right + 50, y0 + 44,
                    text::fixed(models::return_loss_bound_db, 0) + " dB: above it,", "font-size=\"11\"") +
         plot::text(width - right + 18, y0 + 60, "upper bounds (the rim", "font-size=\"11\"") +
         plot::text(width - right + 18, y0 + 75, "left out)", "font-size=\"11\"");
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
       10.0,
       pattern_causes},
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
         [](const Row& r) { return engine(r, [](const Check& c) { return c.figures->h_beamwidth_10db; }); }}},
       0.0,
       pattern_causes},
      {"Phase centre behind the aperture (" + unit + ")",
       {{"E plane", "#1f77b4",
         [](const Row& r) { return classic(r, [](const C& c) { return c.e_phase_centre_length; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.e_phase_centre_length; }); }},
        {"H plane", "#d62728",
         [](const Row& r) { return classic(r, [](const C& c) { return c.h_phase_centre_length; }); },
         [](const Row& r) { return engine(r, [](const Check& c) { return c.h_phase_centre_length; }); }}},
       0.0,
       centre_causes},
  };
  if (picture.layout.modal) {
    panels.push_back({"Return loss (dB)",
                      {{"input", "#9467bd", nullptr,
                        [](const Row& r) {
                          if (!r.check) return std::optional<double>();
                          return lower_bound_only(r) ? r.check->return_loss_lower_bound_db
                                                     : r.check->return_loss_db;
                        }}},
                      10.0,
                      match_causes,
                      true});
    panels.push_back({"Cross-polar peak (dB)",
                      {{"45\xC2\xB0 plane", "#8c564b", nullptr,
                        [](const Row& r) { return r.check ? r.check->peak_cross_polar_db : std::nullopt; }}},
                      10.0,
                      pattern_causes});
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
  bool beyond = false, bounded = false, uncertain = false;
  models::Domain outside;
  for (const Row& r : drawn.rows) {
    beyond = beyond || r.beyond_tables;
    bounded = bounded || lower_bound_only(r);
    uncertain = uncertain || (r.check && r.check->return_loss_uncertainty_db &&
                              *r.check->return_loss_uncertainty_db >= 1.0);
    for (const models::CauseInfo& c : models::causes())
      if (c.cause != models::Cause::beyond_classic_tables && c.cause != models::Cause::return_loss_bound &&
          r.domain.has(c.cause))
        outside.add(c.cause);
  }
  // The shadings' legends under the beamwidth panel's, the verdicts' keys
  // one a line.
  double ly = top + shift + panel_height + gap + 100;
  if (beyond) {
    s += plot::rect(width - right + 18, ly, 30, 12, beyond_style) +
         plot::text(width - right + 54, ly + 10, "s > 0.8: beyond the", "") +
         plot::text(width - right + 54, ly + 26, "classic tables", "");
    ly += 44;
  }
  if (outside.cell() != "ok") {
    s += plot::rect(width - right + 18, ly, 30, 12, verdict_style) +
         plot::text(width - right + 54, ly + 10, "outside the model's", "") +
         plot::text(width - right + 54, ly + 26, "domain:", "");
    ly += 42;
    for (const models::CauseInfo& c : models::causes())
      if (outside.has(c.cause)) {
        s += plot::text(width - right + 18, ly, c.key, "font-size=\"11\"");
        ly += 15;
      }
  }
  if (bounded || uncertain) {
    const double rl_top = top + shift + 3 * (panel_height + gap) + 100;
    s += plot::text(width - right + 18, rl_top, "bars: the uncertainty", "font-size=\"11\"") +
         plot::text(width - right + 18, rl_top + 15, "arrows: a lower bound only", "font-size=\"11\"");
  }
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
