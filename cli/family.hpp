// A horn family's design for a band (synthesis/synthesis.hpp) as the
// programs and the Python module ask it and show it: the request checked
// into a problem, the design with its written profile and the band table
// of that profile, the text and JSON forms, the tolerance study's.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.hpp"
#include "modal/horn.hpp"
#include "synthesis/synthesis.hpp"

namespace cli {

struct FamilyArguments {
  std::string family;
  std::optional<float> frequency;
  FrequencyOptions band;
  std::optional<double> gain, beamwidth_10db, edge_taper, half_angle, f_over_d;
  bool over_band = false;
  std::optional<double> return_loss, cross_polar;
  std::optional<float> phase_centre_spread, max_length, max_aperture_diameter, min_ridge;
  std::optional<float> waveguide_diameter, wall_thickness, flange_diameter;
  std::string unit = "in", model;
  int evaluations = 200;
};

// At most this many frequencies, evaluations and tolerance samples.
inline constexpr std::size_t max_family_band = 201;
inline constexpr int max_evaluations = 20000;
inline constexpr int max_samples = 100000;

struct FamilyProblem {
  synthesis::Problem problem;
  double metres_per_unit;
  std::string unit;
};
// UsageError for a request no design starts from; the problem on all cores.
FamilyProblem family_problem(const FamilyArguments& arguments);

struct FamilyDesign {
  FamilyProblem asked;
  synthesis::Synthesis synthesis;
  std::string profile;                             // the profile file's text
  std::vector<modal::ProfilePoint> wall, outside;  // read back from it
  synthesis::Evaluation band;                      // the band table, of the profile read back
  float centre;                                    // GHz
};
// synthesis::Unfit for a limit below the family's smallest horn; UsageError
// for a band no design of the family starts from.
FamilyDesign design_family(const FamilyProblem& problem);

// "--max-aperture-diameter: no potter horn for this band fits; it needs at
// least 38.78 mm".
std::string unfit_message(const synthesis::Unfit& unfit, const FamilyProblem& problem);
// "no corrugated horn found meets every requirement (pattern short by
// 0.22): the best one is shown"; empty when all are met.
std::string shortfall_message(const FamilyDesign& design);

std::string family_text(const FamilyDesign& design);
nlohmann::ordered_json family_json(const FamilyDesign& design);

// The tolerance study's text and JSON (`tolerance` in the unit).
std::string tolerance_text(const synthesis::ToleranceStudy& study, float tolerance, const std::string& unit,
                           std::uint64_t seed);
nlohmann::ordered_json tolerance_json(const synthesis::ToleranceStudy& study, float tolerance,
                                      std::uint64_t seed);

}  // namespace cli
