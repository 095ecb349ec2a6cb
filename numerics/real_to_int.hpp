// Conversion of a real to a 32-bit integer: truncation toward zero, and the
// most negative 32-bit integer for a value that is not a number or does not
// fit. This is the only place where the program turns a real into an integer.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace numerics {

inline constexpr std::int32_t invalid_integer = std::numeric_limits<std::int32_t>::min();

// trunc_to_int32(2.9) == 2, trunc_to_int32(-2.9) == -2,
// trunc_to_int32(NaN) == trunc_to_int32(3e9) == invalid_integer.
inline std::int32_t trunc_to_int32(double value) {
  const double t = std::trunc(value);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) return invalid_integer;
  return static_cast<std::int32_t>(t);
}

}  // namespace numerics
