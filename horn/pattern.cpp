// Far field of the TE-11 aperture with quadratic phase error: the E- and
// H-plane kernels are built from J0, J1, J2 at chi rho (chi = 1.84118, the
// first zero of J1') and J0, J2 at u rho, weighted by exp(-j beta rho^2).
#include "horn/pattern.hpp"

#include <array>
#include <cmath>
#include <optional>

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

const std::array<ChiBessel, pattern_points>& table() {
  static const std::array<ChiBessel, pattern_points> values = chi_bessel_table();
  return values;
}

// The index of rho among the table's abscissae, searched from `hint` on
// (left at the match); -1 when rho is none of them.
int abscissa_index(const float& rho, int& hint) {
  for (int tries = 0; tries < pattern_points; ++tries, hint = (hint + 1) % pattern_points)
    if (table()[static_cast<std::size_t>(hint)].rho == rho) return hint;
  return -1;
}

ChiBessel chi_bessel_at(const float& rho) {
  const float chi_rho = double(te11_root) * double(rho);
  return {rho, numerics::BESJ(chi_rho, 0.0f), numerics::BESJ(chi_rho, 1.0f), numerics::BESJ(chi_rho, 2.0f)};
}

}  // namespace

// The u rho of every abscissa, then J0 and J2 there by BESJ_each: the same
// bits as BESJ at each, with the sixteen series run side by side.
struct UBessel {
  float u;
  std::array<float, pattern_points> b0, b2;
  explicit UBessel(const float& u_value) : u(u_value) {
    std::array<float, pattern_points> u_rho{};
    for (std::size_t i = 0; i < u_rho.size(); ++i) u_rho[i] = double(table()[i].rho) * double(u);
    numerics::BESJ_each(u_rho, 0.0f, b0);
    numerics::BESJ_each(u_rho, 2.0f, b2);
  }
};

float FINTC(std::span<float> integrand_vector, FintcShared& shared) {
  constexpr float component_offset = 0.1f;
  const float& rho = integrand_vector[0];
  const float& beta = integrand_vector[2];
  const float& u = integrand_vector[3];

  const std::int32_t component =
      numerics::trunc_to_int32(double(integrand_vector[1]) + double(component_offset));
  switch (component) {
    case 1: {
      const int index = abscissa_index(rho, shared.table_hint);
      const ChiBessel chi = index >= 0 ? table()[static_cast<std::size_t>(index)] : chi_bessel_at(rho);
      const float& a0 = chi.a0;
      const float& a1 = chi.a1;
      const float& a2 = chi.a2;
      const float u_rho = double(rho) * double(u);
      const bool looked_up = index >= 0 && shared.u_bessel != nullptr && shared.u_bessel->u == u;
      float b0 = 0.0f, b2 = 0.0f;
      if (u_rho == 0.0f) {  // on the axis J0(0) = 1 and J2(0) = 0 exactly, as the series gives them
        b0 = 1.0f;
      } else if (looked_up) {
        b0 = shared.u_bessel->b0[static_cast<std::size_t>(index)];
        b2 = shared.u_bessel->b2[static_cast<std::size_t>(index)];
      } else {
        b0 = numerics::BESJ(u_rho, 0.0f);
        b2 = numerics::BESJ(u_rho, 2.0f);
      }
      const float s = (double(b0) + double(b2)) / 2.0;  // J1(u rho) / (u rho)
      shared.e_kernel = ((double(b0) - double(b2)) * double(a1) +
                         (double(a0) - double(a2)) * double(te11_root) * double(s) * double(rho)) /
                        2.0;
      shared.h_kernel = double(a1) * double(s) + (double(a0) - double(a2)) * (double(b0) - double(b2)) *
                                                     double(te11_root) * double(rho) / 4.0;
      const AperturePhase* kept = shared.aperture_phase;
      if (index >= 0 && kept != nullptr && kept->beta == beta) {
        const auto i = static_cast<std::size_t>(index);
        shared.phase = kept->phase[i];
        shared.cos_phase = kept->cos[i];
        shared.sin_phase = kept->sin[i];
      } else {
        shared.phase = double(rho) * double(rho) * double(beta);
        shared.cos_phase = std::cos(double(shared.phase));
        shared.sin_phase = std::sin(double(shared.phase));
      }
      return shared.cos_phase * double(shared.e_kernel);
    }
    case 2: return -shared.sin_phase * double(shared.e_kernel);
    case 3: return shared.cos_phase * double(shared.h_kernel);
    case 4: return -shared.sin_phase * double(shared.h_kernel);
    default: return 0.0f;
  }
}

AperturePhase::AperturePhase(const float& beta_value) : beta(beta_value), phase{}, cos{}, sin{} {
  for (std::size_t i = 0; i < phase.size(); ++i) {
    const float rho = table()[i].rho;
    phase[i] = double(rho) * double(rho) * double(beta);
    cos[i] = std::cos(double(phase[i]));
    sin[i] = std::sin(double(phase[i]));
  }
}

float rim_phase(const float& frequency, const float& aperture_radius, const float& slant_radius) {
  constexpr float two_pi = 6.283185f;
  const float wavelength = horn::wavelength(frequency);
  const float s =
      double(aperture_radius) * double(aperture_radius) / (2.0 * double(wavelength) * double(slant_radius));
  return double(two_pi) * double(s);
}

void CHP11(const float& frequency, const float& aperture_radius, const float& slant_radius,
           const float& pattern_angle, float& e_plane_amplitude, float& h_plane_amplitude,
           float& e_plane_phase, float& h_plane_phase) {
  CHP11(frequency, aperture_radius, slant_radius, pattern_angle, e_plane_amplitude, h_plane_amplitude,
        e_plane_phase, h_plane_phase, AperturePhase(rim_phase(frequency, aperture_radius, slant_radius)));
}

void CHP11(const float& frequency, const float& aperture_radius, const float& slant_radius,
           const float& pattern_angle, float& e_plane_amplitude, float& h_plane_amplitude,
           float& e_plane_phase, float& h_plane_phase, const AperturePhase& aperture_phase) {
  constexpr float two_pi = 6.283185f;
  constexpr float pi_squared = 9.869604f;
  constexpr float db_per_neper = 8.68589f;
  constexpr float magnitude_threshold = 1e-6f;
  constexpr float amplitude_floor = -120.0f;

  const float wavelength = horn::wavelength(frequency);
  const float u = (double(two_pi) * double(aperture_radius)) * std::fabs(std::sin(double(pattern_angle))) /
                  double(wavelength);

  std::array<float, 4> integrand_vector{0.0f, 0.0f, 0.0f, 0.0f};
  integrand_vector[2] = rim_phase(frequency, aperture_radius, slant_radius);
  integrand_vector[3] = u;
  std::array<float, 4> integrals{};
  FintcShared shared;
  shared.aperture_phase = &aperture_phase;
  std::optional<UBessel> u_bessel;
  if (u != 0.0f) shared.u_bessel = &u_bessel.emplace(u);  // u is known before the integral
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
