// The method of moments for perfectly conducting bodies of revolution, in
// the azimuthal orders m = +1 and -1 that a TE-11 feed and an x-polarised
// plane wave along the axis excite (J. R. Mautz and R. F. Harrington,
// Appl. Sci. Res. 20, 1969): the electric-field integral equation on the
// generating curve, each surface a sheet of no thickness (an open surface
// carries the sum of its two sides' currents) or the closed outline of a
// solid, in double precision.
//
// Currents. On the curve t (arc length, metres) with its points (rho, z),
// J = sum_n [a_n T_n(t) / rho t^ + b_n T_n(t) / rho phi^] e^{j m phi}, T_n
// the triangle of the n-th interior node (A. W. Glisson and D. R. Wilton,
// IEEE Trans. AP 28, 1980): rho J is continuous, the t-current vanishes at
// a free edge, and both stay finite where the curve meets the axis. Galerkin
// testing with the same functions times e^{-j m phi}.
//
// Kernels. The phi integrals of e^{-jkR} / (4 pi R) against cos(m alpha),
// cos(alpha) cos(m alpha) and sin(alpha) sin(m alpha), alpha = phi - phi':
// the static part 1 / (4 pi R) in closed form by the complete elliptic
// integrals K and E (m = 1), the rest, (e^{-jkR} - 1) / (4 pi R), bounded
// and periodic, by the trapezoidal rule (spectrally accurate; the samples
// grow with k rho, as S. D. Gedney and R. Mittra's FFT evaluation, IEEE
// Trans. AP 38, 1990). The logarithmic singularity of K where the two
// points meet is integrated along the curve analytically.
//
// Accuracy: the far field converges as the segments' length squared (the
// chords' distance from a curved surface, and the triangles, both h^2): a
// sphere of ka = 1 back-scatters within 0.5 % of the Mie series with 20
// chords, 0.12 % with 40, and the extrapolation of the two within 5e-4;
// the scattered power equals the extinction (optical theorem) to 2e-5
// (tests/bor_test.cpp). 40 chords take 15 ms.
// Domain: the electric-field equation of a closed body fails at its
// interior resonances (a sphere at ka = 2.744, 3.870, 4.493, ...), the
// combined-field one (Equation::combined) does not; open sheets, the horns'
// thin walls, have none and take the electric equation.
#pragma once

#include <complex>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "modal/matrix.hpp"
#include "modal/modes.hpp"

namespace bor {

using Complex = std::complex<double>;

struct Point {
  double rho, z;  // metres
};

// The generating curve cut into segments no longer than `max_segment`
// (metres), each of the given pieces split evenly.
class Curve {
 public:
  Curve(const std::vector<Point>& corners, double max_segment);
  const std::vector<Point>& nodes() const { return nodes_; }
  std::size_t segments() const { return nodes_.size() - 1; }
  // The interior nodes, each carrying a t- and a phi-triangle: the unknowns
  // are 2 (nodes - 2).
  std::size_t unknowns() const { return 2 * (nodes_.size() - 2); }

 private:
  std::vector<Point> nodes_;
};

// The solved currents of order m = +1 (those of m = -1 follow by symmetry
// for the x-polarised excitations: a_n(-1) = a_n(+1), b_n(-1) = -b_n(+1)).
struct Currents;

// An aperture closed by metal (the equivalence principle): a disc of the
// curve, from the axis to `radius` in the plane z = `z`, carrying the
// magnetic current M = E x z^ of the field E that the horn's inside puts
// there, x-polarised: E_rho = e_rho(rho) cos phi, E_phi = -e_phi(rho) sin phi
// (V/m). Outside, the field is that of M beside the closed body.
struct ApertureField {
  double radius, z;
  std::function<std::pair<Complex, Complex>(double rho)> field;  // e_rho, e_phi
};
// The TE-11 mode's field of a guide of that radius, 1 V/m on the axis.
ApertureField te11_aperture(double radius, double z);

struct Currents {
  std::vector<Complex> t, phi;            // a_n, b_n of the interior nodes, amperes
  std::optional<ApertureField> aperture;  // the magnetic current's, radiating too
};

// The far field r e^{jkr} E of an x-polarised current of orders +1 and -1
// at (theta, phi): E_theta = F_e(theta) cos phi, E_phi = -F_h(theta) sin phi.
struct FarField {
  Complex e, h;  // volts
};

struct RadiatingSample {
  double rho, z, drho, dz;     // the point and the curve's direction there
  Complex t, phi, m_t, m_phi;  // currents times weights: A m, and V m on the disc
};

// The integral equation: the electric field's (any body, open sheets
// included), or the combined field's, half the electric and eta times half
// the magnetic (a closed body only: a curve from the axis back to the axis),
// which has no interior resonance (J. R. Mautz and R. F. Harrington, AEU
// 32, 1978).
enum class Equation { electric, combined };

// The moment matrix of order m = 1 at wavenumber k (1/m), and its solution
// for an excitation.
class Solver {
 public:
  // `refinement` multiplies the quadrature's orders and angular samples (1:
  // the programs'; 2 shows that the figures have settled in them).
  Solver(const Curve& curve, double k, Equation equation = Equation::electric, int refinement = 1);
  // The currents for the incident plane wave x^ E0 e^{-jkz}, E0 = 1 V/m.
  Currents plane_wave() const;
  // The currents that the aperture's magnetic current drives on the body.
  // The disc must be part of the curve; std::invalid_argument otherwise.
  Currents aperture(const ApertureField& aperture) const;
  // The generalised admittance the outside presents to the aperture guide's
  // modes (modal/modes.hpp's, of the guide of `radius` ending in the disc at
  // `z`): I = Y V in the mode-matching engine's waves (modal/radiation.hpp:
  // E = sum V_n e_n, H = sum I_n z^ x e_n / eta). Y(m, n) = -eta int J_n .
  // e_m over the disc, J_n the currents mode n's field drives there (just
  // outside the closed disc H = J x z^). Reciprocity makes it symmetric.
  modal::Matrix aperture_admittance(const std::vector<modal::Mode>& modes, double radius, double z) const;
  // The far-field amplitudes of both orders' currents together.
  FarField far_field(const Currents& currents, double theta) const;
  // What the far field sums at every angle: each quadrature point of the
  // curve with its electric and (on the aperture's disc) magnetic currents
  // times the point's weight.
  std::vector<RadiatingSample> radiating_samples(const Currents& currents) const;
  double wavenumber() const { return k_; }

 private:
  Currents solved(const modal::Matrix& excitation) const;
  modal::Matrix excitations(const std::vector<ApertureField>& fields) const;
  // The combined equation: half the electric, eta / 2 times the magnetic.
  void assemble_combined();
  const Curve& curve_;
  double k_;
  Equation equation_;
  int refinement_;
  double normal_sign_ = 1.0;  // n^ = sign phi^ x t^, outward
  modal::Matrix z_;           // t-unknowns first, then phi
};

// The far field of the samples' currents at wavenumber k (1/m).
FarField radiate(const std::vector<RadiatingSample>& samples, double k, double theta);

// The impedance of free space (ohm, CODATA 2018).
inline constexpr double eta0 = 376.730313412;

}  // namespace bor
