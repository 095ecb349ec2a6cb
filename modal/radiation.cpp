#include "modal/radiation.hpp"

#include <algorithm>
#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/special_functions/bessel.hpp>
#include <cmath>
#include <numbers>

namespace modal {
namespace {

constexpr double pi = std::numbers::pi;

// In double throughout (Boost.Math would promote to long double).
using Double = boost::math::policies::policy<boost::math::policies::promote_double<false>>;
double jn(int n, double x) { return boost::math::cyl_bessel_j(n, x, Double()); }

// J_n and J_n' (n = 0, 2) at x, from J0, J1 and J2: J0' = -J1, J2' = J1 -
// 2 J2 / x (0 on the axis).
Bessel02 bessel02(double x) {
  const double b0 = jn(0, x), b1 = jn(1, x), b2 = jn(2, x);
  return {b0, -b1, b2, x > 0.0 ? b1 - 2.0 * b2 / x : 0.0};
}

// P_E and P_H of a mode (cut-off wavenumber k, norm n, sign s) from its
// values at k a and the values at w a.
Transform transform_from(double a, double k, double n, double s, const Bessel02& at_k, const Bessel02& at_w,
                         double w) {
  const double l0 = lommel(0, k, w, a, at_k.j0, at_k.j0p, at_w.j0, at_w.j0p);
  const double l2 = lommel(2, k, w, a, at_k.j2, at_k.j2p, at_w.j2, at_w.j2p);
  return {pi * n * k * (s * l0 - l2), pi * n * k * (s * l0 + l2)};
}

double sign_of(const Mode& m) { return m.kind == Kind::te ? 1.0 : -1.0; }

}  // namespace

Transform transform(const Mode& m, double a, double w) {
  const double k = m.root / a;
  return transform_from(a, k, norm(m, a), sign_of(m), bessel02(k * a), bessel02(w * a), w);
}

Transforms::Transforms(const Guide& guide) : radius_(guide.radius) {
  own_.reserve(guide.modes.size());
  for (const Mode& m : guide.modes) {
    const double k = m.root / radius_;
    own_.push_back({k, norm(m, radius_), sign_of(m), bessel02(k * radius_)});
  }
}

std::vector<Transform> Transforms::at(double w) const {
  const Bessel02 at_w = bessel02(w * radius_);
  std::vector<Transform> out;
  out.reserve(own_.size());
  for (const Own& o : own_) out.push_back(transform_from(radius_, o.k, o.n, o.s, o.at_k, at_w, w));
  return out;
}

Far far_field(const Guide& g, const std::vector<Complex>& forward, double k0, double theta,
              const std::vector<Complex>& reflection) {
  return far_field(Transforms(g), aperture_sources(g, forward, k0, reflection), k0, theta);
}

ApertureSources aperture_sources(const Guide& g, const std::vector<Complex>& forward, double k0,
                                 const std::vector<Complex>& reflection) {
  const auto root = root_impedance(g, k0);
  const std::size_t n = std::min(g.modes.size(), forward.size());
  ApertureSources s{std::vector<Complex>(n), std::vector<Complex>(n)};
  for (std::size_t i = 0; i < n; ++i) {
    const Complex gamma = i < reflection.size() ? reflection[i] : Complex(0.0);
    s.voltage[i] = root[i] * (1.0 + gamma) * forward[i];
    s.current[i] = (1.0 - gamma) * forward[i] / root[i];
  }
  return s;
}

Far far_field(const Transforms& transforms, const ApertureSources& sources, double k0, double theta) {
  const double c = std::cos(theta), w = k0 * std::sin(theta);
  const std::vector<Transform> p = transforms.at(w);
  Far f{0.0, 0.0};
  for (std::size_t i = 0; i < sources.voltage.size(); ++i) {
    const Complex v = sources.voltage[i], current = sources.current[i];
    if (v == 0.0 && current == 0.0) continue;  // a mode without a wave
    f.e += (v + current * c) * p[i].e;
    f.h += (v * c + current) * p[i].h;
  }
  return f;
}

}  // namespace modal
