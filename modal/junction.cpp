#include "modal/junction.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace modal {

Guide guide(double radius, double largest_cutoff) {
  if (!(radius > 0.0) || !std::isfinite(radius))
    throw std::invalid_argument("a guide's radius must be positive");
  return {radius, modes_below(largest_cutoff * radius)};
}

std::vector<Complex> propagation(const Guide& g, double k0) {
  std::vector<Complex> beta;
  beta.reserve(g.modes.size());
  for (const Mode& m : g.modes) {
    const double kc = m.root / g.radius, d = k0 * k0 - kc * kc;
    beta.push_back(d >= 0.0 ? Complex(std::sqrt(d), 0.0) : Complex(0.0, -std::sqrt(-d)));
  }
  return beta;
}

std::vector<Complex> root_impedance(const Guide& g, double k0) {
  const auto beta = propagation(g, k0);
  std::vector<Complex> root;
  root.reserve(beta.size());
  for (std::size_t i = 0; i < beta.size(); ++i) {
    const Complex z = g.modes[i].kind == Kind::te ? k0 / beta[i] : beta[i] / k0;
    root.push_back(std::sqrt(z));
  }
  return root;
}

std::vector<bool> propagating(const Guide& g, double k0) {
  std::vector<bool> p;
  p.reserve(g.modes.size());
  for (const Mode& m : g.modes) p.push_back(m.root / g.radius < k0);
  return p;
}

namespace {

// F = D2^-1 X^T D1 of a step from `small` to `large`.
Matrix coupling_matrix(const Guide& small, const Guide& large, double k0) {
  const std::size_t m1 = small.modes.size(), m2 = large.modes.size();
  const auto d1 = root_impedance(small, k0), d2 = root_impedance(large, k0);
  const auto x = couplings(small.modes, small.radius, large.modes, large.radius);
  Matrix f(m2, m1);
  for (std::size_t j = 0; j < m2; ++j) {
    const Complex over = 1.0 / d2[j];
    for (std::size_t i = 0; i < m1; ++i) f(j, i) = times(x[i * m2 + j] * d1[i], over);
  }
  return f;
}

// Guide 1 the smaller, on the left.
Gsm step_up(const Guide& small, const Guide& large, double k0) {
  const std::size_t m1 = small.modes.size(), m2 = large.modes.size();
  const Matrix f = coupling_matrix(small, large, k0);
  const Matrix ft = f.transpose();
  const Matrix ftf = ft * f;
  const Matrix plus = Matrix::identity(m1) + ftf;
  // One factorisation for both right-hand sides: [I - F^T F, 2 F^T].
  Matrix rhs(m1, m1 + m2);
  for (std::size_t i = 0; i < m1; ++i) {
    for (std::size_t j = 0; j < m1; ++j) rhs(i, j) = (i == j ? 1.0 : 0.0) - ftf(i, j);
    for (std::size_t j = 0; j < m2; ++j) rhs(i, m1 + j) = 2.0 * ft(i, j);
  }
  const Matrix both = solve(plus, rhs);
  Gsm s{Matrix(m1, m1), Matrix(m1, m2), {}, {}};
  for (std::size_t i = 0; i < m1; ++i) {
    for (std::size_t j = 0; j < m1; ++j) s.s11(i, j) = both(i, j);
    for (std::size_t j = 0; j < m2; ++j) s.s12(i, j) = both(i, m1 + j);
  }
  s.s21 = f * (Matrix::identity(m1) + s.s11);
  s.s22 = f * s.s12 - Matrix::identity(m2);
  return s;
}

}  // namespace

Gsm junction(const Guide& left, const Guide& right, double k0) {
  if (left.radius == right.radius) {
    if (left.modes.size() != right.modes.size()) throw std::invalid_argument("one guide, two mode lists");
    const std::size_t n = left.modes.size();
    return {Matrix(n, n), Matrix::identity(n), Matrix::identity(n), Matrix(n, n)};
  }
  if (left.radius < right.radius) return step_up(left, right, k0);
  Gsm s = step_up(right, left, k0);
  return {s.s22, s.s21, s.s12, s.s11};
}

std::optional<StepBack> step_back(const Guide& left, const Guide& right, const Matrix& g, double k0) {
  if (left.radius == right.radius) throw std::invalid_argument("step_back: no step");
  // Up a step (sign +1): forward f and returning r waves, r2 = G f2 beyond
  // it; f2 + r2 = F (f1 + r1) and f1 - r1 = F^T (f2 - r2) give f2 = X (f1 +
  // r1) with X = (I + G)^-1 F, and f1 - r1 = Y (f1 + r1) with the step's
  // input admittance Y = F^T (I - G) X = F^T (2 X - F); so r1 = (I + Y)^-1
  // (I - Y) f1 = (2 (I + Y)^-1 - I) f1. Down a step (sign -1): f1 + r1 = F
  // (f2 + r2) and f2 - r2 = F^T (f1 - r1) give f2 = X (f1 - r1) with X =
  // (I - G)^-1 F^T, the input impedance Z = F (2 X - F^T) and r1 = (I +
  // Z)^-1 (Z - I) f1 = (I - 2 (I + Z)^-1) f1. F maps the smaller guide's
  // modes onto the larger's.
  const bool up = left.radius < right.radius;
  const double sign = up ? 1.0 : -1.0;
  const Matrix f = up ? coupling_matrix(left, right, k0) : coupling_matrix(right, left, k0);
  const Matrix ft = f.transpose();
  const Matrix& into = up ? f : ft;  // X's right-hand side
  Matrix load = g;                   // I + sign G
  load *= sign;
  for (std::size_t m = 0; m < load.rows(); ++m) load(m, m) += 1.0;
  auto admittance = [&](const Matrix& x) {  // Y up, Z down
    Matrix w = x;
    w *= 2.0;
    w -= into;
    return up ? symmetric_product(ft, w) : symmetric_product(f, w);
  };
  auto reflection = [&](Matrix inverse) {  // sign (2 (I + Y)^-1 - I)
    inverse *= 2.0 * sign;
    for (std::size_t m = 0; m < inverse.rows(); ++m) inverse(m, m) -= sign;
    return inverse;
  };

  // G, and with it every matrix here, is symmetric (a reciprocal load in
  // power-normalised waves): half the work, where the factorisation
  // without pivoting holds.
  if (auto x = solve_symmetric(load, into)) {
    const Matrix y = admittance(*x);
    if (auto inverse = inverse_symmetric(Matrix::identity(y.rows()) + y))
      return StepBack{reflection(std::move(*inverse)), std::move(*x), sign};
  }

  // Otherwise LU with partial pivoting; below this pivot ratio a solve may
  // lose more than six digits, and the scattering-matrix cascade is used
  // instead.
  constexpr double least_pivot_ratio = 1e-6;
  double ratio = 1.0;
  auto solved = [&](const Matrix& a, const Matrix& b) {
    double r = 0.0;
    try {
      Matrix x = solve(a, b, &r);
      ratio = std::min(ratio, r);
      return x;
    } catch (const std::domain_error&) {  // exactly singular
      ratio = 0.0;
      return Matrix(a.rows(), b.cols());
    }
  };
  Matrix x = solved(load, into);
  const Matrix y = admittance(x);
  const Matrix i = Matrix::identity(y.rows());
  Matrix inverse = solved(i + y, i);
  if (!(ratio >= least_pivot_ratio)) return std::nullopt;
  return StepBack{reflection(std::move(inverse)), std::move(x), sign};
}

std::vector<Complex> StepBack::pass(const std::vector<Complex>& f) const {
  // v = f + sign G f, then X v.
  std::vector<Complex> v = f;
  for (std::size_t r = 0; r < reflection.rows(); ++r) {
    Complex sum = 0.0;
    for (std::size_t c = 0; c < reflection.cols(); ++c) sum += times(reflection(r, c), f[c]);
    v[r] += sign * sum;
  }
  std::vector<Complex> out(through.rows());
  for (std::size_t r = 0; r < through.rows(); ++r)
    for (std::size_t c = 0; c < through.cols(); ++c) out[r] += times(through(r, c), v[c]);
  return out;
}

Gsm section(const Guide& g, double length, double k0) {
  const auto beta = propagation(g, k0);
  std::vector<Complex> p;
  p.reserve(beta.size());
  for (const Complex& b : beta) p.push_back(std::exp(Complex(0.0, -1.0) * b * length));
  const std::size_t n = beta.size();
  return {Matrix(n, n), Matrix::diagonal(p), Matrix::diagonal(p), Matrix(n, n)};
}

Gsm cascade(const Gsm& a, const Gsm& b) {
  const std::size_t n = a.s22.rows();
  if (b.s11.rows() != n) throw std::invalid_argument("cascade: the joined ports have different modes");
  // Multiple reflections between a's port 2 and b's port 1.
  const Matrix i = Matrix::identity(n);
  const Matrix left = solve(i - b.s11 * a.s22, b.s11 * a.s21);  // (I - B11 A22)^-1 B11 A21
  const Matrix right = solve(i - a.s22 * b.s11, a.s21);         // (I - A22 B11)^-1 A21
  const Matrix back = solve(i - a.s22 * b.s11, a.s22 * b.s12);  // (I - A22 B11)^-1 A22 B12
  const Matrix through = solve(i - b.s11 * a.s22, b.s12);       // (I - B11 A22)^-1 B12
  return {a.s11 + a.s12 * left, a.s12 * through, b.s21 * right, b.s22 + b.s21 * back};
}

}  // namespace modal
