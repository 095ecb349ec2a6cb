// Gauss-Legendre rules on [0, 1], built from the zeros of the Legendre
// polynomial that Boost.Math computes: exact for polynomials of degree 2n - 1.
#pragma once

#include <vector>

namespace farfield {

struct QuadratureRule {
  std::vector<double> nodes;    // ascending, in (0, 1)
  std::vector<double> weights;  // summing to 1
};

// n >= 1.
QuadratureRule gauss_legendre(int n);

}  // namespace farfield
