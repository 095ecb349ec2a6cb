// The design loop: a family's published rule gives the starting design, and
// NLopt's BOBYQA (M. J. D. Powell, "The BOBYQA algorithm for bound
// constrained optimization without derivatives", Cambridge NA report
// 2009/06) moves its free parameters within their box to lower the
// objective of synthesis/evaluation.hpp, each evaluation a band of the
// mode-matching engine spread over the cores. The parameters are scaled
// to [0, 1] in their box; the first steps are a tenth of it. When a run
// ends within the budget, another starts from the best design met (its
// first steps halved after a run that did not improve, down to a
// hundredth), until the budget is spent. The best design
// met is kept, so that more evaluations never give a worse one (BOBYQA's
// path does not depend on its budget: a test). What it can promise: a local
// optimum of the objective within the box, not the best horn of the family.
//
// Tolerances: every dimension of the design's drawing (each radius of the
// wall and each length along the axis between its points) moved by a
// uniform error within +-tolerance, the same for every run of a seed
// (std::mt19937_64 and a uniform draw of its own, so that the numbers do not
// depend on the standard library), and the band's worst return loss, worst
// cross-polar peak and largest beamwidth error summarised by percentiles.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "synthesis/evaluation.hpp"
#include "synthesis/families.hpp"

namespace synthesis {

struct Problem {
  Family family = Family::corrugated;
  std::vector<float> frequencies;  // GHz
  Requirements requirements;
  Limits limits;
  models::Model model = models::Model::modal_huygens;
  double wall_thickness = 0.0, flange_diameter = 0.0;  // m; an outside where the thickness is > 0
  int max_evaluations = 200;
  unsigned threads = 1;
};

// The goal the rules size the aperture with, from the pattern requirement
// (a horn of 20 degrees' 10 dB half-width where there is none).
Goal goal_of(const Requirements& requirements);

// The outer contour of a design for the problem: its family's (the choke
// feed's flange), or the problem's wall thickness and flange about its wall
// (empty: a thin wall, or a model without the outside).
std::vector<modal::ProfilePoint> outside_of(const Problem& problem, const Design& design);

struct Designed {
  Design design;
  Evaluation evaluation;
};

struct Synthesis {
  Designed start, best;
  int evaluations = 0;
  double seconds = 0.0;
};

// The rule's design and the optimiser's. std::invalid_argument for a
// problem no design of the family can start from (synthesis/families.hpp);
// std::runtime_error for the rule's horn beyond the engine's limits.
Synthesis synthesise(const Problem& problem);

// The evaluation of one design, or of a wall and its outer contour (the
// objective with the length limit, which the box cannot hold for every
// family).
Evaluation evaluate_design(const Problem& problem, const Design& design);
Evaluation evaluate_wall(const Problem& problem, const std::vector<modal::ProfilePoint>& wall,
                         const std::vector<modal::ProfilePoint>& outside);

struct Percentiles {
  double median, p90, p99;
};
struct ToleranceStudy {
  int samples = 0;
  int refused = 0;              // samples the engine refused (a perturbed wall out of its limits)
  Percentiles return_loss_db;   // the band's least; p90 and p99 are the low tails
  Percentiles cross_polar_db;   // the band's largest peak; the high tails
  Percentiles beamwidth_error;  // degrees: the largest |E or H 10 dB width - the design's| over the band
  std::vector<double> worst_return_loss, worst_cross_polar, beamwidth_errors;  // each sample's
};

// The design's wall and outer contour with every dimension moved within
// +-tolerance (m) by the sample-th draw of the seed (the contour still
// starting in the aperture plane); the wall alone.
struct Perturbed {
  std::vector<modal::ProfilePoint> wall, outside;
};
Perturbed perturbed(const std::vector<modal::ProfilePoint>& wall,
                    const std::vector<modal::ProfilePoint>& outside, double tolerance, std::uint64_t seed,
                    std::uint64_t sample);
std::vector<modal::ProfilePoint> perturbed_wall(const std::vector<modal::ProfilePoint>& wall,
                                                double tolerance, std::uint64_t seed, std::uint64_t sample);

// One sample's three figures (NaN where refused), against the nominal
// band's 10 dB widths.
struct SampleFigures {
  double worst_return_loss, worst_cross_polar, beamwidth_error;
};
SampleFigures sample_figures(const Problem& problem, const std::vector<modal::ProfilePoint>& wall,
                             const std::vector<modal::ProfilePoint>& outside, const Evaluation& nominal,
                             double tolerance, std::uint64_t seed, std::uint64_t sample);

// `samples` samples on the problem's threads (the samples split between
// them, each sample's band on one), summarised.
ToleranceStudy tolerance_study(const Problem& problem, const std::vector<modal::ProfilePoint>& wall,
                               const std::vector<modal::ProfilePoint>& outside, const Evaluation& nominal,
                               double tolerance, int samples, std::uint64_t seed);
// The summary of samples computed elsewhere (the Python module's cluster).
ToleranceStudy summarise(const std::vector<SampleFigures>& samples);

}  // namespace synthesis
