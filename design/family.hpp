// veskal-design --family: a horn of revolution of one family for a band and
// requirements over it (synthesis/synthesis.hpp), the rule's design beside the
// optimiser's, the band table with its verdicts, the wall profile to a file,
// and a tolerance study.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.hpp"

namespace design {

struct FamilyOptions {
  std::string family = "cone";
  bool over_band = false;
  std::optional<double> return_loss, cross_polar;
  std::optional<float> phase_centre_spread, max_length, max_aperture_diameter, min_ridge, tolerance;
  std::string profile_output;
  int evaluations = 200, samples = 100;
  std::uint64_t seed = 1;
  std::vector<CLI::Option*> family_only;  // the options only a family other than cone takes
};

// --family and the options that go with it.
void add_family_options(CLI::App& app, FamilyOptions& options);

// What the rest of the command line says, for a family's design.
struct FamilyRequest {
  std::optional<float> frequency;
  cli::FrequencyOptions band;
  std::optional<double> gain, beamwidth_10db, edge_taper, half_angle, f_over_d;
  std::optional<float> waveguide_diameter, wall_thickness, flange_diameter;
  std::string unit, model, format, output;
};

// The design, written; the exit status (failure_status when a requirement is
// not met: the best horn found, with each shortfall). UsageError for a
// command line no design can start from.
int family_design(const FamilyOptions& options, const FamilyRequest& request);

}  // namespace design
