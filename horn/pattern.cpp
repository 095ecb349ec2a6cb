// Far field of the TE-11 aperture with quadratic phase error: the E- and
// H-plane kernels are built from J0, J1, J2 at chi rho (chi = 1.84118, the
// first zero of J1') and J0, J2 at u rho, weighted by exp(-j beta rho^2).
#include "horn/pattern.hpp"

#include <array>
#include <cmath>

#include "horn/constants.hpp"
#include "numerics/bessel.hpp"
#include "numerics/checked_math.hpp"
#include "numerics/quadrature.hpp"
#include "numerics/real_to_int.hpp"

namespace horn {
namespace {

constexpr float te11_root = 1.84118f;
constexpr int pattern_points = 16;

// J0, J1 and J2 at chi rho depend only on the abscissa, and CHP11 always
// integrates over [0, 1] with the same rule: they are computed once per
// abscissa, by the same BESJ (so with the same bits), and looked up.
struct ChiBessel {
  float rho;
  float a0, a1, a2;
};

std::array<ChiBessel, pattern_points> chi_bessel_table() {
  namespace gl = numerics::gauss_legendre;
  std::array<ChiBessel, pattern_points> table{};
  std::array<float, 2> vector{};
  std::array<float, 1> unused{};
  int next = 0;
  // Visit the abscissae exactly as the quadrature forms them.
  numerics::GLINA(
      0.0f, 1.0f, vector,
      [&](std::span<float> v) {
        const float chi_rho = double(te11_root) * double(v[0]);
        table[static_cast<std::size_t>(next++)] = {v[0], numerics::BESJ(chi_rho, 0.0f),
                                                   numerics::BESJ(chi_rho, 1.0f),
                                                   numerics::BESJ(chi_rho, 2.0f)};
        return 0.0f;
      },
      pattern_points, unused, 1);
  return table;
}

// The Bessel values at chi rho: from the table when rho is one of its
// abscissae, otherwise computed.
ChiBessel chi_bessel(const float& rho, int& hint) {
  static const std::array<ChiBessel, pattern_points> table = chi_bessel_table();
  for (int tries = 0; tries < pattern_points; ++tries, hint = (hint + 1) % pattern_points) {
    if (table[static_cast<std::size_t>(hint)].rho == rho) return table[static_cast<std::size_t>(hint)];
  }
  const float chi_rho = double(te11_root) * double(rho);
  return {rho, numerics::BESJ(chi_rho, 0.0f), numerics::BESJ(chi_rho, 1.0f), numerics::BESJ(chi_rho, 2.0f)};
}

}  // namespace

float FINTC(std::span<float> integrand_vector, FintcShared& shared) {
  constexpr float component_offset = 0.1f;
  const float& rho = integrand_vector[0];
  const float& beta = integrand_vector[2];
  const float& u = integrand_vector[3];

  const std::int32_t component =
      numerics::trunc_to_int32(double(integrand_vector[1]) + double(component_offset));
  switch (component) {
    case 1: {
      const ChiBessel chi = chi_bessel(rho, shared.table_hint);
      const float& a0 = chi.a0;
      const float& a1 = chi.a1;
      const float& a2 = chi.a2;
      const float u_rho = double(rho) * double(u);
      // On the axis J0(0) = 1 and J2(0) = 0 exactly, as the series gives them.
      const float b0 = u_rho == 0.0f ? 1.0f : numerics::BESJ(u_rho, 0.0f);
      const float b2 = u_rho == 0.0f ? 0.0f : numerics::BESJ(u_rho, 2.0f);
      const float s = (double(b0) + double(b2)) / 2.0;  // J1(u rho) / (u rho)
      shared.e_kernel = ((double(b0) - double(b2)) * double(a1) +
                         (double(a0) - double(a2)) * double(te11_root) * double(s) * double(rho)) /
                        2.0;
      shared.h_kernel = double(a1) * double(s) + (double(a0) - double(a2)) * (double(b0) - double(b2)) *
                                                     double(te11_root) * double(rho) / 4.0;
      shared.phase = double(rho) * double(rho) * double(beta);
      return std::cos(double(shared.phase)) * double(shared.e_kernel);
    }
    case 2: return -std::sin(double(shared.phase)) * double(shared.e_kernel);
    case 3: return std::cos(double(shared.phase)) * double(shared.h_kernel);
    case 4: return -std::sin(double(shared.phase)) * double(shared.h_kernel);
    default: return 0.0f;
  }
}

void CHP11(const float& frequency, const float& aperture_radius, const float& slant_radius,
           const float& pattern_angle, float& e_plane_amplitude, float& h_plane_amplitude,
           float& e_plane_phase, float& h_plane_phase) {
  constexpr float two_pi = 6.283185f;
  constexpr float pi_squared = 9.869604f;
  constexpr float db_per_neper = 8.68589f;
  constexpr float magnitude_threshold = 1e-6f;
  constexpr float amplitude_floor = -120.0f;

  const float wavelength = horn::wavelength(frequency);
  const float s =
      double(aperture_radius) * double(aperture_radius) / (2.0 * double(wavelength) * double(slant_radius));
  const float u = (double(two_pi) * double(aperture_radius)) * std::fabs(std::sin(double(pattern_angle))) /
                  double(wavelength);

  std::array<float, 4> integrand_vector{0.0f, 0.0f, 0.0f, 0.0f};
  integrand_vector[2] = double(two_pi) * double(s);
  integrand_vector[3] = u;
  std::array<float, 4> integrals{};
  FintcShared shared;
  constexpr float lower = 0.0f;
  constexpr float upper = 1.0f;
  constexpr int points = 16;
  constexpr int components = 4;
  numerics::GLINA(
      lower, upper, integrand_vector, [&shared](std::span<float> vector) { return FINTC(vector, shared); },
      points, integrals, components);

  const auto& I = integrals;
  float e_magnitude = numerics::checked_sqrt(double(I[0]) * double(I[0]) + double(I[1]) * double(I[1]));
  float h_magnitude = numerics::checked_sqrt(double(I[2]) * double(I[2]) + double(I[3]) * double(I[3]));

  e_plane_amplitude = amplitude_floor;
  h_plane_amplitude = amplitude_floor;
  e_plane_phase = 0.0f;
  h_plane_phase = 0.0f;

  // (1 + cos theta) is the obliquity factor.
  const float F = (std::cos(double(pattern_angle)) + 1.0) * double(pi_squared) * double(aperture_radius) /
                  double(wavelength);
  e_magnitude = double(e_magnitude) * double(F);
  h_magnitude = double(h_magnitude) * double(F);

  if (!(e_magnitude < magnitude_threshold)) {
    e_plane_amplitude = double(db_per_neper) * numerics::checked_log(double(e_magnitude));
    e_plane_phase = std::atan2(double(I[1]), double(I[0])) / double(radians_per_degree);
  }
  if (!(h_magnitude < magnitude_threshold)) {
    h_plane_amplitude = double(db_per_neper) * numerics::checked_log(double(h_magnitude));
    h_plane_phase = std::atan2(double(I[3]), double(I[2])) / double(radians_per_degree);
  }
}

}  // namespace horn
