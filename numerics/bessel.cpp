// BESJ: ascending series below 6 summed in groups of five terms until the
// single-precision sum stops changing; Hankel's asymptotic expansion above.
// GAMI: Horner evaluation of the 1/Gamma power series (A&S 6.1.34) on the
// fractional part, then the recurrence to the argument.
#include "numerics/bessel.hpp"

#include <array>
#include <cmath>

#include "numerics/checked_math.hpp"
#include "numerics/real_to_int.hpp"

namespace numerics {
namespace {

constexpr int max_groups = 20;
constexpr int terms_per_group = 5;

// The leading term (x/2)^n / Gamma(n+1) of the series, with 1/Gamma(n+1) given.
float leading_term(const float& h, const float& n, const float& reciprocal_gamma) {
  if (n == 0.0f) return 1.0f;
  return std::pow(double(h), double(n)) * double(reciprocal_gamma);
}

float reciprocal_gamma_of_order(const float& n) {
  const float n_plus_1 = double(n) + 1.0;
  return n == 0.0f ? 1.0f : GAMI(n_plus_1);
}

// x <= 6 (and NaN): sum_k (-1)^k (x/2)^(2k+n) / (k! Gamma(k+n+1)).
float series(const float& x, const float& n) {
  const float h = double(x) / 2.0;
  const float h2 = double(h) * double(h);
  float t = leading_term(h, n, reciprocal_gamma_of_order(n));
  float sum = t;
  float previous_sum = t;
  float k = 1.0f;
  for (int group = 0; group < max_groups; ++group) {
    float group_sum = 0.0f;
    for (int term = 0; term < terms_per_group; ++term) {
      t = -(double(t) * double(h2)) / ((double(k) + double(n)) * double(k));
      k = double(k) + 1.0;
      group_sum = double(group_sum) + double(t);
    }
    sum = double(sum) + double(group_sum);
    if (double(previous_sum) - double(sum) == 0.0) break;
    previous_sum = sum;
  }
  return sum;
}

// x > 6: J = sqrt(2/(pi x)) (P cos chi - Q sin chi), chi = x - (n/2 + 1/4) pi.
float asymptotic(const float& x, const float& n) {
  constexpr float pi = 3.141593f;
  const double mu = double(static_cast<float>(double(n) * 4.0 * double(n)));
  const float z = 8.0 * double(x);
  const float z2 = double(z) * double(z);
  const double zz = z2;
  const float p =
      1.0 - (mu - 1.0) * (mu - 9.0) / (2.0 * zz) *
                (1.0 - (mu - 25.0) * (mu - 49.0) / (12.0 * zz) *
                           (1.0 - (mu - 81.0) * (mu - 121.0) / (30.0 * zz) *
                                      (1.0 - (mu - 169.0) * (mu - 225.0) / (56.0 * zz) *
                                                 (1.0 - (mu - 289.0) * (mu - 361.0) / (90.0 * zz)))));
  const float q = (mu - 1.0) / double(z) *
                  (1.0 - (mu - 9.0) * (mu - 25.0) / (6.0 * zz) *
                             (1.0 - (mu - 49.0) * (mu - 81.0) / (20.0 * zz) *
                                        (1.0 - (mu - 121.0) * (mu - 169.0) / (42.0 * zz) *
                                                   (1.0 - (mu - 225.0) * (mu - 289.0) / (72.0 * zz)))));
  const float chi = double(x) - (double(n) / 2.0 + double(0.25f)) * double(pi);
  return checked_sqrt(2.0 / (double(pi) * double(x))) *
         (double(p) * std::cos(double(chi)) - double(q) * std::sin(double(chi)));
}

// Coefficient c_k of z^k in 1/Gamma(z) = sum c_k z^k (Abramowitz and Stegun
// 6.1.34), entry k-1 for k = 1 ... 20.
// clang-format off
constexpr std::array<float, 20> reciprocal_gamma_series = {
    1.0f,
    0.5772156649015329f,
    -0.6558780715202538f,
    -0.0420026350340952f,
    0.1665386113822915f,
    -0.0421977345555443f,
    -0.0096219715278770f,
    0.0072189432466630f,
    -0.0011651675918591f,
    -0.0002152416741149f,
    0.0001280502823882f,
    -0.0000201348547807f,
    -0.0000012504934821f,
    0.0000011330272320f,
    -0.0000002056338417f,
    0.0000000061160950f,
    0.0000000050020075f,
    -0.0000000011812746f,
    0.0000000001043427f,
    0.0000000000077823f,
};
// clang-format on

// R(f) = f (c1 + f (c2 + ... + f c20)), each Horner step stored.
float series_value(const float& f) {
  const auto& c = reciprocal_gamma_series;
  float r = double(c[19]) * double(f) + double(c[18]);
  for (int k = 17; k >= 0; --k) r = double(r) * double(f) + double(c[k]);
  return double(r) * double(f);
}

}  // namespace

constexpr float switch_over = 6.0f;

float BESJ(const float& x, const float& order) {
  if (x > switch_over) return asymptotic(x, order);  // x > 6: asymptotic form
  return series(x, order);                           // x <= 6 or NaN: ascending series
}

void BESJ_each(std::span<const float> x, const float& n, std::span<float> values) {
  constexpr std::size_t lanes = 32;
  if (x.size() > lanes) {  // more than a batch: in batches
    BESJ_each(x.first(lanes), n, values.first(lanes));
    BESJ_each(x.subspan(lanes), n, values.subspan(lanes));
    return;
  }
  // The series' state of every argument; the term's divisor (k + n) k is the
  // same for all of them, as is k.
  std::array<float, lanes> h2{}, t{}, sum{}, previous_sum{};
  std::array<bool, lanes> running{};
  std::size_t count = 0;
  const float reciprocal_gamma = reciprocal_gamma_of_order(n);  // one value for all the arguments
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (x[i] > switch_over) {  // x > 6: asymptotic form, on its own
      values[i] = asymptotic(x[i], n);
      continue;
    }
    const float h = double(x[i]) / 2.0;
    h2[i] = double(h) * double(h);
    t[i] = leading_term(h, n, reciprocal_gamma);
    sum[i] = previous_sum[i] = t[i];
    running[i] = true;
    ++count;
  }
  float k = 1.0f;
  for (int group = 0; group < max_groups && count > 0; ++group) {
    std::array<float, lanes> group_sum{};
    for (int term = 0; term < terms_per_group; ++term) {
      const double divisor = (double(k) + double(n)) * double(k);
      for (std::size_t i = 0; i < x.size(); ++i) {  // finished lanes run on unread
        t[i] = -(double(t[i]) * double(h2[i])) / divisor;
        group_sum[i] = double(group_sum[i]) + double(t[i]);
      }
      k = double(k) + 1.0;
    }
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (!running[i]) continue;
      sum[i] = double(sum[i]) + double(group_sum[i]);
      if (double(previous_sum[i]) - double(sum[i]) == 0.0) {
        running[i] = false;
        --count;
        values[i] = sum[i];
      }
      previous_sum[i] = sum[i];
    }
  }
  for (std::size_t i = 0; i < x.size(); ++i)
    if (running[i]) values[i] = sum[i];  // twenty groups without settling (NaN)
}

float GAMI(const float& x) {
  constexpr float argument_limit = 33.0f;
  if (!(std::fabs(x) < argument_limit)) return 0.0f;  // |x| >= 33 or NaN
  const std::int32_t m = trunc_to_int32(x);
  float f = double(x) - double(m);
  if (m >= 1 && f == 0.0f) {  // positive integer: 1/(m-1)!
    float r = 1.0f;
    for (std::int32_t i = 1; i <= m - 1; ++i) r = double(r) / double(i);
    return r;
  }
  float r = series_value(f);
  if (m == 0) return r;
  if (m >= 1) {  // 1/Gamma(z+1) = (1/Gamma(z)) / z
    for (std::int32_t i = 0; i < m; ++i) {
      r = double(r) / double(f);
      f = double(f) + 1.0;
    }
    return r;
  }
  for (std::int32_t i = 0; i < -m; ++i) {  // 1/Gamma(z-1) = (z-1) (1/Gamma(z))
    f = double(f) - 1.0;
    r = double(r) * double(f);
  }
  return r;
}

float GAM(const float& x) { return 1.0 / double(GAMI(x)); }

}  // namespace numerics
