// The horn for a requirement: the aperture and slant radius that give a gain,
// or a 3 dB or 10 dB beamwidth, at one frequency, in the classic model or in
// the aperture engine, under one constraint: the shortest horn, a fixed
// aperture, or a fixed slant radius.
//
// Lengths in inches (the classic routines' unit). A design is sought with the
// phase error s = a^2 / (2 lambda R) at most 0.8 (the end of the classic
// tables) and a slant radius at least the aperture radius. The requirement is
// met by Boost.Math's TOMS 748 root finder in the aperture radius or in s; the
// shortest horn by Brent's minimiser over s, started from a scan of 16 points.
//
//   shortest, gain: the smallest slant radius that reaches the gain, which is
//     the horn of largest gain for its slant radius (s near 0.39 with the
//     classic table: the classic optimum horn);
//   shortest with a waveguide: the smallest axial length from the waveguide;
//   shortest, beamwidth: the smallest slant radius, and with a waveguide the
//     smallest axial length, over s up to 0.8;
//   fixed aperture: the slant radius; for a beamwidth the least phase error
//     that meets it;
//   fixed slant radius: the aperture; for a gain the smaller of the two
//     apertures that meet it.
//
//   highest aperture efficiency: at a fixed slant radius the aperture that
//     maximises it (a scan, then Brent's maximiser). Otherwise the efficiency
//     of a smooth cone grows as its phase error falls, without a maximum
//     short of an infinitely long horn: the design is the shortest horn (the
//     largest s, by TOMS 748) whose efficiency lies within efficiency_slack
//     of the limit s -> 0, the aperture maximising it for each s (or fixed),
//     the cone's half-angle at most 45 degrees.
//     Apertures with u = ka sin theta0 within 0.5 ... 6 (an edge taper from a
//     fraction of a dB to the first null);
//   edge taper: as a gain (it grows with the aperture at fixed s), apertures
//     up to u = 3.8, short of the E plane's first null.
//
// A gain in the engine's models is sought with the aperture formula (a
// single radial integral, within 0.02 dB of the directivity for ka >= 8),
// then met exactly with the integrated directivity by one root search in
// the free length (the aperture, or the phase error at a fixed aperture)
// from there: a design stays well under a second up to the engine's domain.
//
// In the models that describe the horn by its wall (modal: the mode-matching
// engine with the horn's outside) one evaluation takes 20 ms to a second, so
// a design there is sought in the spherical model first, then met in the
// wall's model by moving the free length alone, at the stand-in's phase
// error: one root search (a gain, a beamwidth, an edge taper; 6 to 9
// evaluations), or for the highest aperture efficiency a scan of 9 apertures
// within a factor 1.5 of the stand-in's and Brent's maximiser (some 20; the
// stand-in's length trade, the shortest horn within efficiency_slack of a
// long one, is kept): about a second for a small feed, 8 s for a 20 dB horn.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "horn/gain.hpp"
#include "modal/band.hpp"
#include "models/registry.hpp"

namespace design {

// On a reflector of half-angle theta0 (Problem::half_angle): the mean edge
// taper at theta0 in dB below the axis (grows with the aperture, as the gain
// does), or the highest aperture efficiency (no value: the horn that
// maximises it, reflector/feed.hpp, the feed at its best phase centre).
enum class Quantity { gain, beamwidth_3db, beamwidth_10db, edge_taper, aperture_efficiency };
enum class Plane { e, h, mean };
using models::Model;
enum class Constraint { shortest, aperture, slant_radius };

struct Problem {
  float frequency;  // GHz
  Quantity quantity;
  double value;  // dB or degrees (full width)
  Plane plane = Plane::mean;
  Model model = Model::classic;
  Constraint constraint = Constraint::shortest;
  double aperture_radius = 0.0;            // inches, for Constraint::aperture
  double slant_radius = 0.0;               // inches, for Constraint::slant_radius
  std::optional<double> waveguide_radius;  // inches
  double half_angle = 0.0;                 // radians, the reflector's theta0
  // The engine's gain by the aperture formula 10 log10((ka)^2 efficiency)
  // instead of the integrated directivity: the stand-in that a gain design
  // in the engine's models searches with before the last step.
  bool aperture_formula = false;
  // The horn's outside, for the models that describe it (inches): the
  // wall's thickness (0: a thin wall) and a flange's diameter (0: none).
  double wall_thickness = 0.0, flange_diameter = 0.0;
};

struct Solution {
  double aperture_radius;  // inches
  double slant_radius;     // inches
};

// A requirement that no horn meets within the limits: the message names the
// limit and the nearest feasible value.
class Infeasible : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws Infeasible.
Solution solve(const Problem& problem);

// The required figure of a horn (inches) in the problem's model; none where
// the model cannot compute it.
std::optional<double> figure(const Problem& problem, double aperture_radius, double slant_radius);

// The axial length from the waveguide of radius b to the aperture of a cone
// (any one length unit): (a - b) / tan(theta), sin(theta) = a / R.
double axial_length(double aperture_radius, double slant_radius, double waveguide_radius);

// The cone (inches) as the models that describe a horn by its wall take it:
// the problem's feeding guide (one diameter long), the flare, and the
// outside of its wall thickness and flange; none where there is no such
// horn (no waveguide, an aperture no wider than it, a flange no wider than
// the rim, a horn beyond the engine's work limits).
std::optional<modal::Band> cone_band(const Problem& problem, double aperture_radius, double slant_radius);

// The largest phase error a design may have: the classic tables' end.
inline constexpr double max_phase_error = horn::gain_table_end;

// A reflector design's horn may fall this far below the efficiency of an
// infinitely long one (1 %, 0.04 dB), to be as short as that allows.
inline constexpr double efficiency_slack = 0.01;

}  // namespace design
