#include "modal/figures.hpp"

#include <algorithm>
#include <boost/math/tools/minima.hpp>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace modal {
namespace {
constexpr double pi = std::numbers::pi;
constexpr double degrees = 180.0 / pi;
}  // namespace

ModalRadiator::ModalRadiator(Guide aperture, const std::vector<Complex>& forward, double k0,
                             const std::vector<Complex>& reflection)
    : aperture_(std::move(aperture)),
      transforms_(aperture_),
      sources_(aperture_sources(aperture_, forward, k0, reflection)),
      k0_(k0),
      slope_bound_(0.0) {
  const double a = aperture_.radius;
  for (std::size_t i = 0; i < sources_.voltage.size(); ++i) {
    const double k = aperture_.modes[i].root / a, n = norm(aperture_.modes[i], a);
    const double v = std::abs(sources_.voltage[i]), current = std::abs(sources_.current[i]);
    const double p = pi * n * k * a * a, dp = pi * n * k * 2.0 * a * a * a / 3.0;
    slope_bound_ += current * p + (v + current) * k0_ * dp;
  }
}

ModalRadiator::ModalRadiator(const HornWave& wave, double k0)
    : ModalRadiator(wave.aperture, wave.forward, k0, wave.aperture_reflection) {}

farfield::PlaneFields ModalRadiator::far_fields(double theta) const {
  const Far f = modal::far_field(transforms_, sources_, k0_, theta);
  return {f.e, f.h};
}

double ModalRadiator::wavelength() const { return 2.0 * pi / k0_; }

Match match(const HornWave& wave, double k0) {
  Match f{};
  f.reflection = wave.reflection;
  const double r = std::abs(wave.reflection);
  f.te11_return_loss_db = -20.0 * std::log10(r);
  f.vswr = (1.0 + r) / (1.0 - r);
  const auto in_guide = propagating(wave.input, k0);
  double reflected = 0.0;
  f.guide_modes = 0;
  for (std::size_t i = 0; i < wave.reflected.size() && i < in_guide.size(); ++i)
    if (in_guide[i]) {
      reflected += std::norm(wave.reflected[i]);
      ++f.guide_modes;
      f.guide_reflections.push_back({wave.input.modes[i], -10.0 * std::log10(std::norm(wave.reflected[i]))});
    }
  f.guide_modes = std::max<std::size_t>(f.guide_modes, 1);
  f.return_loss_db = f.guide_modes > 1 ? -10.0 * std::log10(reflected) : f.te11_return_loss_db;
  f.uncertainty = wave.settled_change;
  f.settled = wave.settled;
  const auto propagates = propagating(wave.aperture, k0);
  const Complex te11 = wave.forward.front();
  f.modes.reserve(wave.aperture.modes.size());
  for (std::size_t i = 0; i < wave.aperture.modes.size(); ++i) {
    const Complex c = wave.forward[i] / te11;
    f.modes.push_back(
        {wave.aperture.modes[i], 20.0 * std::log10(std::abs(c)), std::arg(c) * degrees, propagates[i]});
  }
  return f;
}

bool radiation_holds(double aperture_radius, double k0) { return k0 * aperture_radius >= min_ka; }

void check_radiation_domain(double aperture_radius, double k0) {
  if (radiation_holds(aperture_radius, k0)) return;
  char text[200];
  std::snprintf(text, sizeof text,
                "ka = %.4g: the mode-matching engine radiates apertures of ka >= %g only (below, the rim and "
                "the horn's outside shape the pattern)",
                k0 * aperture_radius, min_ka);
  throw OutsideRadiationDomain(text);
}

Figures figures(const HornWave& wave, double k0) {
  check_radiation_domain(wave.radiating_radius(), k0);
  Figures f{};
  static_cast<Match&>(f) = match(wave, k0);
  const ModalRadiator radiator(wave, k0);
  f.directivity_db = 10.0 * std::log10(farfield::directivity(radiator));
  static_cast<farfield::BeamFigures&>(f) = farfield::beam_figures(radiator);
  const CrossPolarPeak peak = peak_cross_polar(radiator);
  f.peak_cross_polar_db = peak.db;
  f.peak_cross_polar_angle = peak.angle;
  return f;
}

CrossPolarPeak peak_cross_polar(const farfield::Radiator& radiator) {
  const auto cross = [&](double t) {
    const auto p = radiator.far_fields(t);
    return std::abs(p.e - p.h) / 2.0;
  };
  const auto co = [&](double t) {
    const auto p = radiator.far_fields(t);
    return std::abs(p.e + p.h) / 2.0;
  };
  const double step = std::min(0.25 / radiator.ka(), 0.5 / degrees);
  double best_t = 0.0, best = -1.0, co_peak = co(0.0);
  for (double t = step; t <= pi / 2.0; t += step) {
    const double x = cross(t);
    co_peak = std::max(co_peak, co(t));
    if (x > best) best = x, best_t = t;
  }
  std::uintmax_t iterations = 100;
  const auto [t, value] =
      boost::math::tools::brent_find_minima([&](double x) { return -cross(x); }, std::max(0.0, best_t - step),
                                            std::min(pi / 2.0, best_t + step), 30, iterations);
  if (-value > best) best = -value, best_t = t;
  return {20.0 * std::log10(best / co_peak), best_t * degrees};
}

}  // namespace modal
