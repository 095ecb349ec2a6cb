#include "aperture/field.hpp"

#include <algorithm>
#include <boost/math/special_functions/bessel.hpp>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "farfield/quadrature.hpp"

namespace aperture {

std::string below_cut_off(double ka) {
  char t[160];
  std::snprintf(
      t, sizeof t,
      "ka = %.4g lies below the TE-11 cut-off (ka >= %.4g): the aperture carries no propagating TE-11 "
      "field",
      ka, te11_root);
  return t;
}

void require_above_cut_off(const Horn& horn) {
  const double ka = numerics::wavenumber(horn.frequency) * horn.aperture_radius;
  if (!(ka >= te11_root)) throw InvalidHorn(below_cut_off(ka));
}

namespace {

using std::numbers::pi;

void require(bool ok, const std::string& what) {
  if (!ok) throw InvalidHorn(what);
}

// Boost's rational approximations in double itself: the default policy would
// promote to long double, at five times the cost, for digits the quadrature
// cannot use.
using DoublePolicy = boost::math::policies::policy<boost::math::policies::promote_double<false>>;

// J0 and J2 at x >= 0. J2 by the upward recurrence 2 J1 / x - J0, stable for
// x above the order; below, Boost's own evaluation.
struct Bessel02 {
  double j0, j2;
};
Bessel02 bessel02(double x) {
  const double j0 = boost::math::cyl_bessel_j(0, x, DoublePolicy());
  if (x <= 2.0) return {j0, boost::math::cyl_bessel_j(2, x, DoublePolicy())};
  const double j1 = boost::math::cyl_bessel_j(1, x, DoublePolicy());
  return {j0, 2.0 * j1 / x - j0};
}

}  // namespace

void validate(const Horn& horn) {
  require(std::isfinite(horn.aperture_radius) && horn.aperture_radius > 0.0,
          "the aperture radius must be a positive length");
  require(std::isfinite(horn.slant_radius) && horn.slant_radius > 0.0,
          "the slant radius must be a positive length");
  require(std::isfinite(horn.frequency) && horn.frequency > 0.0,
          "the frequency must be a positive number of GHz");
  require(
      horn.slant_radius >= horn.aperture_radius,
      "the slant radius must be at least the aperture radius (the cone cannot be wider than a hemisphere)");
}

Aperture::Aperture(const Horn& horn, Phase phase, int radial_order) : horn_(horn), phase_(phase) {
  validate(horn);
  const double a = horn.aperture_radius;
  const double R = horn.slant_radius;
  wavelength_ = numerics::wavelength_m(horn.frequency);
  ka_ = 2.0 * pi * a / wavelength_;
  phase_error_ = phase_error_of(a, wavelength_, R);
  apex_distance_ = std::sqrt((R - a) * (R + a));
  auto text = [](double v) {
    char t[32];
    std::snprintf(t, sizeof t, "%.4g", v);
    return std::string(t);
  };
  require(ka_ >= te11_root, below_cut_off(ka_));
  require(ka_ <= max_ka, "ka = " + text(ka_) + " lies beyond the aperture engine's domain (ka <= " +
                             text(max_ka) + "): the aperture is too large in wavelengths");
  require(phase_error_ <= max_phase_error,
          "the phase error s = " + text(phase_error_) +
              " lies beyond the aperture engine's domain (s <= " + text(max_phase_error) + ")");

  const double u_max = std::max(ka_, 12.0);
  const double rate = u_max + te11_root + 4.0 * pi * phase_error_;
  const int order = radial_order > 0 ? radial_order : static_cast<int>(std::ceil(0.45 * rate)) + 12;

  const farfield::QuadratureRule rule = farfield::gauss_legendre(order);
  rho_ = rule.nodes;
  const std::vector<double>& weights = rule.weights;
  const double L_over_a = apex_distance_ / a;
  for (std::size_t i = 0; i < rho_.size(); ++i) {
    const double rho = rho_[i];
    const Bessel02 chi = bessel02(te11_root * rho);
    j0_chi_.push_back(chi.j0);
    j2_chi_.push_back(chi.j2);
    // The spherical path difference, written without cancellation:
    // sqrt(L^2 + r^2) - L = r^2 / (sqrt(L^2 + r^2) + L).
    const double psi = phase == Phase::quadratic ? 2.0 * pi * phase_error_ * rho * rho
                                                 : ka_ * rho * rho / (std::hypot(L_over_a, rho) + L_over_a);
    weighted_phase_.push_back(weights[i] * rho * std::polar(1.0, -psi));
  }
}

RadialIntegrals Aperture::integrals(double u) const {
  if (!std::isfinite(u)) return {{NAN, NAN}, {NAN, NAN}};
  std::complex<double> i0{}, i2{};
  for (std::size_t i = 0; i < rho_.size(); ++i) {
    const Bessel02 b = bessel02(u * rho_[i]);
    i0 += (j0_chi_[i] * b.j0) * weighted_phase_[i];
    i2 += (j2_chi_[i] * b.j2) * weighted_phase_[i];
  }
  return {i0, i2};
}

std::complex<double> Aperture::aperture_pattern(Plane plane, double u) const {
  const RadialIntegrals I = integrals(u);
  return plane == Plane::e ? I.i0 - I.i2 : I.i0 + I.i2;
}

Aperture::PlaneFields Aperture::far_fields(double theta) const {
  const RadialIntegrals I = integrals(ka_ * std::abs(std::sin(theta)));
  const double obliquity = (1.0 + std::cos(theta)) / 2.0;
  return {obliquity * (I.i0 - I.i2), obliquity * (I.i0 + I.i2)};
}

std::complex<double> Aperture::far_field(Plane plane, double theta) const {
  const PlaneFields f = far_fields(theta);
  return plane == Plane::e ? f.e : f.h;
}

double Aperture::efficiency() const {
  // |2 pi int J0 e^{-j psi} rho drho|^2 / (pi * 2 pi int (J0^2 + J2^2) rho drho)
  std::complex<double> numerator{};
  double power = 0.0;
  for (std::size_t i = 0; i < rho_.size(); ++i) {
    numerator += j0_chi_[i] * weighted_phase_[i];
    power += std::abs(weighted_phase_[i]) * (j0_chi_[i] * j0_chi_[i] + j2_chi_[i] * j2_chi_[i]);
  }
  return 2.0 * std::norm(numerator) / power;
}

double Aperture::field_bound() const {
  double bound = 0.0;
  for (std::size_t i = 0; i < rho_.size(); ++i)
    bound += std::abs(weighted_phase_[i]) * (std::abs(j0_chi_[i]) + std::abs(j2_chi_[i]));
  return bound;
}

}  // namespace aperture
