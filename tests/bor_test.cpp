// The body-of-revolution method of moments against the exact solution it
// must reproduce: a perfectly conducting sphere in an x-polarised plane
// wave, whose back-scattering the Mie series gives (R. F. Harrington,
// Time-Harmonic Electromagnetic Fields, 1961, sec. 6-9), and the optical
// theorem, which ties the power scattered over the sphere of directions to
// the forward field. The error falls as the segments' length squared.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "bor/mom.hpp"

namespace {

constexpr double pi = std::numbers::pi;
using Complex = std::complex<double>;

// sigma / (pi a^2) of the back-scattering: (1 / ka)^2 |sum (-1)^n (2n + 1)
// / (H_n H_n')|^2, H_n(x) = x h_n^(2)(x) the Riccati-Hankel function.
double mie_back_scattering(double ka) {
  Complex sum = 0.0;
  const auto h = [&](int n) { return Complex(std::sph_bessel(n, ka), -std::sph_neumann(n, ka)); };
  for (int n = 1; n < 40 + 2 * int(ka); ++n) {
    const Complex big_h = ka * h(n), d_big_h = ka * h(n - 1) - double(n) * h(n);
    sum += (n % 2 != 0 ? -1.0 : 1.0) * (2.0 * n + 1.0) / (big_h * d_big_h);
  }
  return std::norm(sum) / (ka * ka);
}

// A sphere of unit radius as n chords from pole to pole.
std::vector<bor::Point> sphere(int n) {
  std::vector<bor::Point> points;
  for (int i = 0; i <= n; ++i) {
    const double psi = pi * i / n;
    points.push_back({i == 0 || i == n ? 0.0 : std::sin(psi), -std::cos(psi)});
  }
  return points;
}

struct Scattering {
  double back, scattered, extinction;  // over pi a^2
};

Scattering scattering(int n, double ka) {
  const bor::Curve curve(sphere(n), 10.0);
  const bor::Solver solver(curve, ka);
  const bor::Currents currents = solver.plane_wave();
  Scattering s{};
  s.back = 4.0 * pi * std::norm(solver.far_field(currents, pi).e) / pi;
  // The power over all directions (E_theta = F_e cos phi, E_phi = -F_h sin
  // phi: the phi integral gives pi (|F_e|^2 + |F_h|^2)), midpoint in theta.
  const int steps = 120;
  for (int i = 0; i < steps; ++i) {
    const double theta = pi * (i + 0.5) / steps;
    const bor::FarField f = solver.far_field(currents, theta);
    s.scattered += (std::norm(f.e) + std::norm(f.h)) * pi * std::sin(theta) * (pi / steps) / pi;
  }
  // sigma_ext = -(4 pi / k) Im F_e(0) for exp(j omega t).
  s.extinction = -4.0 * pi / ka * solver.far_field(currents, 0.0).e.imag() / pi;
  return s;
}

TEST(BodyOfRevolution, SphereMatchesMieAndConvergesAsTheSegmentsSquared) {
  for (const double ka : {1.0, 2.0}) {
    const Scattering coarse = scattering(20, ka), fine = scattering(40, ka);
    const double exact = mie_back_scattering(ka);
    // Halving the segments quarters the error...
    const double ratio = (coarse.back - exact) / (fine.back - exact);
    EXPECT_NEAR(ratio, 4.0, 0.3) << "ka " << ka;
    EXPECT_NEAR(fine.back, exact, 0.01 * exact) << "ka " << ka;
    // ... so the extrapolation to zero length holds to 5e-4.
    EXPECT_NEAR((4.0 * fine.back - coarse.back) / 3.0, exact, 5e-4 * exact) << "ka " << ka;
    // No power is lost: the scattered power is the extinction.
    EXPECT_NEAR(fine.scattered, fine.extinction, 1e-4 * fine.extinction) << "ka " << ka;
  }
}

TEST(BodyOfRevolution, FieldOnTheAxisIsPolarisedAsTheWave) {
  // On the axis of a body of revolution the field is x-polarised whatever
  // phi: F_h = F_e forward, F_h = -F_e backward (theta^ turns round).
  const bor::Curve curve(sphere(16), 10.0);
  const bor::Solver solver(curve, 1.5);
  const bor::Currents currents = solver.plane_wave();
  const bor::FarField back = solver.far_field(currents, pi), forward = solver.far_field(currents, 0.0);
  EXPECT_NEAR(std::abs(back.e + back.h), 0.0, 1e-9 * std::abs(back.e));
  EXPECT_NEAR(std::abs(forward.e - forward.h), 0.0, 1e-9 * std::abs(forward.e));
}

TEST(BodyOfRevolution, CurvesWithoutAnUnknownAreRefused) {
  EXPECT_THROW(bor::Curve({{0.0, 0.0}}, 1.0), std::invalid_argument);
  EXPECT_THROW(bor::Curve({{0.0, 0.0}, {0.0, 0.0}}, 1.0), std::invalid_argument);
  EXPECT_THROW(bor::Curve({{0.0, 0.0}, {1.0, 0.0}}, 0.0), std::invalid_argument);
}

}  // namespace

namespace {

// The TE-11 aperture in a flat flange: closed by metal and carrying the
// magnetic current of its field, it radiates forward as twice that current
// in free space (the image in an infinite plane), up to the flange edge's
// diffraction, which shrinks as the flange grows.
TEST(BodyOfRevolution, ApertureInAFlangeRadiatesAsItsImage) {
  const double k = 2.0 * pi, a = 0.6;  // wavelengths: ka = 3.77
  const bor::ApertureField aperture = bor::te11_aperture(a, 0.0);
  const auto forward = [&](double flange, double segment) {
    const bor::Curve curve({{0.0, 0.0}, {a, 0.0}, {flange, 0.0}}, segment);
    const bor::Solver solver(curve, k);
    const bor::Currents currents = solver.aperture(aperture);
    bor::Currents image{std::vector<bor::Complex>(currents.t.size()),
                        std::vector<bor::Complex>(currents.phi.size()), aperture};
    std::vector<double> ratios;
    for (const double degrees : {0.0, 20.0, 40.0}) {
      const double theta = degrees * pi / 180.0;
      const bor::FarField f = solver.far_field(currents, theta), g = solver.far_field(image, theta);
      ratios.push_back(std::abs(f.e) / (2.0 * std::abs(g.e)));
      ratios.push_back(std::abs(f.h) / (2.0 * std::abs(g.h)));
    }
    return ratios;
  };
  const std::vector<double> coarse = forward(3.0, 0.1), fine = forward(3.0, 0.05);
  for (std::size_t i = 0; i < fine.size(); ++i) {
    EXPECT_NEAR(fine[i], 1.0, 0.01) << i;        // the image, within the edge's ripple
    EXPECT_NEAR(fine[i], coarse[i], 2e-3) << i;  // settled in the segments
  }
}

TEST(BodyOfRevolution, ApertureMustBePartOfTheCurve) {
  const bor::Curve curve({{0.0, 0.0}, {1.0, 0.0}}, 0.1);
  const bor::Solver solver(curve, 2.0);
  EXPECT_THROW((void)solver.aperture(bor::te11_aperture(0.5, 1.0)), std::invalid_argument);
}

}  // namespace
