#include "aperture/figures.hpp"

#include <algorithm>
#include <array>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "aperture/quadrature.hpp"
#include "numerics/angles.hpp"

namespace aperture {
namespace {

using std::numbers::pi;
constexpr double degrees = numerics::degrees_per_radian;

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

// The power of each plane relative to the axis at theta.
struct RelativePowers {
  const Aperture& aperture;
  double axis = std::norm(aperture.integrals(0.0).i0);
  std::array<double, 2> operator()(double theta) const {
    const Aperture::PlaneFields f = aperture.far_fields(theta);
    return {std::norm(f.e) / axis, std::norm(f.h) / axis};
  }
};

// The bound L on |dA/dtheta| of the relative amplitude (header).
double amplitude_slope_bound(const Aperture& aperture, double axis_power) {
  return aperture.field_bound() * (aperture.ka() + 0.5) / std::sqrt(axis_power);
}

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
  std::optional<double> width;
  const Plane planes[] = {plane};
  const double levels[] = {level};
  std::optional<double>* widths[] = {&width};
  beamwidths(aperture, planes, levels, widths);
  return width;
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

PhaseCentreFit phase_centre(const Aperture& aperture, Plane plane, double half_angle_deg, int panels) {
  if (!(half_angle_deg > 0.0 && half_angle_deg <= 90.0)) return {half_angle_deg, NAN, NAN};
  constexpr int points = 8;
  const QuadratureRule rule = gauss_legendre(points);
  const double limit = half_angle_deg / degrees;
  const std::complex<double> axis = aperture.far_field(plane, 0.0);
  // delta from `count` panels, and whether neighbouring nodes stay within a
  // quarter turn of each other.
  auto fit = [&](int count) {
    std::vector<double> theta, phase, weight;
    double previous = std::arg(axis), largest_step = 0.0;
    for (int p = 0; p < count; ++p)
      for (int i = 0; i < points; ++i) {
        const double width = limit / count;
        const double t = width * (p + rule.nodes[static_cast<std::size_t>(i)]);
        const double step = std::remainder(std::arg(aperture.far_field(plane, t)) - previous, 2.0 * pi);
        largest_step = std::max(largest_step, std::abs(step));
        previous += step;
        theta.push_back(t);
        phase.push_back(previous);
        weight.push_back(width * rule.weights[static_cast<std::size_t>(i)]);
      }
    return std::pair(fit_phase_centre(theta, phase, weight), largest_step < pi / 2.0);
  };
  auto centre = [&](double wavelengths) {
    return PhaseCentreFit{half_angle_deg, wavelengths, wavelengths * aperture.wavelength()};
  };
  if (panels > 0) return centre(fit(panels).first);

  constexpr int most_panels = 1 << 9;
  auto [delta, smooth] = fit(2);
  for (int count = 4; count <= most_panels; count *= 2) {
    const auto [next, next_smooth] = fit(count);
    // NaN: angles so small that 1 - cos theta vanishes; more nodes change nothing.
    if (std::isnan(next)) return centre(next);
    const bool converged = std::abs(next - delta) <= std::max(1e-7 * std::abs(next), 1e-8);
    delta = next;
    // Smoothness is asked of the first 256 panels only: a true null in the
    // range (a fit beyond the main lobe) makes the phase jump however fine
    // the nodes, and the value alone then decides.
    if (converged && ((smooth && next_smooth) || count >= 256)) break;
    smooth = next_smooth;
  }
  return centre(delta);
}

void beamwidths(const Aperture& aperture, std::span<const Plane> planes, std::span<const double> levels,
                std::span<std::optional<double>* const> widths) {
  // One scan out from the axis brackets every crossing (both planes come
  // from the same integrals); each is then solved on its own.
  const RelativePowers powers{aperture};
  const double slope = amplitude_slope_bound(aperture, powers.axis);
  const std::size_t n = planes.size();
  std::vector<bool> bracketed(n, false);
  for (auto* w : widths) w->reset();
  // Levels from -60 dB up: below, the scan would have to crawl into every
  // null of the pattern to tell whether it reaches so low.
  for (std::size_t k = 0; k < n; ++k) bracketed[k] = !(levels[k] >= lowest_level && levels[k] < 1.0);
  // gap_k = A - t_k: the amplitude's distance above the k-th level.
  auto gap = [&](const std::array<double, 2>& p, std::size_t k) {
    return std::sqrt(p[index(planes[k])]) - std::sqrt(levels[k]);
  };
  // An interval [a, b] is clear of the k-th level when both ends lie above
  // it and gap(a) + gap(b) >= L (b - a): the amplitude, falling no faster
  // than L from either end, cannot reach the level in between. An interval
  // that is not clear is halved, the left half first, down to least_width
  // (a thousandth of a unit of u); an end at or below the level there
  // brackets the first crossing.
  const double least_width = 1e-3 / aperture.ka();
  auto bracket = [&](auto&& self, double a, const std::array<double, 2>& pa, double b,
                     const std::array<double, 2>& pb) -> void {
    bool open = false;
    for (std::size_t k = 0; k < n; ++k) {
      if (bracketed[k]) continue;
      const double ga = gap(pa, k), gb = gap(pb, k);
      if (b - a <= least_width) {
        if (gb <= 0.0) {
          auto one = [&](double t) { return powers(t)[index(planes[k])]; };
          *widths[k] = 2.0 * solve(one, a, b, levels[k]) * degrees;
          bracketed[k] = true;
        }
      } else if (gb <= 0.0 || ga + gb < slope * (b - a)) {
        open = true;
      }
    }
    if (!open) return;
    const double m = (a + b) / 2.0;
    const std::array<double, 2> pm = powers(m);
    self(self, a, pa, m, pm);
    self(self, m, pm, b, pb);
  };
  // Steps of at most a quarter of a unit of u (half a degree), longer where
  // the amplitude lies far above every level.
  const double step = std::min(0.25 / aperture.ka(), 0.5 / degrees);
  double a = 0.0;
  std::array<double, 2> pa = powers(0.0);
  while (a < pi / 2.0 && !std::all_of(bracketed.begin(), bracketed.end(), [](bool b) { return b; })) {
    double least_gap = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < n; ++k)
      if (!bracketed[k]) least_gap = std::min(least_gap, gap(pa, k));
    const double b = std::min(pi / 2.0, a + std::max(step, least_gap / slope));
    const std::array<double, 2> pb = powers(b);
    bracket(bracket, a, pa, b, pb);
    a = b;
    pa = pb;
  }
}

Figures figures(const Aperture& aperture) {
  Figures f{};
  f.efficiency = aperture.efficiency();
  f.aperture_formula_db = 10.0 * std::log10(aperture.ka() * aperture.ka() * f.efficiency);
  f.directivity_db = 10.0 * std::log10(directivity(aperture));

  const Plane planes[] = {Plane::e, Plane::h, Plane::e, Plane::h};
  const double levels[] = {half_power, half_power, tenth_power, tenth_power};
  std::optional<double>* widths[] = {&f.e_beamwidth_3db, &f.h_beamwidth_3db, &f.e_beamwidth_10db,
                                     &f.h_beamwidth_10db};
  beamwidths(aperture, planes, levels, widths);

  if (f.e_beamwidth_10db) f.e_phase_centre = phase_centre(aperture, Plane::e, *f.e_beamwidth_10db / 2.0);
  if (f.h_beamwidth_10db) f.h_phase_centre = phase_centre(aperture, Plane::h, *f.h_beamwidth_10db / 2.0);
  return f;
}

}  // namespace aperture
