// A body-of-revolution feed on a paraboloid: the factors of the aperture
// efficiency after P.-S. Kildal, "Factorization of the feed efficiency of
// paraboloids and Cassegrain antennas", IEEE Trans. Antennas Propagat.
// 33(8), 1985, in double precision.
//
// The feed. An x-polarised feed whose far field is E_theta = C_E(theta)
// cos phi, E_phi = -C_H(theta) sin phi (a TE-11 horn, or any feed described by
// its E- and H-plane cuts). In Ludwig's third definition the co-polar field is
// CO + XP cos 2phi and the cross-polar field XP sin 2phi, with
// CO = (C_E + C_H)/2 and XP = (C_E - C_H)/2: the cross-polar field peaks in
// the 45-degree planes, where it is XP. Averaged over phi, |E|^2 is
// P = |CO|^2 + |XP|^2, so the radiated power is 2 pi int P sin theta.
//
// The reflector: a paraboloid whose rim the focus sees under the half-angle
// theta0 (f/D = 1 / (4 tan(theta0/2))), or a Cassegrain system by its
// equivalent paraboloid. The aperture field is the feed's field over the
// path r = f sec^2(theta/2), at rho = 2 f tan(theta/2), so with drho =
// f sec^2(theta/2) dtheta its integral E rho drho = 2 f CO tan(theta/2)
// dtheta. Against the gain 4 pi A / lambda^2 of the uniformly lit aperture
// the efficiency splits into
//   spillover     int_0^t0 P sin / int_0^pi P sin,
//   polarisation  int_0^t0 |CO|^2 sin / int_0^t0 P sin,
//   illumination  2 cot^2(t0/2) [int_0^t0 |CO| tan(theta/2)]^2
//                   / int_0^t0 |CO|^2 sin,
//   phase         |int_0^t0 CO tan(theta/2)|^2 / [int_0^t0 |CO| tan(theta/2)]^2,
// whose product is Silver's cot^2(t0/2) |int_0^t0 sqrt(G) tan(theta/2)|^2 for
// a feed of directivity G = 2 |CO|^2 / int P sin (test: the closed forms of
// cos^n feeds). A feed with CO ~ sec^2(theta/2) lights the aperture
// uniformly: illumination 1 (test).
//
// The phase centre. The pattern's phases are referred to a point on the feed
// axis (the aperture centre of a horn). With the feed's phase centre at the
// focus, that point lies delta wavelengths in front of the focus, toward the
// reflector, and the field referred to the focus is CO exp(j 2 pi delta
// cos theta). For small phase errors the phase efficiency is 1 minus the
// variance of the aperture phase weighted by |CO| tan(theta/2); the delta
// that minimises that variance is the weighted least-squares slope of the
// unwrapped phase psi of CO against cos theta (Kildal's closed form):
//   delta = -cov(cos theta, psi) / (2 pi var(cos theta)).
// Around it the exact phase efficiency is scanned over two periods of its
// maxima each way (a period turns the rim's phase once), and the highest
// point refined by Newton's method on |S(delta)|^2 (Brent's maximiser,
// Boost.Math, where a Newton step fails): the best delta (test: a
// brute-force scan agrees). Where theta0 reaches well beyond the main beam the
// closed form and the best centre part (both are given).
//
// Accuracy. Every integral is taken by 8-point Gauss-Legendre panels of equal
// width over [0, reach] (the last panel cut at theta0); the count of panels
// starts at the constructor's and doubles until every integral of the figures
// (and the phase integral at the phase centre used) agrees with the doubled
// rule within the tolerance (1e-10; 1e-7 for the classic model's
// single-precision pattern) of its scale: the whole power for the power
// integrals, int |CO| tan(theta/2) for the two aperture integrals, so that
// each efficiency is converged to about that much of 1 (a phase integral that
// nearly cancels is not asked for more digits than it has). The finer result
// is kept (test: within 1e-6 of a rule with 16 times the panels). The check
// starts at the first rule for every theta0, so a figure does not depend on
// what was computed before it. At most 2^15 panels; a pattern that does not
// converge there raises NotConverged.
//
// Domain: 0 < theta0 <= 170 degrees (f/D >= 0.022); tan(theta/2) grows
// without bound toward 180. Angles in radians.
#pragma once

#include <complex>
#include <deque>
#include <functional>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <vector>

#include "farfield/figures.hpp"

namespace reflector {

using Field = std::complex<double>;

// C_E and C_H at one angle, on one scale, phases referred to one point (the
// engines' own struct).
using farfield::PlaneFields;
// The feed's plane patterns at theta in [0, reach].
using Pattern = std::function<PlaneFields(double theta)>;

inline constexpr double degree = std::numbers::pi / 180.0;
inline constexpr double largest_half_angle = 170.0 * degree;

// theta0 of a prime-focus paraboloid: 2 atan(1 / (4 f/D)), and back.
double half_angle_for(double f_over_d);
double f_over_d_for(double half_angle);

// 20 log10((1 + cos theta0) / 2): the paraboloid's path loss from the vertex
// to the rim, which adds to the feed's edge taper at the reflector's edge.
double space_attenuation_db(double half_angle);

struct Efficiencies {
  double spillover, illumination, phase, polarisation;
  double aperture() const { return spillover * illumination * phase * polarisation; }
};

struct Figures {
  double half_angle;                        // theta0, radians
  Efficiencies eta;                         // with the feed at phase_centre
  double phase_centre;                      // wavelengths behind the pattern's reference point
  double edge_taper_e_db, edge_taper_h_db;  // |C(theta0) / C(0)| in dB, each plane
  // The 45-degree plane's cross-polar peak within theta0, dB relative to the
  // co-polar peak there, and its angle; none where the feed has no
  // cross-polar field (below -300 dB).
  std::optional<double> peak_cross_polar_db;
  double peak_cross_polar_angle = 0.0;
  int panels = 0;  // of the rule that converged
};

class NotConverged : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A half-angle outside (0, largest_half_angle], or a pattern with no power.
class InvalidReflector : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

class Feed {
 public:
  // The field is taken as zero beyond `reach` (pi for a model; the last
  // angle of a measured cut). `panels`: the first rule's count over [0, reach]
  // `tolerance`: the agreement asked of a rule and the doubled one (a
  // pattern known to fewer digits asks less).
  explicit Feed(Pattern pattern, double reach = std::numbers::pi, int panels = 16, double tolerance = 1e-10);

  // Every figure at theta0, the feed's phase centre at `phase_centre`
  // wavelengths behind the reference point, or (none) at the best one.
  Figures figures(double half_angle, std::optional<double> phase_centre = std::nullopt);

  double phase_efficiency(double half_angle, double phase_centre);
  // The aperture efficiency at theta0 with the feed at its best phase centre.
  double aperture_efficiency(double half_angle);
  double best_phase_centre(double half_angle);
  double closed_form_phase_centre(double half_angle);

  // The theta0 within [from, to] of the highest aperture efficiency (the
  // feed at the best phase centre for each): a scan in steps of 5 % of
  // theta0, ended where the efficiency has fallen below half its best beyond
  // twice the best angle, then Brent's maximiser between the best scan
  // point's neighbours.
  Figures optimum(double from = 1.0 * degree, double to = largest_half_angle);

  // int_0^reach P sin theta dtheta: the radiated power over 2 pi.
  double total_power();

  PlaneFields fields(double theta) const { return pattern_(theta); }
  double reach() const { return reach_; }

 private:
  struct Node {
    double theta, weight;  // weight includes the panel's half width
    Field co, xp;
    Field co_tan;   // weight CO tan(theta/2): the phase integral's term
    double cosine;  // cos theta
  };
  static Node node(double theta, double weight, const PlaneFields& f);
  struct Rule {
    int panels;
    double width;
    std::vector<Node> nodes;  // 8 a panel, in order
    // Per panel boundary k: the sums over panels 0 ... k-1 of w P sin,
    // w |CO|^2 sin and w |CO| tan(theta/2).
    std::vector<double> power, co_power, co_tan;
  };
  // The nodes of a rule from 0 to theta0: whole panels, then the cut one.
  struct Span {
    const Rule* rule;
    int whole;               // panels wholly below theta0
    std::vector<Node> tail;  // the cut panel's nodes
  };
  struct Sums {
    double total, power, co_power, co_tan;
  };

  struct Evaluation {
    Span span;  // of the finer rule
    Sums sums;
    double phase_centre;
    Efficiencies eta;
  };

  const Rule& rule(int level);
  Evaluation evaluate(double half_angle, std::optional<double> phase_centre);
  template <class F>
  static void each_node(const Span& s, F&& visit);
  Span span(int level, double half_angle);
  static Sums sums(const Span& s);
  static Field phase_integral(const Span& s, double phase_centre);
  static double phase_efficiency(const Span& s, double co_tan, double phase_centre);
  static double closed_form(const Span& s);
  static double best(const Span& s, double co_tan, double half_angle);
  void cross_polar(const Span& s, double half_angle, Figures& f) const;
  void check(double half_angle) const;

  Pattern pattern_;
  double reach_;
  int first_panels_;
  double tolerance_;
  std::deque<Rule> rules_;  // a deque: spans keep pointers to its rules
};

}  // namespace reflector
