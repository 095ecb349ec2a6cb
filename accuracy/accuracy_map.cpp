// veskal-accuracy-map: where the classic figures hold. Over a grid of horns
// (ka 5 to 60, phase error s 0 to 1.2) it compares the classic routines'
// gain, beamwidths and phase centres with the aperture engine's, with the
// quadratic and with the spherical aperture phase, and writes a picture (one
// map per figure and phase) and a Markdown table of the share of horns within
// the limits: gain 0.2 dB, beamwidth 1 degree or 5 %, phase centre 0.1
// wavelength.
//   veskal-accuracy-map MAP.svg TABLE.md
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "aperture/figures.hpp"
#include "aperture/limits.hpp"
#include "horn/beamwidth.hpp"
#include "horn/gain.hpp"
#include "horn/phase_centre.hpp"
#include "numerics/checked_math.hpp"
#include "plot/svg.hpp"

namespace {

using std::numbers::pi;

constexpr int ka_count = 23;  // 5, 7.5, ..., 60
constexpr int s_count = 61;   // 0, 0.02, ..., 1.2
double ka_at(int i) { return 5.0 + 2.5 * i; }
double s_at(int j) { return 0.02 * j; }

enum Figure { gain, e_3db, h_3db, e_10db, h_10db, e_centre, h_centre, figure_count };
constexpr std::array<const char*, figure_count> figure_names = {"gain",
                                                                "E-plane 3 dB width",
                                                                "H-plane 3 dB width",
                                                                "E-plane 10 dB width",
                                                                "H-plane 10 dB width",
                                                                "E-plane phase centre",
                                                                "H-plane phase centre"};

// What one comparison found.
enum class Verdict { holds, within_twice, fails, classic_fails, engine_none, no_horn };

struct Values {
  bool ok = false;
  std::array<double, figure_count> v{};
  std::array<bool, figure_count> present{};
};

// The classic figures at a wavelength of one inch (11.80285 GHz).
Values classic(double ka, double s) {
  Values out;
  const float frequency = 11.80285f;
  const auto a = static_cast<float>(ka / (2.0 * pi));
  const auto R = static_cast<float>(s > 0.0 ? double(a) * double(a) / (2.0 * s) : 1e9);
  try {
    float e3, h3, e10, h10, g, ec, hc;
    horn::HCWBW(frequency, a, R, e3, h3, e10, h10);
    horn::CHNGN(frequency, a, R, g);
    horn::CHPCE(frequency, a, R, e10, ec, h10, hc);
    out.v = {g, e3, h3, e10, h10, ec, hc};
    out.present.fill(true);
    out.ok = true;
  } catch (const numerics::DomainError&) {
  }
  return out;
}

Values engine(double ka, double s, aperture::Phase phase) {
  Values out;
  const double frequency = 11.80285;
  const double wavelength = aperture::speed_of_light / (frequency * 1e9);
  const double a = ka * wavelength / (2.0 * pi);
  const double R = s > 0.0 ? a * a / (2.0 * wavelength * s) : 1e9 * a;
  if (R < a) return out;
  const aperture::Figures f = aperture::figures(aperture::Aperture({a, R, frequency}, phase));
  auto set = [&](Figure k, std::optional<double> v) {
    out.present[k] = v.has_value();
    out.v[k] = v.value_or(NAN);
  };
  set(gain, f.directivity_db);
  set(e_3db, f.e_beamwidth_3db);
  set(h_3db, f.h_beamwidth_3db);
  set(e_10db, f.e_beamwidth_10db);
  set(h_10db, f.h_beamwidth_10db);
  set(e_centre, f.e_phase_centre ? std::optional(f.e_phase_centre->wavelengths) : std::nullopt);
  set(h_centre, f.h_phase_centre ? std::optional(f.h_phase_centre->wavelengths) : std::nullopt);
  out.ok = true;
  return out;
}

double limit(Figure k, double engine_value) {
  namespace l = aperture::limits;
  if (k == gain) return l::gain_db;
  if (k == e_centre || k == h_centre) return l::phase_centre_wavelengths;
  return l::beamwidth_degrees(engine_value);
}

Verdict judge(Figure k, const Values& c, const Values& e) {
  if (!e.ok) return Verdict::no_horn;
  if (!c.ok) return Verdict::classic_fails;
  if (!e.present[k]) return Verdict::engine_none;
  const double d = std::abs(c.v[k] - e.v[k]);
  const double l = limit(k, e.v[k]);
  if (!(d <= 2.0 * l)) return Verdict::fails;
  return d <= l ? Verdict::holds : Verdict::within_twice;
}

const char* colour(Verdict v) {
  switch (v) {
    case Verdict::holds: return "#43a047";
    case Verdict::within_twice: return "#fbc02d";
    case Verdict::fails: return "#e53935";
    case Verdict::classic_fails: return "#424242";
    case Verdict::engine_none: return "#8e24aa";
    case Verdict::no_horn: return "#eeeeee";
  }
  return "white";
}

using Grid = std::array<std::array<std::array<Verdict, figure_count>, s_count>, ka_count>;

std::string picture(const std::array<Grid, 2>& grids) {
  constexpr double panel_w = 305, panel_h = 115, left = 70, top = 70, gap_x = 60, gap_y = 48;
  const double width = left + 2 * panel_w + gap_x + 20;
  const double height = top + static_cast<double>(figure_count) * (panel_h + gap_y) + 50;
  std::string s = plot::document_start(width, height);
  s += plot::text(width / 2, 26,
                  "Where the classic figures hold: classic routines against the aperture engine",
                  "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
  s += plot::text(width / 2, 46,
                  "limits: gain 0.2 dB, beamwidth 1\xC2\xB0 or 5 %, phase centre 0.1 wavelength",
                  "text-anchor=\"middle\" fill=\"#555555\"");
  const char* columns[] = {"engine with quadratic aperture phase", "engine with spherical aperture phase"};
  for (int m = 0; m < 2; ++m) {
    for (int k = 0; k < figure_count; ++k) {
      const plot::Panel p{left + m * (panel_w + gap_x),
                          top + k * (panel_h + gap_y),
                          panel_w,
                          panel_h,
                          -0.01,
                          1.21,
                          3.75,
                          61.25};
      const double cw = p.width / s_count, ch = p.height / ka_count;
      const Grid& grid = grids[static_cast<std::size_t>(m)];
      auto at = [&](int i, int j) {
        return grid[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)][static_cast<std::size_t>(k)];
      };
      for (int i = 0; i < ka_count; ++i)
        for (int j = 0; j < s_count;) {  // one rectangle per run of equal verdicts
          int end = j + 1;
          while (end < s_count && at(i, end) == at(i, j)) ++end;
          s += plot::rect(p.x(s_at(j)) - cw / 2, p.y(ka_at(i)) - ch / 2, cw * (end - j) + 0.3, ch + 0.3,
                          std::string("fill=\"") + colour(at(i, j)) + "\" stroke=\"none\"");
          j = end;
        }
      s += plot::rect(p.left, p.top, p.width, p.height, "fill=\"none\" stroke=\"black\"");
      for (double v : {0.0, 0.2, 0.4, 0.6, 0.8, 1.0, 1.2})
        s += plot::text(p.x(v), p.top + p.height + 14, plot::number(v).substr(0, 3),
                        "text-anchor=\"middle\" font-size=\"11\"");
      for (double v : {5.0, 20.0, 40.0, 60.0})
        s += plot::text(p.left - 5, p.y(v) + 4, plot::number(v).substr(0, plot::number(v).find('.')),
                        "text-anchor=\"end\" font-size=\"11\"");
      s += plot::text(p.left + p.width / 2, p.top - 6,
                      std::string(figure_names[static_cast<std::size_t>(k)]) +
                          (k == 0 ? std::string(" (") + columns[m] + ")" : ""),
                      "text-anchor=\"middle\" font-size=\"12\" font-weight=\"bold\"");
      s += plot::text(p.left + p.width / 2, p.top + p.height + 28, "phase error s",
                      "text-anchor=\"middle\" font-size=\"11\"");
      s += plot::text(p.left - 34, p.top + p.height / 2, "ka", "text-anchor=\"middle\" font-size=\"11\"");
    }
  }
  const std::pair<Verdict, const char*> key[] = {{Verdict::holds, "within the limit"},
                                                 {Verdict::within_twice, "within twice the limit"},
                                                 {Verdict::fails, "beyond twice the limit"},
                                                 {Verdict::classic_fails, "classic model cannot compute"},
                                                 {Verdict::engine_none, "no such level before 90\xC2\xB0"},
                                                 {Verdict::no_horn, "no such horn (R < a)"}};
  for (std::size_t n = 0; n < std::size(key); ++n) {
    const double x = left + static_cast<double>(n % 3) * 225.0;
    const std::size_t row = n / 3;  // three keys a row
    const double y = height - 42 + static_cast<double>(row) * 18.0;
    s += plot::rect(x, y - 10, 12, 12,
                    std::string("fill=\"") + colour(key[n].first) + "\" stroke=\"#999999\"");
    s += plot::text(x + 16, y, key[n].second, "font-size=\"11\"");
  }
  s += plot::document_end();
  return s;
}

// The share of horns within the limit, per band of s, for each figure.
std::string table(const std::array<Grid, 2>& grids) {
  const double bands[][2] = {{0.0, 0.2}, {0.2, 0.4}, {0.4, 0.6}, {0.6, 0.8}, {0.8, 1.2}};
  std::ostringstream out;
  const char* names[] = {"quadratic", "spherical"};
  for (int m = 0; m < 2; ++m) {
    out << "Engine with the " << names[m] << " aperture phase: share of horns (ka 5 to 60) whose classic "
        << "figure lies within the limit\n\n";
    out << "| figure | s 0-0.2 | 0.2-0.4 | 0.4-0.6 | 0.6-0.8 | 0.8-1.2 |\n|---|---|---|---|---|---|\n";
    for (int k = 0; k < figure_count; ++k) {
      out << "| " << figure_names[static_cast<std::size_t>(k)];
      for (const auto& band : bands) {
        int holds = 0, horns = 0;
        for (int i = 0; i < ka_count; ++i)
          for (int j = 0; j < s_count; ++j) {
            if (s_at(j) < band[0] - 1e-9 || s_at(j) >= band[1] - 1e-9) continue;
            if (band[1] > 1.0 && s_at(j) > 1.2 + 1e-9) continue;
            const Verdict v = grids[static_cast<std::size_t>(m)][static_cast<std::size_t>(i)]
                                   [static_cast<std::size_t>(j)][static_cast<std::size_t>(k)];
            if (v == Verdict::no_horn) continue;
            ++horns;
            holds += v == Verdict::holds;
          }
        char cell[32];
        if (horns == 0)
          std::snprintf(cell, sizeof cell, " -");
        else
          std::snprintf(cell, sizeof cell, " %d %%", static_cast<int>(std::lround(100.0 * holds / horns)));
        out << " |" << cell;
      }
      out << " |\n";
    }
    out << "\n";
  }
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: veskal-accuracy-map MAP.svg TABLE.md\n");
    return 2;
  }
  std::array<Grid, 2> grids{};
  for (int i = 0; i < ka_count; ++i)
    for (int j = 0; j < s_count; ++j) {
      const Values c = classic(ka_at(i), s_at(j));
      const Values q = engine(ka_at(i), s_at(j), aperture::Phase::quadratic);
      const Values e = engine(ka_at(i), s_at(j), aperture::Phase::spherical);
      for (int k = 0; k < figure_count; ++k) {
        const auto f = static_cast<Figure>(k);
        grids[0][static_cast<std::size_t>(i)][static_cast<std::size_t>(j)][static_cast<std::size_t>(k)] =
            judge(f, c, q);
        grids[1][static_cast<std::size_t>(i)][static_cast<std::size_t>(j)][static_cast<std::size_t>(k)] =
            judge(f, c, e);
      }
    }
  std::ofstream(argv[1]) << picture(grids);
  std::ofstream(argv[2]) << table(grids);
  return 0;
}
