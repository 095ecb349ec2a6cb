#include "modal/modes.hpp"

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/special_functions/bessel.hpp>
#include <boost/math/special_functions/bessel_prime.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

namespace modal {
namespace {

constexpr double pi = std::numbers::pi;
constexpr int most_roots = max_modes;  // of each kind, more than any mode list holds

// Bessel functions evaluated in double throughout (Boost.Math would promote
// to long double, several times slower, for no digit the engine keeps).
using Double = boost::math::policies::policy<boost::math::policies::promote_double<false>>;
double j1(double x) { return boost::math::cyl_bessel_j(1, x, Double()); }
// J1' = J0 - J1 / x (DLMF 10.6.2), 1/2 at 0: two of Boost's rational
// approximations, where its own derivative adds J2 by recurrence.
double j1_prime(double x) { return x == 0.0 ? 0.5 : boost::math::cyl_bessel_j(0, x, Double()) - j1(x) / x; }

// The power norm of a mode (TE: (pi / 2) (x^2 - 1) J1(x)^2 at x = j'_1n; TM:
// (pi / 2) x^2 J1'(x)^2 at x = j_1n; Marcuvitz, 2.3): 1 / sqrt of it.
double norm_at(Kind kind, double x) {
  const double power = kind == Kind::te ? pi / 2.0 * (x * x - 1.0) * std::pow(j1(x), 2)
                                        : pi / 2.0 * x * x * std::pow(j1_prime(x), 2);
  return 1.0 / std::sqrt(power);
}

// The roots, and what the couplings ask of a mode at its own root (its norm,
// J1 and J1' there), for every mode an engine's list may hold.
struct Roots {
  std::vector<double> te, tm;
  std::vector<double> te_norm, tm_norm, te_j1, te_j1_prime, tm_j1, tm_j1_prime;
  Roots() {
    tm.reserve(most_roots);
    te.reserve(most_roots);
    for (int n = 1; n <= most_roots; ++n) tm.push_back(boost::math::cyl_bessel_j_zero(1.0, n));
    // J1' changes sign once between neighbouring zeros of J1 (and between 0,
    // where J1' = 1/2, and the first zero).
    for (int n = 1; n <= most_roots; ++n) {
      const double lo = n == 1 ? 1.0 : tm[static_cast<std::size_t>(n - 2)];
      const double hi = tm[static_cast<std::size_t>(n - 1)];
      std::uintmax_t iterations = 100;
      const auto r = boost::math::tools::toms748_solve(
          j1_prime, lo, hi, boost::math::tools::eps_tolerance<double>(52), iterations);
      te.push_back((r.first + r.second) / 2.0);
    }
    for (const double x : te) {
      te_norm.push_back(norm_at(Kind::te, x));
      te_j1.push_back(j1(x));
      te_j1_prime.push_back(j1_prime(x));
    }
    for (const double x : tm) {
      tm_norm.push_back(norm_at(Kind::tm, x));
      tm_j1.push_back(j1(x));
      tm_j1_prime.push_back(j1_prime(x));
    }
  }
};
const Roots& roots() {
  static const Roots table;
  return table;
}

// Lommel's integral of order 1, from J1 and J1' at alpha a and beta a.
double lommel(double alpha, double beta, double a) {
  return modal::lommel(1, alpha, beta, a, j1(alpha * a), j1_prime(alpha * a), j1(beta * a),
                       j1_prime(beta * a));
}

}  // namespace

double lommel(int n, double k, double w, double a, double jk, double jkp, double jw, double jwp) {
  if (std::fabs(k - w) > 1e-6 * std::max(k, w)) return a * (w * jk * jwp - k * jkp * jw) / (k * k - w * w);
  return boost::math::quadrature::gauss<double, 48>::integrate(
      [&](double rho) {
        return boost::math::cyl_bessel_j(n, k * rho, Double()) *
               boost::math::cyl_bessel_j(n, w * rho, Double()) * rho;
      },
      0.0, a);
}

double root(Kind kind, int n) {
  if (n < 1 || n > most_roots)
    throw std::out_of_range("mode index " + std::to_string(n) + " beyond the table");
  const auto& list = kind == Kind::te ? roots().te : roots().tm;
  return list[static_cast<std::size_t>(n - 1)];
}

std::vector<Mode> modes_below(double largest_root) {
  std::vector<Mode> list;
  int te = 1, tm = 1;
  for (;;) {
    const double next_te = root(Kind::te, te), next_tm = root(Kind::tm, tm);
    const bool take_te = next_te <= next_tm;
    const double r = take_te ? next_te : next_tm;
    if (!(r <= largest_root)) break;
    if (static_cast<int>(list.size()) >= max_modes)
      throw WorkLimit("modes in one guide", double(max_modes) + 1.0, double(max_modes),
                      "more than " + std::to_string(max_modes) + " modes in one guide");
    list.push_back(take_te ? Mode{Kind::te, te++, r} : Mode{Kind::tm, tm++, r});
  }
  return list;
}

// TE: pi int (J1^2 / rho^2 + k^2 J1'^2) rho drho = (pi / 2) (x^2 - 1) J1(x)^2
// at x = j'_1n; TM: (pi / 2) x^2 J1'(x)^2 at x = j_1n (Marcuvitz, 2.3).
double norm(const Mode& m, double /*radius*/) {
  const auto at = static_cast<std::size_t>(m.index - 1);
  return m.kind == Kind::te ? roots().te_norm.at(at) : roots().tm_norm.at(at);
}

Radial field(const Mode& m, double radius, double rho) {
  const double k = m.root / radius, n = norm(m, radius);
  // J1(k rho) / rho tends to k / 2 on the axis.
  const double j_over_rho = rho > 0.0 ? j1(k * rho) / rho : k / 2.0;
  const double derivative = -n * k * j1_prime(k * rho);
  return m.kind == Kind::te ? Radial{n * j_over_rho, derivative} : Radial{derivative, n * j_over_rho};
}

double coupling(const Mode& s, double a, const Mode& l, double b) {
  const double ka = s.root / a, kb = l.root / b;
  const double n = norm(s, a) * norm(l, b);
  if (s.kind == Kind::te && l.kind == Kind::te) {
    // e = grad psi x z: int grad psi_a . grad psi_b = k_a^2 int psi_a psi_b
    // (Green; d psi_a / dn = 0 on rho = a), int psi_a psi_b = pi Lommel.
    return n * ka * ka * pi * lommel(ka, kb, a);
  }
  if (s.kind == Kind::tm && l.kind == Kind::tm) {
    // e = -grad phi: int grad phi_a . grad phi_b = k_b^2 int phi_a phi_b
    // (Green; phi_a = 0 on rho = a).
    return n * kb * kb * pi * lommel(ka, kb, a);
  }
  if (s.kind == Kind::te) {
    // TE_a . TM_b: the integrand is -d/drho [J1(k_a rho) J1(k_b rho)], so
    // the integral is -pi J1(k_a a) J1(k_b a).
    return -n * pi * j1(ka * a) * j1(kb * a);
  }
  return 0.0;  // TM_a . TE_b: the same form with J1(k_a a) = 0
}

std::vector<double> couplings(const std::vector<Mode>& small, double a, const std::vector<Mode>& large,
                              double b) {
  const std::size_t m1 = small.size(), m2 = large.size();
  std::vector<double> x(m1 * m2);
  // Per mode of the larger guide: k_b, N_b, J1(k_b a), J1'(k_b a).
  std::vector<double> kb(m2), nb(m2), j_b(m2), jp_b(m2);
  for (std::size_t j = 0; j < m2; ++j) {
    kb[j] = large[j].root / b;
    nb[j] = norm(large[j], b);
    const double x = kb[j] * a;  // J1' = J0 - J1 / x, J1 found once
    j_b[j] = j1(x);
    jp_b[j] = boost::math::cyl_bessel_j(0, x, Double()) - j_b[j] / x;
  }
  std::vector<char> te_b(m2);
  for (std::size_t j = 0; j < m2; ++j) te_b[j] = large[j].kind == Kind::te;
  for (std::size_t i = 0; i < m1; ++i) {
    const Mode& s = small[i];
    const double ka = s.root / a, na = norm(s, a);
    const auto at = static_cast<std::size_t>(s.index - 1);  // J1 and J1' at k_a a, its root
    const bool te_a = s.kind == Kind::te;
    const double j_a = te_a ? roots().te_j1.at(at) : roots().tm_j1.at(at);
    const double jp_a = te_a ? roots().te_j1_prime.at(at) : roots().tm_j1_prime.at(at);
    // Both forms for every mode of the larger guide, the right one kept
    // (a loop without branches, in vector registers).
    double* row = &x[i * m2];
    for (std::size_t j = 0; j < m2; ++j) {
      const double lommel_value =
          a * (kb[j] * j_a * jp_b[j] - ka * jp_a * j_b[j]) / (ka * ka - kb[j] * kb[j]);
      const double same = na * nb[j] * pi * lommel_value * (te_a ? ka * ka : kb[j] * kb[j]);
      const double across = te_a ? -na * nb[j] * pi * j_a * j_b[j] : 0.0;
      row[j] = bool(te_b[j]) == te_a ? same : across;
    }
    // Nearly equal cut-offs of one kind: Lommel's integral by quadrature.
    for (std::size_t j = 0; j < m2; ++j)
      if (bool(te_b[j]) == te_a && std::fabs(ka - kb[j]) <= 1e-6 * std::max(ka, kb[j]))
        row[j] = na * nb[j] * pi * lommel(ka, kb[j], a) * (te_a ? ka * ka : kb[j] * kb[j]);
  }
  return x;
}

}  // namespace modal
