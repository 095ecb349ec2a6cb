#include "bor/mom.hpp"

#include <boost/math/special_functions/bessel.hpp>
#include <boost/math/special_functions/bessel_prime.hpp>
#include <boost/math/special_functions/ellint_rd.hpp>
#include <boost/math/special_functions/ellint_rf.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace bor {
namespace {

constexpr double pi = std::numbers::pi;
constexpr Complex j{0.0, 1.0};
// Bessel functions in double precision, without Boost's promotion to long
// double (its asymptotic forms' long sines cost as much as the rest).
constexpr boost::math::policies::policy<boost::math::policies::promote_double<false>> no_promotion;

// n-point Gauss-Legendre nodes and weights on [0, 1] (Newton's iteration on
// P_n from Chebyshev's estimates; to rounding).
struct Rule {
  std::vector<double> u, w;
};
Rule gauss(int n) {
  Rule r;
  for (int i = 0; i < n; ++i) {
    double x = std::cos(pi * (i + 0.75) / (n + 0.5)), dp = 1.0;
    for (int it = 0; it < 100; ++it) {
      double p0 = 1.0, p1 = x;
      for (int k = 2; k <= n; ++k) {
        const double p2 = ((2.0 * k - 1.0) * x * p1 - (k - 1.0) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      dp = n * (x * p1 - p0) / (x * x - 1.0);
      const double dx = p1 / dp;
      x -= dx;
      if (std::fabs(dx) < 1e-15) break;
    }
    r.u.push_back(0.5 * (1.0 - x));
    r.w.push_back(1.0 / ((1.0 - x * x) * dp * dp));
  }
  return r;
}

// A point of a segment: its place, the curve's tangent and arc length, and
// the two triangles over the segment (the falling one of its first node,
// the rising one of its second) with their slopes.
struct Sample {
  double rho, z, drho, dz, s;
  double t_fall, t_rise, slope;  // T values; dT/dt of the rising one (the falling one's is -slope)
};

// The three phi integrals of order m = 1 between two points.
struct Kernels {
  Complex c1, cc, ss;  // of g against cos a, cos^2 a, sin^2 a
};

// The trapezoidal rule's angles on a period of `samples` (even) points,
// folded onto the half period [0, pi] (the kernels are even in alpha): cos
// alpha, sin^2(alpha / 2) and each angle's weight (1 at 0 and pi, 2 between,
// times the step). Kept per thread for each count met.
struct Ring {
  std::vector<double> cos_a, sin2_half, weight;
};
const Ring& ring(int samples) {
  thread_local std::vector<Ring> rings;
  const std::size_t half = static_cast<std::size_t>(samples / 2);
  if (rings.size() <= half) rings.resize(half + 1);
  Ring& r = rings[half];
  if (r.cos_a.empty()) {
    const double h = 2.0 * pi / samples;
    for (std::size_t l = 0; l <= half; ++l) {
      const double alpha = h * static_cast<double>(l), sh = std::sin(0.5 * alpha);
      r.cos_a.push_back(std::cos(alpha));
      r.sin2_half.push_back(sh * sh);
      r.weight.push_back((l == 0 || l == half ? 1.0 : 2.0) * h);
    }
  }
  return r;
}

// g = e^{-jkR} / (4 pi R) against the three weights, R^2 = d^2 + 4 rho rho'
// sin^2(a / 2). With `extract` the kernels c1 and cc lack, for D = `log_distance`,
// -ln D / (pi A) (`extract`), A^2 = d^2 + 4 rho rho', which the caller integrates
// along the curve analytically. Static part: by Carlson's R_F and R_D
// (K and E of k^2 = 4 rho rho' / A^2, k' = d / A keeping its digits) for
// k^2 >= 1/2, by the trapezoidal rule with the rest otherwise; the rest,
// (e^{-jkR} - 1) / (4 pi R), bounded and periodic, by the trapezoidal rule
// on `samples` points.
Kernels kernels(const Sample& a, const Sample& b, double k, int samples, bool extract, double log_distance,
                Kernels* magnetic = nullptr);
Kernels magnetic_kernels(const Sample& a, const Sample& b, double k, int samples);

// The magnetic kernels' closed-form static parts for k^2 >= 1/2 (see
// magnetic_kernels), from K and E of the pair.
void add_magnetic_static(Kernels& out, double k, double big_a, double k2, double kp2, double kk, double e) {
  const double i0 = kk, i1 = (e - kp2 * kk) / k2,
               i2 = ((2.0 - 3.0 * k2) * kp2 * kk + (4.0 * k2 - 2.0) * e) / (3.0 * k2 * k2);
  const double l0 = e / kp2, l1 = (kk - e) / k2, l2 = (e * (1.0 + kp2) - 2.0 * kp2 * kk) / (k2 * k2);
  const double c3 = -4.0 / (big_a * big_a * big_a) / (4.0 * pi), c1 = -k * k / 2.0 * 4.0 / big_a / (4.0 * pi);
  out.c1 += c3 * (l0 - 2.0 * l1) + c1 * (i0 - 2.0 * i1);
  out.cc += c3 * (l0 - 4.0 * l1 + 4.0 * l2) + c1 * (i0 - 4.0 * i1 + 4.0 * i2);
  out.ss += c3 * (4.0 * l1 - 4.0 * l2) + c1 * (4.0 * i1 - 4.0 * i2);
}

// The magnetic kernel's value at one angle's distance r (x = k r), its
// singular parts taken out where the pair is close.
Complex magnetic_sample(double k, double r, Complex wave, bool closed) {
  const double x = k * r;
  if (!closed) return -(1.0 + j * x) * wave / (4.0 * pi * r * r * r);
  if (x < 0.01) return j * (k * k * k) / (12.0 * pi) + k * k * k * k * r / (32.0 * pi);
  return (1.0 - (1.0 + j * x) * wave) / (4.0 * pi * r * r * r) + k * k / (8.0 * pi * r);
}

// With `magnetic`, the magnetic kernels of the pair too (magnetic_kernels),
// from the same samples of e^{-jkR}; the pair must not be one point.
Kernels kernels(const Sample& a, const Sample& b, double k, int samples, bool extract, double log_distance,
                Kernels* magnetic) {
  const double d2 = (a.rho - b.rho) * (a.rho - b.rho) + (a.z - b.z) * (a.z - b.z);
  const double q = 4.0 * a.rho * b.rho;
  const double big_a = std::sqrt(d2 + q);
  const double k2 = q / (d2 + q);
  const bool closed = k2 >= 0.5;
  Kernels out{};
  const Ring& angles = ring(samples);
  for (std::size_t l = 0; l < angles.cos_a.size(); ++l) {
    const double c = angles.cos_a[l], s2 = 1.0 - c * c;
    const double r = std::sqrt(d2 + q * angles.sin2_half[l]);
    const Complex wave = std::exp(-j * (k * r));
    Complex g;
    if (closed)
      g = r > 0.0 ? (wave - 1.0) / (4.0 * pi * r) : Complex(0.0, -k / (4.0 * pi));
    else
      g = wave / (4.0 * pi * r);
    g *= angles.weight[l];
    out.c1 += g * c;
    out.cc += g * (c * c);
    out.ss += g * s2;
    if (magnetic) {
      const Complex h = magnetic_sample(k, r, wave, closed) * angles.weight[l];
      magnetic->c1 += h * c;
      magnetic->cc += h * (c * c);
      magnetic->ss += h * s2;
    }
  }
  const double inv = 1.0 / (pi * big_a);
  if (closed) {
    const double kp2 = d2 / (d2 + q);
    const double rf = kp2 > 0.0 ? boost::math::ellint_rf(0.0, kp2, 1.0) : 0.0;
    const double e = kp2 > 0.0 ? rf - k2 / 3.0 * boost::math::ellint_rd(0.0, kp2, 1.0) : 1.0;
    const double kp2k = kp2 * rf;  // (1 - k^2) K, which vanishes as k' -> 0
    // K, or K + ln D with the logarithm taken out: K - ln(4 / k') -> 0.
    double kk;
    if (extract) {
      const double kr = kp2 > 1e-30 ? rf - std::log(4.0 / std::sqrt(kp2)) : 0.0;
      kk = kr + std::log(4.0 * big_a) + (kp2 > 1e-30 ? std::log(log_distance / std::sqrt(d2)) : 0.0);
    } else {
      kk = rf;
    }
    // int_0^{pi/2} cos^{2n} u / Delta: K, (E - k'^2 K) / k^2,
    // ((2 - 3k^2) k'^2 K + (4 k^2 - 2) E) / (3 k^4).
    const double j1 = (e - kp2k) / k2;
    const double j2 = ((2.0 - 3.0 * k2) * kp2k + (4.0 * k2 - 2.0) * e) / (3.0 * k2 * k2);
    // int dalpha / R times 1, sin^2(a/2), sin^4(a/2) = (4 / A) (K, J1, J2);
    // cos a = 1 - 2 sin^2, cos^2 a = 1 - 4 sin^2 + 4 sin^4, sin^2 a = 4 sin^2 - 4 sin^4.
    const double c = 1.0 / (pi * big_a);  // (4 / A) / (4 pi)
    out.c1 += c * (kk - 2.0 * j1);
    out.cc += c * (kk - 4.0 * j1 + 4.0 * j2);
    out.ss += c * (4.0 * j1 - 4.0 * j2);
    if (magnetic) add_magnetic_static(*magnetic, k, big_a, k2, kp2, rf, e);
  } else if (extract) {
    out.c1 += inv * std::log(log_distance);
    out.cc += inv * std::log(log_distance);
  }
  return out;
}

// The phi integrals of h = g'(R) / R = -(1 + jkR) e^{-jkR} / (4 pi R^3),
// the kernel of a magnetic current's electric field (E = -grad G x M),
// against cos a, cos^2 a and sin^2 a. For k^2 >= 1/2 its two singular
// parts, -1 / (4 pi R^3) and -k^2 / (8 pi R), in closed form: int dalpha /
// R^3 times 1, sin^2(a/2), sin^4(a/2) = (4 / A^3) (E / k'^2, (K - E) / k^2,
// (E (1 + k'^2) - 2 k'^2 K) / k^4); the rest, bounded, by the trapezoidal
// rule (by its series where kR < 0.01, which the difference would cancel).
Kernels magnetic_kernels(const Sample& a, const Sample& b, double k, int samples) {
  const double d2 = (a.rho - b.rho) * (a.rho - b.rho) + (a.z - b.z) * (a.z - b.z);
  const double q = 4.0 * a.rho * b.rho;
  const double k2 = q / (d2 + q);
  const bool closed = k2 >= 0.5;
  Kernels out{};
  const Ring& angles = ring(samples);
  for (std::size_t l = 0; l < angles.cos_a.size(); ++l) {
    const double c = angles.cos_a[l], s2 = 1.0 - c * c;
    const double r = std::sqrt(d2 + q * angles.sin2_half[l]), x = k * r;
    const Complex g = magnetic_sample(k, r, std::exp(-j * x), closed) * angles.weight[l];
    out.c1 += g * c;
    out.cc += g * (c * c);
    out.ss += g * s2;
  }
  if (closed) {
    // 1 / R: (4 / A) (K, (E - k'^2 K) / k^2, ((2 - 3k^2) k'^2 K + (4k^2 - 2) E) / (3k^4)).
    const double big_a = std::sqrt(d2 + q), kp2 = d2 / (d2 + q);
    const double kk = boost::math::ellint_rf(0.0, kp2, 1.0);
    const double e = kk - k2 / 3.0 * boost::math::ellint_rd(0.0, kp2, 1.0);
    add_magnetic_static(out, k, big_a, k2, kp2, kk, e);
  }
  return out;
}

// The phi integrals of h (r - r') . (s' x f) between a test point a and a
// source point b, for the source's direction s' (t^' or phi^') and the
// test's f (t^ or phi^), order 1: the kernel of grad G x (a current), which
// a magnetic current's electric field and an electric current's magnetic
// field share. t^ x t^' makes sin(alpha) (odd: -j int h sin^2); the mixed
// pairs are even (int h cos).
struct CurlKernels {
  Complex t_to_t, t_to_phi, phi_to_t, phi_to_phi;  // source direction _to_ test direction
};
// The trapezoidal samples the dynamic part needs: its bandwidth grows with
// k times the ring's radius; for a pair whose static part is not taken out
// (k^2 < 1/2: the ring is seen from afar), with the wave's phase swing over
// the ring, k (A - d), A^2 = d^2 + 4 rho rho', which is smaller.
int samples_for(double k, const Sample& a, const Sample& b) {
  const double d2 = (a.rho - b.rho) * (a.rho - b.rho) + (a.z - b.z) * (a.z - b.z);
  const double q = 4.0 * a.rho * b.rho;
  if (q >= d2) return 16 + 4 * static_cast<int>(std::ceil(k * std::max(a.rho, b.rho)));
  return 24 + 4 * static_cast<int>(std::ceil(k * (std::sqrt(d2 + q) - std::sqrt(d2))));
}

// The quadrature of a refinement r (1 for the programs): Gauss points on
// each segment of a pair apart (3 r) and of a pair that meets (8 r), and the
// angular samples times r. The figures settle when r doubles (a test).
struct Quadrature {
  Rule far, near;
  int angular;
};
Quadrature quadrature(int refinement) { return {gauss(3 * refinement), gauss(8 * refinement), refinement}; }

// The angular samples of a pair: of the wider ring, four times as many for
// a pair of segments that meet.
int pair_samples(double k, const Sample& a, const Sample& b, bool close, int angular) {
  return samples_for(k, a, b) * (close ? 4 : 1) * angular;
}

// The four pairs of directions from the magnetic kernels h of a pair.
CurlKernels curl_of(const Sample& a, const Sample& b, const Kernels& h) {
  const double dz = a.z - b.z;
  const double big_q = b.dz * a.drho * b.rho - a.rho * b.drho * a.dz + dz * b.drho * a.drho;
  return {-j * big_q * h.ss, (dz * b.drho + b.dz * b.rho) * h.cc - b.dz * a.rho * h.c1,
          (a.dz * a.rho - a.drho * dz) * h.cc - a.dz * b.rho * h.c1, -j * dz * h.ss};
}

CurlKernels curl_kernels(const Sample& a, const Sample& b, double k, bool close, int angular) {
  return curl_of(a, b, magnetic_kernels(a, b, k, pair_samples(k, a, b, close, angular)));
}

// int_a^b -ln|x| dx.
double minus_log_integral(double a, double b) {
  const auto l = [](double x) { return x == 0.0 ? 0.0 : x * std::log(std::fabs(x)) - x; };
  return -(l(b) - l(a));
}

}  // namespace

Curve::Curve(const std::vector<Point>& corners, double max_segment) {
  if (corners.size() < 2) throw std::invalid_argument("a generating curve needs two points");
  if (!(max_segment > 0.0)) throw std::invalid_argument("the segments need a positive length");
  nodes_.push_back(corners.front());
  for (std::size_t i = 1; i < corners.size(); ++i) {
    const Point a = corners[i - 1], b = corners[i];
    const double length = std::hypot(b.rho - a.rho, b.z - a.z);
    if (!(length > 0.0)) throw std::invalid_argument("two equal points on the generating curve");
    const int n = std::max(1, static_cast<int>(std::ceil(length / max_segment)));
    for (int s = 1; s <= n; ++s) {
      const double u = double(s) / n;
      nodes_.push_back({a.rho + u * (b.rho - a.rho), a.z + u * (b.z - a.z)});
    }
  }
  if (nodes_.size() < 3) throw std::invalid_argument("a generating curve needs an interior node");
}

namespace {

// Every Gauss point of every segment.
std::vector<std::vector<Sample>> samples_of(const Curve& curve, const Rule& rule) {
  const auto& nodes = curve.nodes();
  std::vector<std::vector<Sample>> out(curve.segments());
  double s0 = 0.0;
  for (std::size_t p = 0; p < curve.segments(); ++p) {
    const Point a = nodes[p], b = nodes[p + 1];
    const double length = std::hypot(b.rho - a.rho, b.z - a.z);
    for (const double u : rule.u)
      out[p].push_back({a.rho + u * (b.rho - a.rho), a.z + u * (b.z - a.z), (b.rho - a.rho) / length,
                        (b.z - a.z) / length, s0 + u * length, 1.0 - u, u, 1.0 / length});
    s0 += length;
  }
  return out;
}

double segment_length(const Curve& curve, std::size_t p) {
  const Point a = curve.nodes()[p], b = curve.nodes()[p + 1];
  return std::hypot(b.rho - a.rho, b.z - a.z);
}

// Adds w times the kernels' share between the triangles over segments p
// (test, at sample a) and q (basis, at sample b) into Z.
void add(modal::Matrix& z, std::size_t interior, std::size_t p, std::size_t q, const Sample& a,
         const Sample& b, const Kernels& g, double k, double w) {
  const Complex jk = j * (k * eta0), jk_inv = j * (eta0 / k);
  for (int ti = 0; ti < 2; ++ti) {
    const std::size_t node_i = p + std::size_t(ti);  // falling triangle of node p, rising of p + 1
    if (node_i == 0 || node_i > interior) continue;
    const double t_i = ti == 0 ? a.t_fall : a.t_rise, dt_i = ti == 0 ? -a.slope : a.slope;
    for (int tj = 0; tj < 2; ++tj) {
      const std::size_t node_j = q + std::size_t(tj);
      if (node_j == 0 || node_j > interior) continue;
      const double t_j = tj == 0 ? b.t_fall : b.t_rise, dt_j = tj == 0 ? -b.slope : b.slope;
      const std::size_t i = node_i - 1, jj = node_j - 1, n = interior;
      const double tt = t_i * t_j;
      const Complex f = 2.0 * pi * w;
      z(i, jj) +=
          f * (jk * tt * (a.drho * b.drho * g.cc + a.dz * b.dz * g.c1) - jk_inv * (dt_i * dt_j) * g.c1);
      z(i, n + jj) += f * (jk * tt * a.drho * (-j * g.ss) - jk_inv * dt_i * (j * t_j / b.rho) * g.c1);
      z(n + i, jj) += f * (jk * tt * (j * b.drho * g.ss) - jk_inv * (-j * t_i / a.rho) * dt_j * g.c1);
      z(n + i, n + jj) += f * (jk * tt * g.cc - jk_inv * (tt / (a.rho * b.rho)) * g.c1);
    }
  }
}

// The curve's point at arc length s within segment q (its triangles there).
Sample at_arc(const Curve& curve, std::size_t q, double s_start, double s) {
  const Point a = curve.nodes()[q], b = curve.nodes()[q + 1];
  const double length = segment_length(curve, q), u = (s - s_start) / length;
  return {a.rho + u * (b.rho - a.rho),
          a.z + u * (b.z - a.z),
          (b.rho - a.rho) / length,
          (b.z - a.z) / length,
          s,
          1.0 - u,
          u,
          1.0 / length};
}

}  // namespace

namespace {

// The electric equation's moment matrix, of the basis functions' parts over
// the segments `source` picks (all of them for the equation itself; the
// aperture's disc for the field of its magnetic current, by duality).
// With `magnetic`, each sample pair's magnetic kernels (not of a point with
// itself) are handed to it with the pair's weight, from the same samples of
// the wave.
using MagneticAdd = std::function<void(std::size_t p, std::size_t q, const Sample& a, const Sample& b,
                                       const Kernels& h, double w)>;
modal::Matrix electric_matrix(const Curve& curve, double k, const Quadrature& quad,
                              const std::function<bool(std::size_t)>& source,
                              const MagneticAdd& magnetic = {}) {
  const std::size_t interior = curve.nodes().size() - 2, segments = curve.segments();
  modal::Matrix z(2 * interior, 2 * interior);
  const Rule &far = quad.far, &near = quad.near;
  const auto far_samples = samples_of(curve, far), near_samples = samples_of(curve, near);
  std::vector<double> starts(segments + 1, 0.0);
  for (std::size_t p = 0; p < segments; ++p) starts[p + 1] = starts[p] + segment_length(curve, p);
  // A pair's kernels are symmetric in its two points (they depend on the
  // distance, rho rho' and the arc distance alone, to the last bit): each is
  // computed once for both orders of the pair, p <= q, [ia * |sq| + ib].
  std::vector<Kernels> g_of, h_of;
  // The pair's share with p the test's segment and q the basis's, its
  // kernels at (ia, ib) from `at`.
  auto share = [&](std::size_t p, std::size_t q, const Rule& rule, const std::vector<Sample>& sp,
                   const std::vector<Sample>& sq, bool close, auto&& at) {
    const double lp = segment_length(curve, p), lq = segment_length(curve, q);
    for (std::size_t ia = 0; ia < sp.size(); ++ia) {
      const Sample& a = sp[ia];
      const double wa = rule.w[ia] * lp;
      double log_sum = 0.0;
      for (std::size_t ib = 0; ib < sq.size(); ++ib) {
        const Sample& b = sq[ib];
        const double wb = rule.w[ib] * lq;
        const double distance = std::fabs(a.s - b.s);
        const bool with_magnetic = magnetic && !(p == q && ia == ib);  // the principal value's centre
        const std::size_t n = at(ia, ib);
        add(z, interior, p, q, a, b, g_of[n], k, wa * wb);
        if (with_magnetic) magnetic(p, q, a, b, h_of[n], wa * wb);
        if (!close || distance == 0.0) continue;  // h(t') - h(t*) vanishes where t' = t*
        // -ln D / (pi A) times the triangles: h(t') - h(t*) here, h(t*)
        // times the analytic integral below.
        const double d2 = (a.rho - b.rho) * (a.rho - b.rho) + (a.z - b.z) * (a.z - b.z);
        const double inv = 1.0 / (pi * std::sqrt(d2 + 4.0 * a.rho * b.rho));
        const double weight = wa * wb * -std::log(distance);
        add(z, interior, p, q, a, b, {inv, inv, 0.0}, k, weight);
        log_sum += wb * -std::log(distance);
      }
      if (!close) continue;
      // t* = t on the same segment, the shared node on a neighbour.
      const double s_star = p == q ? a.s : (q < p ? starts[q + 1] : starts[q]);
      const Sample star = at_arc(curve, q, starts[q], s_star);
      const double d2 = (a.rho - star.rho) * (a.rho - star.rho) + (a.z - star.z) * (a.z - star.z);
      const double inv = 1.0 / (pi * std::sqrt(d2 + 4.0 * a.rho * star.rho));
      const double analytic = minus_log_integral(starts[q] - a.s, starts[q + 1] - a.s);
      add(z, interior, p, q, a, star, {inv, inv, 0.0}, k, wa * (analytic - log_sum));
    }
  };
  for (std::size_t p = 0; p < segments; ++p)
    for (std::size_t q = p; q < segments; ++q) {
      const bool forward = source(q), backward = q != p && source(p);
      if (!forward && !backward) continue;
      const bool close = q - p <= 1;
      const Rule& rule = close ? near : far;
      const auto& sp = close ? near_samples[p] : far_samples[p];
      const auto& sq = close ? near_samples[q] : far_samples[q];
      g_of.assign(sp.size() * sq.size(), Kernels{});
      h_of.assign(magnetic ? sp.size() * sq.size() : 0, Kernels{});
      for (std::size_t ia = 0; ia < sp.size(); ++ia)
        for (std::size_t ib = 0; ib < sq.size(); ++ib) {
          const Sample &a = sp[ia], &b = sq[ib];
          const std::size_t n = ia * sq.size() + ib;
          const bool with_magnetic = magnetic && !(p == q && ia == ib);
          g_of[n] = kernels(a, b, k, pair_samples(k, a, b, close, quad.angular), close, std::fabs(a.s - b.s),
                            with_magnetic ? &h_of[n] : nullptr);
        }
      if (forward)
        share(p, q, rule, sp, sq, close, [&](std::size_t ia, std::size_t ib) { return ia * sq.size() + ib; });
      if (backward)
        share(q, p, rule, sq, sp, close, [&](std::size_t ia, std::size_t ib) { return ib * sq.size() + ia; });
    }
  return z;
}

}  // namespace

Solver::Solver(const Curve& curve, double k, Equation equation, int refinement)
    : curve_(curve), k_(k), equation_(equation), refinement_(refinement) {
  if (refinement < 1) throw std::invalid_argument("the refinement is a positive integer");
  if (equation == Equation::combined)
    assemble_combined();
  else
    z_ = electric_matrix(curve, k, quadrature(refinement_), [](std::size_t) { return true; });
}

ApertureField te11_aperture(double radius, double z) {
  constexpr double root = 1.8411837813406593;  // j'_11
  return {radius, z, [radius](double rho) {
            const double x = root * rho / radius;
            const double j1_over_x = x < 1e-8 ? 0.5 : boost::math::cyl_bessel_j(1, x) / x;
            // 1 V/m on the axis, where J1(x) / x and J1'(x) are both 1/2.
            return std::pair<Complex, Complex>(2.0 * j1_over_x, 2.0 * boost::math::cyl_bessel_j_prime(1, x));
          }};
}

namespace {

// Whether segment p lies on the aperture's disc.
bool on_disc(const Curve& curve, std::size_t p, const ApertureField& ap) {
  const Point a = curve.nodes()[p], b = curve.nodes()[p + 1];
  const double tol = 1e-9 * ap.radius;
  return std::fabs(a.z - ap.z) <= tol && std::fabs(b.z - ap.z) <= tol &&
         std::max(a.rho, b.rho) <= ap.radius + tol;
}

// The magnetic current of order +1 at a disc sample: (M_t, M_phi), M_t
// along the curve's tangent (rho^ times its direction).
std::pair<Complex, Complex> magnetic_current(const ApertureField& ap, const Sample& b) {
  const auto [e_rho, e_phi] = ap.field(b.rho);
  // M = E x z^: M_rho = E_phi = -e_phi sin phi, M_phi = -E_rho = -e_rho cos phi;
  // of e^{j phi}: sin phi -> 1 / (2j), cos phi -> 1/2.
  return {b.drho * (j * e_phi / 2.0), -e_rho / 2.0};
}

}  // namespace

Currents Solver::aperture(const ApertureField& ap) const {
  Currents c = solved(excitations({ap}));
  c.aperture = ap;
  return c;
}

modal::Matrix Solver::excitations(const std::vector<ApertureField>& fields) const {
  if (fields.empty()) throw std::invalid_argument("no aperture field");
  const ApertureField& ap = fields.front();
  for (const ApertureField& f : fields)
    if (f.radius != ap.radius || f.z != ap.z)
      throw std::invalid_argument("the aperture fields need one disc");
  const std::size_t interior = curve_.nodes().size() - 2, segments = curve_.segments(), count = fields.size();
  double disc_length = 0.0;
  for (std::size_t p = 0; p < segments; ++p)
    if (on_disc(curve_, p, ap)) disc_length += segment_length(curve_, p);
  if (std::fabs(disc_length - ap.radius) > 1e-9 * ap.radius)
    throw std::invalid_argument("the aperture's disc, from the axis to its rim, must be part of the curve");
  const Quadrature quad = quadrature(refinement_);
  const Rule &far = quad.far, &near = quad.near;
  const auto far_samples = samples_of(curve_, far), near_samples = samples_of(curve_, near);
  modal::Matrix v(2 * interior, count);
  const auto add_test = [&](std::size_t p, const Sample& a, double w, std::size_t f, Complex vt,
                            Complex vphi) {
    for (int ti = 0; ti < 2; ++ti) {
      const std::size_t node = p + std::size_t(ti);
      if (node == 0 || node > interior) continue;
      const double t = ti == 0 ? a.t_fall : a.t_rise;
      v(node - 1, f) += w * t * vt;
      v(interior + node - 1, f) += w * t * vphi;
    }
  };
  std::vector<Complex> vt(count), vphi(count);
  // Each field's magnetic current at the disc's samples, once.
  using Currents2 = std::vector<std::vector<std::pair<Complex, Complex>>>;  // [sample][field]
  const auto currents_at = [&](const std::vector<Sample>& samples) {
    Currents2 out(samples.size(), std::vector<std::pair<Complex, Complex>>(count));
    for (std::size_t ib = 0; ib < samples.size(); ++ib)
      for (std::size_t f = 0; f < count; ++f) out[ib][f] = magnetic_current(fields[f], samples[ib]);
    return out;
  };
  std::vector<Currents2> far_m(segments), near_m(segments);
  for (std::size_t q = 0; q < segments; ++q)
    if (on_disc(curve_, q, ap)) {
      far_m[q] = currents_at(far_samples[q]);
      near_m[q] = currents_at(near_samples[q]);
    }
  for (std::size_t p = 0; p < segments; ++p) {
    const double lp = segment_length(curve_, p);
    if (on_disc(curve_, p, ap)) {
      // Just inside the closed disc the tangential field of M is -E / 2 (its
      // own field is odd across a flat sheet): L(J) = -E / 2 there.
      for (std::size_t ia = 0; ia < far.u.size(); ++ia) {
        const Sample& a = far_samples[p][ia];
        for (std::size_t f = 0; f < count; ++f) {
          const auto [e_rho, e_phi] = fields[f].field(a.rho);
          add_test(p, a, far.w[ia] * lp, f, -0.5 * pi * a.drho * e_rho, -0.5 * j * pi * e_phi);
        }
      }
      continue;
    }
    for (std::size_t q = 0; q < segments; ++q) {
      if (!on_disc(curve_, q, ap)) continue;
      const bool close = (p > q ? p - q : q - p) <= 1;
      const Rule& rule = close ? near : far;
      const auto& sp = close ? near_samples[p] : far_samples[p];
      const auto& sq = close ? near_samples[q] : far_samples[q];
      const Currents2& mq = close ? near_m[q] : far_m[q];
      const double lq = segment_length(curve_, q);
      for (std::size_t ia = 0; ia < sp.size(); ++ia) {
        const Sample& a = sp[ia];
        std::fill(vt.begin(), vt.end(), Complex());
        std::fill(vphi.begin(), vphi.end(), Complex());
        for (std::size_t ib = 0; ib < sq.size(); ++ib) {
          const Sample& b = sq[ib];
          // <f, E^M> = -int int h (r - r') . (M x f), by the four pairs of directions.
          const CurlKernels c = curl_kernels(a, b, k_, close, quad.angular);
          const double w = -2.0 * pi * rule.w[ib] * lq * b.rho;
          for (std::size_t f = 0; f < count; ++f) {
            const auto [m_t, m_phi] = mq[ib][f];
            vt[f] += w * (m_t * c.t_to_t + m_phi * c.phi_to_t);
            vphi[f] += w * (m_t * c.t_to_phi + m_phi * c.phi_to_phi);
          }
        }
        for (std::size_t f = 0; f < count; ++f) add_test(p, a, rule.w[ia] * lp, f, vt[f], vphi[f]);
      }
    }
  }
  if (equation_ == Equation::combined) {
    // n^ x H of M, by duality H_M = -L(M) / eta^2 with L the electric
    // operator: M interpolated at the disc's nodes by the triangles (rho M
    // linear between them; M_t vanishes at the rim, where E_phi does), the
    // rim's triangle over the disc alone. n^ x turns t^ into phi^ and phi^
    // into -t^.
    const modal::Matrix zd =
        electric_matrix(curve_, k_, quad, [&](std::size_t q) { return on_disc(curve_, q, ap); });
    modal::Matrix m(2 * interior, count);
    for (std::size_t p = 0; p < segments; ++p) {
      if (!on_disc(curve_, p, ap)) continue;
      const auto& nodes = curve_.nodes();
      const double drho = nodes[p + 1].rho > nodes[p].rho ? 1.0 : -1.0;
      for (const std::size_t node : {p, p + 1}) {
        if (node == 0 || node > interior) continue;
        Sample at{};
        at.rho = nodes[node].rho;
        at.drho = drho;
        for (std::size_t f = 0; f < count; ++f) {
          const auto [m_t, m_phi] = magnetic_current(fields[f], at);
          m(node - 1, f) = at.rho * m_t;
          m(interior + node - 1, f) = at.rho * m_phi;
        }
      }
    }
    const modal::Matrix l = zd * m;
    const double w = normal_sign_ / (eta0 * eta0) * (0.5 * eta0);
    for (std::size_t f = 0; f < count; ++f)
      for (std::size_t i = 0; i < interior; ++i) {
        const Complex t = v(i, f), phi = v(interior + i, f);
        v(i, f) = 0.5 * t - w * l(interior + i, f);
        v(interior + i, f) = 0.5 * phi + w * l(i, f);
      }
  }
  return v;
}

modal::Matrix Solver::aperture_admittance(const std::vector<modal::Mode>& modes, double radius,
                                          double z) const {
  std::vector<ApertureField> fields;
  fields.reserve(modes.size());
  for (const modal::Mode& mode : modes)
    fields.push_back({radius, z, [mode, radius](double rho) {
                        const modal::Radial r = modal::field(mode, radius, std::min(rho, radius));
                        return std::pair<Complex, Complex>(r.f, -r.g);  // E_phi = g sin phi
                      }});
  const modal::Matrix x = modal::solve(z_, excitations(fields));
  // I_m = eta int H . (z^ x e_m) over the disc, H = J x z^ just outside the
  // closed disc: -eta int J . e_m = -eta 2 pi int (rho' sum a T f_m + j sum b T g_m) dt.
  const std::size_t interior = curve_.nodes().size() - 2, n = modes.size();
  const Rule rule = gauss(4 * refinement_);
  const auto samples = samples_of(curve_, rule);
  modal::Matrix y(n, n);
  for (std::size_t p = 0; p < curve_.segments(); ++p) {
    if (!on_disc(curve_, p, fields.front())) continue;
    const double lp = segment_length(curve_, p);
    for (std::size_t ia = 0; ia < rule.u.size(); ++ia) {
      const Sample& a = samples[p][ia];
      std::vector<modal::Radial> e(n);
      for (std::size_t mi = 0; mi < n; ++mi) e[mi] = modal::field(modes[mi], radius, std::min(a.rho, radius));
      for (int ti = 0; ti < 2; ++ti) {
        const std::size_t node = p + std::size_t(ti);
        if (node == 0 || node > interior) continue;
        const double t = (ti == 0 ? a.t_fall : a.t_rise) * rule.w[ia] * lp;
        for (std::size_t col = 0; col < n; ++col) {
          const Complex at = x(node - 1, col), bp = x(interior + node - 1, col);
          for (std::size_t mi = 0; mi < n; ++mi)
            y(mi, col) += -eta0 * 2.0 * pi * t * (a.drho * at * e[mi].f + j * bp * e[mi].g);
        }
      }
    }
  }
  return y;
}

// The magnetic field's equation, n^ x H_inc = J / 2 - n^ x PV int grad G x J',
// tested with the same functions: n^ x turns the test's t^ into phi^ and
// phi^ into -t^ (n^ = phi^ x t^), so that its kernels are the magnetic
// current's of Solver::aperture. Added to the electric equation's half with
// weight eta / 2, its kernels from the electric ones' samples of the wave.
void Solver::assemble_combined() {
  const auto& nodes = curve_.nodes();
  if (nodes.front().rho != 0.0 || nodes.back().rho != 0.0)
    throw std::invalid_argument(
        "the combined-field equation needs a closed body: a curve from the axis to the axis");
  double area = 0.0;
  for (std::size_t i = 0; i + 1 < nodes.size(); ++i)
    area += nodes[i].rho * nodes[i + 1].z - nodes[i + 1].rho * nodes[i].z;
  normal_sign_ = area > 0.0 ? 1.0 : -1.0;
  const double sign = normal_sign_;
  const std::size_t interior = nodes.size() - 2, segments = curve_.segments(), n = interior;
  const double weight = 0.5 * eta0;
  modal::Matrix zm(2 * n, 2 * n);
  const auto add = [&](std::size_t p, std::size_t q, const Sample& a, const Sample& b,
                       const Complex(&m)[2][2], double w) {
    for (int ti = 0; ti < 2; ++ti) {
      const std::size_t node_i = p + std::size_t(ti);
      if (node_i == 0 || node_i > interior) continue;
      const double t_i = ti == 0 ? a.t_fall : a.t_rise;
      for (int tj = 0; tj < 2; ++tj) {
        const std::size_t node_j = q + std::size_t(tj);
        if (node_j == 0 || node_j > interior) continue;
        const double t_j = tj == 0 ? b.t_fall : b.t_rise;
        const std::size_t i = node_i - 1, jj = node_j - 1;
        const double f = weight * w * t_i * t_j;
        zm(i, jj) += f * m[0][0];
        zm(i, n + jj) += f * m[0][1];
        zm(n + i, jj) += f * m[1][0];
        zm(n + i, n + jj) += f * m[1][1];
      }
    }
  };
  const Quadrature quad = quadrature(refinement_);
  // - <f, n^ x K J'>: the t-test takes J' x phi^, the phi-test -(J' x t^).
  z_ = electric_matrix(
      curve_, k_, quad, [](std::size_t) { return true; },
      [&](std::size_t p, std::size_t q, const Sample& a, const Sample& b, const Kernels& h, double w) {
        const CurlKernels c = curl_of(a, b, h);
        const Complex m[2][2] = {{-sign * c.t_to_phi, -sign * c.phi_to_phi},
                                 {sign * c.t_to_t, sign * c.phi_to_t}};
        add(p, q, a, b, m, 2.0 * pi * w);
      });
  // J / 2: the Gram matrix 2 pi int T_i T_j / rho dt.
  const auto samples = samples_of(curve_, quad.near);
  for (std::size_t p = 0; p < segments; ++p) {
    const double lp = segment_length(curve_, p);
    for (std::size_t ia = 0; ia < quad.near.u.size(); ++ia) {
      const Sample& a = samples[p][ia];
      const double g = pi * quad.near.w[ia] * lp / a.rho;
      const Complex m[2][2] = {{g, 0.0}, {0.0, g}};
      add(p, p, a, a, m, 1.0);
    }
  }
  z_ *= 0.5;
  z_ += zm;
}

Currents Solver::plane_wave() const {
  const std::size_t interior = curve_.nodes().size() - 2;
  const Rule rule = gauss(4 * refinement_);
  const auto samples = samples_of(curve_, rule);
  modal::Matrix v(2 * interior, 1);
  for (std::size_t p = 0; p < curve_.segments(); ++p) {
    const double lp = segment_length(curve_, p);
    for (std::size_t ia = 0; ia < samples[p].size(); ++ia) {
      const Sample& a = samples[p][ia];
      const Complex wave = std::exp(-j * (k_ * a.z)) * (rule.w[ia] * lp);
      for (int ti = 0; ti < 2; ++ti) {
        const std::size_t node = p + std::size_t(ti);
        if (node == 0 || node > interior) continue;
        const double t = ti == 0 ? a.t_fall : a.t_rise;
        // int e^{-j phi} x^ . t^ dphi = pi rho', and x^ . phi^: j pi.
        Complex vt = pi * a.drho * t * wave, vphi = j * pi * t * wave;
        if (equation_ == Equation::combined) {
          // Half of it, and eta / 2 times <f, n^ x H_inc>, H_inc = y^ e^{-jkz} / eta:
          // y^ . phi^ -> pi, -y^ . t^ -> j pi rho'.
          vt = 0.5 * vt + 0.5 * normal_sign_ * pi * t * wave;
          vphi = 0.5 * vphi + 0.5 * normal_sign_ * j * pi * a.drho * t * wave;
        }
        v(node - 1, 0) += vt;
        v(interior + node - 1, 0) += vphi;
      }
    }
  }
  return solved(v);
}

Currents Solver::solved(const modal::Matrix& excitation) const {
  const std::size_t interior = curve_.nodes().size() - 2;
  const modal::Matrix x = modal::solve(z_, excitation);
  Currents c;
  for (std::size_t i = 0; i < interior; ++i) {
    c.t.push_back(x(i, 0));
    c.phi.push_back(x(interior + i, 0));
  }
  return c;
}

std::vector<RadiatingSample> Solver::radiating_samples(const Currents& currents) const {
  const std::size_t interior = curve_.nodes().size() - 2;
  const Rule rule = gauss(3 * refinement_);
  const auto samples = samples_of(curve_, rule);
  std::vector<RadiatingSample> out;
  for (std::size_t p = 0; p < curve_.segments(); ++p) {
    const double lp = segment_length(curve_, p);
    const bool disc = currents.aperture && on_disc(curve_, p, *currents.aperture);
    for (std::size_t ia = 0; ia < samples[p].size(); ++ia) {
      const Sample& a = samples[p][ia];
      RadiatingSample r{a.rho, a.z, a.drho, a.dz, 0.0, 0.0, 0.0, 0.0};
      const double w = rule.w[ia] * lp;
      for (int ti = 0; ti < 2; ++ti) {
        const std::size_t node = p + std::size_t(ti);
        if (node == 0 || node > interior) continue;
        const double t = ti == 0 ? a.t_fall : a.t_rise;
        r.t += w * t * currents.t[node - 1];
        r.phi += w * t * currents.phi[node - 1];
      }
      if (disc) {
        const auto [m_t, m_phi] = magnetic_current(*currents.aperture, a);
        r.m_t = w * a.rho * m_t;
        r.m_phi = w * a.rho * m_phi;
      }
      out.push_back(r);
    }
  }
  return out;
}

FarField radiate(const std::vector<RadiatingSample>& samples, double k, double theta) {
  const double ct = std::cos(theta), st = std::sin(theta);
  Complex n_e, n_h, l_theta, l_phi;
  for (const RadiatingSample& a : samples) {
    const double x = k * a.rho * st;
    const double j1 = boost::math::cyl_bessel_j(1, x, no_promotion);
    const double j1_over_x = std::fabs(x) < 1e-8 ? 0.5 : j1 / x;
    const double dj1 = std::fabs(x) < 1e-8 ? 0.5 : boost::math::cyl_bessel_j(0, x, no_promotion) - j1_over_x;
    // Orders +1 and -1 together: B = 2 pi j J1, C = 2 pi J1', S = 2 pi j J1 / x.
    const Complex big_b = 2.0 * pi * j * j1, big_c = 2.0 * pi * dj1, big_s = 2.0 * pi * j * j1_over_x;
    const Complex phase = std::exp(j * (k * a.z * ct));
    const Complex theta_part = a.drho * ct * big_c - a.dz * st * big_b;
    n_e += phase * (a.t * theta_part - a.phi * ct * big_s);
    n_h += phase * (a.t * a.drho * big_s + a.phi * big_c);
    // The aperture's magnetic current: L_theta = 2 j sin(phi) l_theta,
    // L_phi = 2 cos(phi) l_phi (its orders' parities are the electric ones'
    // swapped).
    l_theta += phase * (a.m_t * theta_part - a.m_phi * ct * big_s);
    l_phi += phase * (a.m_t * a.drho * big_s + a.m_phi * big_c);
  }
  // E_theta = -jk e^{-jkr} / (4 pi r) (eta N_theta + L_phi), E_phi = -jk ... (eta N_phi - L_theta);
  // N_theta = 2 cos(phi) n_e, N_phi = 2 j sin(phi) n_h.
  const Complex factor = -j * k / (4.0 * pi);
  return {factor * 2.0 * (eta0 * n_e + l_phi), -factor * 2.0 * j * (eta0 * n_h - l_theta)};
}

FarField Solver::far_field(const Currents& currents, double theta) const {
  return radiate(radiating_samples(currents), k_, theta);
}

}  // namespace bor
