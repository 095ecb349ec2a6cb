#include "drawing/picture.hpp"

#include <algorithm>
#include <cmath>

#include "drawing/section.hpp"
#include "plot/svg.hpp"

namespace drawing {
namespace {

constexpr double width = 960.0, margin = 120.0, top = 70.0, below_axis = 70.0;
constexpr double tick = 6.0;
const std::string ink = "stroke=\"#000\" stroke-width=\"1\"";
const std::string dimension_style = "stroke=\"#1f4e9e\" stroke-width=\"1\"";
const std::string label_style = "fill=\"#1f4e9e\"";

std::string value(double metres, double units_per_metre, const std::string& unit) {
  return plot::tick_label(metres * units_per_metre, 0.001) + " " + unit;
}

// A dimension line between two points with end ticks and a label.
std::string dimension(double x1, double y1, double x2, double y2, const std::string& label, bool vertical) {
  std::string s = plot::line(x1, y1, x2, y2, dimension_style);
  if (vertical) {
    s += plot::line(x1 - tick, y1, x1 + tick, y1, dimension_style) +
         plot::line(x2 - tick, y2, x2 + tick, y2, dimension_style);
    s += plot::text(x1 + tick + 3, (y1 + y2) / 2 + 4, label, label_style);
  } else {
    s += plot::line(x1, y1 - tick, x1, y1 + tick, dimension_style) +
         plot::line(x2, y2 - tick, x2, y2 + tick, dimension_style);
    s += plot::text((x1 + x2) / 2 - 40, y1 - 6, label, label_style);
  }
  return s;
}

}  // namespace

std::string section_svg(const std::vector<modal::ProfilePoint>& wall,
                        const std::vector<modal::ProfilePoint>& outside, const std::string& unit,
                        double units_per_metre, const std::string& title) {
  const std::vector<Point> section = metal_section(wall, outside);
  double z_lo = section.front().z, z_hi = z_lo, r_hi = 0.0;
  for (const Point& p : section)
    z_lo = std::min(z_lo, p.z), z_hi = std::max(z_hi, p.z), r_hi = std::max(r_hi, p.r);
  const double dimensions_room = 250.0;  // right of the aperture
  const double scale = (width - 2 * margin - dimensions_room) / std::max(z_hi - z_lo, 1e-9);
  const double height = top + r_hi * scale + below_axis + 40.0;
  const double axis_y = top + r_hi * scale;
  auto x = [&](double z) { return margin + (z - z_lo) * scale; };
  auto y = [&](double r) { return axis_y - r * scale; };

  std::string s = plot::document_start(width, height);
  int line_number = 0;
  for (const std::string& l : plot::title_lines(title, 110))
    s += plot::text(margin, 24 + 18 * line_number++, l, "font-size=\"15\"");
  // The metal, hatched grey; a thin wall is a line.
  std::string points;
  for (const Point& p : section) points += plot::number(x(p.z)) + "," + plot::number(y(p.r)) + " ";
  if (outside.empty()) {
    s += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"#000\" stroke-width=\"2\"/>\n";
  } else {
    s += "<polygon points=\"" + points + "\" fill=\"#c8c8c8\" " + ink + "/>\n";
  }
  // The axis of revolution, dash-dot.
  s += plot::line(x(z_lo) - 20, axis_y, x(z_hi) + 20, axis_y,
                  "stroke=\"#000\" stroke-width=\"0.8\" stroke-dasharray=\"12,3,2,3\"");
  s += plot::text(x(z_hi) + 30, axis_y + 14, "axis", "font-size=\"11\"");
  // Length from the input plane to the aperture, below the axis.
  const double z_in = wall.front().z, z_ap = wall.back().z;
  const double dy = axis_y + below_axis / 2;
  s += plot::line(x(z_in), axis_y + 4, x(z_in), dy + tick, dimension_style) +
       plot::line(x(z_ap), axis_y + 4, x(z_ap), dy + tick, dimension_style);
  s += dimension(x(z_in), dy, x(z_ap), dy, "length " + value(z_ap - z_in, units_per_metre, unit), false);
  // Diameters: the input's left of the horn, the aperture's and the outside's right.
  const double r_in = wall.front().radius, r_ap = wall.back().radius;
  s += dimension(x(z_lo) - 14, axis_y, x(z_lo) - 14, y(r_in), "", true);
  s += plot::text(x(z_lo) - 24, (axis_y + y(r_in)) / 2 + 4,
                  "\u2300 " + value(2 * r_in, units_per_metre, unit), label_style + " text-anchor=\"end\"");
  s += dimension(x(z_hi) + 25, axis_y, x(z_hi) + 25, y(r_ap),
                 "\u2300 " + value(2 * r_ap, units_per_metre, unit) + " aperture", true);
  if (!outside.empty()) {
    double r_out = 0.0;
    for (const modal::ProfilePoint& p : outside) r_out = std::max(r_out, p.radius);
    const double at = x(z_hi) + 200;
    s += dimension(at, axis_y, at, y(r_out), "", true);
    s += plot::text(at - 10, y(r_out) + 16, "\u2300 " + value(2 * r_out, units_per_metre, unit) + " outside",
                    label_style + " text-anchor=\"end\"");
  }
  s += plot::text(margin, height - 14,
                  "half cross-section, to scale; lengths in " + unit + "; z from the input reference plane",
                  "font-size=\"11\" fill=\"#444\"");
  s += plot::document_end();
  return s;
}

}  // namespace drawing
