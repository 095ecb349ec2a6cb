// Lagrange interpolation: sum over i of ya[i] * prod_{j != i} (x - xa[j]) / (xa[i] - xa[j]).
// Each partial product and each partial sum is stored in single precision.
#include "numerics/interpolation.hpp"

namespace numerics {

float ALGIP(const float& x, const float* xa, const float* ya, const int& n) {
  float sum = 0.0f;
  for (int i = 0; i < n; ++i) {
    float p = 1.0f;
    for (int j = 0; j < n; ++j) {
      if (j == i) continue;
      p = static_cast<float>((double(x) - double(xa[j])) * double(p) / (double(xa[i]) - double(xa[j])));
    }
    sum = static_cast<float>(double(p) * double(ya[i]) + double(sum));
  }
  return sum;
}

}  // namespace numerics
