// The far field of a horn's aperture from all its modes: the radiation of
// the mode-matching engine, with the far-field conventions of the aperture
// engine (aperture/field.hpp: time dependence exp(j omega t), phases referred
// to the aperture centre, the E- and H-plane patterns C_E = E_theta at
// phi = 0 and C_H = -E_phi at phi = 90 degrees).
//
// Model. The aperture plane carries the transverse fields of the modes
// arriving at it, E_t = sum V_m e_m and eta H_t = sum I_m z x e_m, with V =
// sqrt(Z) (1 + Gamma) c and I = (1 - Gamma) c / sqrt(Z) for a wave c
// arriving and Gamma c going back (modal/horn.hpp: Gamma = 0 for a matched
// aperture; under free space's load V = I for every propagating mode).
// Radiated as equivalent currents J = z x H and M = -z x E on the aperture
// (the field outside it neglected: no rim, no flange), the far field is, per
// mode, with P the Fourier transform of e_m at w = k0 sin theta,
//   C_E(theta) = (V + I cos theta) P_E,   C_H(theta) = (V cos theta + I) P_H,
//   P_E = pi N k int_0^a [s J0(k rho) J0(w rho) - J2(k rho) J2(w rho)] rho drho,
//   P_H = pi N k int_0^a [s J0(k rho) J0(w rho) + J2(k rho) J2(w rho)] rho drho,
// s = +1 for TE, -1 for TM (from e_rho +- e_phi of each mode and J1' +- J1/x
// = J0, J2), k the mode's cut-off wavenumber; the radial integrals are
// Lommel's in closed form. For TE-11 with Z -> 1 (a wide aperture) this is
// the aperture engine's Huygens source, (1 + cos theta) times I0 -+ I2
// (test). The wave impedances replace the Huygens source's 1 + cos theta:
// TE modes radiate (1 + (beta/k0) cos theta) in the E plane and
// (beta/k0 + cos theta) in the H plane, the forms of the literature (A. D.
// Olver et al., "Microwave Horns and Feeds", ch. 2).
//
// Domain. A Kirchhoff aperture without its rim: it holds where the aperture
// is wide (ka >= 8, where the aperture model agrees with full-wave results)
// and in the main beam; below that the rim and the horn's outside shape the
// pattern, so min_ka is enforced by the front ends.
#pragma once

#include <vector>

#include "modal/junction.hpp"

namespace modal {

inline constexpr double min_ka = 8.0;

struct Far {
  Complex e, h;  // C_E and C_H, on one scale
};

// P_E and P_H of one mode of a guide of radius a at w = k0 sin theta (1/m).
struct Transform {
  double e, h;
};
Transform transform(const Mode& mode, double radius, double w);

// The transforms of all a guide's modes, each mode's Bessel values at its k a
// kept, those at w a computed once for all modes: the far field at one angle
// costs three Bessel functions, not six a mode.
// J_n and J_n' (n = 0, 2) at one argument.
struct Bessel02 {
  double j0, j0p, j2, j2p;
};

class Transforms {
 public:
  explicit Transforms(const Guide& guide);
  std::vector<Transform> at(double w) const;

 private:
  struct Own {
    double k, n, s;  // cut-off wavenumber, norm, +1 TE / -1 TM
    Bessel02 at_k;
  };
  double radius_;
  std::vector<Own> own_;
};

// The aperture's far field at theta (radians, 0 ... pi) for waves `forward`
// of the aperture guide's modes at free-space wavenumber k0, each reflected
// by `reflection` (none: a matched aperture).
Far far_field(const Guide& aperture, const std::vector<Complex>& forward, double k0, double theta,
              const std::vector<Complex>& reflection = {});

// What the far field sums at every angle: each aperture mode's modal
// voltage sqrt(Z) (1 + Gamma) a and current (1 - Gamma) a / sqrt(Z).
struct ApertureSources {
  std::vector<Complex> voltage, current;
};
ApertureSources aperture_sources(const Guide& aperture, const std::vector<Complex>& forward, double k0,
                                 const std::vector<Complex>& reflection = {});
// The same far field from the sources and the guide's transforms, both
// built once for many angles.
Far far_field(const Transforms& transforms, const ApertureSources& sources, double k0, double theta);

}  // namespace modal
