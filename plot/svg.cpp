#include "plot/svg.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plot {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string document_start(double width, double height) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
         number(width) + "\" height=\"" + number(height) + "\" viewBox=\"0 0 " + number(width) + " " +
         number(height) +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"13\">\n"
         "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
}

std::string document_end() { return "</svg>\n"; }

std::string line(double x1, double y1, double x2, double y2, const std::string& style) {
  return "<line x1=\"" + number(x1) + "\" y1=\"" + number(y1) + "\" x2=\"" + number(x2) + "\" y2=\"" +
         number(y2) + "\" " + style + "/>\n";
}

std::string text(double x, double y, std::string_view content, const std::string& style) {
  return "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" " + style + ">" + escape(content) +
         "</text>\n";
}

std::string rect(double x, double y, double width, double height, const std::string& style) {
  return "<rect x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" + number(width) + "\" height=\"" +
         number(height) + "\" " + style + "/>\n";
}

std::string marker(double x, double y, const std::string& colour, bool square) {
  const std::string style = "fill=\"white\" stroke=\"" + colour + "\" stroke-width=\"2\"";
  if (square) return rect(x - 4, y - 4, 8, 8, style);
  return "<circle cx=\"" + number(x) + "\" cy=\"" + number(y) + "\" r=\"4\" " + style + "/>\n";
}

std::string curve(const std::vector<std::pair<double, double>>& points, const std::string& colour,
                  bool dashed) {
  const std::string style = "fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"2\"" +
                            (dashed ? " stroke-dasharray=\"7 4\"" : "");
  std::string out, run;
  auto flush = [&] {
    if (!run.empty()) out += "<polyline " + style + " points=\"" + run + "\"/>\n";
    run.clear();
  };
  for (const auto& [x, y] : points) {
    if (!std::isfinite(x) || !std::isfinite(y)) {
      flush();
      continue;
    }
    run += number(x) + "," + number(y) + " ";
  }
  flush();
  return out;
}

std::string legend_line(double x, double y, const std::string& colour, bool dashed, std::string_view label) {
  const std::string style =
      "stroke=\"" + colour + "\" stroke-width=\"2\"" + (dashed ? " stroke-dasharray=\"7 4\"" : "");
  return line(x, y, x + 30, y, style) + text(x + 36, y + 4, label, "");
}

double nice_step(double span, int ticks, bool degrees) {
  if (!(span > 0.0) || !std::isfinite(span)) return 1.0;
  if (degrees) {
    for (double step : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 45.0, 90.0})
      if (span / step <= ticks) return step;
    return 90.0;
  }
  const double power = std::pow(10.0, std::floor(std::log10(span / ticks)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (span / (m * power) <= ticks) return m * power;
  return 10.0 * power;
}

double Panel::x(double value) const { return left + (value - x_from) / (x_to - x_from) * width; }

double Panel::y(double value) const {
  const double clamped = std::clamp(value, std::min(y_from, y_to), std::max(y_from, y_to));
  return top + height - (clamped - y_from) / (y_to - y_from) * height;
}

std::string tick_label(double value, double step) {
  const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 12);
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::abs(value) < 1e-9 * step ? 0.0 : value);
  return text;
}

namespace {

// The first `size` bytes of a UTF-8 text, less a character cut in two.
std::string utf8_prefix(const std::string& text, std::size_t size) {
  while (size > 0 && size < text.size() && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
  return text.substr(0, size);
}

}  // namespace

std::vector<std::string> title_lines(std::string_view title, std::size_t characters) {
  std::vector<std::string> lines;
  std::string line;
  // Break after ", " where the title is too long for one line.
  std::size_t start = 0;
  while (start < title.size()) {
    std::size_t end = title.find(", ", start);
    end = end == std::string_view::npos ? title.size() : end + 2;
    const std::string_view piece = title.substr(start, end - start);
    if (!line.empty() && line.size() + piece.size() > characters) {
      lines.push_back(line);
      line.clear();
    }
    line += piece;
    start = end;
  }
  if (!line.empty()) lines.push_back(line);
  for (auto& l : lines) {
    while (!l.empty() && l.back() == ' ') l.pop_back();
    if (l.size() > characters) l = utf8_prefix(l, characters - 3) + "...";
  }
  if (lines.size() > 2) {
    lines.resize(2);
    if (lines[1].size() + 3 > characters) lines[1] = utf8_prefix(lines[1], characters - 3);
    lines[1] += "...";
  }
  return lines;
}

std::string Panel::axes(const std::string& x_title, const std::string& y_title, int x_ticks, int y_ticks,
                        bool x_degrees) const {
  std::string s;
  const std::string grid = "stroke=\"#dddddd\"";
  // Ticks by index from the first multiple of the step, so that the values
  // do not drift and the loop ends however small the step is against them.
  auto ticks = [](double from, double to, double step, auto&& draw) {
    const double first = std::ceil(from / step - 1e-9);
    for (int i = 0; i <= 100; ++i) {
      const double v = (first + i) * step;
      if (v > to + 1e-9 * step) break;
      draw(v);
    }
  };
  const double xs = nice_step(x_to - x_from, x_ticks, x_degrees);
  ticks(x_from, x_to, xs, [&](double v) {
    s += line(x(v), top, x(v), top + height, grid);
    s += text(x(v), top + height + 16, tick_label(v, xs), "text-anchor=\"middle\" font-size=\"12\"");
  });
  const double lo = std::min(y_from, y_to), hi = std::max(y_from, y_to);
  const double ys = nice_step(hi - lo, y_ticks);
  ticks(lo, hi, ys, [&](double v) {
    s += line(left, y(v), left + width, y(v), grid);
    s += text(left - 6, y(v) + 4, tick_label(v, ys), "text-anchor=\"end\" font-size=\"12\"");
  });
  s += rect(left, top, width, height, "fill=\"none\" stroke=\"black\"");
  if (!x_title.empty()) s += text(left + width / 2, top + height + 34, x_title, "text-anchor=\"middle\"");
  if (!y_title.empty()) {
    const double cx = left - 48, cy = top + height / 2;
    s += text(cx, cy, y_title,
              "text-anchor=\"middle\" transform=\"rotate(-90 " + number(cx) + " " + number(cy) + ")\"");
  }
  return s;
}

}  // namespace plot
