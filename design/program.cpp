// veskal-design: the conical horn for a requirement (a gain, or a 3 dB or
// 10 dB beamwidth, at one frequency), with the answers that make veskal
// report it.
#include "design/program.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "aperture/figures.hpp"
#include "cli/json.hpp"
#include "cli/options.hpp"
#include "cli/output.hpp"
#include "cli/wall.hpp"
#include "design/family.hpp"
#include "horn/beamwidth.hpp"
#include "horn/characteristics.hpp"
#include "horn/gain.hpp"
#include "models/classic.hpp"
#include "models/domain.hpp"
#include "models/engine.hpp"
#include "models/registry.hpp"
#include "numerics/checked_math.hpp"
#include "reflector/sources.hpp"
#include "solver/request.hpp"
#include "solver/solver.hpp"
#include "text/warnings.hpp"

namespace design {
namespace {

struct Options {
  std::optional<float> frequency_option;
  float frequency = 0.0f;
  std::optional<double> gain, beamwidth_3db, beamwidth_10db;
  std::optional<double> f_over_d, half_angle, edge_taper;
  std::string plane = "mean";
  bool shortest = false;
  std::optional<float> aperture_diameter, slant_radius, waveguide_diameter;
  std::optional<float> wall_thickness, flange_diameter;
  std::string unit = "in";
  std::string model;
  bool check = false;
  std::string format = "text";
  std::string output, answers;
  cli::FrequencyOptions band;
};

// The figures of the designed horn in one model; none where it cannot compute them.
struct Figures {
  std::optional<double> gain, e_3db, h_3db, e_10db, h_10db, e_centre, h_centre;  // dB, degrees, horn's unit
  // The wall's models' (dB): the input match, the peak cross-polar level
  // below the axis' co-polar, the axis over the back axis.
  std::optional<double> return_loss, cross_polar, front_to_back;
  models::Domain domain;  // the verdicts on the model's figures of this horn
  std::string failure;    // why the classic model gives only the gain
};

// The verdicts on a model's figures of the horn at `f`.
models::Domain domain_of(models::Model model, const horn::Horn& h, const float& f, const Figures& figures) {
  models::Domain d = models::cone_domain(model, h.in_inches(), f);
  const double apex = models::apex_distance(h);
  for (const auto& centre : {figures.e_centre, figures.h_centre})
    if (centre) d.add(models::phase_centre_domain(*centre, apex));
  return d;
}

Figures classic_figures(const horn::Horn& h, const float& f) {
  Figures out;
  const horn::HornInInches inches = h.in_inches();
  try {
    const horn::Characteristics c = horn::characteristics(h, f);
    out = {c.gain,
           c.e_beamwidth_3db,
           c.h_beamwidth_3db,
           c.e_beamwidth_10db,
           c.h_beamwidth_10db,
           c.e_phase_centre_length,
           c.h_phase_centre_length,
           {},
           {},
           {},
           {},
           {}};
  } catch (const numerics::DomainError&) {
    float g = 0.0f;
    horn::CHNGN(f, inches.aperture_radius, inches.slant_radius, g);
    out.gain = g;
    out.failure = models::classic_failure(inches, f);
  }
  out.domain = domain_of(models::Model::classic, h, f, out);
  return out;
}

// An engine's gain and beam figures, the phase centres in the horn's unit.
Figures beam_figures(double gain, const farfield::BeamFigures& g, const horn::Horn& h) {
  const double units_per_metre = horn::units_per_metre(h.unit_code);
  auto centre = [&](const std::optional<farfield::PhaseCentreFit>& fit) {
    return fit ? std::optional(fit->length * units_per_metre) : std::nullopt;
  };
  Figures out;
  out.gain = gain;
  out.e_3db = g.e_beamwidth_3db, out.h_3db = g.h_beamwidth_3db;
  out.e_10db = g.e_beamwidth_10db, out.h_10db = g.h_beamwidth_10db;
  out.e_centre = centre(g.e_phase_centre), out.h_centre = centre(g.h_phase_centre);
  return out;
}

Figures engine_figures(const horn::Horn& h, const float& f, models::Model model) {
  const aperture::Phase phase = *models::info(model).aperture_phase;
  const horn::HornInInches inches = h.in_inches();
  const aperture::Aperture engine(aperture::horn_from_inches(inches.aperture_radius, inches.slant_radius, f),
                                  phase);
  const aperture::Figures g = aperture::figures(engine);
  Figures out = beam_figures(g.directivity_db, g, h);
  out.domain = domain_of(model, h, f, out);
  return out;
}

// The figures in a model of the wall (the designed cone with its guide and
// outside), and its far field for the reflector's figures.
std::pair<Figures, std::shared_ptr<const farfield::Radiator>> wall_figures(const horn::Horn& h,
                                                                           const design::Problem& p) {
  const horn::HornInInches inches = h.in_inches();
  const auto band = design::cone_band(p, inches.aperture_radius, inches.slant_radius);
  if (!band)
    throw std::runtime_error("the designed horn has no wall for the " + models::name(p.model) + " model");
  const models::Result r = models::info(p.model).engine->evaluate(
      {.band = &*band}, p.frequency, {.fields = true, .figures = true, .match = true});
  if (!r.refused.empty())
    throw std::runtime_error("the " + models::name(p.model) +
                             " model refuses the designed horn: " + r.refused);
  Figures out = beam_figures(*r.directivity_db, *r.figures, h);
  out.return_loss = r.match->return_loss_db;
  out.cross_polar = r.peak_cross_polar_db;
  out.front_to_back = r.front_to_back_db;
  out.domain = domain_of(p.model, h, p.frequency, out);
  out.domain.add(models::match_domain(p.model, r.match->return_loss_db, r.match->guide_modes));
  if (!r.match->settled)
    text::warn(models::unsettled_warning(r.match->uncertainty, band->target(),
                                         text::shortest(p.frequency) + " GHz"));
  return {out, r.radiator};
}

using text::fixed;

std::string padded(std::string text, std::size_t width, bool right = true) {
  if (text.size() < width)
    text =
        right ? std::string(width - text.size(), ' ') + text : text + std::string(width - text.size(), ' ');
  return text;
}

struct Design {
  design::Problem problem;
  horn::Horn horn;
  float phase_error;
  Figures classic;
  std::optional<Figures> quadratic, spherical;     // the engine's, where shown
  std::optional<Figures> walls;                    // a wall's model's (modal), where designed in it
  std::optional<reflector::Figures> on_reflector;  // in the design's model, for a reflector requirement
  models::Domain bounds;                           // the solver's own bounds the design lies at

  // The figures of the model the design was made in.
  const Figures& own() const {
    return problem.model == models::Model::quadratic   ? *quadratic
           : problem.model == models::Model::spherical ? *spherical
           : walls                                     ? *walls
                                                       : classic;
  }
  // The verdicts on the design: its model's, and the solver's bounds.
  models::Domain domain() const {
    models::Domain d = own().domain;
    d.add(bounds);
    return d;
  }
};

// The solver's bounds a design lies at: the widest cone (45 degrees) and the
// largest phase error (s = 0.8) it searches.
models::Domain solver_bounds(const horn::Horn& h, float phase_error) {
  models::Domain d;
  if (h.cone_angle > 44.99f || phase_error > 0.799f) d.add(models::Cause::solver_bound);
  return d;
}

// The models whose figures the output shows, with them.
std::vector<std::pair<models::Model, const Figures*>> shown_figures(const Design& d) {
  std::vector<std::pair<models::Model, const Figures*>> out{{models::Model::classic, &d.classic}};
  if (d.quadratic) out.emplace_back(models::Model::quadratic, &*d.quadratic);
  if (d.spherical) out.emplace_back(models::Model::spherical, &*d.spherical);
  if (d.walls) out.emplace_back(d.problem.model, &*d.walls);
  return out;
}

// One warning for each cause: the models whose figures it concerns, the
// solver's bounds, and the classic model's missing figures.
void warn_of_domain(const Design& d, const float& frequency) {
  for (const models::CauseInfo& c : models::causes()) {
    std::string which;
    for (const auto& [model, f] : shown_figures(d))
      if (f->domain.has(c.cause)) which += (which.empty() ? "" : ", ") + models::name(model);
    if (d.bounds.has(c.cause)) which += (which.empty() ? "" : ", ") + std::string("the design");
    if (!which.empty())
      text::warn(models::domain_warning(c.cause, which + " at " + text::shortest(frequency) + " GHz"));
  }
  if (!d.classic.failure.empty())
    text::warn("warning: the classic model gives the gain alone: " + d.classic.failure);
}

std::string reflector_text(const design::Problem& p) {
  return "a paraboloid of f/D " + fixed(reflector::f_over_d_for(p.half_angle), 3) + " (half-angle " +
         fixed(p.half_angle / reflector::degree, 2) + " degrees)";
}

std::string requirement_text(const design::Problem& p) {
  if (p.quantity == design::Quantity::aperture_efficiency)
    return "the highest aperture efficiency on " + reflector_text(p);
  if (p.quantity == design::Quantity::edge_taper)
    return "a mean edge taper of " + fixed(p.value, 2) + " dB on " + reflector_text(p);
  const char* plane = p.plane == design::Plane::e   ? "n E-plane "
                      : p.plane == design::Plane::h ? "n H-plane "
                                                    : " mean ";
  if (p.quantity == design::Quantity::gain) return "a gain of " + fixed(p.value, 2) + " dB";
  return std::string("a") + plane + (p.quantity == design::Quantity::beamwidth_3db ? "3 dB" : "10 dB") +
         " beamwidth of " + fixed(p.value, 1) + " degrees";
}

std::string text_of(const Design& d, const Options& o) {
  const horn::Horn& h = d.horn;
  const std::string& unit = o.unit;
  const char* constraint = d.problem.constraint == design::Constraint::shortest
                               ? (h.has_waveguide() ? "shortest axial length" : "shortest horn")
                           : d.problem.constraint == design::Constraint::aperture ? "aperture fixed"
                                                                                  : "slant radius fixed";
  std::string t = "Horn for " + requirement_text(d.problem) + " at " + text::shortest(o.frequency) +
                  " GHz (" + o.model + " model, " + constraint + ")\n\n";
  auto line = [&](const std::string& label, const std::string& value, const std::string& suffix) {
    t += "  " + padded(label, 20, false) + padded(value, 12) + (suffix.empty() ? "" : " " + suffix) + "\n";
  };
  line("aperture diameter", text::shortest(h.aperture_diameter), unit);
  line("slant radius", text::shortest(h.slant_radius), unit);
  line("cone angle", fixed(h.cone_angle, 2), "degrees");
  if (h.has_waveguide()) {
    line("waveguide diameter", text::shortest(h.waveguide_diameter), unit);
    line("axial length", text::shortest(h.axial_length), unit);
    line("cone length", text::shortest(h.cone_length), unit);
  }
  line("phase error s", fixed(d.phase_error, 4), "");
  using models::Model;
  // A model whose figures lie outside its domain is marked, and its causes follow the table.
  auto mark = [](const Figures& f) { return f.domain.ok() ? std::string() : " *"; };
  t += "\n  " + padded("", 30, false) + padded(models::name(Model::classic) + mark(d.classic), 10) +
       (d.quadratic ? padded("engine, " + models::name(Model::quadratic) + mark(*d.quadratic), 20) : "") +
       (d.spherical ? padded("engine, " + models::name(Model::spherical) + mark(*d.spherical), 20) : "") +
       (d.walls ? padded("engine, " + models::name(d.problem.model) + mark(*d.walls), 20) : "") + "\n";
  struct Row {
    std::string label;
    std::optional<double> (*get)(const Figures&);
    int decimals;
  };
  const Row rows[] = {{"gain (dB)", [](const Figures& f) { return f.gain; }, 2},
                      {"E-plane 3 dB width (deg)", [](const Figures& f) { return f.e_3db; }, 1},
                      {"H-plane 3 dB width (deg)", [](const Figures& f) { return f.h_3db; }, 1},
                      {"E-plane 10 dB width (deg)", [](const Figures& f) { return f.e_10db; }, 1},
                      {"H-plane 10 dB width (deg)", [](const Figures& f) { return f.h_10db; }, 1},
                      {"E-plane phase centre (" + unit + ")", [](const Figures& f) { return f.e_centre; }, 3},
                      {"H-plane phase centre (" + unit + ")", [](const Figures& f) { return f.h_centre; }, 3},
                      {"return loss (dB)", [](const Figures& f) { return f.return_loss; }, 2},
                      {"peak cross-polar (dB)", [](const Figures& f) { return f.cross_polar; }, 2},
                      {"front-to-back (dB)", [](const Figures& f) { return f.front_to_back; }, 2}};
  // The last three rows are the wall's models' alone.
  const std::size_t shown_rows = d.walls ? std::size(rows) : std::size(rows) - 3;
  for (std::size_t i = 0; i < shown_rows; ++i) {
    const Row& r = rows[i];
    t += "  " + padded(r.label, 30, false) + padded(fixed(r.get(d.classic), r.decimals), 10) +
         (d.quadratic ? padded(fixed(r.get(*d.quadratic), r.decimals), 20) : "") +
         (d.spherical ? padded(fixed(r.get(*d.spherical), r.decimals), 20) : "") +
         (d.walls ? padded(fixed(r.get(*d.walls), r.decimals), 20) : "") + "\n";
  }
  for (const auto& [model, f] : shown_figures(d))
    if (!f->domain.ok())
      t += "  * " + models::name(model) + ": outside the model's domain: " + f->domain.cell() + "\n";
  if (!d.classic.failure.empty()) t += "  - " + d.classic.failure + "\n";
  if (!d.bounds.ok()) t += "  The design lies at a bound of the solver: " + d.bounds.cell() + "\n";
  if (d.on_reflector) {
    const reflector::Figures& r = *d.on_reflector;
    t += "\n  On " + reflector_text(d.problem) + ", " + o.model +
         " model, the feed at its best phase centre:\n";
    const std::pair<const char*, double> lines[] = {{"aperture efficiency", r.eta.aperture()},
                                                    {"spillover", r.eta.spillover},
                                                    {"illumination", r.eta.illumination},
                                                    {"phase", r.eta.phase},
                                                    {"polarisation", r.eta.polarisation}};
    for (const auto& [label, v] : lines) line(label, fixed(v, 4), "");
    line("edge taper E, H", fixed(r.edge_taper_e_db, 2) + " " + fixed(r.edge_taper_h_db, 2), "dB");
    line("best phase centre", fixed(r.phase_centre, 3), "wavelengths behind the aperture");
  }
  t += "\n  Phase centres: behind the aperture plane, toward the apex";
  t += d.quadratic || d.spherical || d.walls
           ? "; the engine's are least-squares fits over each plane's 10 dB half-angle.\n"
           : ".\n";
  return t;
}

nlohmann::ordered_json json_of(const Design& d, const Options& o) {
  auto figures = [](const Figures& f, bool walls = false) {
    auto v = [](const std::optional<double>& x) {
      return x && std::isfinite(*x) ? nlohmann::ordered_json(*x) : nullptr;
    };
    nlohmann::ordered_json j{{"domain", f.domain.cell()},           {"gain_db", v(f.gain)},
                             {"e_beamwidth_3db_deg", v(f.e_3db)},   {"h_beamwidth_3db_deg", v(f.h_3db)},
                             {"e_beamwidth_10db_deg", v(f.e_10db)}, {"h_beamwidth_10db_deg", v(f.h_10db)},
                             {"e_phase_centre", v(f.e_centre)},     {"h_phase_centre", v(f.h_centre)}};
    if (walls) {
      j["return_loss_db"] = v(f.return_loss);
      j["peak_cross_polar_db"] = v(f.cross_polar);
      j["front_to_back_db"] = v(f.front_to_back);
    }
    return j;
  };
  const design::Problem& p = d.problem;
  nlohmann::ordered_json requirement = {
      {"frequency_ghz", cli::json_number(o.frequency)},
      {"quantity", p.quantity == design::Quantity::gain             ? "gain_db"
                   : p.quantity == design::Quantity::beamwidth_3db  ? "beamwidth_3db_deg"
                   : p.quantity == design::Quantity::beamwidth_10db ? "beamwidth_10db_deg"
                   : p.quantity == design::Quantity::edge_taper     ? "edge_taper_db"
                                                                    : "eta_aperture"},
      {"value", p.value},
      {"model", o.model}};
  if (p.quantity == design::Quantity::beamwidth_3db || p.quantity == design::Quantity::beamwidth_10db)
    requirement["plane"] = o.plane;
  if (p.quantity == design::Quantity::aperture_efficiency) requirement.erase("value");
  if (p.quantity == design::Quantity::edge_taper || p.quantity == design::Quantity::aperture_efficiency) {
    requirement["f_over_d"] = reflector::f_over_d_for(p.half_angle);
    requirement["half_angle_deg"] = p.half_angle / reflector::degree;
  }
  using models::Model;
  nlohmann::ordered_json all = {{models::name(Model::classic), figures(d.classic)}};
  if (d.quadratic) all[models::name(Model::quadratic)] = figures(*d.quadratic);
  if (d.spherical) all[models::name(Model::spherical)] = figures(*d.spherical);
  if (d.walls) all[models::name(p.model)] = figures(*d.walls, true);
  nlohmann::ordered_json out = {
      {"program", "veskal-design"},     {"requirement", requirement},
      {"horn", cli::horn_json(d.horn)}, {"phase_error", cli::json_number(d.phase_error)},
      {"domain", d.domain().cell()},    {"figures", all}};
  if (d.on_reflector) {
    const reflector::Figures& r = *d.on_reflector;
    out["reflector"] = {
        {"eta_aperture", r.eta.aperture()},       {"eta_spillover", r.eta.spillover},
        {"eta_illumination", r.eta.illumination}, {"eta_phase", r.eta.phase},
        {"eta_polarisation", r.eta.polarisation}, {"edge_taper_e_db", r.edge_taper_e_db},
        {"edge_taper_h_db", r.edge_taper_h_db},   {"phase_centre_wavelengths", r.phase_centre}};
  }
  return out;
}

// The frequency ranges of the answers, as veskal reads them: the range of
// --start/--stop/--step, one range per --frequencies entry, or the design
// frequency alone.
struct Range {
  float start, stop, step;
};

std::vector<Range> answer_ranges(const Options& o, const std::vector<float>& band) {
  if (o.band.start) return {{*o.band.start, *o.band.stop, *o.band.step}};
  std::vector<Range> out;
  for (const float f : band.empty() ? std::vector<float>{o.frequency} : band) out.push_back({f, f, 1.0f});
  return out;
}

// The answers that make veskal report the horn.
std::string answers_of(const Design& d, const std::vector<Range>& ranges) {
  const horn::Horn& h = d.horn;
  std::string a =
      "design.rep\n" + std::to_string(h.unit_code) + "\n" + text::shortest(h.aperture_diameter) + "\n";
  if (h.has_waveguide())
    a += "2\n" + text::shortest(h.waveguide_diameter) + "\n" + text::shortest(h.axial_length) + "\n";
  else
    a += "1\n" + text::shortest(h.slant_radius) + "\n";
  for (const Range& r : ranges)
    a += text::shortest(r.start) + " " + text::shortest(r.stop) + " " + text::shortest(r.step) + "\n";
  return a + "0 0 0\n";
}

// Why veskal could not report every row of the answers: the first row
// frequency (stepped as veskal steps it) at which the classic routines stop
// or give a figure that is not a number, with the classic model's reason.
std::optional<std::string> unreportable(const horn::Horn& h, const std::vector<Range>& ranges) {
  for (const Range& r : ranges) {
    const std::int32_t count = horn::frequency_count(r.start, r.stop, r.step);
    for (std::int32_t i = 1; i <= count; ++i) {
      const float f = horn::row_frequency(i, r.start, r.step);
      std::string why;
      try {
        const horn::Characteristics c = horn::characteristics(h, f);
        for (const float x : {c.gain, c.e_beamwidth_3db, c.h_beamwidth_3db, c.e_beamwidth_10db,
                              c.h_beamwidth_10db, c.e_phase_centre_length, c.h_phase_centre_length})
          if (!std::isfinite(x))
            why = std::string(models::classic_not_finite) + " at " + text::shortest(f) + " GHz";
      } catch (const numerics::DomainError&) {
        why = models::classic_failure(h.in_inches(), f);
      }
      if (!why.empty()) return "the answers are not written, since veskal cannot report every row: " + why;
    }
  }
  return std::nullopt;
}

}  // namespace

// The command line's options into `o`, with the rules between them; the
// options only the cone's design takes.
std::vector<CLI::Option*> add_options(CLI::App& app, Options& o) {
  cli::add_number(app, "--frequency", o.frequency_option,
                  "frequency, GHz (required for the cone; a family's design takes a band instead)");
  auto* gain = cli::add_number(app, "--gain", o.gain, "required on-axis gain, dB");
  auto* bw3 =
      cli::add_number(app, "--beamwidth-3db", o.beamwidth_3db, "required full 3 dB beamwidth, degrees");
  auto* bw10 =
      cli::add_number(app, "--beamwidth-10db", o.beamwidth_10db, "required full 10 dB beamwidth, degrees");
  auto* plane = app.add_option("--plane", o.plane, "the beamwidth's plane: e, h, or the mean of both")
                    ->check(CLI::IsMember({"e", "h", "mean"}))
                    ->capture_default_str();
  auto* shortest = app.add_flag("--shortest", o.shortest,
                                "the shortest horn (the default): smallest slant radius, or with a waveguide "
                                "the smallest axial length");
  auto* aperture = cli::add_number(app, "--aperture-diameter", o.aperture_diameter,
                                   "a fixed aperture diameter, in --unit (solve for the slant radius)");
  auto* slant = cli::add_number(app, "--slant-radius", o.slant_radius,
                                "a fixed slant radius, in --unit (solve for the aperture)");
  cli::add_number(app, "--waveguide-diameter", o.waveguide_diameter,
                  "the feeding waveguide's inner diameter, in --unit (the modal model needs it)");
  cli::add_outside_options(app, o.wall_thickness, o.flange_diameter);
  cli::add_unit_option(app, o.unit);
  cli::add_model_option(app, o.model, design::design_models(), "the model the design is made in");
  app.add_flag("--check", o.check,
               "show the aperture engine's figures of the horn with both aperture phases");
  app.add_option("--format", o.format, "text or json")
      ->check(CLI::IsMember({"text", "json"}))
      ->capture_default_str();
  app.add_option("--output", o.output, "file to write (default: standard output)");
  app.add_option("--answers", o.answers, "write the answers that make veskal report the horn");
  auto* f_over_d = cli::add_number(app, "--f-over-d", o.f_over_d,
                                   "the horn that lights a prime-focus paraboloid of this f/D best (the "
                                   "highest aperture efficiency), or with --edge-taper");
  auto* half_angle = cli::add_number(app, "--half-angle", o.half_angle,
                                     "the same for the half-angle the reflector's rim subtends at the focus, "
                                     "degrees");
  auto* taper = cli::add_number(app, "--edge-taper", o.edge_taper,
                                "required mean edge taper of the E and H planes at the reflector's rim, dB "
                                "below the axis (with --f-over-d or --half-angle)");
  f_over_d->excludes(half_angle);
  cli::add_frequency_options(app, o.band);
  for (auto* a : {gain, bw3, bw10, taper})
    for (auto* b : {gain, bw3, bw10, taper})
      if (a != b) a->excludes(b);
  for (auto* a : {gain, bw3, bw10}) a->excludes(f_over_d)->excludes(half_angle);
  plane->excludes(taper)->excludes(f_over_d)->excludes(half_angle);
  shortest->excludes(aperture)->excludes(slant);
  aperture->excludes(slant);
  plane->excludes(gain);
  return {bw3, plane, shortest, aperture, slant, app.get_option("--check"), app.get_option("--answers")};
}

// The name of the first option of `options` given on the command line.
std::optional<std::string> given(const std::vector<CLI::Option*>& options) {
  for (const CLI::Option* option : options)
    if (option->count() > 0) return option->get_name();
  return std::nullopt;
}

// The horn for the problem and the figures the output shows of it.
Design design_of(const Options& o, const design::Problem& p, const design::Request& request,
                 const std::vector<float>& band) {
  // The TE-11 mode must propagate in the aperture and in the waveguide at
  // every frequency the design is for: the waveguide's before the search.
  std::vector<float> design_frequencies = band;
  design_frequencies.push_back(o.frequency);
  const float lowest = *std::min_element(design_frequencies.begin(), design_frequencies.end());
  design::require_waveguide_propagating(request, lowest);
  const design::Solution s = design::solve(p);  // Infeasible: one line from guarded_main
  Design d{p, design::horn_of(s, p, request), 0.0f, {}, {}, {}, {}, {}, {}};
  const horn::HornInInches inches = d.horn.in_inches();
  design::require_propagating(d.horn, lowest);

  d.phase_error = horn::phase_error(inches, o.frequency);
  d.bounds = solver_bounds(d.horn, d.phase_error);
  d.classic = classic_figures(d.horn, o.frequency);
  const auto shown = [&](cli::Model m) { return o.check || p.model == m; };
  if (shown(cli::Model::quadratic)) d.quadratic = engine_figures(d.horn, o.frequency, cli::Model::quadratic);
  if (shown(cli::Model::spherical)) d.spherical = engine_figures(d.horn, o.frequency, cli::Model::spherical);

  const bool reflector_design =
      p.quantity == design::Quantity::edge_taper || p.quantity == design::Quantity::aperture_efficiency;
  std::shared_ptr<const farfield::Radiator> wall_radiator;
  if (models::describes_walls(p.model)) std::tie(d.walls, wall_radiator) = wall_figures(d.horn, p);
  if (reflector_design && wall_radiator) {
    d.on_reflector = reflector::radiator_pattern(wall_radiator).feed().figures(p.half_angle);
  } else if (reflector_design) {
    const auto pattern = reflector::horn_pattern(o.frequency, inches, cli::engine_phase(p.model));
    d.on_reflector = pattern.feed().figures(p.half_angle);
  }
  return d;
}

int program(int argc, char** argv) {
  CLI::App app{
      "The TE-11 mode conical horn for a gain, a beamwidth, or a reflector (the highest aperture "
      "efficiency, or an edge taper) at one frequency",
      "veskal-design"};
  app.set_version_flag("--version", "veskal-design " VESKAL_VERSION);
  Options o;
  const std::vector<CLI::Option*> cone_only = add_options(app, o);
  FamilyOptions family;
  add_family_options(app, family);

  design::Problem p{};
  design::Request request;
  std::vector<float> band;
  const auto usage = cli::parse(app, argc, argv, [&] {
    using cli::require;
    if (family.family != "cone") {
      if (const auto name = given(cone_only)) throw cli::UsageError(*name + ": the cone's design only");
      return;
    }
    if (const auto name = given(family.family_only))
      throw cli::UsageError(*name + ": goes with a --family other than cone");
    require(o.frequency_option.has_value(), "{frequency}: required (the frequency the cone is designed for)");
    o.frequency = *o.frequency_option;
    if (o.model.empty()) o.model = models::name(models::default_model(false));
    cli::require_distinct_outputs({{"--output", o.output}, {"--answers", o.answers}});
    request = {o.frequency,      o.gain,
               o.beamwidth_3db,  o.beamwidth_10db,
               o.f_over_d,       o.half_angle,
               o.edge_taper,     o.plane,
               o.model,          o.aperture_diameter,
               o.slant_radius,   o.waveguide_diameter,
               o.unit,           o.wall_thickness,
               o.flange_diameter};
    p = design::problem_from(request);
    if (o.band.start || o.band.stop || o.band.step || !o.band.list.empty())
      band = cli::frequencies(o.band, 10000).all();
  });
  if (usage) return *usage;
  if (family.family != "cone")
    return family_design(family, {o.frequency_option, o.band, o.gain, o.beamwidth_10db, o.edge_taper,
                                  o.half_angle, o.f_over_d, o.waveguide_diameter, o.wall_thickness,
                                  o.flange_diameter, o.unit, o.model, o.format, o.output});
  cli::warn_of_outside_left_out(o.wall_thickness.has_value(), o.flange_diameter.has_value(), o.model);

  const Design d = design_of(o, p, request, band);
  // The horn as written must meet the requirement to its printed digits.
  if (const auto why = design::unmet(p, d.horn)) {
    std::cerr << "veskal-design: " << *why << "\n";
    return cli::failure_status;
  }

  warn_of_domain(d, o.frequency);
  const std::string text = o.format == "json" ? json_of(d, o).dump(1) + "\n" : text_of(d, o);
  // An answers file only where veskal reports every row of it; the design
  // itself is written either way.
  const std::vector<Range> ranges = answer_ranges(o, band);
  const std::optional<std::string> refused = o.answers.empty() ? std::nullopt : unreportable(d.horn, ranges);
  // Both files or neither.
  cli::Transaction transaction;
  if (!o.answers.empty() && !refused) transaction.open(o.answers).write(answers_of(d, ranges));
  transaction.open(o.output).write(text);
  transaction.commit();
  if (refused) {
    std::cerr << "veskal-design: " << *refused << "\n";
    return cli::failure_status;
  }
  return 0;
}

}  // namespace design
