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
// A gain in the engine's models is sought with the aperture formula (a
// single radial integral, within 0.02 dB of the directivity for ka >= 8),
// then met exactly with the integrated directivity by one root search in
// the free length (the aperture, or the phase error at a fixed aperture)
// from there: a design stays well under a second up to the engine's domain.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "cli/model.hpp"

namespace design {

enum class Quantity { gain, beamwidth_3db, beamwidth_10db };
enum class Plane { e, h, mean };
using cli::Model;
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
  // The engine's gain by the aperture formula 10 log10((ka)^2 efficiency)
  // instead of the integrated directivity: the stand-in that a gain design
  // in the engine's models searches with before the last step.
  bool aperture_formula = false;
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

// The largest phase error a design may have.
inline constexpr double max_phase_error = 0.8;

}  // namespace design
