// The figures of any body-of-revolution far field (the aperture engine's,
// the mode-matching engine's): the beamwidths at any level, the
// least-squares phase centres, and the directivity over the sphere, in double
// precision.
//
// Beamwidths: the first angle going out from the axis at which the power
// relative to the axis falls to the level; twice that angle is the full
// width. The scan cannot step over a dip: the relative amplitude A(theta)
// changes no faster than L = B / |C(0)|, with B the radiator's bound on
// |dC/dtheta| (Radiator::slope_bound), so from a sample where A exceeds the
// level's amplitude t by g the next sample lies g / L further on, where A
// cannot yet have reached t. The crossing so bracketed is solved by
// Boost.Math's TOMS 748 root finder to 1e-12 relative. When the level is not
// reached within the forward half-space there is no beamwidth (nullopt).
// Levels are power ratios: the "3 dB" width is the half-power width (ratio
// 0.5), the "10 dB" width that at ratio 0.1.
//
// Phase centre: the least-squares fit of the unwrapped phase of the plane's
// field to phi0 + 2 pi delta (1 - cos theta) over the angles from 0 to the
// fit's half angle, every angle weighted alike: delta minimises
//   int_0^theta_h (phase(theta) - phi0 - 2 pi delta (1 - cos theta))^2 dtheta,
// the limit of the fit to N evenly spaced samples as N grows. The integrals
// are taken by 8-point Gauss-Legendre panels, doubled in number until delta
// moves by less than 1e-7 of itself (or 1e-8 wavelength) and neighbouring
// nodes differ by less than a quarter turn (so that the unwrapping cannot
// skip a turn), at most 512 panels. delta is in wavelengths, positive behind
// the reference point (toward the apex); a point source delta behind it
// gives exactly delta.
//
// Directivity: D = 4 |C(0)|^2 / int_0^pi (|C_E|^2 + |C_H|^2) sin theta
// dtheta (the azimuthal integral of |E|^2 in closed form), by 10-point
// Gauss-Legendre panels over [0, pi] doubled from one a unit of ka until the
// integral moves by less than 1e-10 of itself (at most 2^14 panels).
#pragma once

#include <boost/math/tools/toms748_solve.hpp>

#include <complex>
#include <optional>
#include <span>

namespace farfield {

enum class Plane { e, h };

// C_E (E_theta at phi = 0) and C_H (-E_phi at phi = 90 degrees) of an
// x-polarised body-of-revolution far field, on one scale.
struct PlaneFields {
  std::complex<double> e, h;
};

// The mean edge taper of the E and H planes (dB below the axis) of the
// fields at the edge against those on the axis: -10 log10(|E_edge / E_axis|
// |H_edge / H_axis|), the mean of the two planes' tapers in dB. NaN where a
// plane has no field on the axis.
double mean_edge_taper_db(const PlaneFields& axis, const PlaneFields& edge);

class Radiator {
 public:
  virtual ~Radiator() = default;
  // At theta (radians, 0 ... pi).
  virtual PlaneFields far_fields(double theta) const = 0;
  // The aperture's radius in wavenumbers: the scans step by fractions of
  // one unit of ka sin theta.
  virtual double ka() const = 0;
  virtual double wavelength() const = 0;  // m
  // B with |dC/dtheta| <= B in both planes at every theta.
  virtual double slope_bound() const = 0;

  std::complex<double> far_field(Plane plane, double theta) const {
    const PlaneFields f = far_fields(theta);
    return plane == Plane::e ? f.e : f.h;
  }
};

inline constexpr double half_power = 0.5;     // the "3 dB" level
inline constexpr double tenth_power = 0.1;    // the 10 dB level
inline constexpr double lowest_level = 1e-6;  // -60 dB, the lowest level a beamwidth is sought at

// A level in dB below the axis as a power ratio: 10^(-dB / 10).
double power_ratio(double level_db);

// Full beamwidth in degrees at the level (a power ratio in [lowest_level, 1);
// none for a level outside).
std::optional<double> beamwidth(const Radiator& radiator, Plane plane, double level);
// Several at once from one scan: widths[k] at planes[k] and levels[k].
void beamwidths(const Radiator& radiator, std::span<const Plane> planes, std::span<const double> levels,
                std::span<std::optional<double>* const> widths);

struct PhaseCentreFit {
  double half_angle;   // degrees, the fit's range from the axis
  double wavelengths;  // behind the reference point, toward the apex
  double length;       // the same in metres
};

// The beam figures every engine gives: the full 3 and 10 dB beamwidths of
// both planes (degrees; none where the level is not reached) and each
// plane's least-squares phase centre over its 10 dB half-angle.
struct BeamFigures {
  std::optional<double> e_beamwidth_3db, h_beamwidth_3db, e_beamwidth_10db, h_beamwidth_10db;
  std::optional<PhaseCentreFit> e_phase_centre, h_phase_centre;
};
BeamFigures beam_figures(const Radiator& radiator);

// The fit over 0 ... half_angle_deg (0 < half_angle_deg <= 90; NaN centres
// for another half angle). With `panels` > 0, exactly that many
// Gauss-Legendre panels (for the convergence test); otherwise as many as the
// rule above asks.
PhaseCentreFit phase_centre(const Radiator& radiator, Plane plane, double half_angle_deg, int panels = 0);

// The slope of the least-squares line through (1 - cos theta_i, phase_i)
// with weights w_i, divided by 2 pi: delta in wavelengths. The phases must be
// unwrapped (radians). NaN for fewer than two distinct angles.
double fit_phase_centre(std::span<const double> theta, std::span<const double> phase,
                        std::span<const double> weight);

// D as a power ratio (not dB), integrated over theta.
double directivity(const Radiator& radiator);

// Solves f(x) = level between a (f above) and b (f at or below) by TOMS 748.
template <class F>
double solve_level(F f, double a, double b, double level) {
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
    if (f(x) <= level) return solve_level(f, previous, x, level);
    if (x >= limit) return std::nullopt;
    previous = x;
  }
}

}  // namespace farfield
