#include "synthesis/evaluation.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "farfield/figures.hpp"
#include "modal/band.hpp"
#include "models/engine.hpp"
#include "numerics/parallel.hpp"
#include "numerics/units.hpp"
#include "synthesis/families.hpp"

namespace synthesis {
namespace {

// A requirement broken by a frequency the model refused: a shortfall this
// large in the objective's scale.
constexpr double refused_shortfall = 30.0;
// Margins beyond the requirement are rewarded up to this (dB).
constexpr double rewarded_margin = 3.0;
constexpr double margin_reward = 0.01;
// The weight of an unsettled row, (change / target)^2 each.
constexpr double unsettled_weight = 0.01;
// The pull toward the pattern's value inside its tolerance.
constexpr double pattern_centring = 0.05;

Row row_at(const modal::Band& band, float frequency, const Requirements& q, models::Model model) {
  Row row;
  row.frequency = frequency;
  const bool taper = q.pattern == Pattern::edge_taper;
  const models::Result r = models::info(model).engine->evaluate(
      {.band = &band}, frequency, {.fields = taper, .figures = true, .match = true});
  if (r.match) {
    row.return_loss_db = r.match->return_loss_db;
    if (!r.match->settled) row.unsettled = r.match->uncertainty;
  }
  if (!r.refused.empty()) {
    row.error = r.refused;
    return row;
  }
  row.peak_cross_polar_db = r.peak_cross_polar_db;
  row.directivity_db = r.directivity_db;
  row.e_beamwidth_10db = r.figures->e_beamwidth_10db;
  row.h_beamwidth_10db = r.figures->h_beamwidth_10db;
  if (r.figures->e_phase_centre) row.e_phase_centre = r.figures->e_phase_centre->length;
  if (r.figures->h_phase_centre) row.h_phase_centre = r.figures->h_phase_centre->length;
  if (taper) {
    const double t = farfield::mean_edge_taper_db(
        r.radiator->far_fields(0.0), r.radiator->far_fields(q.half_angle * std::numbers::pi / 180.0));
    if (std::isfinite(t)) row.edge_taper_db = t;
  }
  return row;
}

}  // namespace

std::optional<double> pattern_figure(const Row& r, Pattern p) {
  switch (p) {
    case Pattern::beamwidth_10db:
      if (r.e_beamwidth_10db && r.h_beamwidth_10db) return (*r.e_beamwidth_10db + *r.h_beamwidth_10db) / 2.0;
      return std::nullopt;
    case Pattern::edge_taper: return r.edge_taper_db;
    case Pattern::gain: return r.directivity_db;
    case Pattern::none: break;
  }
  return std::nullopt;
}

double pattern_tolerance(Pattern pattern) {
  switch (pattern) {
    case Pattern::beamwidth_10db: return 1.0;
    case Pattern::edge_taper: return 0.5;
    case Pattern::gain: return 0.2;
    case Pattern::none: break;
  }
  return 0.0;
}

std::optional<double> Row::phase_centre() const {
  if (e_phase_centre && h_phase_centre) return (*e_phase_centre + *h_phase_centre) / 2.0;
  return e_phase_centre ? e_phase_centre : h_phase_centre;
}

bool Evaluation::meets() const {
  return std::all_of(margins.begin(), margins.end(), [](const Margin& m) { return m.met(); });
}

Evaluation evaluate(const std::vector<modal::ProfilePoint>& wall,
                    const std::vector<modal::ProfilePoint>& outside, std::span<const float> frequencies,
                    const Requirements& q, models::Model model, unsigned threads) {
  const float centre = static_cast<float>(centre_frequency(frequencies));
  std::vector<float> all(frequencies.begin(), frequencies.end());
  all.push_back(centre);
  const float highest = *std::max_element(all.begin(), all.end());
  modal::Band band(wall, highest);
  band.set_outside(outside);

  std::vector<Row> rows(all.size());
  numerics::parallel_for(rows.size(), threads,
                         [&](std::size_t i) { rows[i] = row_at(band, all[i], q, model); });

  Evaluation e;
  e.centre = rows.back();
  rows.pop_back();
  e.band = std::move(rows);
  judge(e, q, numerics::wavelength_m(centre));
  return e;
}

void judge(Evaluation& e, const Requirements& q, double centre_wavelength, double excess) {
  e.margins.clear();
  double objective = excess * excess;
  auto take = [&](const std::string& name, double worst, double margin, double scale, bool rewarded) {
    e.margins.push_back({name, worst, margin});
    const double m = margin / scale;
    if (m < 0.0) objective += m * m - m;  // the linear part outweighs any reward near the requirement
    if (rewarded) objective -= margin_reward * std::min(m, rewarded_margin);
  };
  const bool refused =
      std::any_of(e.band.begin(), e.band.end(), [](const Row& r) { return !r.error.empty(); });
  if (q.return_loss_db) {
    double worst = INFINITY;
    for (const Row& r : e.band) worst = std::min(worst, r.return_loss_db.value_or(-INFINITY));
    take("return loss", worst, std::isfinite(worst) ? worst - *q.return_loss_db : -refused_shortfall, 1.0,
         true);
  }
  if (q.cross_polar_db) {
    double worst = -INFINITY;
    for (const Row& r : e.band) worst = std::max(worst, r.peak_cross_polar_db.value_or(INFINITY));
    take("cross-polar", worst, std::isfinite(worst) ? *q.cross_polar_db - worst : -refused_shortfall, 1.0,
         true);
  }
  if (q.pattern != Pattern::none) {
    const double tolerance = pattern_tolerance(q.pattern);
    double worst = q.pattern_value, worst_margin = INFINITY;
    auto consider = [&](const Row& r) {
      const std::optional<double> v = pattern_figure(r, q.pattern);
      const double margin = v ? tolerance - std::abs(*v - q.pattern_value) : -refused_shortfall;
      if (margin < worst_margin) worst_margin = margin, worst = v.value_or(NAN);
    };
    if (q.over_band) {
      for (const Row& r : e.band) consider(r);
    } else {
      consider(e.centre);
    }
    take("pattern", worst, worst_margin, 1.0, false);
    // Within the tolerance, nearer the value is better.
    const double off = std::min(1.0, (tolerance - worst_margin) / tolerance);
    objective += pattern_centring * off * off;
  }
  if (q.phase_centre_spread) {
    double lo = INFINITY, hi = -INFINITY;
    for (const Row& r : e.band)
      if (const auto c = r.phase_centre()) lo = std::min(lo, *c), hi = std::max(hi, *c);
    const double spread = hi - lo;
    take("phase centre spread", spread,
         std::isfinite(spread) && !refused ? *q.phase_centre_spread - spread
                                           : -refused_shortfall * centre_wavelength,
         centre_wavelength / 10.0, false);
  }
  // A row whose steps and modes missed the engine's target has figures
  // known only to its settled change: the design is pushed toward horns
  // whose figures are settled.
  for (const Row& r : e.band)
    if (r.unsettled) objective += unsettled_weight * std::pow(*r.unsettled / modal::band_target, 2);
  e.objective = objective;
}

}  // namespace synthesis
