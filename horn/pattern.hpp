// CHP11: far field of the TE-11 conical horn at angle theta from the axis, in
// the E and H planes: amplitude in dB (not normalised) and phase in degrees.
// The radiation integral over the normalised aperture radius is evaluated by
// 16-point Gauss-Legendre quadrature of the four-component integrand FINTC
// (real and imaginary parts of the E- and H-plane integrals).
//
// A plane whose scaled field is below 1e-6 gets -120 dB and phase 0 (so does
// theta = pi); a NaN field passes that test and comes out as NaN.
#pragma once

#include <array>
#include <span>

namespace horn {

// J0 and J2 at u rho for every abscissa of CHP11's rule, in the order of
// FINTC's table, computed before the integral for one u.
struct UBessel;

// The aperture phase beta rho^2 at every abscissa of CHP11's rule, with its
// cosine and sine. It depends on the horn and the frequency, not on the
// angle: a caller that asks CHP11 for several angles of one horn (CHPCE)
// computes it once. beta = 2 pi s, as CHP11 forms it (rim_phase).
struct AperturePhase {
  float beta;
  std::array<float, 16> phase;
  std::array<double, 16> cos, sin;
  explicit AperturePhase(const float& beta);
};

// beta = 2 pi s for a horn at a frequency, in CHP11's arithmetic.
float rim_phase(const float& frequency, const float& aperture_radius, const float& slant_radius);

// Values that FINTC computes on its call for component 1 at an abscissa and
// reuses for components 2 to 4 at the same abscissa. The caller of the
// quadrature owns it.
struct FintcShared {
  float e_kernel = 0.0f;
  float h_kernel = 0.0f;
  float phase = 0.0f;
  double cos_phase = 0.0, sin_phase = 0.0;  // of phase: each asked for twice, computed once
  int table_hint = 0;                       // where the next abscissa is likely to be in FINTC's table
  const UBessel* u_bessel = nullptr;
  const AperturePhase* aperture_phase = nullptr;  // when the caller computed it for the integrand's beta //
                                                  // when the caller computed them for the integrand's u
};

// integrand_vector: [0] rho (0 ... 1), [1] component number 1.0 ... 4.0,
// [2] rim phase beta = 2 pi s (radians), [3] u = k a |sin theta|.
// Returns the component named by [1] at rho; components 2 to 4 are valid only
// right after component 1 at the same rho. Any other component number gives 0.
float FINTC(std::span<float> integrand_vector, FintcShared& shared);

// frequency in GHz, aperture_radius and slant_radius in inches, pattern_angle
// in radians; amplitudes in dB, phases in degrees within -180 ... 180.
void CHP11(const float& frequency, const float& aperture_radius, const float& slant_radius,
           const float& pattern_angle, float& e_plane_amplitude, float& h_plane_amplitude,
           float& e_plane_phase, float& h_plane_phase);

// The same, with the aperture phase of the horn and frequency (rim_phase)
// computed beforehand: the same results.
void CHP11(const float& frequency, const float& aperture_radius, const float& slant_radius,
           const float& pattern_angle, float& e_plane_amplitude, float& h_plane_amplitude,
           float& e_plane_phase, float& h_plane_phase, const AperturePhase& aperture_phase);

}  // namespace horn
