// The mode-matching engine's pieces against independent evaluations: the
// roots against tabulated values, the normalisation and every coupling
// against numerical integration of the mode functions.
#include <gtest/gtest.h>

#include <boost/math/quadrature/gauss.hpp>
#include <cmath>
#include <complex>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "aperture/field.hpp"
#include "aperture/figures.hpp"
#include "modal/band.hpp"
#include "modal/figures.hpp"
#include "modal/horn.hpp"
#include "modal/junction.hpp"
#include "modal/modes.hpp"
#include "modal/radiation.hpp"
#include "numerics/errors.hpp"

namespace {

using modal::Kind;
using modal::Mode;

// Abramowitz and Stegun, table 9.5: the zeros of J1 and J1'.
TEST(ModalModes, RootsAgainstTheTables) {
  const double j1[] = {3.8317059702, 7.0155866698, 10.1734681351, 13.3236919363};
  const double j1_prime[] = {1.8411837813, 5.3314427735, 8.5363163663, 11.7060049025};
  for (int n = 1; n <= 4; ++n) {
    EXPECT_NEAR(modal::root(Kind::tm, n), j1[n - 1], 1e-9);
    EXPECT_NEAR(modal::root(Kind::te, n), j1_prime[n - 1], 1e-9);
  }
  const auto list = modal::modes_below(11.0);
  ASSERT_EQ(list.size(), 6u);  // TE11 TM11 TE12 TM12 TE13 TM13
  EXPECT_EQ(list[0].kind, Kind::te);
  EXPECT_EQ(list[1].kind, Kind::tm);
  for (std::size_t i = 1; i < list.size(); ++i) EXPECT_LT(list[i - 1].root, list[i].root);
  EXPECT_THROW(modal::modes_below(1e4), modal::WorkLimit);
}

// pi int (f_a f_b + g_a g_b) rho drho over [0, a] by 96-point Gauss-Legendre
// (the phi integrals of cos^2 and sin^2 give pi each).
double numeric_coupling(const Mode& s, double a, const Mode& l, double b) {
  return M_PI * boost::math::quadrature::gauss<double, 96>::integrate(
                    [&](double rho) {
                      const auto p = modal::field(s, a, rho), q = modal::field(l, b, rho);
                      return (p.f * q.f + p.g * q.g) * rho;
                    },
                    0.0, a);
}

TEST(ModalModes, NormalisedAndOrthogonal) {
  const auto list = modal::modes_below(30.0);
  for (const double a : {0.01, 1.0, 7.5})
    for (const Mode& m : list)
      for (const Mode& n : list)
        EXPECT_NEAR(numeric_coupling(m, a, n, a), &m == &n ? 1.0 : 0.0, 1e-10)
            << (m.kind == Kind::te ? "TE" : "TM") << m.index << " " << (n.kind == Kind::te ? "TE" : "TM")
            << n.index;
}

// Every pair of kinds, radii from equal to five times, against the
// numerical integral; the same guide gives the identity.
TEST(ModalModes, CouplingsInClosedForm) {
  for (const double ratio : {1.0, 1.0000001, 1.3, 2.0, 5.0}) {
    const double a = 1.0, b = ratio;
    for (const Mode& s : modal::modes_below(25.0))
      for (const Mode& l : modal::modes_below(25.0 * ratio)) {
        const double closed = modal::coupling(s, a, l, b), numeric = numeric_coupling(s, a, l, b);
        EXPECT_NEAR(closed, numeric, 1e-10)
            << "ratio " << ratio << " " << (s.kind == Kind::te ? "TE" : "TM") << s.index << " "
            << (l.kind == Kind::te ? "TE" : "TM") << l.index;
      }
  }
}

}  // namespace

namespace {

using modal::Complex;
using modal::Gsm;
using modal::Guide;
using modal::Matrix;

// The largest departure from symmetry of the whole matrix [S11 S12; S21 S22].
double asymmetry(const Gsm& s) {
  double worst = 0.0;
  for (std::size_t i = 0; i < s.s11.rows(); ++i)
    for (std::size_t j = 0; j < s.s11.cols(); ++j)
      worst = std::max(worst, std::abs(s.s11(i, j) - s.s11(j, i)));
  for (std::size_t i = 0; i < s.s22.rows(); ++i)
    for (std::size_t j = 0; j < s.s22.cols(); ++j)
      worst = std::max(worst, std::abs(s.s22(i, j) - s.s22(j, i)));
  for (std::size_t i = 0; i < s.s12.rows(); ++i)
    for (std::size_t j = 0; j < s.s12.cols(); ++j)
      worst = std::max(worst, std::abs(s.s12(i, j) - s.s21(j, i)));
  return worst;
}

// For each propagating mode sent in at either port, 1 minus the power that
// leaves in the propagating modes of both ports.
double power_defect(const Gsm& s, const Guide& left, const Guide& right, double k0) {
  const auto pl = modal::propagating(left, k0), pr = modal::propagating(right, k0);
  double worst = 0.0;
  auto column = [&](const Matrix& back, const Matrix& through, std::size_t m) {
    double out = 0.0;
    for (std::size_t i = 0; i < back.rows(); ++i)
      if ((&back == &s.s11 ? pl : pr)[i]) out += std::norm(back(i, m));
    for (std::size_t i = 0; i < through.rows(); ++i)
      if ((&through == &s.s21 ? pr : pl)[i]) out += std::norm(through(i, m));
    worst = std::max(worst, std::abs(1.0 - out));
  };
  for (std::size_t m = 0; m < pl.size(); ++m)
    if (pl[m]) column(s.s11, s.s21, m);
  for (std::size_t m = 0; m < pr.size(); ++m)
    if (pr[m]) column(s.s22, s.s12, m);
  return worst;
}

TEST(ModalJunction, LosslessAndReciprocal) {
  for (const double ratio : {1.1, 1.6, 3.0})
    for (const double k0a : {2.0, 3.5, 6.0, 11.0})
      for (const double kmax_a : {12.0, 30.0}) {
        const double a = 0.01, k0 = k0a / a;
        const Guide small = modal::guide(a, kmax_a / a), large = modal::guide(ratio * a, kmax_a / a);
        for (const bool up : {true, false}) {
          const Gsm s = up ? modal::junction(small, large, k0) : modal::junction(large, small, k0);
          EXPECT_LT(asymmetry(s), 1e-12) << ratio << " " << k0a;
          EXPECT_LT(power_defect(s, up ? small : large, up ? large : small, k0), 1e-10)
              << ratio << " " << k0a;
        }
      }
}

// The input reflection of TE-11 at a step settles as the modes grow by the
// ratio rule: against K_max a = 320 (203 and 325 modes), doubling K_max from
// 40 brings it closer each time (the edge field at the step makes the
// convergence algebraic, with a small oscillation: 1.1e-4 at 40, 4.8e-5 at
// 80, 2e-5 at 160).
TEST(ModalJunction, ConvergesInTheNumberOfModes) {
  const double a = 0.01, b = 0.016, k0 = 3.0 / a;
  auto s11 = [&](double kmax_a) {
    return modal::junction(modal::guide(a, kmax_a / a), modal::guide(b, kmax_a / a), k0).s11(0, 0);
  };
  const Complex reference = s11(320.0);
  double previous = 1.0;
  for (const double kmax_a : {40.0, 80.0, 160.0}) {
    const double error = std::abs(s11(kmax_a) - reference);
    EXPECT_LT(error, previous) << kmax_a;
    previous = error;
  }
  EXPECT_LT(previous, 5e-5);
}

// The matrix of couplings equals the couplings one by one.
TEST(ModalModes, CouplingMatrix) {
  const auto small = modal::modes_below(20.0), large = modal::modes_below(34.0);
  const auto x = modal::couplings(small, 1.0, large, 1.7);
  for (std::size_t i = 0; i < small.size(); ++i)
    for (std::size_t j = 0; j < large.size(); ++j)
      EXPECT_NEAR(x[i * large.size() + j], modal::coupling(small[i], 1.0, large[j], 1.7), 1e-13);
}

// A straight guide cut anywhere: no reflection, TE-11 only, its phase that
// of the length; and the cascade is associative.
TEST(ModalCascade, StraightGuideAndAssociativity) {
  const double a = 0.0125, k0 = 2.5 / a;
  const Guide g = modal::guide(a, 30.0 / a);
  Gsm whole = modal::section(g, 0.01, k0);
  for (const double length : {0.02, 0.005, 0.03}) {
    whole = modal::cascade(whole, modal::junction(g, g, k0));
    whole = modal::cascade(whole, modal::section(g, length, k0));
  }
  const Complex beta = modal::propagation(g, k0)[0];
  EXPECT_LT(std::abs(whole.s11(0, 0)), 1e-15);
  EXPECT_LT(std::abs(whole.s21(0, 0) - std::exp(Complex(0.0, -1.0) * beta * 0.065)), 1e-12);
  for (std::size_t i = 1; i < g.modes.size(); ++i) EXPECT_LT(std::abs(whole.s21(i, 0)), 1e-15);

  const Guide wide = modal::guide(1.7 * a, 30.0 / a);
  const Gsm x = modal::junction(g, wide, k0), y = modal::section(wide, 0.004, k0),
            z = modal::junction(wide, g, k0);
  const Gsm p = modal::cascade(modal::cascade(x, y), z), q = modal::cascade(x, modal::cascade(y, z));
  for (std::size_t i = 0; i < p.s11.rows(); ++i)
    for (std::size_t j = 0; j < p.s11.cols(); ++j) {
      EXPECT_LT(std::abs(p.s11(i, j) - q.s11(i, j)), 1e-12);
      EXPECT_LT(std::abs(p.s21(i, j) - q.s21(i, j)), 1e-12);
    }
  EXPECT_LT(power_defect(p, g, g, k0), 1e-10);
  EXPECT_LT(asymmetry(p), 1e-12);
}

// The symmetric solutions against LU: a complex symmetric matrix (a
// reciprocal junction's I + S11 kind) solved and inverted to rounding, the
// inverse exactly symmetric; the symmetric product against the plain one.
// A symmetric matrix that needs pivoting (a zero or tiny leading pivot) is
// declined, where LU solves it.
TEST(ModalMatrix, SymmetricSolutionsAgainstLu) {
  auto entry = [](std::size_t i, std::size_t j) {  // symmetric in i, j
    const double s = double(i + j), d = double(i > j ? i - j : j - i);
    return Complex(std::sin(1.3 * s + 0.7 * d), 0.4 * std::cos(0.9 * s - 2.1 * d)) / (1.0 + d);
  };
  for (const std::size_t n : {1, 2, 7, 45}) {
    Matrix a(n, n), b(n, 3), f(n + 4, n);
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < n; ++j) a(i, j) = entry(i, j) + (i == j ? 2.0 : 0.0);
      for (std::size_t j = 0; j < 3; ++j) b(i, j) = Complex(double(i) - 1.5 * double(j), 0.25 * double(j));
    }
    for (std::size_t i = 0; i < n + 4; ++i)
      for (std::size_t j = 0; j < n; ++j) f(i, j) = entry(i, 3 * j + 1);
    const auto x = modal::solve_symmetric(a, b);
    const auto inverse = modal::inverse_symmetric(a);
    ASSERT_TRUE(x && inverse) << n;
    const Matrix lu = modal::solve(a, b), unit = a * *inverse;
    double worst = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < 3; ++j) worst = std::max(worst, std::abs((*x)(i, j) - lu(i, j)));
      for (std::size_t j = 0; j < n; ++j) {
        worst = std::max(worst, std::abs(unit(i, j) - (i == j ? 1.0 : 0.0)));
        EXPECT_EQ((*inverse)(i, j), (*inverse)(j, i));
      }
    }
    EXPECT_LT(worst, 1e-12) << n;
    // F^T S F is symmetric.
    Matrix sym(n + 4, n + 4);
    for (std::size_t i = 0; i < n + 4; ++i)
      for (std::size_t j = 0; j < n + 4; ++j) sym(i, j) = entry(i, j);
    const Matrix ft = f.transpose(), sf = sym * f;
    const Matrix plain = ft * sf, symmetric = modal::symmetric_product(f, sf);
    worst = 0.0;
    for (std::size_t i = 0; i < plain.rows(); ++i)
      for (std::size_t j = 0; j < plain.cols(); ++j)
        worst = std::max(worst, std::abs(plain(i, j) - symmetric(i, j)));
    EXPECT_LT(worst, 1e-12) << n;
  }
  Matrix swap(2, 2);
  swap(0, 1) = swap(1, 0) = 1.0;
  Matrix tiny = swap;
  tiny(0, 0) = 1e-9;
  tiny(1, 1) = 1.0;
  for (const Matrix& a : {swap, tiny}) {
    EXPECT_FALSE(modal::solve_symmetric(a, Matrix::identity(2)).has_value());
    EXPECT_FALSE(modal::inverse_symmetric(a).has_value());
    const Matrix unit = a * modal::solve(a, Matrix::identity(2));
    EXPECT_LT(std::abs(unit(0, 0) - 1.0) + std::abs(unit(0, 1)) + std::abs(unit(1, 1) - 1.0), 1e-12);
  }
}

// Back through a step directly (step_back) is the scattering matrix's
// cascade to rounding, up and down, for loads with propagating and
// evanescent parts, and for a load whose first mode sits where I + G (up)
// or I - G (down) has a zero pivot (the symmetric factorisation gives way
// to LU); a load that shorts a mode combination (G = -I up a step, +I down
// one) leaves the step to the cascade.
// How far a crossing's reflection, and the wave it passes on for a test
// wave, lie from those of the scattering matrix s loaded by g beyond it.
double distance_from_cascade(const modal::StepBack& back, const Gsm& s, const Matrix& g) {
  const Matrix passed = modal::solve(Matrix::identity(g.rows()) - s.s22 * g, s.s21);
  const Matrix reflection = s.s11 + s.s12 * (g * passed);
  double worst = 0.0;
  for (std::size_t i = 0; i < reflection.rows(); ++i)
    for (std::size_t j = 0; j < reflection.cols(); ++j)
      worst = std::max(worst, std::abs(reflection(i, j) - back.reflection(i, j)));
  std::vector<Complex> f(passed.cols());
  f[0] = 1.0;
  if (f.size() > 2) f[2] = Complex(0.3, -0.2);
  const auto wave = back.pass(f), expected = passed * f;
  for (std::size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(expected[i] - wave[i]));
  return worst;
}

TEST(ModalJunction, StepBackIsTheCascade) {
  const double a = 0.01;
  for (const double ratio : {1.05, 1.6, 3.0})
    for (const double k0a : {2.5, 6.0, 11.0}) {
      const double k0 = k0a / a;
      const Guide small = modal::guide(a, 25.0 / a), large = modal::guide(ratio * a, 25.0 / a);
      for (const bool up : {true, false}) {
        const Guide& left = up ? small : large;
        const Guide& right = up ? large : small;
        // A load: a further step and a section beyond `right`.
        const Guide beyond = modal::guide(1.3 * right.radius, 25.0 / a);
        const Gsm rest = modal::cascade(modal::section(right, 0.003, k0), modal::junction(right, beyond, k0));
        Matrix pivoting = rest.s11;
        pivoting(0, 0) = up ? -1.0 : 1.0;
        pivoting(0, 1) = pivoting(1, 0) = 0.5;
        for (const Matrix& g : {rest.s11, pivoting}) {
          const auto back = modal::step_back(left, right, g, k0);
          ASSERT_TRUE(back.has_value()) << ratio << " " << k0a;
          EXPECT_LT(distance_from_cascade(*back, modal::junction(left, right, k0), g), 1e-10)
              << ratio << " " << k0a << " " << up;
        }
      }
      Matrix short_circuit = Matrix::identity(large.modes.size());
      short_circuit *= -1.0;
      EXPECT_FALSE(modal::step_back(small, large, short_circuit, k0).has_value());
      EXPECT_FALSE(modal::step_back(large, small, Matrix::identity(small.modes.size()), k0).has_value());
    }
}

// A slot as one network: its reflection and the wave it passes on match the
// scattering matrices of its two steps and its length, cascaded.
TEST(ModalJunction, SlotIsTheCascade) {
  const double a = 0.01;
  for (const auto& [slot_ratio, right_ratio] : {std::pair{1.6, 1.1}, {3.0, 0.8}, {1.2, 1.0}})
    for (const double k0a : {2.5, 6.0, 11.0})
      for (const double length : {0.0008, 0.004}) {
        const double k0 = k0a / a, kmax = 25.0 / a;
        const Guide left = modal::guide(a, kmax), slot = modal::guide(slot_ratio * a, kmax),
                    right = modal::guide(right_ratio * a, kmax),
                    beyond = modal::guide(1.3 * right.radius, kmax);
        const Matrix g =
            modal::cascade(modal::section(right, 0.003, k0), modal::junction(right, beyond, k0)).s11;
        const auto back =
            modal::slot_back(modal::guide_at(left, k0), modal::guide_at(slot, k0), modal::guide_at(right, k0),
                             length, g, modal::couplings(left.modes, left.radius, slot.modes, slot.radius),
                             modal::couplings(right.modes, right.radius, slot.modes, slot.radius));
        ASSERT_TRUE(back.has_value()) << slot_ratio << " " << k0a << " " << length;
        const Gsm s =
            modal::cascade(modal::cascade(modal::junction(left, slot, k0), modal::section(slot, length, k0)),
                           modal::junction(slot, right, k0));
        EXPECT_LT(distance_from_cascade(*back, s, g), 1e-10) << slot_ratio << " " << k0a << " " << length;
      }
  // A slot half a wavelength of its TE-11 long: u and v are unbounded, and
  // the steps serve instead.
  const double k0 = 6.0 / a;
  const Guide left = modal::guide(a, 25.0 / a), slot = modal::guide(2.0 * a, 25.0 / a);
  const double beta = modal::propagation(slot, k0)[0].real();
  EXPECT_FALSE(modal::slot_back(modal::guide_at(left, k0), modal::guide_at(slot, k0),
                                modal::guide_at(left, k0), M_PI / beta,
                                Matrix(left.modes.size(), left.modes.size()),
                                modal::couplings(left.modes, a, slot.modes, slot.radius),
                                modal::couplings(left.modes, a, slot.modes, slot.radius))
                   .has_value());
}

}  // namespace

namespace {

constexpr double x_band_k0 = 2.0 * M_PI * 10e9 / 299792458.0;  // 10 GHz

// Power in the propagating waves leaving the horn: back into the input guide
// and forward at the (matched) aperture, for a unit TE-11 wave sent in.
double power_out(const modal::HornWave& w, double k0) {
  double p = 0.0;
  const auto in = modal::propagating(w.input, k0), out = modal::propagating(w.aperture, k0);
  for (std::size_t i = 0; i < in.size(); ++i)
    if (in[i]) p += std::norm(w.reflected[i]);
  for (std::size_t i = 0; i < out.size(); ++i)
    if (out[i]) p += std::norm(w.forward[i]);
  return p;
}

TEST(ModalHorn, StraightGuideReflectsNothing) {
  const double a = 0.0119;
  const auto w = modal::follow_wave(modal::staircase({{0.0, a}, {0.05, a}, {0.12, a}}, 1e-3, 1e-4), x_band_k0,
                                    3.0 * x_band_k0);
  EXPECT_EQ(std::abs(w.reflection), 0.0);
  const Complex beta = modal::propagation(w.aperture, x_band_k0)[0];
  EXPECT_LT(std::abs(w.forward[0] - std::exp(Complex(0.0, -1.0) * beta * 0.12)), 1e-12);
  for (std::size_t i = 1; i < w.forward.size(); ++i) EXPECT_EQ(std::abs(w.forward[i]), 0.0);
}

// An open straight guide under free space's load: its TE-11 reflection at
// the input is the wave-impedance step's, (k - beta) / (k + beta) in size,
// and its aperture field is a Huygens source (V = I), so its radiation is
// (1 + cos theta) times the mode's transform in both planes.
TEST(ModalHorn, OpenGuideMeetsFreeSpace) {
  const double a = 0.0119;
  const auto w = modal::follow_wave(modal::staircase({{0.0, a}, {0.12, a}}, 1e-3, 1e-4), x_band_k0,
                                    3.0 * x_band_k0, modal::ApertureLoad::free_space);
  const double beta = modal::propagation(w.aperture, x_band_k0)[0].real();
  EXPECT_NEAR(std::abs(w.reflection), (x_band_k0 - beta) / (x_band_k0 + beta), 1e-12);
  const modal::ModalRadiator radiator(w, x_band_k0);
  for (const double t : {0.3, 0.8, 1.2}) {
    const auto f = radiator.far_fields(t);
    const auto p = modal::transform(w.aperture.modes[0], a, x_band_k0 * std::sin(t));
    EXPECT_NEAR(std::abs(f.e / f.h), std::abs(p.e / p.h), 1e-12) << t;
  }
  // The same load as a matrix (the admittance of free space's Huygens
  // source, the identity), through the path an outside's admittance takes:
  // the same wave.
  const modal::Staircase stair(modal::staircase({{0.0, a}, {0.12, a}}, 1e-3, 1e-4), 3.0 * x_band_k0);
  const modal::Guide& mouth = w.aperture;
  const modal::Matrix gamma =
      modal::aperture_reflection(mouth, x_band_k0, modal::Matrix::identity(mouth.modes.size()));
  const auto by_matrix = modal::follow_wave(stair, x_band_k0, gamma);
  EXPECT_NEAR(std::abs(by_matrix.reflection - w.reflection), 0.0, 1e-12);
  EXPECT_THROW(modal::follow_wave(stair, x_band_k0, modal::Matrix::identity(mouth.modes.size() + 1)),
               std::invalid_argument);
}

// A cone from an X-band guide (radius 11.9 mm, TE-11 cut-off 7.4 GHz) to a
// 30 mm aperture: power kept to 1e-10 at every frequency of the band, and
// the reflection settled in the number of steps.
TEST(ModalHorn, ConeConservesPowerAndConverges) {
  const auto profile = modal::cone_profile(0.0119, 0.030, 0.100, 0.02);
  for (const double f : {8e9, 10e9, 12e9}) {
    const double k0 = 2.0 * M_PI * f / 299792458.0;
    const auto w = modal::follow_wave(modal::staircase(profile, 1e-3, 2.5e-4), k0, 3.0 * k0);
    EXPECT_NEAR(power_out(w, k0), 1.0, 1e-10) << f;
  }
  std::vector<Complex> r;
  for (const double step : {2e-3, 1e-3, 5e-4})
    r.push_back(
        modal::follow_wave(modal::staircase(profile, step, step / 4), x_band_k0, 3.0 * x_band_k0).reflection);
  EXPECT_LT(std::abs(r[2] - r[1]), std::abs(r[1] - r[0]));
  EXPECT_LT(std::abs(r[2] - r[1]), 1e-3);
}

// The same wall cut into different segments: a cylinder split in two, and a
// stepped horn whose steps are listed with and without repeated points.
TEST(ModalHorn, IndependentOfHowTheWallIsCut) {
  const std::vector<modal::ProfilePoint> plain = {{0.0, 0.0119}, {0.03, 0.0119}, {0.03, 0.016},
                                                  {0.05, 0.016}, {0.05, 0.022},  {0.08, 0.022}};
  const std::vector<modal::ProfilePoint> cut = {{0.0, 0.0119},  {0.01, 0.0119}, {0.03, 0.0119}, {0.03, 0.016},
                                                {0.04, 0.016},  {0.05, 0.016},  {0.05, 0.016},  {0.05, 0.022},
                                                {0.065, 0.022}, {0.08, 0.022}};
  const auto a = modal::follow_wave(modal::staircase(plain, 1e-3, 1e-4), x_band_k0, 3.0 * x_band_k0);
  const auto b = modal::follow_wave(modal::staircase(cut, 1e-3, 1e-4), x_band_k0, 3.0 * x_band_k0);
  EXPECT_LT(std::abs(a.reflection - b.reflection), 1e-13);
  for (std::size_t i = 0; i < a.forward.size(); ++i) EXPECT_LT(std::abs(a.forward[i] - b.forward[i]), 1e-13);
  EXPECT_NEAR(power_out(a, x_band_k0), 1.0, 1e-10);

  // The engine's own limit error, with the quantity, the value and the limit
  // (not the standard library's length_error).
  try {
    modal::staircase({{0.0, 0.01}, {1.0, 0.02}}, 1e-6, 1e-6);
    ADD_FAILURE() << "a million sections were built";
  } catch (const modal::WorkLimit& e) {
    EXPECT_EQ(e.quantity(), "sections");
    EXPECT_EQ(e.limit(), double(modal::max_sections));
    EXPECT_GT(e.value(), e.limit());
    EXPECT_FALSE(dynamic_cast<const std::length_error*>(&e));
  }
  EXPECT_THROW(modal::check_profile({{0.0, 0.01}}), std::invalid_argument);
  EXPECT_THROW(modal::check_profile({{0.0, 0.01}, {-0.01, 0.02}}), std::invalid_argument);
  EXPECT_THROW(modal::check_profile({{0.0, 0.01}, {0.01, 0.0}}), std::invalid_argument);
  EXPECT_THROW(modal::check_profile({{0.0, 0.01}, {0.0, 0.02}}), std::invalid_argument);
  // The last point is the aperture: a wall ending in a step (an iris at the
  // mouth) is refused, naming that point.
  try {
    modal::check_profile({{0.0, 0.01}, {0.02, 0.01}, {0.1, 0.04}, {0.1, 0.01}});
    ADD_FAILURE() << "a wall ending in a step was taken";
  } catch (const modal::ProfileError& e) {
    EXPECT_EQ(e.point, 4u);
    EXPECT_NE(e.fault.find("the last point is the aperture"), std::string::npos) << e.fault;
  }

  // A cone listed with 10, 1,000 and 20,000 points (as a script prints them,
  // nine digits) is one horn: the same staircase and the same wave.
  auto listed = [](int n) {
    std::vector<modal::ProfilePoint> p = {{0.0, 0.0119}};
    for (int i = 0; i <= n; ++i) {
      char z[32], r[32];
      std::snprintf(z, sizeof z, "%.9g", 0.0238 + 0.3 * i / n);
      std::snprintf(r, sizeof r, "%.9g", 0.0119 + 0.0331 * i / n);
      p.push_back({std::stod(z), std::stod(r)});
    }
    return p;
  };
  const auto ten = modal::follow_wave(modal::staircase(listed(10), 2e-3, 5e-4), x_band_k0, 3.0 * x_band_k0);
  for (const int n : {1000, 20000}) {
    EXPECT_EQ(modal::merged_profile(listed(n)).size(), 3u) << n;
    const auto many = modal::follow_wave(modal::staircase(listed(n), 2e-3, 5e-4), x_band_k0, 3.0 * x_band_k0);
    EXPECT_LT(std::abs(many.reflection - ten.reflection), 1e-12) << n;
    for (std::size_t i = 0; i < ten.forward.size(); ++i)
      EXPECT_LT(std::abs(many.forward[i] - ten.forward[i]), 1e-12) << n;
  }
  // A curved wall stays within the tolerance of itself.
  std::vector<modal::ProfilePoint> curved;
  for (int i = 0; i <= 2000; ++i) curved.push_back({0.1 * i / 2000, 0.01 + 0.02 * std::pow(i / 2000.0, 2)});
  const auto chords = modal::merged_profile(curved);
  EXPECT_LT(chords.size(), 200u);
  EXPECT_GT(chords.size(), 5u);
}

}  // namespace

namespace {

// Each mode's aperture transform in closed form against numerical
// integration of its definition, 2 pi int [(f - g)/2 J0(w rho) -+ (f + g)/2
// J2(w rho)] rho drho, at angles across the visible region and at w = k.
TEST(ModalRadiation, TransformsInClosedForm) {
  const double a = 0.03;
  for (const Mode& m : modal::modes_below(20.0))
    for (const double w : {0.0, 20.0, 150.0, m.root / a, 600.0}) {
      const auto integral = [&](double sign) {
        return 2.0 * M_PI *
               boost::math::quadrature::gauss<double, 96>::integrate(
                   [&](double rho) {
                     const auto r = modal::field(m, a, rho);
                     return ((r.f - r.g) / 2.0 * std::cyl_bessel_j(0.0, w * rho) +
                             sign * (r.f + r.g) / 2.0 * std::cyl_bessel_j(2.0, w * rho)) *
                            rho;
                   },
                   0.0, a);
      };
      const auto p = modal::transform(m, a, w);
      EXPECT_NEAR(p.e, integral(-1.0), 1e-10 * a) << m.root << " " << w;
      EXPECT_NEAR(p.h, integral(+1.0), 1e-10 * a) << m.root << " " << w;
    }
}

// TE-11 alone in a wide guide radiates as the aperture engine's Huygens
// source: its impedance k0 / beta is 1.0018 at ka = 30, and the patterns
// relative to the axis agree to that order down to -30 dB.
TEST(ModalRadiation, WideTE11IsTheApertureEnginesHuygensSource) {
  const double k0 = x_band_k0, a = 30.0 / k0;
  const Guide g = modal::guide(a, 3.0 * k0);
  std::vector<Complex> forward(g.modes.size());
  forward[0] = 1.0;
  const aperture::Aperture engine({a, 1e9 * a, 10.0}, aperture::Phase::quadratic);
  const auto axis = modal::far_field(g, forward, k0, 0.0);
  const Complex engine_axis = engine.far_field(aperture::Plane::e, 0.0);
  for (double degrees = 0.0; degrees <= 12.0; degrees += 0.5) {
    const double t = degrees * M_PI / 180.0;
    const auto f = modal::far_field(g, forward, k0, t);
    const Complex e = engine.far_field(aperture::Plane::e, t) / engine_axis;
    const Complex h = engine.far_field(aperture::Plane::h, t) / engine_axis;
    if (std::abs(e) > 0.03) {
      EXPECT_NEAR(std::abs(f.e / axis.e), std::abs(e), 2e-3) << degrees;
    }
    if (std::abs(h) > 0.03) {
      EXPECT_NEAR(std::abs(f.h / axis.h), std::abs(h), 2e-3) << degrees;
    }
  }
}

}  // namespace

namespace {

// A long smooth cone (X-band guide of radius 11.9 mm flared over 400 mm to a
// 45 mm aperture: ka 9.4, s 0.062) approaches the aperture engine with the
// spherical phase: within 0.15 dB down to -20 dB in both planes, and its
// 45-degree cross-polar peak within 0.1 dB. What is left is the modes' own
// impedance in place of the Huygens source's and the TM-11 and TE-12 waves
// the flare converts (|c| 0.09 and 0.04, in quadrature: the spherical phase
// of the aperture, expanded in the aperture guide's modes).
TEST(ModalRadiation, LongConeApproachesTheApertureEngine) {
  const double f = 10e9, k0 = 2.0 * M_PI * f / 299792458.0, b = 0.0119, a = 0.045, length = 0.4;
  const auto w = modal::follow_wave(modal::staircase(modal::cone_profile(b, a, length, 0.02), 1e-3, 2.5e-4),
                                    k0, 3.0 * k0);
  const double slant = std::hypot(length, a - b) * a / (a - b);
  const aperture::Aperture engine({a, slant, f / 1e9}, aperture::Phase::spherical);
  const auto axis = modal::far_field(w.aperture, w.forward, k0, 0.0);
  const Complex engine_axis = engine.far_field(aperture::Plane::e, 0.0);
  const auto db = [](Complex v) { return 20.0 * std::log10(std::abs(v)); };
  double modal_peak = -300.0, engine_peak = -300.0;
  for (double degrees = 1.0; degrees <= 40.0; degrees += 1.0) {
    const double t = degrees * M_PI / 180.0;
    const auto m = modal::far_field(w.aperture, w.forward, k0, t);
    const auto e = engine.far_fields(t);
    const double me = db(m.e / axis.e), mh = db(m.h / axis.h), ee = db(e.e / engine_axis),
                 eh = db(e.h / engine_axis);
    if (ee > -20.0) {
      EXPECT_NEAR(me, ee, 0.15) << degrees;
    }
    if (eh > -20.0) {
      EXPECT_NEAR(mh, eh, 0.15) << degrees;
    }
    modal_peak = std::max(modal_peak, db((m.e - m.h) / 2.0 / axis.e));
    engine_peak = std::max(engine_peak, db((e.e - e.h) / 2.0 / engine_axis));
  }
  EXPECT_NEAR(modal_peak, engine_peak, 0.1);
  EXPECT_LT(std::abs(w.reflection), 0.01);  // -46 dB: a gentle flare
}

}  // namespace

namespace {

TEST(ModalHorn, ProfileFiles) {
  const auto p =
      modal::read_profile("# a stepped horn, mm\n0 11.9\n30, 11.9  # the feed\n\n30\t16\n50 +16\n", 1e-3);
  ASSERT_EQ(p.size(), 4u);
  EXPECT_DOUBLE_EQ(p[2].radius, 0.016);
  EXPECT_DOUBLE_EQ(p[3].z, 0.05);
  const std::pair<const char*, const char*> bad[] = {
      {"0 1\n1 x\n", "line 2: 'x' is not a number"},
      {"0 1\n1 2 3\n", "line 2: a point is z and radius, two numbers"},
      {"# only\n0 1\n\n2 0\n", "line 4: the radius must be positive"},
      {"0 1\n2 1\n1 1\n", "line 3: z goes backward"},
      {"0 1\n", "a profile needs at least two points"},
  };
  for (const auto& [text, message] : bad) {
    try {
      modal::read_profile(text, 1.0);
      ADD_FAILURE() << text;
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()), message);
      // A fault at a line is an input error the caller names with its file.
      if (const auto* input = dynamic_cast<const numerics::InputError*>(&e))
        EXPECT_EQ(std::string(input->in_file("horn.profile").what()),
                  "horn.profile: " + std::string(message));
      else
        EXPECT_EQ(std::string(message).rfind("line ", 0), std::string::npos);
    }
  }
}

}  // namespace

namespace {

struct Beam {
  double cross_polar;     // the 45-degree plane's peak where the co-polar field is above -25 dB
  double e_10db, h_10db;  // full widths, degrees, on a 0.25-degree scan
};

Beam beam_of(const std::vector<modal::ProfilePoint>& profile, double f, double kmax = 3.0) {
  const double k0 = 2.0 * M_PI * f / 299792458.0;
  const auto w = modal::follow_wave(modal::staircase(profile, 1e-3, 2.5e-4), k0, kmax * k0);
  const auto axis = modal::far_field(w.aperture, w.forward, k0, 0.0);
  Beam b{-300.0, NAN, NAN};
  const auto db = [](Complex v) { return 20.0 * std::log10(std::abs(v)); };
  for (double d = 0.25; d <= 60.0; d += 0.25) {
    const auto m = modal::far_field(w.aperture, w.forward, k0, d * M_PI / 180.0);
    if (db((m.e + m.h) / 2.0 / axis.e) > -25.0)
      b.cross_polar = std::max(b.cross_polar, db((m.e - m.h) / 2.0 / axis.e));
    if (std::isnan(b.e_10db) && db(m.e / axis.e) < -10.0) b.e_10db = 2.0 * d;
    if (std::isnan(b.h_10db) && db(m.h / axis.h) < -10.0) b.h_10db = 2.0 * d;
  }
  return b;
}

std::vector<modal::ProfilePoint> example(const char* name) {
  std::ifstream in(std::string(VESKAL_SOURCE_DIR) + "/examples/horns/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return modal::read_profile(text.str(), 1e-3);
}

// The Potter horn of examples/ at its design frequency: the TM-11 its step
// converts makes the E- and H-plane beams equal and the cross-polar field
// low, where a plain cone of the same length is far from either.
TEST(ModalHorn, PotterHornEqualisesThePlanes) {
  const auto potter = beam_of(example("potter-x-band.profile"), 10e9);
  EXPECT_LT(potter.cross_polar, -33.0);
  EXPECT_NEAR(potter.e_10db, potter.h_10db, 1.0);
  const auto cone = beam_of({{0.0, 0.0168}, {0.024, 0.0168}, {0.2688, 0.048}}, 10e9);
  EXPECT_GT(cone.cross_polar, -20.0);
  EXPECT_GT(cone.h_10db - cone.e_10db, 6.0);
}

}  // namespace

namespace {

// The corrugated horn of examples/ over the band its slots allow (deeper
// than a quarter wave from 7.9 GHz): the cross-polar peak stays below -30 dB
// and the planes within 3 degrees at 10 dB; with half again as many modes the
// cross-polar peak moves by less than 1 dB.
TEST(ModalHorn, CorrugatedHornKeepsCrossPolarLow) {
  const auto profile = example("corrugated-x-band.profile");
  for (const double f : {8.5e9, 10e9, 11.5e9}) {
    const auto b = beam_of(profile, f);
    EXPECT_LT(b.cross_polar, -30.0) << f;
    EXPECT_NEAR(b.e_10db, b.h_10db, 3.0) << f;
  }
  auto peak = [&](double kmax) { return beam_of(profile, 10e9, kmax).cross_polar; };
  EXPECT_NEAR(peak(3.0), peak(4.5), 1.0);
}

}  // namespace

namespace {

// The long cone's figures against the aperture engine's: directivity (18.744
// and 18.752 dB), the four beamwidths (within 0.05 degree) and both phase
// centres (within 0.03 wavelength).
TEST(ModalFigures, LongConeAgainstTheApertureEngine) {
  const double f = 10e9, k0 = 2.0 * M_PI * f / 299792458.0, b = 0.0119, a = 0.045, length = 0.4;
  const auto w = modal::follow_wave(modal::staircase(modal::cone_profile(b, a, length, 0.02), 1e-3, 2.5e-4),
                                    k0, 3.0 * k0);
  const auto m = modal::figures(w, k0);
  const aperture::Aperture engine({a, std::hypot(length, a - b) * a / (a - b), f / 1e9},
                                  aperture::Phase::spherical);
  const auto e = aperture::figures(engine);
  EXPECT_NEAR(m.directivity_db, e.directivity_db, 0.05);
  EXPECT_NEAR(*m.e_beamwidth_3db, *e.e_beamwidth_3db, 0.3);
  EXPECT_NEAR(*m.h_beamwidth_3db, *e.h_beamwidth_3db, 0.3);
  EXPECT_NEAR(*m.e_beamwidth_10db, *e.e_beamwidth_10db, 0.5);
  EXPECT_NEAR(*m.h_beamwidth_10db, *e.h_beamwidth_10db, 0.5);
  EXPECT_NEAR(m.e_phase_centre->wavelengths, e.e_phase_centre->wavelengths, 0.1);
  EXPECT_NEAR(m.h_phase_centre->wavelengths, e.h_phase_centre->wavelengths, 0.1);
  EXPECT_NEAR(m.return_loss_db, -20.0 * std::log10(std::abs(w.reflection)), 1e-12);
  EXPECT_GT(m.return_loss_db, 40.0);
  EXPECT_NEAR(m.vswr, 1.0, 0.02);
  EXPECT_EQ(m.modes.front().relative_db, 0.0);
}

}  // namespace

namespace {

// Steps and modes chosen for an accuracy target of 5e-3 (about 0.04 dB in
// the pattern; the mode content settles algebraically in K_max, so 1e-3
// would ask for K_max beyond 8 k0): the cone settles, and the wave so found
// lies within 1e-2 of one with half the steps and half again the modes.
TEST(ModalHorn, StepsAndModesFromAnAccuracyTarget) {
  const auto profile = example("conical-x-band.profile");
  const auto c = modal::converged_wave(profile, x_band_k0, 5e-3);
  EXPECT_TRUE(c.converged);
  EXPECT_LE(c.change, 5e-3);
  const auto finer = modal::follow_wave(modal::staircase(profile, c.step_length / 2.0, c.step_rise / 2.0),
                                        x_band_k0, 1.5 * c.largest_cutoff);
  EXPECT_LT(std::abs(std::abs(finer.reflection) - std::abs(c.wave.reflection)), 1e-2);
  EXPECT_LT(std::abs(std::abs(finer.forward[0]) - std::abs(c.wave.forward[0])), 1e-2);
  for (std::size_t i = 1; i < c.wave.forward.size(); ++i)
    EXPECT_LT(std::abs(finer.forward[i] / finer.forward[0] - c.wave.forward[i] / c.wave.forward[0]), 1e-2)
        << i;
}

}  // namespace

namespace {

// A band settled once at its highest frequency serves its lower ones: the
// Potter horn's waves at 9 GHz from the 12 GHz staircase agree with those
// settled at 9 GHz itself within the target; below the waveguide's cut-off
// no wave enters; radiation below ka 8 is refused while the match is given.
// Each frequency of a band settles on its own: its wave is the one settled
// at that frequency alone, whatever the band's highest frequency.
TEST(ModalBand, EachFrequencySettlesOnItsOwn) {
  const auto profile = example("potter-x-band.profile");
  const modal::Band band(profile, 12.0), wider(profile, 16.0);
  const double k0 = modal::wavenumber(9.0);
  const auto own = modal::converged_wave(profile, k0, modal::band_target, modal::ApertureLoad::free_space);
  for (const modal::Band* b : {&band, &wider}) {
    const auto from_band = b->wave(9.0);
    EXPECT_EQ(from_band.reflection, own.wave.reflection);
    ASSERT_EQ(from_band.forward.size(), own.wave.forward.size());
    for (std::size_t i = 0; i < own.wave.forward.size(); ++i)
      EXPECT_EQ(from_band.forward[i], own.wave.forward[i]);
    EXPECT_EQ(from_band.settled_change, own.change);
  }

  EXPECT_THROW((void)band.wave(0.99 * band.input_cut_off_ghz()), modal::BelowCutOff);
  const double small_ka = 7.0 / band.aperture_radius() / modal::wavenumber(1.0);  // GHz of ka 7
  const auto wave = band.wave(small_ka);
  EXPECT_THROW((void)modal::figures(wave, modal::wavenumber(small_ka)), modal::OutsideRadiationDomain);
  EXPECT_GT(modal::match(wave, modal::wavenumber(small_ka)).return_loss_db, 0.0);
}

// Work beyond the engine's bound is refused before it is done: a 1 m cone
// from a 3 mm guide at 100 GHz asks 9e7 matrix entries.
TEST(ModalBand, WorkBeyondTheBoundIsRefusedAtOnce) {
  const auto profile = modal::cone_profile(1.5e-3, 0.05, 1.0, 3e-3);
  const double k0 = modal::wavenumber(100.0);
  EXPECT_THROW((void)modal::follow_wave(modal::staircase(profile, 1e-3, 2.5e-4), k0, 2.5 * k0),
               modal::WorkLimit);
}

}  // namespace
