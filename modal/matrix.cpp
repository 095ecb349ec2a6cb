#include "modal/matrix.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace modal {

Matrix Matrix::identity(std::size_t n) {
  Matrix m(n, n);
  for (std::size_t i = 0; i < n; ++i) m(i, i) = 1.0;
  return m;
}

Matrix Matrix::diagonal(const std::vector<Complex>& d) {
  Matrix m(d.size(), d.size());
  for (std::size_t i = 0; i < d.size(); ++i) m(i, i) = d[i];
  return m;
}

Matrix Matrix::transpose() const {
  Matrix t(cols_, rows_);
  for (std::size_t i = 0; i < rows_; ++i)
    for (std::size_t j = 0; j < cols_; ++j) t(j, i) = (*this)(i, j);
  return t;
}

Matrix& Matrix::operator+=(const Matrix& b) {
  if (b.rows_ != rows_ || b.cols_ != cols_) throw std::invalid_argument("matrix sizes differ");
  for (std::size_t k = 0; k < data_.size(); ++k) data_[k] += b.data_[k];
  return *this;
}

Matrix& Matrix::operator-=(const Matrix& b) {
  if (b.rows_ != rows_ || b.cols_ != cols_) throw std::invalid_argument("matrix sizes differ");
  for (std::size_t k = 0; k < data_.size(); ++k) data_[k] -= b.data_[k];
  return *this;
}

Matrix& Matrix::operator*=(double s) {
  for (Complex& v : data_) v *= s;
  return *this;
}

namespace {

// y += s x over n numbers: the inner loop of the products and of the
// elimination, nearly all of a horn's time. The functions that run these
// loops are built twice on x86-64 with GCC, for AVX2 and for the baseline,
// the processor choosing at load time (the same arithmetic, in wider
// registers), and the loops are inlined into each, so that the choice is
// made once a solve and not once a row (rows of tens of modes).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VESKAL_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#define VESKAL_INLINE __attribute__((always_inline)) inline
#else
#define VESKAL_WIDE_CLONES
#define VESKAL_INLINE inline
#endif
VESKAL_INLINE void add_scaled(Complex* __restrict y, const Complex* __restrict x, Complex s, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) y[j] += times(s, x[j]);
}
// y += s0 x0 + s1 x1 + s2 x2 + s3 x3, added in that order (the rounding of
// four add_scaled), with y loaded and stored once instead of four times.
VESKAL_INLINE void add_scaled_4(Complex* __restrict y, const Complex* const* __restrict x,
                                const Complex* __restrict s, std::size_t n) {
  const Complex *x0 = x[0], *x1 = x[1], *x2 = x[2], *x3 = x[3];
  const Complex s0 = s[0], s1 = s[1], s2 = s[2], s3 = s[3];
  for (std::size_t j = 0; j < n; ++j) {
    Complex t = y[j];
    t += times(s0, x0[j]);
    t += times(s1, x1[j]);
    t += times(s2, x2[j]);
    t += times(s3, x3[j]);
    y[j] = t;
  }
}

// The largest std::norm of n numbers, over four running maxima (one would
// make each comparison wait for the one before).
VESKAL_INLINE double largest_norm(const Complex* x, std::size_t n) {
  double m[4] = {0.0, 0.0, 0.0, 0.0};
  std::size_t j = 0;
  for (; j + 4 <= n; j += 4)
    for (std::size_t k = 0; k < 4; ++k) m[k] = std::max(m[k], std::norm(x[j + k]));
  for (; j < n; ++j) m[0] = std::max(m[0], std::norm(x[j]));
  return std::max(std::max(m[0], m[1]), std::max(m[2], m[3]));
}

// A row's sum y += s_k x_k, the terms added in the order given (zero ones
// passed over), four at a time. `finish` adds what is left.
class RowSum {
 public:
  VESKAL_INLINE RowSum(Complex* y, std::size_t n) : y_(y), n_(n) {}
  VESKAL_INLINE void add(const Complex* x, Complex s) {
    if (s == 0.0 || n_ == 0) return;
    x_[count_] = x;
    s_[count_] = s;
    if (++count_ == 4) {
      add_scaled_4(y_, x_, s_, n_);
      count_ = 0;
    }
  }
  VESKAL_INLINE void finish() {
    for (std::size_t k = 0; k < count_; ++k) add_scaled(y_, x_[k], s_[k], n_);
    count_ = 0;
  }

 private:
  Complex* y_;
  std::size_t n_, count_ = 0;
  const Complex* x_[4];
  Complex s_[4];
};

}  // namespace

VESKAL_WIDE_CLONES Matrix operator*(const Matrix& a, const Matrix& b) {
  if (a.cols() != b.rows()) throw std::invalid_argument("matrix sizes do not chain");
  Matrix c(a.rows(), b.cols());
  if (b.cols() == 0) return c;
  for (std::size_t i = 0; i < a.rows(); ++i) {
    RowSum sum(&c(i, 0), b.cols());
    for (std::size_t k = 0; k < a.cols(); ++k) sum.add(&b(k, 0), a(i, k));
    sum.finish();
  }
  return c;
}

// Each row's sum in two halves, the even terms and the odd ones, added at
// the end (the pair of partial sums fills one wide register).
VESKAL_WIDE_CLONES std::vector<Complex> operator*(const Matrix& a, const std::vector<Complex>& x) {
  if (a.cols() != x.size()) throw std::invalid_argument("matrix and vector sizes do not chain");
  const std::size_t n = a.cols();
  std::vector<Complex> y(a.rows());
  for (std::size_t r = 0; r < a.rows(); ++r) {
    const Complex* row = n == 0 ? nullptr : &a(r, 0);
    Complex even = 0.0, odd = 0.0;
    std::size_t j = 0;
    for (; j + 2 <= n; j += 2) {
      even += times(row[j], x[j]);
      odd += times(row[j + 1], x[j + 1]);
    }
    if (j < n) even += times(row[j], x[j]);
    y[r] = even + odd;
  }
  return y;
}

Matrix operator+(Matrix a, const Matrix& b) { return a += b; }
Matrix operator-(Matrix a, const Matrix& b) { return a -= b; }

VESKAL_WIDE_CLONES Matrix solve(Matrix a, Matrix b, double* pivot_ratio) {
  const std::size_t n = a.rows();
  if (a.cols() != n || b.rows() != n) throw std::invalid_argument("solve: sizes do not match");
  // Sizes compared as squares (std::norm), without hypot's care for overflow:
  // the entries are waves and couplings of order one.
  double largest = 0.0, smallest_pivot = std::numeric_limits<double>::infinity();
  if (pivot_ratio)
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = 0; j < n; ++j) largest = std::max(largest, std::norm(a(i, j)));
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t pivot = k;
    double size = std::norm(a(k, k));
    for (std::size_t i = k + 1; i < n; ++i)
      if (const double s = std::norm(a(i, k)); s > size) pivot = i, size = s;
    if (!(size > 0.0)) throw std::domain_error("solve: a singular matrix");
    smallest_pivot = std::min(smallest_pivot, size);
    if (pivot != k) {
      for (std::size_t j = 0; j < n; ++j) std::swap(a(k, j), a(pivot, j));
      for (std::size_t j = 0; j < b.cols(); ++j) std::swap(b(k, j), b(pivot, j));
    }
    const Complex inverse = 1.0 / a(k, k);
    for (std::size_t i = k + 1; i < n; ++i) {
      const Complex factor = times(a(i, k), inverse);
      if (factor == 0.0) continue;
      if (k + 1 < n) add_scaled(&a(i, k + 1), &a(k, k + 1), -factor, n - k - 1);
      if (b.cols() > 0) add_scaled(&b(i, 0), &b(k, 0), -factor, b.cols());
    }
  }
  // Back substitution a row of b at a time (b_k -= a_ki b_i for i > k, in
  // that order, then times 1 / a_kk): the same operations as an element at a
  // time, over contiguous rows.
  for (std::size_t k = n; k-- > 0;) {
    const Complex inverse = 1.0 / a(k, k);
    if (b.cols() == 0) continue;
    RowSum sum(&b(k, 0), b.cols());
    for (std::size_t i = k + 1; i < n; ++i) sum.add(&b(i, 0), -a(k, i));
    sum.finish();
    for (std::size_t j = 0; j < b.cols(); ++j) b(k, j) = times(b(k, j), inverse);
  }
  if (pivot_ratio) *pivot_ratio = n == 0 ? 1.0 : std::sqrt(smallest_pivot / largest);
  return b;
}

namespace {

// In place: the upper triangle of `a` becomes U = D L^T (u_kk = d_k, u_ki =
// d_k l_ik) and the lower one L's multipliers l_ik, a row at a time: row i
// less l_ik times each row k above it, in the order of k (the right-looking
// elimination's operations, row by row). `inverse` receives 1 / d_k. False
// when it is not to be trusted (see solve_symmetric).
VESKAL_WIDE_CLONES bool factor_symmetric(Matrix& a, std::vector<Complex>& inverse) {
  constexpr double least_pivot = 1e-6, most_growth = 1e4;  // of the largest entry
  const std::size_t n = a.rows();
  if (a.cols() != n) throw std::invalid_argument("a symmetric matrix must be square");
  double largest = 0.0;
  for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, largest_norm(&a(i, i), n - i));
  double largest_l = 0.0, largest_u = 0.0;
  inverse.assign(n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    RowSum sum(&a(i, i), n - i);
    for (std::size_t k = 0; k < i; ++k) {
      const Complex l = times(a(k, i), inverse[k]);
      largest_l = std::max(largest_l, std::norm(l));
      a(i, k) = l;
      sum.add(&a(k, i), -l);
    }
    sum.finish();
    const Complex d = a(i, i);
    if (!(std::norm(d) >= least_pivot * least_pivot * largest)) return false;
    largest_u = std::max(largest_u, largest_norm(&a(i, i), n - i));
    inverse[i] = 1.0 / d;
  }
  return largest_l * largest_u <= most_growth * most_growth * largest;
}

}  // namespace

VESKAL_WIDE_CLONES std::optional<Matrix> solve_symmetric(Matrix a, Matrix b) {
  const std::size_t n = a.rows();
  if (b.rows() != n) throw std::invalid_argument("solve: sizes do not match");
  std::vector<Complex> inverses;
  if (!factor_symmetric(a, inverses)) return std::nullopt;
  // L z = b (z_i = b_i - sum_{k<i} l_ik z_k), then U x = z (x_k = (z_k -
  // sum_{i>k} u_ki x_i) / d_k), whole rows of b at a time.
  const std::size_t m = b.cols();
  for (std::size_t i = 0; i < n; ++i) {
    RowSum sum(&b(i, 0), m);
    for (std::size_t k = 0; k < i; ++k) sum.add(&b(k, 0), -a(i, k));
    sum.finish();
  }
  for (std::size_t k = n; k-- > 0;) {
    RowSum sum(&b(k, 0), m);
    for (std::size_t i = k + 1; i < n; ++i) sum.add(&b(i, 0), -a(k, i));
    sum.finish();
    for (std::size_t j = 0; j < m; ++j) b(k, j) = times(b(k, j), inverses[k]);
  }
  return b;
}

VESKAL_WIDE_CLONES std::optional<Matrix> inverse_symmetric(Matrix a) {
  const std::size_t n = a.rows();
  std::vector<Complex> inverses;
  if (!factor_symmetric(a, inverses)) return std::nullopt;
  // The substitutions of solve_symmetric with b = I, for the lower triangle
  // only: L^-1 is lower triangular (row k of it ends at column k, so four
  // rows k.. k+3 are added over k + 4 columns), and the lower triangle of
  // the inverse, row k, needs only the rows below it as far as column k. The
  // upper triangle is its mirror.
  Matrix x = Matrix::identity(n);
  for (std::size_t i = 1; i < n; ++i) {
    Complex* y = &x(i, 0);
    std::size_t k = 0;
    for (; k + 4 <= i; k += 4) {
      const Complex* rows[4] = {&x(k, 0), &x(k + 1, 0), &x(k + 2, 0), &x(k + 3, 0)};
      const Complex scales[4] = {-a(i, k), -a(i, k + 1), -a(i, k + 2), -a(i, k + 3)};
      add_scaled_4(y, rows, scales, k + 4);
    }
    for (; k < i; ++k) add_scaled(y, &x(k, 0), -a(i, k), k + 1);
  }
  for (std::size_t k = n; k-- > 0;) {
    RowSum sum(&x(k, 0), k + 1);
    for (std::size_t i = k + 1; i < n; ++i) sum.add(&x(i, 0), -a(k, i));
    sum.finish();
    for (std::size_t j = 0; j <= k; ++j) x(k, j) = times(x(k, j), inverses[k]);
  }
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j) x(i, j) = x(j, i);
  return x;
}

VESKAL_WIDE_CLONES Matrix transposed_product(const Matrix& a, const Matrix& b) {
  if (a.rows() != b.rows()) throw std::invalid_argument("matrix sizes do not chain");
  Matrix c(a.cols(), b.cols());
  if (b.cols() == 0) return c;
  for (std::size_t i = 0; i < a.cols(); ++i) {
    RowSum sum(&c(i, 0), b.cols());
    for (std::size_t k = 0; k < a.rows(); ++k) sum.add(&b(k, 0), a(k, i));
    sum.finish();
  }
  return c;
}

VESKAL_WIDE_CLONES Matrix symmetric_product(const Matrix& a, const Matrix& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols())
    throw std::invalid_argument("a symmetric product must be square");
  const std::size_t n = a.cols();
  Matrix c(n, n);
  for (std::size_t i = 0; i < n; ++i) {
    RowSum sum(&c(i, i), n - i);
    for (std::size_t k = 0; k < a.rows(); ++k) sum.add(&b(k, i), a(k, i));
    sum.finish();
    for (std::size_t j = i + 1; j < n; ++j) c(j, i) = c(i, j);
  }
  return c;
}

}  // namespace modal

#undef VESKAL_WIDE_CLONES
#undef VESKAL_INLINE
