// Small dense complex matrices for the generalised scattering matrices of the
// mode-matching engine: products, sums, the solution of A X = B by LU
// factorisation with partial pivoting (Golub and Van Loan, alg. 3.4.1), and
// for the symmetric matrices of reciprocal steps an L D L^T factorisation
// and inverse at half LU's work. The matrices hold tens to a few hundred
// modes. The time is in one inner loop, y += s x along a row
// (modal/matrix.cpp): products of finite numbers written out, four rows
// added in a pass, built for AVX2 and for the baseline with the processor
// choosing once a solve.
#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <vector>

namespace modal {

using Complex = std::complex<double>;

// a b for finite values: GCC calls __muldc3 for std::complex's product (to
// recover infinite parts, C99 Annex G), ten times slower in these loops.
inline Complex times(const Complex& a, const Complex& b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

class Matrix {
 public:
  Matrix() = default;
  Matrix(std::size_t rows, std::size_t cols) : rows_(rows), cols_(cols), data_(rows * cols) {}
  static Matrix identity(std::size_t n);
  static Matrix diagonal(const std::vector<Complex>& d);

  std::size_t rows() const { return rows_; }
  std::size_t cols() const { return cols_; }
  Complex& operator()(std::size_t i, std::size_t j) { return data_[i * cols_ + j]; }
  const Complex& operator()(std::size_t i, std::size_t j) const { return data_[i * cols_ + j]; }

  Matrix transpose() const;
  Matrix& operator+=(const Matrix& b);
  Matrix& operator-=(const Matrix& b);
  Matrix& operator*=(double s);

 private:
  std::size_t rows_ = 0, cols_ = 0;
  std::vector<Complex> data_;
};

Matrix operator*(const Matrix& a, const Matrix& b);
// A x.
std::vector<Complex> operator*(const Matrix& a, const std::vector<Complex>& x);
Matrix operator+(Matrix a, const Matrix& b);
Matrix operator-(Matrix a, const Matrix& b);

// X with A X = B; std::domain_error for a singular A. `pivot_ratio`, when
// given, receives the smallest pivot's size over the largest entry of A: a
// cheap warning of an ill-conditioned A (rounding grows about as its inverse).
Matrix solve(Matrix a, Matrix b, double* pivot_ratio = nullptr);

// For a complex symmetric A (A^T = A, not Hermitian: reciprocal networks in
// power-normalised waves), of which the upper triangle is read: A = L D L^T
// without pivoting (Golub and Van Loan, alg. 4.1.2, with transposes for
// conjugates), half the work of LU. Without pivoting it can lose accuracy,
// so it gives none when a pivot falls below 1e-6 of A's largest entry
// (A nearly singular, as `solve` warns) or when max|L| max|D L^T| exceeds
// 1e4 of it (element growth: the backward error is about n u |L||D L^T|,
// Higham, "Accuracy and Stability of Numerical Algorithms", sec. 11.1);
// the caller then uses `solve`.
std::optional<Matrix> solve_symmetric(Matrix a, Matrix b);
// A^-1, symmetric, from the same factorisation (a third of n^3 more
// multiply-adds, against n^3 for `solve` with B = I).
std::optional<Matrix> inverse_symmetric(Matrix a);
// A^T B (A's columns read in place).
Matrix transposed_product(const Matrix& a, const Matrix& b);
// A^T B when the product is known to be symmetric: its upper triangle,
// mirrored (A's columns read in place, without forming its transpose).
Matrix symmetric_product(const Matrix& a, const Matrix& b);

}  // namespace modal
