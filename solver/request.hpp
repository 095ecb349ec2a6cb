// A design request as a designer states it (veskal-design's options, the
// Python module's arguments): the requirement, the constraints and the unit,
// turned into the solver's problem with the programs' messages, and the
// solution turned into the horn that veskal reports.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "horn/geometry.hpp"
#include "solver/solver.hpp"

namespace design {

struct Request {
  float frequency = 0.0f;  // GHz
  // One requirement: a gain, a beamwidth, or a reflector (f/D or half-angle,
  // optionally with an edge taper).
  std::optional<double> gain, beamwidth_3db, beamwidth_10db;  // dB, degrees
  std::optional<double> f_over_d, half_angle, edge_taper;     // -, degrees, dB
  std::string plane = "mean";                                 // e, h or mean
  std::string model;                                          // empty: the registry's default for a cone
  // Constraints, in `unit`.
  std::optional<float> aperture_diameter, slant_radius, waveguide_diameter;
  std::string unit = "in";
  // The horn's outside, for the models that describe it, in `unit`: none,
  // a thin wall.
  std::optional<float> wall_thickness, flange_diameter;
};

// The models a design may be made in: those that describe a cone with its
// waveguide (the wall's models need the waveguide).
std::vector<Model> design_models();

// The solver's problem; numerics::InvalidRequest naming the parameter for a request
// that is missing, out of range or contradictory.
Problem problem_from(const Request& request);

// The horn as veskal completes it from the written answers: the lengths
// rounded to float in the unit, then the geometry completed by the same
// routine.
horn::Horn horn_of(const Solution& solution, const Problem& problem, const Request& request);

// std::runtime_error when the horn's aperture or waveguide does not carry
// TE-11 at `lowest` GHz.
void require_propagating(const horn::Horn& horn, float lowest);
// The same for the request's waveguide alone, before a design is sought.
void require_waveguide_propagating(const Request& request, float lowest);

// Why the rounded horn misses the requirement at its printed digits (gain
// to 0.005 dB, a beamwidth or taper to 0.05); none when it meets it.
std::optional<std::string> unmet(const Problem& problem, const horn::Horn& horn);

// The horn for the request: problem_from, solve, horn_of, then the two checks.
horn::Horn design(const Request& request);

}  // namespace design
