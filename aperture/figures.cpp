#include "aperture/figures.hpp"

#include <algorithm>
#include <array>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <numbers>
#include <vector>

#include "aperture/quadrature.hpp"

namespace aperture {
namespace {

using std::numbers::pi;
constexpr double degrees = 180.0 / pi;

// Solves f(x) = level between a (f above) and b (f at or below).
template <class F>
double solve(F f, double a, double b, double level) {
  auto g = [&](double x) { return f(x) - level; };
  std::uintmax_t iterations = 100;
  const auto r =
      boost::math::tools::toms748_solve(g, a, b, boost::math::tools::eps_tolerance<double>(40), iterations);
  return (r.first + r.second) / 2.0;
}

// The first x in (0, limit] where f falls to the level, scanning by `step`.
template <class F>
std::optional<double> first_crossing(F f, double level, double step, double limit) {
  double previous = 0.0;
  for (int i = 1;; ++i) {
    const double x = std::min(limit, i * step);
    if (f(x) <= level) return solve(f, previous, x, level);
    if (x >= limit) return std::nullopt;
    previous = x;
  }
}

double scan_step(const Aperture& aperture) { return std::min(0.25 / aperture.ka(), 0.5 / degrees); }

// The power of each plane relative to the axis at theta.
struct RelativePowers {
  const Aperture& aperture;
  double axis = std::norm(aperture.integrals(0.0).i0);
  std::array<double, 2> operator()(double theta) const {
    const Aperture::PlaneFields f = aperture.far_fields(theta);
    return {std::norm(f.e) / axis, std::norm(f.h) / axis};
  }
};

std::size_t index(Plane plane) { return plane == Plane::e ? 0 : 1; }

}  // namespace

double power_ratio(double level_db) { return std::pow(10.0, -level_db / 10.0); }

double directivity(const Aperture& aperture) {
  constexpr int points = 10;
  constexpr double panel_width = 2.5;  // in u
  const QuadratureRule rule = gauss_legendre(points);
  const double ka = aperture.ka();
  const int panels = std::max(1, static_cast<int>(std::ceil(ka / panel_width)));
  double integral = 0.0;
  for (int p = 0; p < panels; ++p) {
    const double from = std::asin(std::min(1.0, p * panel_width / ka));
    const double to = std::asin(std::min(1.0, (p + 1) * panel_width / ka));
    for (int i = 0; i < points; ++i) {
      const double theta = from + (to - from) * rule.nodes[static_cast<std::size_t>(i)];
      const RadialIntegrals I = aperture.integrals(ka * std::sin(theta));
      const double power = std::norm(I.i0 - I.i2) + std::norm(I.i0 + I.i2);
      // theta forward and pi - theta backward share u: obliquity (1 +- cos theta) / 2.
      const double c = std::cos(theta);
      const double obliquity = ((1.0 + c) * (1.0 + c) + (1.0 - c) * (1.0 - c)) / 4.0;
      integral +=
          rule.weights[static_cast<std::size_t>(i)] * (to - from) * power * obliquity * std::sin(theta);
    }
  }
  return 4.0 * std::norm(aperture.integrals(0.0).i0) / integral;
}

std::optional<double> beamwidth(const Aperture& aperture, Plane plane, double level) {
  const RelativePowers powers{aperture};
  auto p = [&](double theta) { return powers(theta)[index(plane)]; };
  const auto theta = first_crossing(p, level, scan_step(aperture), pi / 2.0);
  if (!theta) return std::nullopt;
  return 2.0 * *theta * degrees;
}

std::optional<double> aperture_level_u(const Aperture& aperture, Plane plane, double level) {
  const double axis = std::norm(aperture.aperture_pattern(plane, 0.0));
  auto p = [&](double u) { return std::norm(aperture.aperture_pattern(plane, u)) / axis; };
  constexpr double step = 0.05, limit = 40.0;
  return first_crossing(p, level, step, limit);
}

double fit_phase_centre(std::span<const double> theta, std::span<const double> phase,
                        std::span<const double> weight) {
  double sw = 0.0, sx = 0.0, sy = 0.0;
  for (std::size_t i = 0; i < theta.size(); ++i) {
    const double x = 1.0 - std::cos(theta[i]);
    sw += weight[i];
    sx += weight[i] * x;
    sy += weight[i] * phase[i];
  }
  const double mx = sx / sw, my = sy / sw;
  double sxx = 0.0, sxy = 0.0;
  for (std::size_t i = 0; i < theta.size(); ++i) {
    const double dx = (1.0 - std::cos(theta[i])) - mx;
    sxx += weight[i] * dx * dx;
    sxy += weight[i] * dx * (phase[i] - my);
  }
  if (!(sxx > 0.0)) return std::nan("");
  return sxy / sxx / (2.0 * pi);
}

PhaseCentreFit phase_centre(const Aperture& aperture, Plane plane, double half_angle_deg) {
  const double limit = half_angle_deg / degrees;
  std::vector<double> theta, phase, power;
  // Sample, and sample again twice as densely while neighbours differ by a
  // quarter turn or more, so that the unwrapping cannot skip a turn.
  for (int count = 41;; count = 2 * count - 1) {
    theta.clear();
    phase.clear();
    power.clear();
    double largest_step = 0.0;
    for (int i = 0; i < count; ++i) {
      const double t = limit * i / (count - 1);
      const std::complex<double> f = aperture.far_field(plane, t);
      double angle = std::arg(f);
      if (!phase.empty()) {
        const double step = std::remainder(angle - phase.back(), 2.0 * pi);
        largest_step = std::max(largest_step, std::abs(step));
        angle = phase.back() + step;
      }
      theta.push_back(t);
      phase.push_back(angle);
      power.push_back(std::norm(f));
    }
    if (largest_step < pi / 2.0 || count > 4000) break;
  }
  const std::vector<double> ones(theta.size(), 1.0);
  auto centre = [&](double wavelengths) {
    return PhaseCentre{wavelengths, wavelengths * aperture.wavelength()};
  };
  return {half_angle_deg, centre(fit_phase_centre(theta, phase, ones)),
          centre(fit_phase_centre(theta, phase, power))};
}

Figures figures(const Aperture& aperture) {
  Figures f{};
  f.efficiency = aperture.efficiency();
  f.aperture_formula_db = 10.0 * std::log10(aperture.ka() * aperture.ka() * f.efficiency);
  f.directivity_db = 10.0 * std::log10(directivity(aperture));

  // One scan out from the axis brackets all four crossings (both planes come
  // from the same integrals); each is then solved on its own.
  const RelativePowers powers{aperture};
  struct Wanted {
    Plane plane;
    double level;
    std::optional<double>* width;
    double from = 0.0;
    bool bracketed = false;
  };
  std::array<Wanted, 4> wanted = {
      Wanted{Plane::e, half_power, &f.e_beamwidth_3db}, Wanted{Plane::h, half_power, &f.h_beamwidth_3db},
      Wanted{Plane::e, tenth_power, &f.e_beamwidth_10db}, Wanted{Plane::h, tenth_power, &f.h_beamwidth_10db}};
  const double step = scan_step(aperture);
  double previous = 0.0;
  for (int i = 1; previous < pi / 2.0; ++i) {
    const double theta = std::min(pi / 2.0, i * step);
    const std::array<double, 2> p = powers(theta);
    bool all = true;
    for (Wanted& w : wanted) {
      if (!w.bracketed && p[index(w.plane)] <= w.level) {
        auto one = [&](double t) { return powers(t)[index(w.plane)]; };
        *w.width = 2.0 * solve(one, previous, theta, w.level) * degrees;
        w.bracketed = true;
      }
      all = all && w.bracketed;
    }
    if (all) break;
    previous = theta;
  }

  if (f.e_beamwidth_10db) f.e_phase_centre = phase_centre(aperture, Plane::e, *f.e_beamwidth_10db / 2.0);
  if (f.h_beamwidth_10db) f.h_phase_centre = phase_centre(aperture, Plane::h, *f.h_beamwidth_10db / 2.0);
  return f;
}

}  // namespace aperture
