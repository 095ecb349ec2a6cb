#include "drawing/section.hpp"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace drawing {
namespace {

void add(std::vector<Point>& polygon, double z, double r) {
  if (!polygon.empty() && polygon.back().z == z && polygon.back().r == r) return;
  polygon.push_back({z, r});
}

std::string number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", v);
  return buffer;
}

}  // namespace

std::vector<Point> metal_section(const std::vector<modal::ProfilePoint>& wall,
                                 const std::vector<modal::ProfilePoint>& outside) {
  std::vector<Point> polygon;
  if (wall.empty()) return polygon;
  if (outside.empty()) {
    for (const modal::ProfilePoint& p : wall) add(polygon, p.z, p.radius);
    return polygon;
  }
  // The guide's outside ends at the input plane, or further back where the
  // contour runs behind it (the bore continues there at the input radius).
  const double back = std::min(wall.front().z, outside.back().z);
  if (back < wall.front().z) add(polygon, back, wall.front().radius);
  for (const modal::ProfilePoint& p : wall) add(polygon, p.z, p.radius);
  for (const modal::ProfilePoint& p : outside) add(polygon, p.z, p.radius);
  add(polygon, back, outside.back().radius);
  if (polygon.size() > 1 && polygon.front().z == polygon.back().z && polygon.front().r == polygon.back().r)
    polygon.pop_back();
  return polygon;
}

double revolved_volume(const std::vector<Point>& polygon) {
  double sum = 0.0;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Point& a = polygon[i];
    const Point& b = polygon[(i + 1) % polygon.size()];
    sum += (a.z - b.z) * (a.r * a.r + a.r * b.r + b.r * b.r);
  }
  return std::abs(sum) * std::numbers::pi / 3.0;
}

int dxf_units(const std::string& unit) {
  if (unit == "in") return 1;
  if (unit == "mm") return 4;
  if (unit == "cm") return 5;
  if (unit == "m") return 6;
  throw std::invalid_argument("no DXF unit for " + unit);
}

std::string dxf(const std::vector<Point>& section, bool closed, double units_per_metre, int insunits) {
  std::string out = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n9\n$INSUNITS\n70\n" +
                    std::to_string(insunits) + "\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
  auto line = [&](const Point& a, const Point& b, const char* layer) {
    out += std::string("0\nLINE\n8\n") + layer + "\n10\n" + number(a.z * units_per_metre) + "\n20\n" +
           number(a.r * units_per_metre) + "\n30\n0\n11\n" + number(b.z * units_per_metre) + "\n21\n" +
           number(b.r * units_per_metre) + "\n31\n0\n";
  };
  const std::size_t edges = closed ? section.size() : section.size() - 1;
  for (std::size_t i = 0; i < edges && section.size() > 1; ++i)
    line(section[i], section[(i + 1) % section.size()], "WALL");
  if (!section.empty()) {
    double lo = section.front().z, hi = lo;
    for (const Point& p : section) lo = std::min(lo, p.z), hi = std::max(hi, p.z);
    line({lo, 0.0}, {hi, 0.0}, "AXIS");
  }
  out += "0\nENDSEC\n0\nEOF\n";
  return out;
}

}  // namespace drawing
