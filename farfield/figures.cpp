#include "farfield/figures.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "farfield/quadrature.hpp"
#include "numerics/angles.hpp"

namespace farfield {
namespace {

using std::numbers::pi;
constexpr double degrees = numerics::degrees_per_radian;

// The power of each plane relative to the axis at theta.
struct RelativePowers {
  const Radiator& radiator;
  double axis = std::norm(radiator.far_fields(0.0).e);
  std::array<double, 2> operator()(double theta) const {
    const PlaneFields f = radiator.far_fields(theta);
    return {std::norm(f.e) / axis, std::norm(f.h) / axis};
  }
};

std::size_t index(Plane plane) { return plane == Plane::e ? 0 : 1; }

}  // namespace

double mean_edge_taper_db(const PlaneFields& axis, const PlaneFields& edge) {
  return -(10.0 * std::log10(std::abs(edge.e) / std::abs(axis.e) * std::abs(edge.h) / std::abs(axis.h)));
}

double power_ratio(double level_db) { return std::pow(10.0, -level_db / 10.0); }

std::optional<double> beamwidth(const Radiator& radiator, Plane plane, double level) {
  std::optional<double> width;
  const Plane planes[] = {plane};
  const double levels[] = {level};
  std::optional<double>* widths[] = {&width};
  beamwidths(radiator, planes, levels, widths);
  return width;
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

PhaseCentreFit phase_centre(const Radiator& radiator, Plane plane, double half_angle_deg, int panels) {
  if (!(half_angle_deg > 0.0 && half_angle_deg <= 90.0)) return {half_angle_deg, NAN, NAN};
  constexpr int points = 8;
  const QuadratureRule rule = gauss_legendre(points);
  const double limit = half_angle_deg / degrees;
  const std::complex<double> axis = radiator.far_field(plane, 0.0);
  // delta from `count` panels, and whether neighbouring nodes stay within a
  // quarter turn of each other.
  auto fit = [&](int count) {
    std::vector<double> theta, phase, weight;
    double previous = std::arg(axis), largest_step = 0.0;
    for (int p = 0; p < count; ++p)
      for (int i = 0; i < points; ++i) {
        const double width = limit / count;
        const double t = width * (p + rule.nodes[static_cast<std::size_t>(i)]);
        const double step = std::remainder(std::arg(radiator.far_field(plane, t)) - previous, 2.0 * pi);
        largest_step = std::max(largest_step, std::abs(step));
        previous += step;
        theta.push_back(t);
        phase.push_back(previous);
        weight.push_back(width * rule.weights[static_cast<std::size_t>(i)]);
      }
    return std::pair(fit_phase_centre(theta, phase, weight), largest_step < pi / 2.0);
  };
  auto centre = [&](double wavelengths) {
    return PhaseCentreFit{half_angle_deg, wavelengths, wavelengths * radiator.wavelength()};
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

void beamwidths(const Radiator& radiator, std::span<const Plane> planes, std::span<const double> levels,
                std::span<std::optional<double>* const> widths) {
  // One scan out from the axis brackets every crossing (both planes come
  // from the same integrals); each is then solved on its own.
  const RelativePowers powers{radiator};
  const double slope = radiator.slope_bound() / std::sqrt(powers.axis);
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
  const double least_width = 1e-3 / radiator.ka();
  auto bracket = [&](auto&& self, double a, const std::array<double, 2>& pa, double b,
                     const std::array<double, 2>& pb) -> void {
    bool open = false;
    for (std::size_t k = 0; k < n; ++k) {
      if (bracketed[k]) continue;
      const double ga = gap(pa, k), gb = gap(pb, k);
      if (b - a <= least_width) {
        if (gb <= 0.0) {
          auto one = [&](double t) { return powers(t)[index(planes[k])]; };
          *widths[k] = 2.0 * solve_level(one, a, b, levels[k]) * degrees;
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
  const double step = std::min(0.25 / radiator.ka(), 0.5 / degrees);
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

double directivity(const Radiator& radiator) {
  constexpr int points = 10;
  constexpr int most_panels = 1 << 14;
  const QuadratureRule rule = gauss_legendre(points);
  auto integral = [&](int panels) {
    double sum = 0.0;
    const double width = pi / panels;
    for (int p = 0; p < panels; ++p)
      for (int i = 0; i < points; ++i) {
        const double theta = width * (p + rule.nodes[static_cast<std::size_t>(i)]);
        const PlaneFields f = radiator.far_fields(theta);
        sum += width * rule.weights[static_cast<std::size_t>(i)] * (std::norm(f.e) + std::norm(f.h)) *
               std::sin(theta);
      }
    return sum;
  };
  int panels = std::max(4, static_cast<int>(std::ceil(radiator.ka())));
  double previous = integral(panels);
  for (panels *= 2; panels <= most_panels; panels *= 2) {
    const double next = integral(panels);
    const bool converged = std::abs(next - previous) <= 1e-10 * std::abs(next);
    previous = next;
    if (converged) break;
  }
  return 4.0 * std::norm(radiator.far_fields(0.0).e) / previous;
}

BeamFigures beam_figures(const Radiator& radiator) {
  BeamFigures f;
  const Plane planes[] = {Plane::e, Plane::h, Plane::e, Plane::h};
  const double levels[] = {half_power, half_power, tenth_power, tenth_power};
  std::optional<double>* widths[] = {&f.e_beamwidth_3db, &f.h_beamwidth_3db, &f.e_beamwidth_10db,
                                     &f.h_beamwidth_10db};
  beamwidths(radiator, planes, levels, widths);
  if (f.e_beamwidth_10db) f.e_phase_centre = phase_centre(radiator, Plane::e, *f.e_beamwidth_10db / 2.0);
  if (f.h_beamwidth_10db) f.h_phase_centre = phase_centre(radiator, Plane::h, *f.h_beamwidth_10db / 2.0);
  return f;
}

}  // namespace farfield
