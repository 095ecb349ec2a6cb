// veskal-accuracy-map: where the classic figures hold. Over a grid of horns
// (ka 5 to 60, phase error s 0 to 1.2) it compares the classic routines'
// gain, beamwidths and phase centres with the aperture engine's, with the
// quadratic and with the spherical aperture phase, and writes a picture (one
// map per figure and phase) and a Markdown table: the share of horns within
// the limits (gain 0.2 dB, beamwidth 1 degree or 5 %, phase centre 0.1
// wavelength) per band of s, each figure's limit as the last phase error that
// holds at every ka, every band of s where it fails with its signed error,
// and the phase-centre differences in wavelengths and per cent.
//   veskal-accuracy-map MAP.svg TABLE.md
#include <CLI/CLI.hpp>
#include <algorithm>

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
#include "cli/options.hpp"
#include "cli/output.hpp"
#include "horn/beamwidth.hpp"
#include "horn/gain.hpp"
#include "horn/phase_centre.hpp"
#include "models/registry.hpp"
#include "numerics/checked_math.hpp"
#include "plot/svg.hpp"

namespace {

using std::numbers::pi;

constexpr int ka_count = 23;  // 5, 7.5, ..., 60
constexpr int s_count = 61;   // 0, 0.02, ..., 1.2
double ka_at(int i) { return 5.0 + 2.5 * i; }
double s_at(int j) { return 0.02 * j; }

enum Figure { gain, e_3db, h_3db, e_10db, h_10db, e_centre, h_centre, figure_count };
constexpr const auto& figure_names = aperture::limits::figure_titles;
static_assert(figure_names.size() == figure_count);

// What one comparison found: the limits' verdict, or why there is none.
enum class Verdict { holds, within_twice, fails, classic_fails, engine_none, no_horn };

struct Values {
  bool ok = false;
  std::array<double, figure_count> v{};
  std::array<bool, figure_count> present{};
  bool behind_apex_e = false, behind_apex_h = false;  // the engine's centres beyond the apex
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
  const double wavelength = numerics::wavelength_m(frequency);
  const double a = ka * wavelength / (2.0 * pi);
  const double R = s > 0.0 ? aperture::slant_radius_for(a, wavelength, s) : 1e9 * a;
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
  const double apex = std::sqrt((R - a) * (R + a)) / wavelength;
  out.behind_apex_e = f.e_phase_centre && f.e_phase_centre->wavelengths > apex;
  out.behind_apex_h = f.h_phase_centre && f.h_phase_centre->wavelengths > apex;
  out.ok = true;
  return out;
}

Verdict judge(Figure k, const Values& c, const Values& e) {
  namespace l = aperture::limits;
  if (!e.ok) return Verdict::no_horn;
  if (!c.ok) return Verdict::classic_fails;
  if (!e.present[k]) return Verdict::engine_none;
  switch (l::verdict(l::figures[static_cast<std::size_t>(k)], c.v[k], e.v[k])) {
    case l::Verdict::holds: return Verdict::holds;
    case l::Verdict::within_twice: return Verdict::within_twice;
    case l::Verdict::fails: return Verdict::fails;
  }
  return Verdict::fails;
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

// The signed difference of every comparison (classic - engine), and the
// engine's value, for the statements of the table.
struct Comparison {
  double difference = NAN, engine = NAN;
  bool behind_apex = false;
};
using Differences = std::array<std::array<std::array<Comparison, figure_count>, s_count>, ka_count>;

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

// The aperture engine's two models, by their registry names.
const std::string phase_names[] = {models::name(models::Model::quadratic),
                                   models::name(models::Model::spherical)};

Verdict verdict_at(const std::array<Grid, 2>& grids, int m, int i, int j, int k) {
  return grids[static_cast<std::size_t>(m)][static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]
              [static_cast<std::size_t>(k)];
}

const Comparison& comparison_at(const std::array<Differences, 2>& d, int m, int i, int j, int k) {
  return d[static_cast<std::size_t>(m)][static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]
          [static_cast<std::size_t>(k)];
}

std::string format(const char* f, double v) {
  char text[48];
  std::snprintf(text, sizeof text, f, v);
  return text;
}

// An error as the figure's limit is stated: dB, per cent of the engine's
// width, or wavelengths.
bool in_per_cent(int k) { return k != gain && k != e_centre && k != h_centre; }
std::string error_text(int k, double error) {
  if (k == gain) return format("%+.2f dB", error);
  if (!in_per_cent(k)) return format("%+.2f", error) + " \xCE\xBB";
  return format("%+.1f %%", error);
}

// The share of horns within the limit, per band of s, for each figure.
std::string shares(const std::array<Grid, 2>& grids, int m) {
  const double bands[][2] = {{0.0, 0.2}, {0.2, 0.4}, {0.4, 0.6}, {0.6, 0.8}, {0.8, 1.2}};
  std::ostringstream out;
  out << "Share of horns (ka 5 to 60) whose classic figure lies within the limit of the engine's with the "
      << phase_names[m] << " aperture phase:\n\n";
  out << "| figure | s 0-0.2 | 0.2-0.4 | 0.4-0.6 | 0.6-0.8 | 0.8-1.2 |\n|---|---|---|---|---|---|\n";
  for (int k = 0; k < figure_count; ++k) {
    out << "| " << figure_names[static_cast<std::size_t>(k)];
    for (const auto& band : bands) {
      int holds = 0, horns = 0;
      for (int i = 0; i < ka_count; ++i)
        for (int j = 0; j < s_count; ++j) {
          if (s_at(j) < band[0] - 1e-9 || (s_at(j) >= band[1] - 1e-9 && band[1] < 1.0)) continue;
          const Verdict v = verdict_at(grids, m, i, j, k);
          if (v == Verdict::no_horn) continue;
          ++horns;
          holds += v == Verdict::holds;
        }
      out << " |" << (horns == 0 ? std::string(" -") : format(" %.0f %%", 100.0 * holds / horns));
    }
    out << " |\n";
  }
  return out.str() + "\n";
}

// Each figure's limit at each ka: the last phase error up to which every
// node holds ("all" when every node up to 1.2 holds), then every band of s
// beyond it where the figure does not hold, with the range of its signed
// error.
std::string limits(const std::array<Grid, 2>& grids, const std::array<Differences, 2>& d, int m) {
  std::ostringstream out;
  out << "Last phase error s that holds at every smaller s (a 0.02 grid), with the engine's "
      << phase_names[m] << " aperture phase, and the bands of s beyond it where the classic figure does not "
      << "hold (signed classic - engine error; \"model\": the classic model cannot compute, \"none\": the "
      << "engine finds no such level before 90\xC2\xB0):\n\n";
  out << "| ka | figure | holds up to s | bands that do not hold |\n|---|---|---|---|\n";
  for (int i = 0; i < ka_count; ++i)
    for (int k = 0; k < figure_count; ++k) {
      int last = -1;
      while (last + 1 < s_count && verdict_at(grids, m, i, last + 1, k) == Verdict::holds) ++last;
      std::string bands;
      for (int j = last + 1; j < s_count;) {
        const Verdict v = verdict_at(grids, m, i, j, k);
        if (v == Verdict::holds || v == Verdict::no_horn) {
          ++j;
          continue;
        }
        int end = j;
        double lo = INFINITY, hi = -INFINITY;
        bool other = false;
        while (end < s_count && verdict_at(grids, m, i, end, k) != Verdict::holds &&
               verdict_at(grids, m, i, end, k) != Verdict::no_horn) {
          const Verdict e = verdict_at(grids, m, i, end, k);
          if (e == Verdict::within_twice || e == Verdict::fails) {
            const Comparison& c = comparison_at(d, m, i, end, k);
            const double x = in_per_cent(k) ? 100.0 * c.difference / c.engine : c.difference;
            lo = std::min(lo, x), hi = std::max(hi, x);
          } else {
            other = true;
          }
          ++end;
        }
        if (!bands.empty()) bands += "; ";
        bands += format("%.2f", s_at(j));
        if (end - 1 > j) {
          bands += "-";
          bands += format("%.2f", s_at(end - 1));
        }
        if (lo <= hi) {
          const std::string low = error_text(k, lo), high = error_text(k, hi);
          bands += " (";
          bands += low;
          if (low != high) {
            bands += " to ";
            bands += high;
          }
          if (other) bands += ", and model/none";
          bands += ")";
        } else {
          bands += verdict_at(grids, m, i, j, k) == Verdict::classic_fails ? " (model)" : " (none)";
        }
        j = end;
      }
      out << "| " << format("%.1f", ka_at(i)) << " | " << figure_names[static_cast<std::size_t>(k)] << " | "
          << (last < 0              ? std::string("-")
              : last == s_count - 1 ? std::string("all")
                                    : format("%.2f", s_at(last)))
          << " | " << (bands.empty() ? "-" : bands) << " |\n";
    }
  return out.str() + "\n";
}

// The phase-centre differences: median and largest |classic - engine| in
// wavelengths and in per cent of the engine's centre, per band of s; and the
// horns whose engine centre lies behind the apex.
std::string centres(const std::array<Differences, 2>& d, int m) {
  const double bands[][2] = {{0.0, 0.2}, {0.2, 0.4}, {0.4, 0.6}, {0.6, 0.8}, {0.8, 1.2}};
  std::ostringstream out;
  out << "Phase centres, classic against the engine's least-squares fit with the " << phase_names[m]
      << " aperture phase: median and largest |classic - engine| in wavelengths, and the median in per cent "
      << "of the engine's centre:\n\n";
  out << "| plane | s band | median (\xCE\xBB) | largest (\xCE\xBB) | median (%) |\n|---|---|---|---|---|\n";
  for (int k : {static_cast<int>(e_centre), static_cast<int>(h_centre)})
    for (const auto& band : bands) {
      std::vector<double> wavelengths, percent;
      for (int i = 0; i < ka_count; ++i)
        for (int j = 0; j < s_count; ++j) {
          if (s_at(j) < band[0] - 1e-9 || (s_at(j) >= band[1] - 1e-9 && band[1] < 1.0)) continue;
          const Comparison& c = comparison_at(d, m, i, j, k);
          if (!std::isfinite(c.difference)) continue;
          wavelengths.push_back(std::abs(c.difference));
          if (std::abs(c.engine) > 1e-9) percent.push_back(100.0 * std::abs(c.difference / c.engine));
        }
      auto median = [](std::vector<double> v) -> double {
        if (v.empty()) return std::nan("");
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
      };
      const double largest =
          wavelengths.empty() ? NAN : *std::max_element(wavelengths.begin(), wavelengths.end());
      out << "| " << (k == e_centre ? "E" : "H") << " | " << format("%.1f", band[0]) << "-"
          << format("%.1f", band[1]) << " | " << format("%.2f", median(wavelengths)) << " | "
          << format("%.2f", largest) << " | " << format("%.0f", median(percent)) << " |\n";
    }
  int behind = 0, horns = 0;
  double smallest_s = INFINITY;
  for (int i = 0; i < ka_count; ++i)
    for (int j = 0; j < s_count; ++j)
      for (int k : {static_cast<int>(e_centre), static_cast<int>(h_centre)}) {
        const Comparison& c = comparison_at(d, m, i, j, k);
        if (!std::isfinite(c.engine)) continue;
        ++horns;
        if (c.behind_apex) ++behind, smallest_s = std::min(smallest_s, s_at(j));
      }
  out << "\nEngine phase centres behind the cone's apex: " << behind << " of " << horns << " plane fits";
  if (behind > 0) out << ", from s = " << format("%.2f", smallest_s) << " on (wide cones)";
  out << ".\n\n";
  return out.str();
}

std::string table(const std::array<Grid, 2>& grids, const std::array<Differences, 2>& d) {
  std::string out =
      "<!-- Written by veskal-accuracy-map: cmake --build --preset default --target accuracy-map -->\n\n";
  for (int m = 0; m < 2; ++m)
    out += "## Engine with the " + phase_names[m] + " aperture phase\n\n" + shares(grids, m) + centres(d, m) +
           limits(grids, d, m);
  return out;
}

}  // namespace

namespace {

int run(int argc, char** argv) {
  CLI::App app{
      "The accuracy map of the classic model against the aperture engine: a picture (SVG) and a table "
      "(Markdown), as doc/accuracy.md shows them",
      "veskal-accuracy-map"};
  app.set_version_flag("--version", "veskal-accuracy-map " VESKAL_VERSION);
  std::string map_path, table_path;
  app.add_option("MAP", map_path, "the picture to write (SVG)")->required();
  app.add_option("TABLE", table_path, "the table to write (Markdown)")->required();
  if (const auto usage = cli::parse(app, argc, argv, [] {})) return *usage;
  std::array<Grid, 2> grids{};
  std::array<Differences, 2> differences{};
  for (int i = 0; i < ka_count; ++i)
    for (int j = 0; j < s_count; ++j) {
      const Values c = classic(ka_at(i), s_at(j));
      const Values engines[] = {engine(ka_at(i), s_at(j), aperture::Phase::quadratic),
                                engine(ka_at(i), s_at(j), aperture::Phase::spherical)};
      for (std::size_t m = 0; m < 2; ++m)
        for (int k = 0; k < figure_count; ++k) {
          const auto f = static_cast<Figure>(k);
          const auto ii = static_cast<std::size_t>(i), jj = static_cast<std::size_t>(j),
                     kk = static_cast<std::size_t>(k);
          const Values& e = engines[m];
          grids[m][ii][jj][kk] = judge(f, c, e);
          Comparison& d = differences[m][ii][jj][kk];
          if (e.ok) {
            d.engine = e.v[kk];
            if (c.ok) d.difference = c.v[kk] - e.v[kk];
            d.behind_apex = (f == e_centre && e.behind_apex_e) || (f == h_centre && e.behind_apex_h);
          }
        }
    }
  try {
    cli::Transaction both;
    both.open(map_path).write(picture(grids));
    both.open(table_path).write(table(grids, differences));
    both.commit();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "veskal-accuracy-map: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return cli::guarded_main("veskal-accuracy-map", run, argc, argv); }
