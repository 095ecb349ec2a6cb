#include "modal/junction.hpp"

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

// Guide 1 the smaller, on the left.
Gsm step_up(const Guide& small, const Guide& large, double k0) {
  const std::size_t m1 = small.modes.size(), m2 = large.modes.size();
  const auto d1 = root_impedance(small, k0), d2 = root_impedance(large, k0);
  const auto x = couplings(small.modes, small.radius, large.modes, large.radius);
  Matrix f(m2, m1);  // F = D2^-1 X^T D1
  for (std::size_t j = 0; j < m2; ++j)
    for (std::size_t i = 0; i < m1; ++i) f(j, i) = x[i * m2 + j] * d1[i] / d2[j];
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
