#include "modal/matrix.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

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

Matrix& Matrix::operator*=(Complex s) {
  for (Complex& v : data_) v *= s;
  return *this;
}

Matrix Matrix::scale_rows(const std::vector<Complex>& d) const {
  Matrix m = *this;
  for (std::size_t i = 0; i < rows_; ++i)
    for (std::size_t j = 0; j < cols_; ++j) m(i, j) *= d[i];
  return m;
}

Matrix Matrix::scale_cols(const std::vector<Complex>& d) const {
  Matrix m = *this;
  for (std::size_t i = 0; i < rows_; ++i)
    for (std::size_t j = 0; j < cols_; ++j) m(i, j) *= d[j];
  return m;
}

namespace {

// y += s x over n numbers: the inner loop of the products and of the
// elimination, nearly all of a horn's time. Built twice on x86-64 with GCC,
// for AVX2 and for the baseline, the processor choosing at load time (the
// same arithmetic, in wider registers).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void add_scaled(Complex* __restrict y, const Complex* __restrict x, Complex s, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) y[j] += times(s, x[j]);
}

}  // namespace

Matrix operator*(const Matrix& a, const Matrix& b) {
  if (a.cols() != b.rows()) throw std::invalid_argument("matrix sizes do not chain");
  Matrix c(a.rows(), b.cols());
  if (b.cols() == 0) return c;
  for (std::size_t i = 0; i < a.rows(); ++i)
    for (std::size_t k = 0; k < a.cols(); ++k) {
      const Complex aik = a(i, k);
      if (aik == 0.0) continue;
      add_scaled(&c(i, 0), &b(k, 0), aik, b.cols());
    }
  return c;
}

Matrix operator+(Matrix a, const Matrix& b) { return a += b; }
Matrix operator-(Matrix a, const Matrix& b) { return a -= b; }

Matrix solve(Matrix a, Matrix b, double* pivot_ratio) {
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
    for (std::size_t i = k + 1; i < n; ++i) add_scaled(&b(k, 0), &b(i, 0), -a(k, i), b.cols());
    for (std::size_t j = 0; j < b.cols(); ++j) b(k, j) = times(b(k, j), inverse);
  }
  if (pivot_ratio) *pivot_ratio = n == 0 ? 1.0 : std::sqrt(smallest_pivot / largest);
  return b;
}

}  // namespace modal
