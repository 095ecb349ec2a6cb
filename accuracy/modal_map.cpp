// veskal-modal-map: where the aperture model itself departs from the
// mode-matching engine. Over a grid of smooth cones fed by a waveguide of
// k b = 2.4 (TE-11 alone) at 10 GHz (ka 3 to 20, phase error s 0.05 to 0.6;
// a cone needs R >= a, s <= ka / 4 pi) it compares the aperture engine's
// figures (spherical aperture phase: the exact aperture of the cone) with
// the mode-matching engine's, which follows the wave through the flare and
// radiates every aperture mode, and writes a picture (one map per figure)
// and a Markdown table of the differences, with the limits of the classic
// map (gain 0.2 dB, beamwidth 1 degree or 5 %, phase centre 0.1 wavelength).
// From ka 8 the reference radiates the aperture into free space (the
// Huygens aperture, within 0.05 dB of the horn with its outside there);
// below, where the rim and the outside shape the pattern, it is the modal
// model with the horn's outside, a thin wall.
//   veskal-modal-map MAP.svg TABLE.md
#include <CLI/CLI.hpp>

#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "aperture/figures.hpp"
#include "aperture/limits.hpp"
#include "cli/options.hpp"
#include "cli/output.hpp"
#include "modal/band.hpp"
#include "modal/figures.hpp"
#include "models/domain.hpp"
#include "models/engine.hpp"
#include "models/registry.hpp"
#include "plot/svg.hpp"

namespace {

using std::numbers::pi;
namespace limits = aperture::limits;

constexpr double frequency = 10.0;  // GHz
constexpr double feed_kb = 2.4;
constexpr std::array<double, 9> kas = {3.0, 4.0, 5.0, 6.5, 8.5, 10.0, 12.5, 15.0, 20.0};
constexpr std::array<double, 7> phase_errors = {0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
constexpr std::size_t figure_count = limits::figures.size();
// The limits' figure titles, the first named for what this map compares.
constexpr std::array<const char*, figure_count> figure_names = [] {
  auto names = limits::figure_titles;
  names[0] = "directivity";
  return names;
}();

struct Cell {
  std::array<std::optional<double>, figure_count> aperture, modal;
  double return_loss_db = NAN, cross_polar_db = NAN, tm11 = NAN, change = NAN;
  bool converged = false;
  bool cone = true;  // false where s > ka / 4 pi: no cone (R < a)
};

// Whether a row's reference is the horn with its outside.
bool with_outside(double ka) { return ka < models::radiating_ka; }

std::array<std::optional<double>, figure_count> values(double directivity, const farfield::BeamFigures& b) {
  auto centre = [](const std::optional<farfield::PhaseCentreFit>& f) {
    return f ? std::optional(f->wavelengths) : std::nullopt;
  };
  return {directivity,        b.e_beamwidth_3db,        b.h_beamwidth_3db,       b.e_beamwidth_10db,
          b.h_beamwidth_10db, centre(b.e_phase_centre), centre(b.h_phase_centre)};
}

std::string format(const char* f, double v) {
  char text[48];
  std::snprintf(text, sizeof text, f, v);
  return text;
}

Cell compare(double ka, double s) {
  const double k0 = modal::wavenumber(frequency), wavelength = 2.0 * pi / k0;
  const double a = ka / k0, b = feed_kb / k0;
  const double R = a * a / (2.0 * wavelength * s);  // slant radius of the phase error s
  Cell c;
  if (!(R > a)) {
    c.cone = false;
    return c;
  }
  const double half_angle = std::asin(a / R);
  const double axial = (a - b) / std::tan(half_angle);
  const aperture::Figures e =
      aperture::figures(aperture::Aperture({a, R, frequency}, aperture::Phase::spherical));
  c.aperture = values(e.directivity_db, e);
  if (with_outside(ka)) {
    const modal::Band band(modal::cone_from_guide(b, a, axial), frequency);
    const models::Result r =
        models::info(models::Model::modal)
            .engine->evaluate({.band = &band}, frequency, {.fields = false, .figures = true, .match = true});
    if (!r.refused.empty()) throw std::runtime_error("ka " + format("%g", ka) + ": " + r.refused);
    c.modal = values(*r.directivity_db, *r.figures);
    c.return_loss_db = r.match->return_loss_db;
    c.cross_polar_db = *r.peak_cross_polar_db;
    c.tm11 = r.match->modes.size() > 1 ? std::pow(10.0, r.match->modes[1].relative_db / 20.0) : NAN;
    c.change = r.match->uncertainty;
    c.converged = r.match->settled;
    return c;
  }
  const auto w = modal::converged_wave(modal::cone_from_guide(b, a, axial), k0, modal::band_target,
                                       modal::ApertureLoad::free_space);
  const modal::Figures m = modal::figures(w.wave, k0);
  c.modal = values(m.directivity_db, m);
  c.return_loss_db = m.return_loss_db;
  c.cross_polar_db = m.peak_cross_polar_db;
  c.tm11 = m.modes.size() > 1 ? std::pow(10.0, m.modes[1].relative_db / 20.0) : NAN;
  c.change = w.change;
  c.converged = w.converged;
  return c;
}

using Grid = std::array<std::array<Cell, phase_errors.size()>, kas.size()>;

// A cell whose mode-matching result moved by more than this between its
// last refinements is drawn as unsettled: the comparison says nothing there.
constexpr double unsettled = 1e-2;

std::optional<limits::Verdict> verdict(const Cell& c, std::size_t k) {
  if (!c.aperture[k] || !c.modal[k]) return std::nullopt;
  return limits::verdict(limits::figures[k], *c.aperture[k], *c.modal[k]);
}

const char* colour(std::optional<limits::Verdict> v) {
  if (!v) return "#8e24aa";
  switch (*v) {
    case limits::Verdict::holds: return "#43a047";
    case limits::Verdict::within_twice: return "#fbc02d";
    case limits::Verdict::fails: return "#e53935";
  }
  return "white";
}

std::string picture(const Grid& grid) {
  constexpr double cell_w = 40, cell_h = 22, left = 90, top = 84, gap_x = 80, gap_y = 56;
  constexpr double panel_w = cell_w * phase_errors.size(), panel_h = cell_h * kas.size();
  const double width = left + 2 * panel_w + gap_x + 80;
  const double height = top + 4 * (panel_h + gap_y) + 30;
  std::string s = plot::document_start(width, height);
  s += plot::text(width / 2, 26, "Where the aperture model holds: aperture engine against mode matching",
                  "text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
  s += plot::text(
      width / 2, 46,
      "smooth cones from a k b = 2.4 guide; limits: gain 0.2 dB, beamwidth 1\xC2\xB0 or 5 %, phase "
      "centre 0.1 wavelength",
      "text-anchor=\"middle\" fill=\"#555555\"");
  s +=
      plot::text(width / 2, 62,
                 "below the line (ka < 8): against the horn with its outside (thin wall); above: the Huygens "
                 "aperture",
                 "text-anchor=\"middle\" fill=\"#555555\" font-size=\"11\"");
  for (std::size_t k = 0; k < figure_count; ++k) {
    const std::size_t column = k % 2, row = k / 2;  // two maps a row
    const double x0 = left + static_cast<double>(column) * (panel_w + gap_x);
    const double y0 = top + static_cast<double>(row) * (panel_h + gap_y);
    s += plot::text(x0 + panel_w / 2, y0 - 6, figure_names[k],
                    "text-anchor=\"middle\" font-size=\"12\" font-weight=\"bold\"");
    for (std::size_t i = 0; i < kas.size(); ++i)
      for (std::size_t j = 0; j < phase_errors.size(); ++j)
        s += plot::rect(x0 + static_cast<double>(j) * cell_w,
                        y0 + static_cast<double>(kas.size() - 1 - i) * cell_h, cell_w, cell_h,
                        std::string("fill=\"") +
                            (!grid[i][j].cone                ? "#ffffff"
                             : grid[i][j].change > unsettled ? "#9e9e9e"
                                                             : colour(verdict(grid[i][j], k))) +
                            "\" stroke=\"#dddddd\"");
    // The line between the rows against the horn with its outside and the others.
    std::size_t outside_rows = 0;
    while (outside_rows < kas.size() && with_outside(kas[outside_rows])) ++outside_rows;
    const double line_y = y0 + static_cast<double>(kas.size() - outside_rows) * cell_h;
    s += plot::line(x0 - 30, line_y, x0 + panel_w, line_y, "stroke=\"#333333\" stroke-width=\"1.5\"");
    for (std::size_t j = 0; j < phase_errors.size(); ++j)
      s += plot::text(x0 + (static_cast<double>(j) + 0.5) * cell_w, y0 + panel_h + 14,
                      format("%.2g", phase_errors[j]), "text-anchor=\"middle\" font-size=\"11\"");
    for (std::size_t i = 0; i < kas.size(); ++i)
      s += plot::text(x0 - 5, y0 + (static_cast<double>(kas.size() - 1 - i) + 0.5) * cell_h + 4,
                      format("%g", kas[i]), "text-anchor=\"end\" font-size=\"11\"");
    s += plot::text(x0 + panel_w / 2, y0 + panel_h + 28, "phase error s",
                    "text-anchor=\"middle\" font-size=\"11\"");
    s += plot::text(x0 - 46, y0 + panel_h / 2, "ka", "text-anchor=\"middle\" font-size=\"11\"");
  }
  const std::pair<std::optional<limits::Verdict>, const char*> key[] = {
      {limits::Verdict::holds, "within the limit"},
      {limits::Verdict::within_twice, "within twice the limit"},
      {limits::Verdict::fails, "beyond twice the limit"},
      {std::nullopt, "no such level before 90\xC2\xB0"}};
  const std::pair<const char*, const char*> more[] = {{"#9e9e9e", "mode matching not settled (1e-2)"},
                                                      {"#ffffff", "no cone (s > ka / 4\xCF\x80)"}};
  for (std::size_t n = 0; n < std::size(key) + std::size(more); ++n) {
    const double x = left + panel_w + gap_x;  // one key a row, beside the last map
    const double y = top + 3 * (panel_h + gap_y) + 30 + static_cast<double>(n) * 18.0;
    const bool extra = n >= std::size(key);
    s += plot::rect(x, y - 10, 12, 12,
                    std::string("fill=\"") + (extra ? more[n - std::size(key)].first : colour(key[n].first)) +
                        "\" stroke=\"#999999\"");
    s += plot::text(x + 16, y, extra ? more[n - std::size(key)].second : key[n].second, "font-size=\"11\"");
  }
  s += plot::document_end();
  return s;
}

std::string table(const Grid& grid) {
  std::ostringstream out;
  out << "<!-- Written by veskal-modal-map: cmake --build --preset default --target accuracy-map -->\n\n"
      << "Smooth cones at " << frequency << " GHz from a guide of k b = " << feed_kb
      << ": the aperture engine (spherical aperture phase) minus the mode-matching engine, and the "
         "mode-matching engine's own return loss, 45-degree cross-polar peak and TM-11 wave at the aperture "
         "(relative to TE-11). Bold: beyond the limit. Below ka 8 the mode-matching engine is the modal "
         "model with the horn's outside (a thin wall); from ka 8 its aperture radiates into free space (the "
         "Huygens aperture). A cone needs s <= ka / 4 pi.\n\n"
      << "| ka | s | directivity (dB) | E 3 dB (\xC2\xB0) | H 3 dB (\xC2\xB0) | E 10 dB (\xC2\xB0) | H 10 dB "
         "(\xC2\xB0) | E centre (\xCE\xBB) | H centre (\xCE\xBB) | return loss (dB) | cross-polar (dB) | "
         "TM-11 |\n|---|---|---|---|---|---|---|---|---|---|---|---|\n";
  for (std::size_t i = 0; i < kas.size(); ++i)
    for (std::size_t j = 0; j < phase_errors.size(); ++j) {
      const Cell& c = grid[i][j];
      if (!c.cone) continue;
      out << "| " << format("%g", kas[i]) << " | " << format("%g", phase_errors[j]);
      for (std::size_t k = 0; k < figure_count; ++k) {
        if (!c.aperture[k] || !c.modal[k]) {
          out << " | -";
          continue;
        }
        const double d = *c.aperture[k] - *c.modal[k];
        const bool beyond = verdict(c, k) != limits::Verdict::holds;
        const std::string v = format(k == 0 || k >= 5 ? "%+.2f" : "%+.1f", d);
        out << " | " << (beyond ? "**" + v + "**" : v);
      }
      out << " | " << format("%.1f", c.return_loss_db) << " | " << format("%.1f", c.cross_polar_db) << " | "
          << format("%.3f", c.tm11) << (c.converged ? "" : " (settles to " + format("%.1e", c.change) + ")")
          << " |\n";
    }
  return out.str();
}

}  // namespace

namespace {

int run(int argc, char** argv) {
  CLI::App app{
      "The aperture engine against the mode-matching engine over smooth cones: a picture (SVG) and a table "
      "(Markdown), as doc/accuracy.md shows them",
      "veskal-modal-map"};
  app.set_version_flag("--version", "veskal-modal-map " VESKAL_VERSION);
  std::string map_path, table_path;
  app.add_option("MAP", map_path, "the picture to write (SVG)")->required();
  app.add_option("TABLE", table_path, "the table to write (Markdown)")->required();
  if (const auto usage = cli::parse(app, argc, argv, [] {})) return *usage;
  Grid grid{};
  for (std::size_t i = 0; i < kas.size(); ++i)
    for (std::size_t j = 0; j < phase_errors.size(); ++j) grid[i][j] = compare(kas[i], phase_errors[j]);
  try {
    cli::Transaction both;
    both.open(map_path).write(picture(grid));
    both.open(table_path).write(table(grid));
    both.commit();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "veskal-modal-map: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return cli::guarded_main("veskal-modal-map", run, argc, argv); }
