// GLINA: n-point Gauss-Legendre quadrature of an m-component integrand over
// [lower_limit, upper_limit], with the standard rules for eleven orders
// (nodes and weights on [-1, 1] to seven significant digits).
//
// The integrand is called as integrand(integrand_vector) after element 0 has
// been set to the abscissa and element 1 to the component number (1.0, 2.0,
// ...); at each abscissa the components come in ascending order, component 1
// first, with no other abscissa in between. Elements from 2 on belong to the
// caller and pass through untouched.
//
// An unsupported order gives zero integrals without calling the integrand; a
// component count of 0 or less gives nothing. Limits with a > b integrate in
// the reverse direction.
#pragma once

#include <array>
#include <span>

namespace numerics {

namespace gauss_legendre {

inline constexpr std::array<int, 11> supported_orders = {3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 32};

// Positive abscissae of each order, ascending; the zero of an odd order is not stored.
// clang-format off
inline constexpr std::array<float, 54> nodes = {
    0.7745967f,                                                       // 3
    0.3399810f, 0.8611363f,                                           // 4
    0.5384693f, 0.9061798f,                                           // 5
    0.2386192f, 0.6612094f, 0.9324695f,                               // 6
    0.4058452f, 0.7415312f, 0.9491079f,                               // 7
    0.1834346f, 0.5255324f, 0.7966665f, 0.9602899f,                   // 8
    0.3242534f, 0.6133714f, 0.8360311f, 0.9681602f,                   // 9
    0.1488743f, 0.4333954f, 0.6794096f, 0.8650634f, 0.9739065f,       // 10
    0.1252334f, 0.3678315f, 0.5873180f, 0.7699027f, 0.9041173f,
    0.9815606f,                                                       // 12
    0.0950125f, 0.2816036f, 0.4580168f, 0.6178762f, 0.7554044f,
    0.8656312f, 0.9445750f, 0.9894009f,                               // 16
    0.04830767f, 0.1444720f, 0.2392874f, 0.3318686f, 0.4213513f, 0.5068999f,
    0.5877158f, 0.6630443f, 0.7321821f, 0.7944838f, 0.8493676f, 0.8963212f,
    0.9349061f, 0.9647623f, 0.9856115f, 0.9972639f,                   // 32
};
// clang-format on

// Weights of each order: the zero abscissa's first (odd orders), then those
// of the positive abscissae in the order of `nodes`.
// clang-format off
inline constexpr std::array<float, 58> weights = {
    0.8888889f, 0.5555556f,                                           // 3
    0.6521452f, 0.3478548f,                                           // 4
    0.5688889f, 0.4786287f, 0.2369269f,                               // 5
    0.4679139f, 0.3607616f, 0.1713245f,                               // 6
    0.4179592f, 0.3818301f, 0.2797054f, 0.1294850f,                   // 7
    0.3626838f, 0.3137066f, 0.2223810f, 0.1012285f,                   // 8
    0.3302394f, 0.3123471f, 0.2606107f, 0.1806482f, 0.08127439f,      // 9
    0.2955242f, 0.2692667f, 0.2190864f, 0.1494513f, 0.06667134f,      // 10
    0.2491470f, 0.2334925f, 0.2031674f, 0.1600783f, 0.1069393f,
    0.04717534f,                                                      // 12
    0.1894506f, 0.1826034f, 0.1691565f, 0.1495960f, 0.1246290f,
    0.09515851f, 0.06225352f, 0.02715246f,                            // 16
    0.09654009f, 0.09563872f, 0.09384440f, 0.09117388f, 0.08765209f, 0.08331192f,
    0.07819390f, 0.07234579f, 0.06582222f, 0.05868409f, 0.05099806f, 0.04283590f,
    0.03427386f, 0.02539207f, 0.01627439f, 0.007018610f,              // 32
};
// clang-format on

// 0-based index of each order's first node and first weight.
inline constexpr std::array<int, 11> node_offsets = {0, 1, 3, 5, 8, 11, 15, 19, 24, 30, 38};
inline constexpr std::array<int, 11> weight_offsets = {0, 2, 4, 7, 10, 14, 18, 23, 28, 34, 42};

static_assert(node_offsets.back() + 32 / 2 == nodes.size());
static_assert(weight_offsets.back() + 32 / 2 == weights.size());

}  // namespace gauss_legendre

template <class Integrand>
void GLINA(const float& lower_limit, const float& upper_limit, std::span<float> integrand_vector,
           Integrand&& integrand, const int& point_count, std::span<float> integrals,
           const int& component_count) {
  namespace gl = gauss_legendre;
  int position = -1;
  for (int i = 0; i < static_cast<int>(gl::supported_orders.size()); ++i)
    if (gl::supported_orders[i] == point_count) position = i;

  // Never more components than the caller gave room for.
  const int m = component_count < static_cast<int>(integrals.size()) ? component_count
                                                                     : static_cast<int>(integrals.size());
  for (int k = 0; k < m; ++k) integrals[k] = 0.0f;
  if (position < 0 || integrand_vector.size() < 2) return;

  const int half = point_count / 2;
  const int odd = point_count > 2 * half ? 1 : 0;
  const float h = (double(upper_limit) - double(lower_limit)) / 2.0;
  const float c = (double(upper_limit) + double(lower_limit)) / 2.0;

  auto add_components = [&](const float& w) {
    for (int k = 0; k < m; ++k) {
      integrand_vector[1] = static_cast<float>(k + 1);
      integrals[k] = double(integrals[k]) + double(w) * double(integrand(integrand_vector));
    }
  };

  for (int j = 0; j < half; ++j) {  // positive nodes, ascending; lower abscissa first
    const float x = gl::nodes[gl::node_offsets[position] + j];
    const float w = gl::weights[gl::weight_offsets[position] + j + odd];
    integrand_vector[0] = double(c) - double(h) * double(x);
    add_components(w);
    integrand_vector[0] = double(c) + double(h) * double(x);
    add_components(w);
  }

  if (odd) {  // midpoint last, with the final scaling in the same step
    const float w0 = gl::weights[gl::weight_offsets[position]];
    integrand_vector[0] = c;
    for (int k = 0; k < m; ++k) {
      integrand_vector[1] = static_cast<float>(k + 1);
      integrals[k] = (double(integrals[k]) + double(w0) * double(integrand(integrand_vector))) * double(h);
    }
  } else {
    for (int k = 0; k < m; ++k) integrals[k] = double(h) * double(integrals[k]);
  }
}

}  // namespace numerics
