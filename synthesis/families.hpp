// The horn families the synthesis designs, each as a published design rule
// (the starting design) and a set of free parameters the optimiser moves
// within bounds, and the wall profile of a design (modal/horn.hpp's points,
// metres) for the mode-matching engine.
//
// corrugated: C. Granet and G. L. James, "Design of corrugated horns: a
//   primer", IEEE Antennas Propagat. Mag. 47(2), 2005. Centre frequency
//   f_c = sqrt(f_min f_max); input radius a_i = 3 / k_c (unless the feeding
//   guide is given); pitch p = lambda_c / 8 (the primer's lambda/10 to
//   lambda/5), slot width 0.8 p; a mode converter of N_MC = 5 slots whose
//   depths run from sigma lambda_c (sigma = 0.42) down to the quarter wave,
//   d_j = (sigma - (j - 1) (sigma - 1/4) / N_MC) lambda_c F(k_c a_j), then
//   d_j = lambda_c / 4 F(k_c a_j), F(x) = exp(1 / (2.114 x^1.134)) (the
//   balanced-hybrid depth of a slot on a curved wall, deeper than a quarter
//   wave where the radius is small). The profile from a_i to a_o is the
//   primer's sine-squared blend a(z) = a_i + (a_o - a_i) ((1 - A) z / L +
//   A sin^2(pi z / 2L)) (A = 0: linear). The aperture a_o from the pattern
//   by the Gaussian beam the HE-11 aperture field couples to (98 %, waist
//   w = 0.6435 a_o; R. J. Wylde, IEE Proc. H 131, 1984): a taper T (dB) at
//   theta from the axis asks k w = 2 sqrt(T / 8.686) / tan(theta). The
//   length makes the aperture's phase error a_o^2 / (2 lambda_c L) one
//   eighth of a wavelength (a narrow-flare horn, whose beam is set by its
//   aperture). Free: a_o, L, A, sigma and a scale of the quarter-wave depths.
// potter: P. D. Potter, "A new horn antenna with suppressed sidelobes and
//   equal beamwidths", Microwave Journal 6, 1963. A step from the input
//   guide (TM-11 cut off at f_max: k_max a_i = 0.95 x 3.832) to a radius
//   where TM-11 propagates from f_min (k_min a_1 = 1.1 x 3.832), a phasing
//   cylinder, and a flare to a_o (sized as for the corrugated horn) whose
//   phase error is an eighth of a wavelength; the phasing length brings
//   TM-11 and TE-11 from the step to the aperture in phase at f_c (their
//   phase constants' difference integrated along the wall, a whole number
//   of turns). Free: a_1, the phasing length, the flare length, a_o.
// profiled: a smooth wall through spline control radii (C. Granet et al.,
//   "A smooth-walled spline-profile horn as an alternative to the corrugated
//   horn for wide band millimeter-wave applications", IEEE Trans. Antennas
//   Propagat. 52(3), 2004): four control radii at equal steps of the length
//   between a_i and a_o, joined by a monotone cubic (Fritsch and Carlson,
//   SIAM J. Numer. Anal. 17, 1980), started on the sine-squared profile
//   (A = 1) sized as for the corrugated horn. Free: a_o, L and the control
//   radii as fractions of a_o - a_i.
// choke: a choke-ring ("scalar") feed (A. J. Wohlleben, H. Mattes and O.
//   Lochner, Electronics Letters 8, 1972; P.-S. Kildal, "Foundations of
//   Antennas", on choke feeds): an open guide of radius a (k_c a = 2.45
//   unless given; wall t, 0.04 lambda_c unless --wall-thickness) standing
//   `recess` proud of a flange in which one groove runs from a + t + offset
//   out `width` and down `depth`, ringed by a rim of 0.08 lambda_c; the
//   quarter-wave groove's high impedance at the mouth makes the E plane as
//   broad as the H plane and cuts the back lobe. Rule: recess 0.12, offset
//   0.12, width 0.33, depth 0.25 lambda_c (the example feed of
//   examples/horns, scaled). Free: recess, offset, width, depth. Designed
//   with the horn's outside (the modal model) only.
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "modal/horn.hpp"

namespace synthesis {

enum class Family { corrugated, potter, profiled, choke };

struct FamilyInfo {
  Family family;
  std::string_view name;         // as --family takes it
  std::string_view description;  // one line, for --help
  std::string_view rule;         // the published rule it starts from
};
std::span<const FamilyInfo> families();
const FamilyInfo& info(Family family);
std::optional<Family> find_family(std::string_view name);

// What sizes the aperture: a taper (dB below the axis) at an angle from the
// axis (a 10 dB beamwidth is 10 dB at half of it), or a gain (an aperture
// efficiency of 0.8, the HE-11 field's).
struct Goal {
  double taper_db = 0.0, angle_deg = 0.0;
  std::optional<double> gain_db;
};

// The band: its frequencies (GHz) and the centre f_c = sqrt(f_min f_max),
// where the rules size the horn.
double centre_frequency(std::span<const float> frequencies);

// The workshop's and the designer's bounds, metres; 0: none (the input
// radius then the rule's).
struct Limits {
  double input_radius = 0.0;
  double max_length = 0.0;
  double max_aperture_radius = 0.0;  // the choke feed's: its flange
  double min_ridge = 0.0;
  double wall_thickness = 0.0;  // the choke feed's guide wall (0: the rule's)
};

struct Parameter {
  std::string_view name;  // "aperture_radius"
  std::string_view text;  // "aperture radius"
  bool length;            // metres (shown in the unit), or a plain number
};
std::span<const Parameter> parameters(Family family);

// A design: its family's fixed choices and its free parameters' values
// with their bounds (the optimiser's box).
struct Design {
  Family family;
  double input_radius;           // m
  double feed_length;            // m: the input guide before the horn (the reference plane)
  double centre_wavelength;      // m
  int periods = 0;               // corrugated: the slots
  int converter = 0;             // corrugated: the mode converter's slots
  double slot_ratio = 0.0;       // corrugated: slot width over pitch
  double wall_thickness = 0.0;   // choke: the guide's wall
  double rim = 0.0, base = 0.0;  // choke: the flange's rim beyond the groove, its floor below it
  std::vector<double> values;    // in the order of parameters(family)
  std::vector<double> lower, upper;
};

// A limit no horn of the family for the band fits: the limit's option name
// ("max_length", "max_aperture_diameter") and the least value (m; for the
// aperture, its radius) the family needs.
struct Unfit : std::runtime_error {
  Unfit(std::string option_name, double least_value)
      : std::runtime_error(option_name + ": no horn of the family fits"),
        option(std::move(option_name)),
        least(least_value) {}
  std::string option;
  double least;
};

// The rule's design for the band and goal, clamped into the limits' box;
// Unfit for a limit below the family's smallest horn.
// std::invalid_argument for a goal or band no horn of the family answers
// (no taper, an angle outside (0, 90), a band below the input's cut-off).
Design rule_design(Family family, std::span<const float> frequencies, const Goal& goal, const Limits& limits);

// The inner wall of a design, from the input reference plane to the
// aperture (modal/horn.hpp's profile).
std::vector<modal::ProfilePoint> wall(const Design& design);

// The outer contour a design's family makes (the choke feed's flange and
// groove, bor/horn.hpp's order); empty for the families whose outside is a
// wall thickness or none.
std::vector<modal::ProfilePoint> outside(const Design& design);

// The horn's total length (the feeding guide's piece included), metres.
double total_length(const Design& design);

// The rule's aperture radius for a goal at wavenumber k (1/m).
double gaussian_aperture_radius(const Goal& goal, double k);

// The depth factor of a slot on a wall of radius a at wavenumber k (the
// primer's exp(1 / (2.114 (k a)^1.134))).
double slot_depth_factor(double ka);

}  // namespace synthesis
