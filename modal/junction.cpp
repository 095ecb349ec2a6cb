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

namespace {

std::vector<Complex> root_impedance(const Guide& g, const std::vector<Complex>& beta, double k0) {
  std::vector<Complex> root;
  root.reserve(beta.size());
  for (std::size_t i = 0; i < beta.size(); ++i) {
    const Complex z = g.modes[i].kind == Kind::te ? k0 / beta[i] : beta[i] / k0;
    root.push_back(std::sqrt(z));
  }
  return root;
}

}  // namespace

std::vector<Complex> root_impedance(const Guide& g, double k0) {
  return root_impedance(g, propagation(g, k0), k0);
}

GuideAt guide_at(Guide g, double k0) {
  auto beta = propagation(g, k0);
  auto root = root_impedance(g, beta, k0);
  return {std::move(g), std::move(beta), std::move(root)};
}

std::vector<bool> propagating(const Guide& g, double k0) {
  std::vector<bool> p;
  p.reserve(g.modes.size());
  for (const Mode& m : g.modes) p.push_back(m.root / g.radius < k0);
  return p;
}

namespace {

// F = D2^-1 X^T D1 of a step from `small` to `large` (rows: the larger
// guide's modes), or its transpose, from the couplings X.
Matrix coupling_matrix(const std::vector<Complex>& d1, const std::vector<Complex>& d2,
                       const std::vector<double>& x, bool transposed = false) {
  const std::size_t m1 = d1.size(), m2 = d2.size();
  if (x.size() != m1 * m2) throw std::invalid_argument("couplings of other guides");
  std::vector<Complex> over(m2);
  for (std::size_t j = 0; j < m2; ++j) over[j] = 1.0 / d2[j];
  if (transposed) {
    Matrix ft(m1, m2);
    for (std::size_t i = 0; i < m1; ++i)
      for (std::size_t j = 0; j < m2; ++j) ft(i, j) = times(x[i * m2 + j] * d1[i], over[j]);
    return ft;
  }
  Matrix f(m2, m1);
  for (std::size_t j = 0; j < m2; ++j)
    for (std::size_t i = 0; i < m1; ++i) f(j, i) = times(x[i * m2 + j] * d1[i], over[j]);
  return f;
}
Matrix coupling_matrix(const Guide& small, const Guide& large, double k0) {
  return coupling_matrix(root_impedance(small, k0), root_impedance(large, k0),
                         couplings(small.modes, small.radius, large.modes, large.radius));
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
  const bool up = left.radius < right.radius;
  const Guide& small = up ? left : right;
  const Guide& large = up ? right : left;
  return step_back(guide_at(left, k0), guide_at(right, k0), g,
                   couplings(small.modes, small.radius, large.modes, large.radius));
}

std::optional<StepBack> step_back(const GuideAt& left_at, const GuideAt& right_at, const Matrix& g,
                                  const std::vector<double>& coupled) {
  const Guide &left = left_at.guide, &right = right_at.guide;
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
  // X's right-hand side, F up and F^T down; the admittance (impedance) is
  // its transpose times 2 X - it.
  const Matrix into = up ? coupling_matrix(left_at.root, right_at.root, coupled)
                         : coupling_matrix(right_at.root, left_at.root, coupled, true);
  auto load = [&] {  // I + sign G
    Matrix l(g.rows(), g.cols());
    for (std::size_t r = 0; r < g.rows(); ++r) {
      for (std::size_t c = 0; c < g.cols(); ++c) l(r, c) = sign * g(r, c);
      l(r, r) += 1.0;
    }
    return l;
  };
  auto admittance_plus_one = [&](const Matrix& x) {  // I + Y up, I + Z down
    Matrix w(x.rows(), x.cols());
    for (std::size_t r = 0; r < x.rows(); ++r)
      for (std::size_t c = 0; c < x.cols(); ++c) w(r, c) = 2.0 * x(r, c) - into(r, c);
    Matrix y = symmetric_product(into, w);
    for (std::size_t m = 0; m < y.rows(); ++m) y(m, m) += 1.0;
    return y;
  };
  auto reflection = [&](Matrix inverse) {  // sign (2 (I + Y)^-1 - I)
    for (std::size_t r = 0; r < inverse.rows(); ++r) {
      for (std::size_t c = 0; c < inverse.cols(); ++c) inverse(r, c) *= 2.0 * sign;
      inverse(r, r) -= sign;
    }
    return inverse;
  };

  // G, and with it every matrix here, is symmetric (a reciprocal load in
  // power-normalised waves): half the work, where the factorisation
  // without pivoting holds.
  if (auto x = solve_symmetric(load(), into)) {
    if (auto inverse = inverse_symmetric(admittance_plus_one(*x)))
      return StepBack{reflection(std::move(*inverse)), std::move(*x), sign, {}};
  }

  // Otherwise LU with partial pivoting; below this pivot ratio a solve may
  // lose more than six digits, and the scattering-matrix cascade is used
  // instead.
  constexpr double least_pivot_ratio = 1e-6;
  double ratio = 1.0;
  auto solved = [&](Matrix a, Matrix b) {
    const std::size_t rows = a.rows(), cols = b.cols();
    double r = 0.0;
    try {
      Matrix x = solve(std::move(a), std::move(b), &r);
      ratio = std::min(ratio, r);
      return x;
    } catch (const std::domain_error&) {  // exactly singular
      ratio = 0.0;
      return Matrix(rows, cols);
    }
  };
  Matrix x = solved(load(), into);
  Matrix inverse = solved(admittance_plus_one(x), Matrix::identity(into.cols()));
  if (!(ratio >= least_pivot_ratio)) return std::nullopt;
  return StepBack{reflection(std::move(inverse)), std::move(x), sign, {}};
}

std::vector<Complex> StepBack::pass(const std::vector<Complex>& f) const {
  // v = f + sign G f, then X v.
  std::vector<Complex> v = reflection * f;
  for (std::size_t r = 0; r < v.size(); ++r) v[r] = f[r] + sign * v[r];
  return after.rows() > 0 ? after * (through * v) : through * v;
}

std::optional<StepBack> slot_back(const GuideAt& left, const GuideAt& slot, const GuideAt& right,
                                  double length, const Matrix& g, const std::vector<double>& left_couplings,
                                  const std::vector<double>& right_couplings) {
  if (!(slot.guide.radius > left.guide.radius && slot.guide.radius > right.guide.radius))
    throw std::invalid_argument("slot_back: the slot must be wider than both its neighbours");
  constexpr double least_sine = 1e-3;
  const std::size_t n = slot.beta.size();
  std::vector<Complex> u(n), v(n);
  for (std::size_t m = 0; m < n; ++m) {
    const Complex theta = slot.beta[m] * length, sine = std::sin(theta);
    if (!(std::abs(sine) >= least_sine)) return std::nullopt;
    u[m] = Complex(0.0, -1.0) * std::cos(theta) / sine;
    v[m] = Complex(0.0, 1.0) / sine;
  }
  const Matrix f1 = coupling_matrix(left.root, slot.root, left_couplings);
  const Matrix f3 = coupling_matrix(right.root, slot.root, right_couplings);
  auto scaled = [&](const std::vector<Complex>& d, const Matrix& f) {  // diag(d) F
    Matrix s = f;
    for (std::size_t r = 0; r < s.rows(); ++r)
      for (std::size_t c = 0; c < s.cols(); ++c) s(r, c) = times(d[r], s(r, c));
    return s;
  };
  // (I + G)^-1 and Y3 + F3^T u F3.
  Matrix plus = g;
  for (std::size_t m = 0; m < plus.rows(); ++m) plus(m, m) += 1.0;
  auto after = inverse_symmetric(std::move(plus));
  if (!after) return std::nullopt;
  Matrix load = symmetric_product(f3, scaled(u, f3));
  for (std::size_t r = 0; r < load.rows(); ++r) {
    for (std::size_t c = 0; c < load.cols(); ++c) load(r, c) += 2.0 * (*after)(r, c);
    load(r, r) -= 1.0;
  }
  const Matrix across = transposed_product(f3, scaled(v, f1));  // F3^T v F1
  auto t = solve_symmetric(std::move(load), across);
  if (!t) return std::nullopt;
  *t *= -1.0;
  Matrix y = symmetric_product(across, *t);
  const Matrix own = symmetric_product(f1, scaled(u, f1));
  for (std::size_t r = 0; r < y.rows(); ++r) {
    for (std::size_t c = 0; c < y.cols(); ++c) y(r, c) += own(r, c);
    y(r, r) += 1.0;
  }
  auto inverse = inverse_symmetric(std::move(y));
  if (!inverse) return std::nullopt;
  for (std::size_t r = 0; r < inverse->rows(); ++r) {
    for (std::size_t c = 0; c < inverse->cols(); ++c) (*inverse)(r, c) *= 2.0;
    (*inverse)(r, r) -= 1.0;
  }
  return StepBack{std::move(*inverse), std::move(*t), 1.0, std::move(*after)};
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
