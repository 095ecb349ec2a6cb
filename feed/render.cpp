#include "feed/render.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plot/svg.hpp"

namespace feed {
namespace {

using plot::line;
using plot::marker;
using plot::text;

constexpr double width = 820, height = 760;
constexpr double left = 80, right = 190, top = 70, gap = 80, bottom = 60;
constexpr double panel_height = (height - top - gap - bottom) / 2;

struct Curve {
  const char* label;
  const char* colour;
  bool dashed;
};
constexpr Curve efficiency_curves[] = {
    {"spillover", "#1f77b4", false},    {"illumination", "#2ca02c", false}, {"phase", "#9467bd", false},
    {"polarisation", "#8c564b", false}, {"aperture", "#d62728", false},
};
constexpr Curve edge_curves[] = {
    {"taper, E plane", "#1f77b4", false},
    {"taper, H plane", "#d62728", false},
    {"edge illumination", "#000000", true},
};

double efficiency_of(const reflector::Figures& f, int k) {
  switch (k) {
    case 0: return f.eta.spillover;
    case 1: return f.eta.illumination;
    case 2: return f.eta.phase;
    case 3: return f.eta.polarisation;
    default: return f.eta.aperture();
  }
}
double edge_of(const reflector::Figures& f, int k) {
  if (k == 0) return f.edge_taper_e_db;
  if (k == 1) return f.edge_taper_h_db;
  return (f.edge_taper_e_db + f.edge_taper_h_db) / 2.0 + reflector::space_attenuation_db(f.half_angle);
}

std::string two_decimals(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

}  // namespace

namespace {

// The legends beside the two panels.
std::string legends(const plot::Panel& upper, const plot::Panel& lower) {
  std::string s;
  const double lx = width - right + 16;
  double y = upper.top + 10;
  s += text(lx, y, "efficiency", "font-size=\"12\" font-weight=\"bold\"");
  y += 18;
  for (const Curve& c : efficiency_curves) {
    s += plot::legend_line(lx, y, c.colour, c.dashed, c.label);
    y += 18;
  }
  y += 8;
  s += marker(lx + 15, y, "#d62728", false) + text(lx + 36, y + 4, "reflector asked for", "font-size=\"12\"");
  y += 18;
  s += marker(lx + 15, y, "#d62728", true) + text(lx + 36, y + 4, "optimum", "font-size=\"12\"");
  y = lower.top + 10;
  s += text(lx, y, "at the rim", "font-size=\"12\" font-weight=\"bold\"");
  y += 18;
  for (const Curve& c : edge_curves) {
    s += plot::legend_line(lx, y, c.colour, c.dashed, c.label);
    y += 18;
  }
  s += text(lx, y + 8, "edge illumination:", "font-size=\"11\" fill=\"#555555\"");
  s += text(lx, y + 22, "mean taper + space loss", "font-size=\"11\" fill=\"#555555\"");
  return s;
}

}  // namespace

std::string to_svg(FrequencyFeed& f, const std::vector<Row>& rows, const Picture& p) {
  std::vector<reflector::Figures> samples;
  samples.reserve(picture_points);
  for (int i = 0; i < picture_points; ++i) {
    const double fd = p.f_over_d_from + (p.f_over_d_to - p.f_over_d_from) * i / (picture_points - 1);
    samples.push_back(f.feed.figures(reflector::half_angle_for(fd)));
  }
  double lowest = -3.0;
  for (const auto& s : samples)
    for (int k = 0; k < 3; ++k)
      if (std::isfinite(edge_of(s, k))) lowest = std::min(lowest, edge_of(s, k));
  const double step_db = plot::nice_step(-lowest, 6);
  const double floor_db = std::max(-60.0, std::floor(lowest / step_db) * step_db);

  const plot::Panel upper{left, top, width - left - right, panel_height, p.f_over_d_from, p.f_over_d_to,
                          0.0,  1.0};
  const plot::Panel lower{left,
                          top + panel_height + gap,
                          width - left - right,
                          panel_height,
                          p.f_over_d_from,
                          p.f_over_d_to,
                          floor_db,
                          0.0};
  std::string s = plot::document_start(width, height);
  const auto title = plot::title_lines(p.title, 80);
  s += text(width / 2, title.size() > 1 ? 22 : 28, title[0],
            "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
  if (title.size() > 1)
    s += text(width / 2, 40, title[1], "text-anchor=\"middle\" font-size=\"14\" font-weight=\"bold\"");
  s += text(width / 2, title.size() > 1 ? 56 : 48, p.subtitle, "text-anchor=\"middle\" fill=\"#555555\"");
  s += upper.axes("", "Efficiency (ratio)", 10, 5);
  // The verdict in red below the upper legend, clear of the curves.
  if (!p.verdict.empty()) {
    const std::size_t colon = p.verdict.find(": ");
    const double x = width - right + 18, y = upper.top + upper.height - 30;
    const std::string style = "fill=\"#d62728\" font-size=\"12\"";
    s += text(x, y, p.verdict.substr(0, colon + 1), style);
    if (colon != std::string::npos) s += text(x, y + 16, p.verdict.substr(colon + 2), style);
  }
  s += lower.axes("f/D of the paraboloid", "Level at the rim (dB)", 10, 6);

  const auto fd_of = [&](int i) {
    return p.f_over_d_from + (p.f_over_d_to - p.f_over_d_from) * i / (picture_points - 1);
  };
  for (int k = 0; k < 5; ++k) {
    std::vector<std::pair<double, double>> points;
    points.reserve(picture_points);
    for (int i = 0; i < picture_points; ++i)
      points.emplace_back(upper.x(fd_of(i)), upper.y(efficiency_of(samples[static_cast<std::size_t>(i)], k)));
    s += plot::curve(points, efficiency_curves[k].colour, efficiency_curves[k].dashed);
  }
  for (int k = 0; k < 3; ++k) {
    std::vector<std::pair<double, double>> points;
    points.reserve(picture_points);
    for (int i = 0; i < picture_points; ++i) {
      const double v = edge_of(samples[static_cast<std::size_t>(i)], k);
      points.emplace_back(lower.x(fd_of(i)), std::isfinite(v) && v >= floor_db ? lower.y(v) : NAN);
    }
    s += plot::curve(points, edge_curves[k].colour, edge_curves[k].dashed);
  }

  // The reflectors asked for (circles) and the optimum (a square, with a
  // line through both panels).
  for (const Row& r : rows) {
    const double fd = r.f_over_d();
    if (!(fd >= p.f_over_d_from && fd <= p.f_over_d_to)) continue;
    const double x = upper.x(fd);
    if (r.optimum) {
      s += line(x, upper.top, x, lower.top + lower.height, "stroke=\"#d62728\" stroke-dasharray=\"4 4\"");
      const bool left_of = x > upper.left + upper.width / 2;
      s += text(left_of ? x - 6 : x + 6, upper.top + upper.height - 10,
                "optimum f/D " + two_decimals(fd) + ", \xCE\xB7 " + two_decimals(r.figures.eta.aperture()),
                std::string("fill=\"#d62728\" font-size=\"12\"") + (left_of ? " text-anchor=\"end\"" : ""));
    }
    s += marker(x, upper.y(r.figures.eta.aperture()), "#d62728", r.optimum);
    s += marker(x, lower.y(std::max(r.edge_illumination_db(), floor_db)), "#000000", r.optimum);
  }

  s += legends(upper, lower);
  return s + plot::document_end();
}

}  // namespace feed
