// Small pieces of SVG for the companion programs' pictures: numbers, text,
// lines, markers, curves, and panels with axes, ticks and grid lines.
// Coordinates are in pixels from the top left.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plot {

// A coordinate or value with two decimals.
std::string number(double value);
// XML text with &, <, > and " escaped.
std::string escape(std::string_view text);

std::string document_start(double width, double height);
std::string document_end();

std::string line(double x1, double y1, double x2, double y2, const std::string& style);
std::string text(double x, double y, std::string_view content, const std::string& style);
std::string rect(double x, double y, double width, double height, const std::string& style);
// A circle or a square of 8 pixels, white inside, at (x, y).
std::string marker(double x, double y, const std::string& colour, bool square);
// A polyline through the points; segments between non-finite points are left out.
std::string curve(const std::vector<std::pair<double, double>>& points, const std::string& colour,
                  bool dashed = false);
// A legend entry: a short line (or a marker) and its label.
std::string legend_line(double x, double y, const std::string& colour, bool dashed, std::string_view label);

// A step of 1, 2 or 5 times a power of ten (or 15, 30, 45, 90 for degrees)
// that divides `span` into at most `ticks` intervals.
double nice_step(double span, int ticks, bool degrees = false);

// A tick label with as many decimals as the step needs (steps of 1, 2 or 5
// times a power of ten), so that neighbouring labels always differ.
std::string tick_label(double value, double step);

// A title in at most two lines of at most `characters` characters, broken
// after ", " and shortened with "..." where it is still too long.
std::vector<std::string> title_lines(std::string_view title, std::size_t characters);

// A rectangular plot area mapping a value range onto pixels.
struct Panel {
  double left, top, width, height;    // pixels
  double x_from, x_to, y_from, y_to;  // values at the edges (y_from at the bottom)

  double x(double value) const;
  double y(double value) const;  // clamped into the panel
  // Frame, grid lines and tick labels; the axis titles when not empty.
  std::string axes(const std::string& x_title, const std::string& y_title, int x_ticks = 10, int y_ticks = 6,
                   bool x_degrees = false) const;
};

}  // namespace plot
