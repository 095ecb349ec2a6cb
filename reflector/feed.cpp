#include "reflector/feed.hpp"

#include <algorithm>
#include <array>
#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/tools/minima.hpp>
#include <cmath>
#include <limits>
#include <string>

namespace reflector {
namespace {

constexpr double pi = std::numbers::pi;
constexpr int most_panels = 1 << 15;
constexpr double no_cross_polar = 1e-15;  // |XP| / |CO| below it: none (-300 dB)

// The 8-point Gauss-Legendre rule on [-1, 1], from Boost.Math's tables.
struct Gauss8 {
  std::array<double, 8> x, w;
  Gauss8() : x{}, w{} {
    using rule = boost::math::quadrature::gauss<double, 8>;
    const auto& a = rule::abscissa();
    const auto& b = rule::weights();
    for (std::size_t i = 0; i < 4; ++i) {
      x[3 - i] = -a[i];
      w[3 - i] = b[i];
      x[4 + i] = a[i];
      w[4 + i] = b[i];
    }
  }
};
const Gauss8& gauss8() {
  static const Gauss8 rule;
  return rule;
}

bool close(double a, double b, double tolerance) {
  return std::fabs(a - b) <= tolerance * std::max(std::fabs(a), std::fabs(b)) ||
         std::fabs(a - b) < std::numeric_limits<double>::min();
}

double square(double x) { return x * x; }

}  // namespace

double half_angle_for(double f_over_d) { return 2.0 * std::atan(1.0 / (4.0 * f_over_d)); }
double f_over_d_for(double half_angle) { return 1.0 / (4.0 * std::tan(half_angle / 2.0)); }
double space_attenuation_db(double half_angle) {
  return 20.0 * std::log10((1.0 + std::cos(half_angle)) / 2.0);
}

Feed::Feed(Pattern pattern, double reach, int panels, double tolerance)
    : pattern_(std::move(pattern)),
      reach_(std::min(reach, pi)),
      first_panels_(std::clamp(panels, 1, 4096)),
      tolerance_(tolerance) {
  if (!(reach_ > 0.0)) throw InvalidReflector("the pattern covers no angle");
}

Feed::Node Feed::node(double theta, double weight, const PlaneFields& f) {
  const Field co = (f.e + f.h) / 2.0;
  return {theta, weight, co, (f.e - f.h) / 2.0, weight * std::tan(theta / 2.0) * co, std::cos(theta)};
}

const Feed::Rule& Feed::rule(int level) {
  while (static_cast<int>(rules_.size()) <= level) {
    const int panels = first_panels_ << rules_.size();
    if (panels > most_panels)
      throw NotConverged("the feed's integrals do not converge within " + std::to_string(most_panels) +
                         " panels");
    Rule r{panels, reach_ / panels, {}, {}, {}, {}};
    r.nodes.reserve(static_cast<std::size_t>(panels) * 8);
    for (auto* v : {&r.power, &r.co_power, &r.co_tan}) v->assign(static_cast<std::size_t>(panels) + 1, 0.0);
    const Gauss8& g = gauss8();
    for (int p = 0; p < panels; ++p) {
      const double half = r.width / 2.0, centre = (p + 0.5) * r.width;
      double power = 0.0, co_power = 0.0, co_tan = 0.0;
      for (std::size_t i = 0; i < 8; ++i) {
        const double theta = centre + half * g.x[i];
        const Node n = node(theta, half * g.w[i], pattern_(theta));
        const double sine = std::sin(theta);
        power += n.weight * (std::norm(n.co) + std::norm(n.xp)) * sine;
        co_power += n.weight * std::norm(n.co) * sine;
        co_tan += n.weight * std::abs(n.co) * std::tan(theta / 2.0);
        r.nodes.push_back(n);
      }
      const auto k = static_cast<std::size_t>(p);
      r.power[k + 1] = r.power[k] + power;
      r.co_power[k + 1] = r.co_power[k] + co_power;
      r.co_tan[k + 1] = r.co_tan[k] + co_tan;
    }
    rules_.push_back(std::move(r));
  }
  return rules_[static_cast<std::size_t>(level)];
}

Feed::Span Feed::span(int level, double half_angle) {
  const Rule& r = rule(level);
  Span s{&r, r.panels, {}};
  if (half_angle >= reach_) return s;
  s.whole = std::min(r.panels, static_cast<int>(std::floor(half_angle / r.width)));
  const double from = s.whole * r.width;
  if (half_angle > from) {
    const Gauss8& g = gauss8();
    const double half = (half_angle - from) / 2.0, centre = from + half;
    s.tail.reserve(8);
    for (std::size_t i = 0; i < 8; ++i) {
      const double theta = centre + half * g.x[i];
      s.tail.push_back(node(theta, half * g.w[i], pattern_(theta)));
    }
  }
  return s;
}

Feed::Sums Feed::sums(const Span& s) {
  const auto k = static_cast<std::size_t>(s.whole);
  Sums out{s.rule->power.back(), s.rule->power[k], s.rule->co_power[k], s.rule->co_tan[k]};
  for (const Node& n : s.tail) {
    const double sine = std::sin(n.theta);
    out.power += n.weight * (std::norm(n.co) + std::norm(n.xp)) * sine;
    out.co_power += n.weight * std::norm(n.co) * sine;
    out.co_tan += n.weight * std::abs(n.co) * std::tan(n.theta / 2.0);
  }
  return out;
}

// Visits the nodes of a span in order of angle.
template <class F>
void Feed::each_node(const Span& s, F&& visit) {
  const auto whole = static_cast<std::size_t>(s.whole) * 8;
  for (std::size_t i = 0; i < whole; ++i) visit(s.rule->nodes[i]);
  for (const auto& n : s.tail) visit(n);
}

Field Feed::phase_integral(const Span& s, double phase_centre) {
  Field sum = 0.0;
  const double rate = 2.0 * pi * phase_centre;
  each_node(s, [&](const Node& n) { sum += n.co_tan * std::polar(1.0, rate * n.cosine); });
  return sum;
}

double Feed::phase_efficiency(const Span& s, double co_tan, double phase_centre) {
  return co_tan > 0.0 ? std::norm(phase_integral(s, phase_centre)) / square(co_tan) : 0.0;
}

// Kildal's closed form: the weighted least-squares slope of the unwrapped
// co-polar phase against cos theta, weights w |CO| tan(theta/2).
double Feed::closed_form(const Span& s) {
  double sw = 0.0, sc = 0.0, sp = 0.0, scc = 0.0, scp = 0.0;
  double last = 0.0, turns = 0.0;
  bool first = true;
  each_node(s, [&](const Node& n) {
    const double raw = std::arg(n.co);
    if (!first) turns += std::round((last - raw) / (2.0 * pi));
    first = false;
    last = raw;
    const double psi = raw + 2.0 * pi * turns, c = n.cosine;
    const double w = std::abs(n.co_tan);
    sw += w;
    sc += w * c;
    sp += w * psi;
    scc += w * c * c;
    scp += w * c * psi;
  });
  if (!(sw > 0.0)) return 0.0;
  const double var = scc / sw - square(sc / sw), cov = scp / sw - (sc / sw) * (sp / sw);
  return var > 0.0 ? -cov / (2.0 * pi * var) : 0.0;
}

double Feed::best(const Span& s, double co_tan, double half_angle) {
  // The phase efficiency repeats its pattern of maxima every period p of
  // delta that turns the rim's phase once: 2 pi p (1 - cos theta0) = 2 pi.
  // Scan two periods each side of the closed form in sixteenths of one (each
  // node's phasor advanced by one factor a step), then refine the highest
  // point by Newton's method on |S|^2, S(delta) = sum a exp(j 2 pi delta c),
  // kept within a step of it (Brent's maximiser where Newton's step fails).
  const double centre = closed_form(s);
  const double period = 1.0 / std::max(1.0 - std::cos(half_angle), 1e-12), step = period / 16.0;
  constexpr int reach = 32;
  std::array<Field, 2 * reach + 1> scan{};
  each_node(s, [&](const Node& n) {
    Field p = std::polar(1.0, 2.0 * pi * (centre - reach * step) * n.cosine) * n.co_tan;
    const Field q = std::polar(1.0, 2.0 * pi * step * n.cosine);
    for (Field& sum : scan) {
      sum += p;
      p *= q;
    }
  });
  std::size_t top = 0;
  for (std::size_t k = 1; k < scan.size(); ++k)
    if (std::norm(scan[k]) > std::norm(scan[top])) top = k;
  const double at = centre + (static_cast<double>(top) - reach) * step;

  double delta = at;
  for (int iteration = 0; iteration < 30; ++iteration) {
    Field sum = 0.0, first = 0.0, second = 0.0;
    each_node(s, [&](const Node& n) {
      const double w = 2.0 * pi * n.cosine;
      const Field t = n.co_tan * std::polar(1.0, w * delta);
      sum += t;
      first += Field(0.0, w) * t;
      second -= w * w * t;
    });
    const double slope = 2.0 * std::real(std::conj(sum) * first);
    const double curvature = 2.0 * (std::norm(first) + std::real(std::conj(sum) * second));
    if (!(curvature < 0.0)) break;
    const double next = delta - slope / curvature;
    if (!(std::fabs(next - at) <= step)) break;
    if (std::fabs(next - delta) <= 1e-13 * std::max(1.0, std::fabs(delta))) return next;
    delta = next;
  }
  const auto loss = [&](double d) { return -phase_efficiency(s, co_tan, d); };
  std::uintmax_t iterations = 200;
  const auto [found, value] =
      boost::math::tools::brent_find_minima(loss, at - step, at + step, 40, iterations);
  return value <= loss(at) ? found : at;
}

void Feed::check(double half_angle) const {
  if (!(half_angle > 0.0 && half_angle <= largest_half_angle))
    throw InvalidReflector("the reflector's half-angle must lie within 0 ... 170 degrees (f/D >= 0.022)");
}

// From the first rule up, whatever was asked before, so that a figure does
// not depend on the other reflectors of a run: the power and magnitude
// integrals first (cheap: prefix sums and the cut panel), then the phase
// integral at the phase centre found on the finer rule.
Feed::Evaluation Feed::evaluate(double half_angle, std::optional<double> phase_centre) {
  check(half_angle);
  // Each integral against its scale: the power ones against the whole power,
  // the phase integral against the integral of its magnitude (with a low
  // phase efficiency it is a small difference of large parts).
  const auto agree = [this](double x, double y, double scale) {
    return std::fabs(x - y) <= tolerance_ * scale || close(x, y, tolerance_);
  };
  for (int level = 0;; ++level) {
    Evaluation fine{span(level + 1, half_angle), {}, {}, {}};
    const Span coarse = span(level, half_angle);
    fine.sums = sums(fine.span);
    const Sums c = sums(coarse);
    if (!(fine.sums.total > 0.0)) throw InvalidReflector("the pattern radiates no power");
    const double power = fine.sums.total, magnitude = fine.sums.co_tan;
    if (!(agree(fine.sums.total, c.total, power) && agree(fine.sums.power, c.power, power) &&
          agree(fine.sums.co_power, c.co_power, power) && agree(fine.sums.co_tan, c.co_tan, magnitude)))
      continue;
    fine.phase_centre = phase_centre ? *phase_centre : best(fine.span, fine.sums.co_tan, half_angle);
    const double a = std::abs(phase_integral(fine.span, fine.phase_centre));
    const double b = std::abs(phase_integral(coarse, fine.phase_centre));
    if (!agree(a, b, magnitude)) continue;
    const Sums& f = fine.sums;
    fine.eta.spillover = f.power / f.total;
    fine.eta.polarisation = f.power > 0.0 ? f.co_power / f.power : 0.0;
    fine.eta.illumination =
        f.co_power > 0.0 ? 2.0 * square(f.co_tan / std::tan(half_angle / 2.0)) / f.co_power : 0.0;
    fine.eta.phase = f.co_tan > 0.0 ? square(a / f.co_tan) : 0.0;
    return fine;
  }
}

Figures Feed::figures(double half_angle, std::optional<double> phase_centre) {
  const Evaluation e = evaluate(half_angle, phase_centre);
  Figures f{};
  f.half_angle = half_angle;
  f.eta = e.eta;
  f.phase_centre = e.phase_centre;
  f.panels = e.span.rule->panels;
  const PlaneFields axis = pattern_(0.0), edge = pattern_(half_angle);
  f.edge_taper_e_db = 20.0 * std::log10(std::abs(edge.e) / std::abs(axis.e));
  f.edge_taper_h_db = 20.0 * std::log10(std::abs(edge.h) / std::abs(axis.h));
  cross_polar(e.span, half_angle, f);
  return f;
}

// The peaks of |XP| and |CO| within theta0: the largest of the nodes (and
// the two ends), then Brent's maximiser between its neighbours.
void Feed::cross_polar(const Span& s, double half_angle, Figures& f) const {
  struct Sample {
    double theta, co, xp;
  };
  std::vector<Sample> samples;
  samples.reserve(static_cast<std::size_t>(s.whole) * 8 + s.tail.size() + 2);
  const auto sample = [&](double t) {
    const PlaneFields p = pattern_(t);
    return Sample{t, std::abs(p.e + p.h) / 2.0, std::abs(p.e - p.h) / 2.0};
  };
  samples.push_back(sample(0.0));
  each_node(s, [&](const Node& n) { samples.push_back({n.theta, std::abs(n.co), std::abs(n.xp)}); });
  samples.push_back(sample(half_angle));
  auto peak = [&](double Sample::*part) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
      if (samples[i].*part > samples[best].*part) best = i;
    const double from = samples[best == 0 ? 0 : best - 1].theta;
    const double to = samples[std::min(best + 1, samples.size() - 1)].theta;
    if (to > from) {
      std::uintmax_t iterations = 100;
      const auto [theta, value] = boost::math::tools::brent_find_minima(
          [&](double t) { return -(sample(t).*part); }, from, to, 26, iterations);
      if (-value > samples[best].*part) return std::pair{theta, -value};
    }
    return std::pair{samples[best].theta, samples[best].*part};
  };
  const double co = peak(&Sample::co).second;
  const auto [xp_angle, xp] = peak(&Sample::xp);
  if (co > 0.0 && xp > no_cross_polar * co) {
    f.peak_cross_polar_db = 20.0 * std::log10(xp / co);
    f.peak_cross_polar_angle = xp_angle;
  }
}

double Feed::phase_efficiency(double half_angle, double phase_centre) {
  return evaluate(half_angle, phase_centre).eta.phase;
}

double Feed::aperture_efficiency(double half_angle) {
  return evaluate(half_angle, std::nullopt).eta.aperture();
}

double Feed::total_power() { return evaluate(std::min(reach_, largest_half_angle), 0.0).sums.total; }

double Feed::best_phase_centre(double half_angle) { return evaluate(half_angle, std::nullopt).phase_centre; }

double Feed::closed_form_phase_centre(double half_angle) {
  check(half_angle);
  return closed_form(evaluate(half_angle, 0.0).span);
}

Figures Feed::optimum(double from, double to) {
  check(from);
  check(to);
  // A scan in steps of 5 % of theta0 (as fine for a narrow beam as for a
  // wide one), ended once the efficiency has fallen below half its best at
  // twice the best angle (beyond the main beam it only falls).
  constexpr double ratio = 1.05;
  std::vector<double> grid;
  std::size_t top = 0;
  double highest = -1.0;
  for (double t = from;; t = std::min(t * ratio, to)) {
    grid.push_back(t);
    const double eta = evaluate(t, std::nullopt).eta.aperture();
    if (eta > highest) highest = eta, top = grid.size() - 1;
    if (t >= to || (eta < highest / 2.0 && t > 2.0 * grid[top])) break;
  }
  const double a = grid[top == 0 ? 0 : top - 1], b = grid[std::min(top + 1, grid.size() - 1)];
  double theta = grid[top];
  if (b > a) {
    std::uintmax_t iterations = 100;
    const auto [t, value] = boost::math::tools::brent_find_minima(
        [&](double x) { return -evaluate(x, std::nullopt).eta.aperture(); }, a, b, 30, iterations);
    if (-value > highest) theta = t;
  }
  return figures(theta);
}

}  // namespace reflector
