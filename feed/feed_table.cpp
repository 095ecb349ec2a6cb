#include "feed/feed_table.hpp"

#include <cmath>
#include <numbers>

namespace feed {
namespace {

Row complete(FrequencyFeed& f, const reflector::Figures& figures, bool optimum,
             std::optional<double> diameter_m, double units_per_metre) {
  Row row{f.frequency_ghz, optimum, figures, f.wavelength_m * units_per_metre, f.centres, {}, {}, {}, {}};
  const auto at = [&](const std::optional<double>& centre) -> std::optional<double> {
    if (!centre) return std::nullopt;
    return f.feed.phase_efficiency(figures.half_angle, *centre);
  };
  row.eta_phase_engine = at(f.centres.engine);
  row.eta_phase_classic = at(f.centres.classic);
  row.eta_phase_given = at(f.centres.given);
  if (diameter_m) {
    const double uniform = std::pow(std::numbers::pi * *diameter_m / f.wavelength_m, 2);
    row.gain_dbi = decibels(figures.eta.aperture() * uniform);
  }
  return row;
}

}  // namespace

std::optional<double> decibels(double ratio) {
  if (!(ratio > 0.0)) return std::nullopt;
  return 10.0 * std::log10(ratio);
}

Row reflector_row(FrequencyFeed& f, double half_angle, std::optional<double> diameter_m,
                  double units_per_metre) {
  return complete(f, f.feed.figures(half_angle), false, diameter_m, units_per_metre);
}

Row optimum_row(FrequencyFeed& f, std::optional<double> diameter_m, double units_per_metre) {
  return complete(f, f.feed.optimum(), true, diameter_m, units_per_metre);
}

}  // namespace feed
