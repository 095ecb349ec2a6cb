// Folding of angles and phase differences, in degrees, and the degree in
// radians for the double-precision engines (the classic routines keep their
// own single-precision constant, horn::radians_per_degree).
#pragma once

#include <cmath>
#include <numbers>

namespace numerics {

inline constexpr double degrees_per_radian = 180.0 / std::numbers::pi;

// `degrees` moved by whole turns into [-180, 180]. A value already in that
// range, the two ends included, is returned unchanged: fold_degrees(180) is
// 180 and fold_degrees(-180) is -180; fold_degrees(190) is -170. NaN and
// infinities give NaN. Every operation is exact for a single-precision input
// below 2^24 degrees, so the result rounds to float as d -+ 360 k does.
inline double fold_degrees(double degrees) {
  if (std::fabs(degrees) <= 180.0) return degrees;
  double folded = std::fmod(degrees, 360.0);  // exact, in (-360, 360)
  if (folded > 180.0) folded -= 360.0;
  if (folded < -180.0) folded += 360.0;
  return folded;
}

}  // namespace numerics
