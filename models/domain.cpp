#include "models/domain.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "horn/characteristics.hpp"
#include "models/classic.hpp"
#include "numerics/units.hpp"
#include "text/warnings.hpp"

namespace models {
namespace {

constexpr std::array<CauseInfo, 8> all_causes = {{
    {Cause::beyond_classic_tables, "beyond_classic_tables",
     "the phase error lies beyond the classic model's tables (s <= 0.8): its figures are extrapolated"},
    {Cause::small_aperture, "small_aperture",
     "the aperture is below ka = 8, where the rim and the horn's outside, which the model leaves out, "
     "shape the pattern (against a full-wave simulation at ka 5: the H-plane 3 dB width 3 degrees wide)"},
    {Cause::near_cut_off, "near_cut_off",
     "the aperture or the feeding guide carries TE-11 less than 5 % above its cut-off, where the guided "
     "wave's impedance and the model's aperture field do not hold"},
    {Cause::phase_centre_behind_apex, "phase_centre_behind_apex",
     "a phase centre lies behind the cone's apex: the fit is no centre of the horn's wave"},
    {Cause::phase_centre_ahead_of_aperture, "phase_centre_ahead_of_aperture",
     "a phase centre lies in front of the aperture"},
    {Cause::solver_bound, "solver_bound",
     "the design lies at a bound of the solver (its widest cone, 45 degrees, or its largest phase error, "
     "s = 0.8): a better horn may lie beyond it"},
    {Cause::several_modes_in_guide, "several_modes_in_guide",
     "more than TE-11 propagates in the feeding guide: the return loss is the total reflected power of "
     "every propagating mode"},
    {Cause::return_loss_bound, "return_loss_bound",
     "the return loss exceeds what the model of the aperture supports (about 32 dB, the rim left out): "
     "the figure is an upper bound"},
}};

}  // namespace

std::span<const CauseInfo> causes() { return all_causes; }

const CauseInfo& info(Cause cause) { return all_causes[static_cast<std::size_t>(cause)]; }

std::string Domain::cell() const {
  if (ok()) return "ok";
  std::string out;
  for (const CauseInfo& c : all_causes)
    if (has(c.cause)) {
      if (!out.empty()) out += ';';
      out += c.key;
    }
  return out;
}

std::string domain_warning(Cause cause, const std::string& where) {
  const CauseInfo& c = info(cause);
  return "warning: " + std::string(c.words) + " (" + std::string(c.key) + ": " + where + ")";
}

Domain cone_domain(Model model, const horn::HornInInches& horn, double frequency_ghz) {
  Domain d;
  const double a = double(horn.aperture_radius) * numerics::metres_per_inch;
  const double ka = numerics::wavenumber(frequency_ghz) * a;
  // The mode-matching engine refuses to radiate there itself; its match
  // holds at every ka.
  if (ka < radiating_ka && !describes_walls(model)) d.add(Cause::small_aperture);
  if (ka < cut_off_margin * numerics::te11_root) d.add(Cause::near_cut_off);
  if (model == Model::classic && beyond_classic_tables(horn::phase_error(horn, float(frequency_ghz))))
    d.add(Cause::beyond_classic_tables);
  return d;
}

Domain phase_centre_domain(double centre, double apex) {
  Domain d;
  if (centre > apex) d.add(Cause::phase_centre_behind_apex);
  if (centre < 0.0) d.add(Cause::phase_centre_ahead_of_aperture);
  return d;
}

Domain match_domain(Model model, double return_loss_db, std::size_t guide_modes) {
  Domain d;
  if (!whole_sphere(model) && return_loss_db > return_loss_bound_db) d.add(Cause::return_loss_bound);
  if (guide_modes > 1) d.add(Cause::several_modes_in_guide);
  return d;
}

double return_loss_uncertainty_db(const modal::Match& m) {
  const double g = std::pow(10.0, -m.return_loss_db / 20.0), d = m.uncertainty;
  if (!(d < g)) return std::numeric_limits<double>::infinity();
  return std::max(20.0 * std::log10(g / (g - d)), 20.0 * std::log10((g + d) / g));
}

double return_loss_lower_bound_db(const modal::Match& m) {
  const double g = std::pow(10.0, -m.return_loss_db / 20.0);
  return -20.0 * std::log10(g + m.uncertainty);
}

std::string return_loss_text(const modal::Match& m, bool rim_left_out) {
  char text[64];
  const double u = return_loss_uncertainty_db(m);
  if (!std::isfinite(u))
    std::snprintf(text, sizeof text, "\xE2\x89\xA5 %.1f dB", return_loss_lower_bound_db(m));
  else if (rim_left_out && m.return_loss_db > return_loss_bound_db)
    std::snprintf(text, sizeof text, "\xE2\x89\xA4 %.1f dB", m.return_loss_db);
  else if (u >= 0.05)
    std::snprintf(text, sizeof text, "%.1f \xC2\xB1 %.1f dB", m.return_loss_db, u);
  else
    std::snprintf(text, sizeof text, "%.1f dB", m.return_loss_db);
  return text;
}

void CauseTally::take(const Domain& domain, float frequency) {
  for (const CauseInfo& c : causes())
    if (c.cause != Cause::beyond_classic_tables && domain.has(c.cause))
      lists_[std::size_t(c.cause)].add(frequency);
}

void CauseTally::warn(std::size_t of, const char* things) const {
  for (const CauseInfo& c : causes())
    if (const text::FrequencyList& l = lists_[std::size_t(c.cause)]; l.count() > 0)
      text::warn(domain_warning(c.cause, std::to_string(l.count()) + " of " + std::to_string(of) + " " +
                                             things + ", at " + l.text()));
}

std::string unsettled_warning(double change, double target, const std::string& where) {
  char text[320];
  if (change > 0.0)
    std::snprintf(
        text, sizeof text,
        "warning: the mode-matching engine's steps and modes settle only to %.3g of the incident wave "
        "(target %.3g) at %s: those figures may be off by as much",
        change, target, where.c_str());
  else
    std::snprintf(text, sizeof text,
                  "warning: the mode-matching engine's steps and modes could not be refined within its work "
                  "bounds at %s: those figures' accuracy is not known",
                  where.c_str());
  return text;
}

double apex_distance(const horn::Horn& horn) {
  const double R = horn.slant_radius, a = horn.half_aperture;
  return std::sqrt(std::max(0.0, R * R - a * a));
}

}  // namespace models
