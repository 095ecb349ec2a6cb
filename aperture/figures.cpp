#include "aperture/figures.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "farfield/quadrature.hpp"
#include "numerics/angles.hpp"

namespace aperture {

double directivity(const Aperture& aperture) {
  constexpr int points = 10;
  constexpr double panel_width = 2.5;  // in u
  const farfield::QuadratureRule rule = farfield::gauss_legendre(points);
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

std::optional<double> aperture_level_u(const Aperture& aperture, Plane plane, double level) {
  const double axis = std::norm(aperture.aperture_pattern(plane, 0.0));
  auto p = [&](double u) { return std::norm(aperture.aperture_pattern(plane, u)) / axis; };
  constexpr double step = 0.05, limit = 40.0;
  return farfield::first_crossing(p, level, step, limit);
}

Figures figures(const Aperture& aperture) {
  Figures f{};
  static_cast<farfield::BeamFigures&>(f) = farfield::beam_figures(aperture);
  f.efficiency = aperture.efficiency();
  f.aperture_formula_db = 10.0 * std::log10(aperture.ka() * aperture.ka() * f.efficiency);
  f.directivity_db = 10.0 * std::log10(directivity(aperture));
  return f;
}

}  // namespace aperture
