#include "pattern/render.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace pattern {

std::string round_trip(float value) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc{} ? std::string(text, end) : std::string("nan");
}

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

constexpr double width = 800, height = 520;
constexpr double left = 80, right = 170, top = 60, bottom = 70;
constexpr double floor_db = -40.0;
constexpr const char* e_colour = "#1f77b4";
constexpr const char* h_colour = "#d62728";

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

std::string escape(const std::string& text) {
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

struct Frame {
  double from, to;
  double x(double angle) const { return left + (angle - from) / (to - from) * (width - left - right); }
  static double y(double db) {
    const double clamped = std::clamp(db, floor_db, 0.0);
    return top + (-clamped) / (-floor_db) * (height - top - bottom);
  }
};

double nice_step(double span) {
  for (double step : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 45.0, 90.0})
    if (span / step <= 12.0) return step;
  return 90.0;
}

std::string line(double x1, double y1, double x2, double y2, const std::string& style) {
  return "<line x1=\"" + number(x1) + "\" y1=\"" + number(y1) + "\" x2=\"" + number(x2) + "\" y2=\"" +
         number(y2) + "\" " + style + "/>\n";
}

std::string text(double x, double y, const std::string& content, const std::string& style) {
  return "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" " + style + ">" + escape(content) +
         "</text>\n";
}

std::string curve(const Pattern& pattern, const Frame& f, bool e_plane, const char* colour) {
  std::string points;
  for (const PatternRow& r : pattern.rows) {
    const double db = e_plane ? r.e_relative : r.h_relative;
    if (!std::isfinite(db)) continue;
    points += number(f.x(r.angle)) + "," + number(Frame::y(db)) + " ";
  }
  return "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" stroke-width=\"2\" points=\"" +
         points + "\"/>\n";
}

}  // namespace

std::string to_svg(const Pattern& pattern, const Description& d) {
  Frame f{pattern.rows.empty() ? 0.0 : pattern.rows.front().angle,
          pattern.rows.empty() ? 1.0 : pattern.rows.back().angle};
  if (f.to <= f.from) f.to = f.from + 1.0;
  const double plot_right = width - right, plot_bottom = height - bottom;
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
      number(width) + "\" height=\"" + number(height) + "\" viewBox=\"0 0 " + number(width) + " " +
      number(height) +
      "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"13\">\n"
      "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  s += text(width / 2, 28, "TE-11 conical horn, " + d.horn + ", at " + round_trip(d.frequency) + " GHz",
            "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");

  // Grid and axes.
  const double step = nice_step(f.to - f.from);
  for (double a = std::ceil(f.from / step) * step; a <= f.to + 1e-9; a += step) {
    s += line(f.x(a), top, f.x(a), plot_bottom, "stroke=\"#dddddd\"");
    s += text(f.x(a), plot_bottom + 18, number(a).substr(0, number(a).find('.')), "text-anchor=\"middle\"");
  }
  for (double db = 0.0; db >= floor_db; db -= 5.0) {
    s += line(left, Frame::y(db), plot_right, Frame::y(db), "stroke=\"#dddddd\"");
    s += text(left - 8, Frame::y(db) + 4, number(db).substr(0, number(db).find('.')), "text-anchor=\"end\"");
  }
  s += "<rect x=\"" + number(left) + "\" y=\"" + number(top) + "\" width=\"" + number(plot_right - left) +
       "\" height=\"" + number(plot_bottom - top) + "\" fill=\"none\" stroke=\"black\"/>\n";
  s += text((left + plot_right) / 2, height - 25, "Angle from the axis (degrees)", "text-anchor=\"middle\"");
  s += text(22, (top + plot_bottom) / 2, "Amplitude relative to the axis (dB)",
            "text-anchor=\"middle\" transform=\"rotate(-90 22 " + number((top + plot_bottom) / 2) + ")\"");

  // The -3 dB and -10 dB levels.
  for (double level : {-3.0, -10.0}) {
    s += line(left, Frame::y(level), plot_right, Frame::y(level),
              "stroke=\"#555555\" stroke-dasharray=\"6 4\"");
    s += text(plot_right - 4, Frame::y(level) - 4, number(level).substr(0, number(level).find('.')) + " dB",
              "text-anchor=\"end\" fill=\"#555555\"");
  }

  // The model beamwidths of the beamwidth routine, as half-angles.
  if (pattern.has_beamwidths) {
    const Beamwidths& b = pattern.beamwidths;
    struct Mark {
      double half_angle, level;
      const char* colour;
    };
    const Mark marks[] = {{b.e_3db / 2.0, -3.0, e_colour},
                          {b.h_3db / 2.0, -3.0, h_colour},
                          {b.e_10db / 2.0, -10.0, e_colour},
                          {b.h_10db / 2.0, -10.0, h_colour}};
    for (const Mark& m : marks) {
      if (!(m.half_angle >= f.from && m.half_angle <= f.to)) continue;
      const double x = f.x(m.half_angle), y = Frame::y(m.level);
      s += line(x, y - 8, x, y + 8, "stroke=\"" + std::string(m.colour) + "\" stroke-width=\"2\"");
      s += "<circle cx=\"" + number(x) + "\" cy=\"" + number(y) + "\" r=\"4\" fill=\"white\" stroke=\"" +
           m.colour + "\" stroke-width=\"2\"/>\n";
    }
  }

  s += curve(pattern, f, true, e_colour);
  s += curve(pattern, f, false, h_colour);

  // Legend.
  const double lx = plot_right + 15;
  s += line(lx, top + 10, lx + 30, top + 10, "stroke=\"" + std::string(e_colour) + "\" stroke-width=\"2\"");
  s += text(lx + 36, top + 14, "E plane", "");
  s += line(lx, top + 32, lx + 30, top + 32, "stroke=\"" + std::string(h_colour) + "\" stroke-width=\"2\"");
  s += text(lx + 36, top + 36, "H plane", "");
  if (pattern.has_beamwidths) {
    s += "<circle cx=\"" + number(lx + 15) + "\" cy=\"" + number(top + 56) +
         "\" r=\"4\" fill=\"white\" stroke=\"black\" stroke-width=\"2\"/>\n";
    s += text(lx + 36, top + 60, "model 3 dB and", "");
    s += text(lx + 36, top + 76, "10 dB half-widths", "");
    const Beamwidths& b = pattern.beamwidths;
    double y = top + 104;
    for (const auto& [label, value] : {std::pair{"E 3 dB", b.e_3db}, std::pair{"H 3 dB", b.h_3db},
                                       std::pair{"E 10 dB", b.e_10db}, std::pair{"H 10 dB", b.h_10db}}) {
      char entry[64];
      std::snprintf(entry, sizeof entry, "%s: %.1f\xC2\xB0 full", label, double(value));
      s += text(lx, y, entry, "font-size=\"12\"");
      y += 17;
    }
  }
  s += "</svg>\n";
  return s;
}

}  // namespace pattern
