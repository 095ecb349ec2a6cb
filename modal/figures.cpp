#include "modal/figures.hpp"

#include <algorithm>
#include <boost/math/tools/minima.hpp>
#include <cmath>
#include <numbers>

namespace modal {
namespace {
constexpr double pi = std::numbers::pi;
constexpr double degrees = 180.0 / pi;
}  // namespace

ModalRadiator::ModalRadiator(Guide aperture, std::vector<Complex> forward, double k0)
    : aperture_(std::move(aperture)), forward_(std::move(forward)), k0_(k0), slope_bound_(0.0) {
  const auto root = root_impedance(aperture_, k0_);
  const double a = aperture_.radius;
  for (std::size_t i = 0; i < aperture_.modes.size() && i < forward_.size(); ++i) {
    const double k = aperture_.modes[i].root / a, n = norm(aperture_.modes[i], a);
    const double v = std::abs(root[i] * forward_[i]), current = std::abs(forward_[i] / root[i]);
    const double p = pi * n * k * a * a, dp = pi * n * k * 2.0 * a * a * a / 3.0;
    slope_bound_ += current * p + (v + current) * k0_ * dp;
  }
}

farfield::PlaneFields ModalRadiator::far_fields(double theta) const {
  const Far f = modal::far_field(aperture_, forward_, k0_, theta);
  return {f.e, f.h};
}

double ModalRadiator::wavelength() const { return 2.0 * pi / k0_; }

Figures figures(const HornWave& wave, double k0) {
  Figures f{};
  f.reflection = wave.reflection;
  const double r = std::abs(wave.reflection);
  f.return_loss_db = -20.0 * std::log10(r);
  f.vswr = (1.0 + r) / (1.0 - r);
  const auto propagates = propagating(wave.aperture, k0);
  const Complex te11 = wave.forward.front();
  for (std::size_t i = 0; i < wave.aperture.modes.size(); ++i) {
    const Complex c = wave.forward[i] / te11;
    f.modes.push_back(
        {wave.aperture.modes[i], 20.0 * std::log10(std::abs(c)), std::arg(c) * degrees, propagates[i]});
  }
  const ModalRadiator radiator(wave.aperture, wave.forward, k0);
  f.directivity_db = 10.0 * std::log10(farfield::directivity(radiator));
  using farfield::Plane;
  const Plane planes[] = {Plane::e, Plane::h, Plane::e, Plane::h};
  const double levels[] = {farfield::half_power, farfield::half_power, farfield::tenth_power,
                           farfield::tenth_power};
  std::optional<double>* widths[] = {&f.e_beamwidth_3db, &f.h_beamwidth_3db, &f.e_beamwidth_10db,
                                     &f.h_beamwidth_10db};
  farfield::beamwidths(radiator, planes, levels, widths);
  if (f.e_beamwidth_10db)
    f.e_phase_centre = farfield::phase_centre(radiator, Plane::e, *f.e_beamwidth_10db / 2.0);
  if (f.h_beamwidth_10db)
    f.h_phase_centre = farfield::phase_centre(radiator, Plane::h, *f.h_beamwidth_10db / 2.0);

  // The 45-degree plane's cross-polar peak against the co-polar peak.
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
  f.peak_cross_polar_db = 20.0 * std::log10(best / co_peak);
  f.peak_cross_polar_angle = best_t * degrees;
  return f;
}

}  // namespace modal
