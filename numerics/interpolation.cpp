// Lagrange interpolation: sum over i of ya[i] * prod_{j != i} (x - xa[j]) / (xa[i] - xa[j]).
// Each partial product and each partial sum is stored in single precision.
#include "numerics/interpolation.hpp"

#include "numerics/real_to_int.hpp"

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

TableWindow table_window(const float& x, const float& step, const float& offset, std::size_t table_size) {
  const auto last_middle = static_cast<std::int32_t>(table_size) - 2;
  TableWindow window{};
  window.middle = trunc_to_int32(double(x) / double(step) + double(offset));
  if (window.middle > last_middle) window.middle = last_middle;
  if (window.middle < 1) window.middle = 1;
  for (int i = 0; i < 3; ++i)
    window.x[i] = static_cast<float>(double(static_cast<float>(window.middle + i - 1)) * double(step));
  return window;
}

float interpolate_window(const float& x, const TableWindow& window, std::span<const float> table) {
  const float y[3] = {table[window.middle - 1], table[window.middle], table[window.middle + 1]};
  constexpr int points = 3;
  return ALGIP(x, window.x.data(), y, points);
}

}  // namespace numerics
