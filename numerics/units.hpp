// Length units: the inch in metres, exact by its definition (1959), the one
// conversion between the classic routines' inches and the engines' metres.
#pragma once

namespace numerics {

inline constexpr double metres_per_inch = 0.0254;

}  // namespace numerics
