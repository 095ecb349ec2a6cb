// What the aperture engine says of a horn at one frequency: the directivity
// integrated over the sphere, the beamwidths at any level, and the phase
// centres fitted to the computed phase.
//
// Directivity: D = 4 |F(0)|^2 / int_0^pi (|F_E|^2 + |F_H|^2) sin theta dtheta
// (the azimuthal integral of |E|^2 done in closed form). The forward and the
// backward hemisphere share their u = ka sin theta, so one set of integrals
// serves both; theta is integrated by 10-point Gauss-Legendre panels, each
// spanning 2.5 in u (two thirds of the main lobe's half width), which agrees
// with 20-point panels 1.0 wide within 2e-11 relative (ka 1 to 200, s 0 to 1.2).
//
// Beamwidths: the first angle going out from the axis at which the power
// relative to the axis falls to the level; twice that angle is the full
// width. The scan cannot step over a dip: the relative amplitude A(theta)
// changes no faster than L = B (ka + 1/2) / |F(0)|, with B the field bound
// (Aperture::field_bound: |I|, |dI/du| <= B, |d obliquity/dtheta| <= 1/2), so
// from a sample where A exceeds the level's amplitude t by g the next sample
// lies g / L further on, where A cannot yet have reached t. The crossing so
// bracketed is solved by Boost.Math's TOMS 748 root finder to 1e-12
// relative. When the level is not reached within the forward half-space there
// is no beamwidth (nullopt). Levels are power ratios: the "3 dB" width of the
// classic model is the half-power width (ratio 0.5), its "10 dB" width that
// at ratio 0.1.
//
// Phase centre: the least-squares fit of the unwrapped phase of the plane's
// field to phi0 + 2 pi delta (1 - cos theta) over the angles from 0 to the
// fit's half angle (each plane's own 10 dB half-angle in Figures), every
// angle weighted alike: delta minimises
//   int_0^theta_h (phase(theta) - phi0 - 2 pi delta (1 - cos theta))^2 dtheta,
// the limit of the fit to N evenly spaced samples as N grows. The integrals
// are taken by 8-point Gauss-Legendre panels, doubled in number until delta
// moves by less than 1e-7 of itself (or 1e-8 wavelength) and neighbouring
// nodes differ by less than a quarter turn (so that the unwrapping cannot
// skip a turn), at most 512 panels; over a 10 dB half-angle a fit with a
// hundred times more nodes agrees within 1e-6 wavelength (test). delta is in
// wavelengths, positive behind the aperture (toward the apex); a point source
// delta behind the aperture gives exactly delta. For wide cones the fitted
// centre, like the classic one, can lie behind the apex.
#pragma once

#include <optional>
#include <span>

#include "aperture/field.hpp"

namespace aperture {

inline constexpr double half_power = 0.5;     // the "3 dB" level
inline constexpr double tenth_power = 0.1;    // the 10 dB level
inline constexpr double lowest_level = 1e-6;  // -60 dB, the lowest level a beamwidth is sought at

// A level in dB below the axis as a power ratio: 10^(-dB / 10).
double power_ratio(double level_db);

// D as a power ratio (not dB).
double directivity(const Aperture& aperture);

// Full beamwidth in degrees at the level (a power ratio in [lowest_level, 1);
// none for a level outside).
std::optional<double> beamwidth(const Aperture& aperture, Plane plane, double level);
// Several at once from one scan: widths[k] at planes[k] and levels[k].
void beamwidths(const Aperture& aperture, std::span<const Plane> planes, std::span<const double> levels,
                std::span<std::optional<double>* const> widths);

// The first u at which the power of the aperture pattern alone (no
// obliquity factor) relative to u = 0 falls to the level, searched up to u = 40.
std::optional<double> aperture_level_u(const Aperture& aperture, Plane plane, double level);

struct PhaseCentreFit {
  double half_angle;   // degrees, the fit's range from the axis
  double wavelengths;  // behind the aperture, toward the apex
  double length;       // the same in metres
};

// The fit over 0 ... half_angle_deg (0 < half_angle_deg <= 90; NaN
// centres for another half angle). With
// `panels` > 0, exactly that many Gauss-Legendre panels (for the convergence
// test); otherwise as many as the rule above asks.
PhaseCentreFit phase_centre(const Aperture& aperture, Plane plane, double half_angle_deg, int panels = 0);

// The slope of the least-squares line through (1 - cos theta_i, phase_i)
// with weights w_i, divided by 2 pi: delta in wavelengths. The phases must be
// unwrapped (radians). NaN for fewer than two distinct angles.
double fit_phase_centre(std::span<const double> theta, std::span<const double> phase,
                        std::span<const double> weight);

// All figures of one frequency: the half-power and 10 dB beamwidths, and each
// plane's phase centre fitted over its own 10 dB half-angle (none where there
// is no 10 dB beamwidth).
struct Figures {
  double efficiency;           // aperture efficiency
  double aperture_formula_db;  // 10 log10((ka)^2 efficiency)
  double directivity_db;       // integrated over the sphere
  std::optional<double> e_beamwidth_3db, h_beamwidth_3db, e_beamwidth_10db, h_beamwidth_10db;  // degrees
  std::optional<PhaseCentreFit> e_phase_centre, h_phase_centre;
};
Figures figures(const Aperture& aperture);

}  // namespace aperture
