#include "synthesis/synthesis.hpp"

#include <nlopt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>
#include <random>
#include <stdexcept>

#include "bor/horn.hpp"
#include "numerics/parallel.hpp"
#include "numerics/units.hpp"

namespace synthesis {
namespace {

// The objective of a wall the engine refuses or that is not a horn.
constexpr double refused_objective = 1e6;
constexpr double first_step = 0.1;  // of each parameter's box
constexpr double min_step = 0.01;   // the restarts end below it

struct Loop {
  const Problem* problem;
  Design design;  // the values are set for each evaluation
  int evaluations = 0;
  std::optional<Designed> best;
};

double objective(unsigned n, const double* x, double* gradient, void* data) {
  (void)gradient;  // BOBYQA uses none
  Loop& loop = *static_cast<Loop*>(data);
  Design& d = loop.design;
  for (unsigned i = 0; i < n; ++i) d.values[i] = d.lower[i] + x[i] * (d.upper[i] - d.lower[i]);
  ++loop.evaluations;
  Evaluation e;
  try {
    e = evaluate_design(*loop.problem, d);
  } catch (const std::exception&) {
    return refused_objective;
  }
  if (!loop.best || e.objective < loop.best->evaluation.objective) loop.best = Designed{d, e};
  return e.objective;
}

std::uint64_t splitmix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// A uniform draw in [-1, 1) from 53 bits of the generator.
double symmetric(std::mt19937_64& g) { return 2.0 * double(g() >> 11) * 0x1.0p-53 - 1.0; }

// The q-quantile of sorted values, linear between order statistics.
double quantile(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return NAN;
  const double at = q * double(sorted.size() - 1);
  const std::size_t i = static_cast<std::size_t>(std::floor(at));
  const std::size_t j = std::min(i + 1, sorted.size() - 1);
  return sorted[i] + (at - double(i)) * (sorted[j] - sorted[i]);
}

Percentiles percentiles(std::vector<double> v, bool low_tail) {
  std::erase_if(v, [](double x) { return !std::isfinite(x); });
  std::sort(v.begin(), v.end());
  if (low_tail) return {quantile(v, 0.5), quantile(v, 0.1), quantile(v, 0.01)};
  return {quantile(v, 0.5), quantile(v, 0.9), quantile(v, 0.99)};
}

}  // namespace

Goal goal_of(const Requirements& q) {
  switch (q.pattern) {
    case Pattern::beamwidth_10db: return {10.0, q.pattern_value / 2.0, std::nullopt};
    case Pattern::edge_taper: return {q.pattern_value, q.half_angle, std::nullopt};
    case Pattern::gain: return {0.0, 0.0, q.pattern_value};
    case Pattern::none: break;
  }
  return {10.0, 20.0, std::nullopt};
}

std::vector<modal::ProfilePoint> outside_of(const Problem& p, const Design& d) {
  if (!models::whole_sphere(p.model)) return {};
  if (std::vector<modal::ProfilePoint> own = outside(d); !own.empty()) return own;
  if (!(p.wall_thickness > 0.0)) return {};
  return bor::thick_wall(wall(d), p.wall_thickness, p.flange_diameter);
}

Evaluation evaluate_wall(const Problem& p, const std::vector<modal::ProfilePoint>& w,
                         const std::vector<modal::ProfilePoint>& outside) {
  Evaluation e = evaluate(w, outside, p.frequencies, p.requirements, p.model, p.threads);
  const double lambda_c = numerics::wavelength_m(centre_frequency(p.frequencies));
  double excess = p.limits.max_length > 0.0 ? std::max(0.0, w.back().z - p.limits.max_length) : 0.0;
  // The widest radius of the outer contour (the choke feed's flange) within
  // the aperture limit, which the family's box does not hold.
  if (p.limits.max_aperture_radius > 0.0 && p.family == Family::choke)
    for (const modal::ProfilePoint& q : outside)
      excess += std::max(0.0, q.radius - p.limits.max_aperture_radius);
  judge(e, p.requirements, lambda_c, excess / (lambda_c / 10.0));
  return e;
}

Evaluation evaluate_design(const Problem& p, const Design& d) {
  return evaluate_wall(p, wall(d), outside_of(p, d));
}

Synthesis synthesise(const Problem& p) {
  const auto started = std::chrono::steady_clock::now();
  Synthesis s;
  const Design rule = rule_design(p.family, p.frequencies, goal_of(p.requirements), p.limits);
  s.start = {rule, evaluate_design(p, rule)};
  Loop loop{&p, rule, 1, s.start};
  const unsigned n = static_cast<unsigned>(rule.values.size());
  std::vector<double> x(n), lo(n, 0.0), hi(n, 1.0), step(n, first_step);
  for (unsigned i = 0; i < n; ++i) {
    const double width = rule.upper[i] - rule.lower[i];
    x[i] = width > 0.0 ? (rule.values[i] - rule.lower[i]) / width : 0.0;
    if (!(width > 0.0)) hi[i] = 0.0;  // a limit that leaves one value holds it
  }
  // BOBYQA from the rule's design, then again from the best design met with
  // a fresh model of the objective (a first step half the last) while the
  // budget lasts and a run still improves: a local search that does not stop
  // at the first flat trust region.
  double run_step = first_step;
  while (loop.evaluations < p.max_evaluations && n > 0 && run_step >= min_step) {
    const double before = loop.best->evaluation.objective;
    for (unsigned i = 0; i < n; ++i) {
      const double width = rule.upper[i] - rule.lower[i];
      x[i] = width > 0.0 ? (loop.best->design.values[i] - rule.lower[i]) / width : 0.0;
      step[i] = run_step;
    }
    nlopt_opt opt = nlopt_create(NLOPT_LN_BOBYQA, n);
    if (!opt) throw std::runtime_error("the optimiser could not start");
    nlopt_set_lower_bounds(opt, lo.data());
    nlopt_set_upper_bounds(opt, hi.data());
    nlopt_set_initial_step(opt, step.data());
    nlopt_set_min_objective(opt, objective, &loop);
    nlopt_set_maxeval(opt, p.max_evaluations - loop.evaluations);
    nlopt_set_xtol_abs1(opt, 1e-4);
    double f = 0.0;
    nlopt_optimize(opt, x.data(), &f);  // any ending keeps the best met so far
    nlopt_destroy(opt);
    if (!(loop.best->evaluation.objective < before - 1e-6)) run_step /= 2.0;
  }
  s.best = *loop.best;
  s.evaluations = loop.evaluations;
  s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return s;
}

Perturbed perturbed(const std::vector<modal::ProfilePoint>& wall,
                    const std::vector<modal::ProfilePoint>& outside, double tolerance, std::uint64_t seed,
                    std::uint64_t sample) {
  std::mt19937_64 g(splitmix(seed ^ splitmix(sample)));
  // Each run of points at one radius (a cylinder, or a slot's floor) is one
  // dimension; each gap between distinct z (a section's length) another.
  auto move = [&](const std::vector<modal::ProfilePoint>& contour, double z_first) {
    std::vector<modal::ProfilePoint> out = contour;
    double shift = 0.0;
    for (std::size_t i = 0; i < contour.size(); ++i) {
      if (i == 0 || contour[i].radius != contour[i - 1].radius) shift = tolerance * symmetric(g);
      out[i].radius = std::max(contour[i].radius + shift, contour[i].radius / 2.0);
    }
    double z = z_first;
    for (std::size_t i = 0; i < contour.size(); ++i) {
      const double gap = i == 0 ? 0.0 : contour[i].z - contour[i - 1].z;
      // A length keeps its direction and at least half its size.
      if (gap != 0.0)
        z += std::copysign(std::max(std::abs(gap) + tolerance * symmetric(g), std::abs(gap) / 2.0), gap);
      out[i].z = z;
    }
    return out;
  };
  Perturbed p;
  p.wall = move(wall, wall.front().z);
  // The outer contour starts in the aperture plane, wherever it has moved.
  if (!outside.empty()) p.outside = move(outside, p.wall.back().z);
  return p;
}

std::vector<modal::ProfilePoint> perturbed_wall(const std::vector<modal::ProfilePoint>& wall,
                                                double tolerance, std::uint64_t seed, std::uint64_t sample) {
  return perturbed(wall, {}, tolerance, seed, sample).wall;
}

SampleFigures sample_figures(const Problem& p, const std::vector<modal::ProfilePoint>& wall,
                             const std::vector<modal::ProfilePoint>& outside, const Evaluation& nominal,
                             double tolerance, std::uint64_t seed, std::uint64_t sample) {
  const Perturbed moved = perturbed(wall, outside, tolerance, seed, sample);
  SampleFigures out{NAN, NAN, NAN};
  Evaluation e;
  try {
    e = evaluate(moved.wall, moved.outside, p.frequencies, p.requirements, p.model, 1);
  } catch (const std::exception&) {
    return out;
  }
  double rl = INFINITY, xp = -INFINITY, bw = 0.0;
  for (std::size_t i = 0; i < e.band.size(); ++i) {
    const Row& r = e.band[i];
    const Row& n = nominal.band[i];
    if (!r.error.empty()) return out;
    rl = std::min(rl, r.return_loss_db.value_or(NAN));
    xp = std::max(xp, r.peak_cross_polar_db.value_or(NAN));
    for (const auto& [a, b] : {std::pair{r.e_beamwidth_10db, n.e_beamwidth_10db},
                               std::pair{r.h_beamwidth_10db, n.h_beamwidth_10db}})
      if (a && b) bw = std::max(bw, std::abs(*a - *b));
  }
  return {rl, xp, bw};
}

ToleranceStudy summarise(const std::vector<SampleFigures>& samples) {
  ToleranceStudy t;
  t.samples = static_cast<int>(samples.size());
  for (const SampleFigures& s : samples) {
    if (!std::isfinite(s.worst_return_loss)) ++t.refused;
    t.worst_return_loss.push_back(s.worst_return_loss);
    t.worst_cross_polar.push_back(s.worst_cross_polar);
    t.beamwidth_errors.push_back(s.beamwidth_error);
  }
  t.return_loss_db = percentiles(t.worst_return_loss, true);
  t.cross_polar_db = percentiles(t.worst_cross_polar, false);
  t.beamwidth_error = percentiles(t.beamwidth_errors, false);
  return t;
}

ToleranceStudy tolerance_study(const Problem& p, const std::vector<modal::ProfilePoint>& wall,
                               const std::vector<modal::ProfilePoint>& outside, const Evaluation& nominal,
                               double tolerance, int samples, std::uint64_t seed) {
  std::vector<SampleFigures> out(static_cast<std::size_t>(std::max(0, samples)));
  numerics::parallel_for(out.size(), p.threads, [&](std::size_t i) {
    out[i] = sample_figures(p, wall, outside, nominal, tolerance, seed, i);
  });
  return summarise(out);
}

}  // namespace synthesis
