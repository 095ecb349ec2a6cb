#include "farfield/quadrature.hpp"

#include <boost/math/special_functions/legendre.hpp>

namespace farfield {

QuadratureRule gauss_legendre(int n) {
  const std::vector<double> zeros =
      boost::math::legendre_p_zeros<double>(n);  // the non-negative ones, ascending
  QuadratureRule rule;
  auto add = [&](double x) {  // x in (-1, 1); weight 2 / ((1 - x^2) P_n'(x)^2), halved for [0, 1]
    const double d = boost::math::legendre_p_prime(n, x);
    rule.nodes.push_back((1.0 + x) / 2.0);
    rule.weights.push_back(1.0 / ((1.0 - x * x) * d * d));
  };
  for (auto it = zeros.rbegin(); it != zeros.rend(); ++it)
    if (*it > 0.0) add(-*it);
  for (double x : zeros) add(x);
  return rule;
}

}  // namespace farfield
