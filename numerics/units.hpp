// Length units: the inch in metres, exact by its definition (1959), the one
// conversion between the classic routines' inches and the engines' metres;
// and the speed of light in vacuum (m/s, exact by the SI's definition), the
// engines' one conversion between frequency and wavelength.
#pragma once

namespace numerics {

inline constexpr double metres_per_inch = 0.0254;
inline constexpr double speed_of_light = 299792458.0;

}  // namespace numerics
