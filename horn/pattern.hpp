// CHP11: far field of the TE-11 conical horn at angle theta from the axis, in
// the E and H planes: amplitude in dB (not normalised) and phase in degrees.
// The radiation integral over the normalised aperture radius is evaluated by
// 16-point Gauss-Legendre quadrature of the four-component integrand FINTC
// (real and imaginary parts of the E- and H-plane integrals).
//
// A plane whose scaled field is below 1e-6 gets -120 dB and phase 0 (so does
// theta = pi); a NaN field passes that test and comes out as NaN.
#pragma once

#include <span>

namespace horn {

// Values that FINTC computes on its call for component 1 at an abscissa and
// reuses for components 2 to 4 at the same abscissa. The caller of the
// quadrature owns it.
struct FintcShared {
  float e_kernel = 0.0f;
  float h_kernel = 0.0f;
  float phase = 0.0f;
  int table_hint = 0;  // where the next abscissa is likely to be in FINTC's table
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

}  // namespace horn
