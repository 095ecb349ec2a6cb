// The far field of a conical horn's aperture by direct integration, in double
// precision: an independent physical check of the classic model.
//
// Model. The aperture (radius a) carries the TE-11 field of the feed,
// E_x = J0(chi rho) + J2(chi rho) cos 2phi, E_y = J2(chi rho) sin 2phi, with
// rho = r / a and chi = 1.8411838 the first zero of J1', times the flare's
// phase exp(-j psi(rho)): quadratic, psi = 2 pi s rho^2 with the phase-error
// parameter s = a^2 / (2 lambda R) of the classic model, or spherical, psi =
// k (sqrt(L^2 + r^2) - L), the exact path difference from the cone's apex at
// L = sqrt(R^2 - a^2) behind the aperture. It radiates with the obliquity
// factor (1 + cos theta) / 2. The azimuthal integrals are closed forms, which
// leaves two radial integrals at u = k a sin theta,
//   I0(u) = int_0^1 J0(chi rho) J0(u rho) exp(-j psi) rho drho,
//   I2(u) = int_0^1 J2(chi rho) J2(u rho) exp(-j psi) rho drho,
// and the plane patterns F_E = (1 + cos theta)/2 (I0 - I2) (E_theta at
// phi = 0) and F_H = (1 + cos theta)/2 (I0 + I2) (E_phi at phi = 90 deg);
// at any phi, |E|^2 = |F_E|^2 cos^2 phi + |F_H|^2 sin^2 phi. Time dependence
// exp(j omega t): a wave that travels farther lags, so a source behind the
// aperture advances the far-field phase by 2 pi delta (1 - cos theta) / lambda.
//
// Accuracy. The radial integrals use one Gauss-Legendre rule (nodes from
// Boost.Math's Legendre zeros) of order N = ceil(0.45 (u_max + chi + 4 pi s))
// + 12, where u_max = max(ka, 12) bounds the u of the visible region and of
// the beamwidth tables and 4 pi s bounds the rate of the aperture phase. The
// rule is exact for polynomials of degree 2N - 1; against twice the order,
// over ka 1 to 200 and s 0 to 1.2 with both phases, both integrals agree
// within 1e-14 of |I0(0)| (an order of 0.35 (...) + 8 still gives 1e-12).
//
// Domain: ka from the TE-11 cut-off (ka = chi: a smaller aperture carries no
// propagating TE-11 field) up to max_ka (the cost of the figures grows as (ka)^2: all
// figures of one frequency take about 0.3 s at ka 600 on one core) and a
// phase error s up to max_phase_error (five times the classic tables' end;
// the radial order grows with s). Lengths in metres, frequency in GHz. A horn
// with a non-finite, zero or negative length or frequency, a slant radius
// shorter than the aperture radius, or beyond the domain, is refused with
// InvalidHorn, whose message names the value and the limit.
#pragma once

#include <complex>
#include <stdexcept>
#include <string>
#include <vector>

#include "farfield/figures.hpp"
#include "numerics/units.hpp"

namespace aperture {

using numerics::speed_of_light;
using numerics::te11_root;  // first zero of J1'
using numerics::wavelength_m;
inline constexpr double max_ka = 600.0;
inline constexpr double max_phase_error = 4.0;

// The TE-11 cut-off frequency (GHz) of a circular guide of radius `radius`
// (m): c chi / (2 pi radius).
inline double te11_cut_off(double radius) { return numerics::te11_cut_off_ghz(radius); }

// The phase-error parameter s = a^2 / (2 lambda R) of an aperture of radius
// a at the end of a cone of slant radius R, and its inverse, the slant radius
// that gives s (lengths in one unit, any).
inline double phase_error_of(double aperture_radius, double wavelength, double slant_radius) {
  return aperture_radius * aperture_radius / (2.0 * wavelength * slant_radius);
}
inline double slant_radius_for(double aperture_radius, double wavelength, double phase_error) {
  return aperture_radius * aperture_radius / (2.0 * wavelength * phase_error);
}

enum class Phase { quadratic, spherical };
using farfield::Plane;

struct Horn {
  double aperture_radius;  // m
  double slant_radius;     // m, cone apex to aperture rim along the wall
  double frequency;        // GHz
};

// A horn given in inches (the classic routines' unit): lengths to metres.
inline Horn horn_from_inches(double aperture_radius, double slant_radius, double frequency) {
  using numerics::metres_per_inch;
  return {aperture_radius * metres_per_inch, slant_radius * metres_per_inch, frequency};
}

class InvalidHorn : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Throws InvalidHorn, naming the first bad value.
void validate(const Horn& horn);

// What every model says of an aperture of this ka below the TE-11 cut-off:
// "ka = 0.9981 lies below the TE-11 cut-off (ka >= 1.841): ...".
std::string below_cut_off(double ka);

// InvalidHorn with those words where the horn's aperture is below the TE-11
// cut-off: every model, the classic routines included, refuses it alike.
void require_above_cut_off(const Horn& horn);

// The two radial integrals at one u.
struct RadialIntegrals {
  std::complex<double> i0, i2;
};

class Aperture : public farfield::Radiator {
 public:
  // radial_order 0 chooses the order from ka and s as above.
  Aperture(const Horn& horn, Phase phase, int radial_order = 0);

  const Horn& horn() const { return horn_; }
  Phase phase() const { return phase_; }
  double wavelength() const override { return wavelength_; }  // m
  double ka() const override { return ka_; }
  double phase_error() const { return phase_error_; }      // s = a^2 / (2 lambda R)
  double apex_distance() const { return apex_distance_; }  // L, m
  int radial_order() const { return static_cast<int>(rho_.size()); }

  // I0 and I2 at u (u >= 0); NaN for a u that is not finite.
  RadialIntegrals integrals(double u) const;

  // The aperture pattern alone, without the obliquity factor, as a function
  // of u: I0 - I2 (E plane) or I0 + I2 (H plane).
  std::complex<double> aperture_pattern(Plane plane, double u) const;

  // F_E or F_H at theta (radians, 0 ... pi), obliquity factor included, on
  // the scale of the integrals (F(0) = I0(0)); NaN for a theta that is not
  // finite.
  std::complex<double> far_field(Plane plane, double theta) const;

  // Both planes at theta from one pair of integrals.
  using PlaneFields = farfield::PlaneFields;
  PlaneFields far_fields(double theta) const override;

  // The bound on |dF/dtheta| of the certified beamwidth scan:
  // field_bound() (ka + 1/2) (|dI/du| <= B times du/dtheta <= ka, and the
  // obliquity factor's slope 1/2 times |I| <= B).
  double slope_bound() const override { return field_bound() * (ka_ + 0.5); }

  // The aperture efficiency: |int E_x exp(-j psi) dA|^2 / (A int |E|^2 dA).
  double efficiency() const;

  // A bound on |I0| + |I2| and on |dI0/du| + |dI2/du| at every u:
  // int (|J0(chi rho)| + |J2(chi rho)|) rho drho, since |J_n| <= 1 and
  // |J_n'| <= 1 for every argument.
  double field_bound() const;

 private:
  Horn horn_;
  Phase phase_;
  double wavelength_, ka_, phase_error_, apex_distance_;
  std::vector<double> rho_;                           // radial nodes on [0, 1]
  std::vector<double> j0_chi_, j2_chi_;               // J0, J2 at chi rho
  std::vector<std::complex<double>> weighted_phase_;  // w rho exp(-j psi(rho))
};

}  // namespace aperture
