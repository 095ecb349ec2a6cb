// The flare's geometry from each of its four descriptions: the cone apex, the
// aperture rim and the waveguide junction lie on one straight wall, so the
// slant radius R, the cone length C and the axial length L relate by similar
// triangles (R / D = C / (D - d)) and Pythagoras (C^2 = L^2 + ((D - d) / 2)^2).
#include "horn/geometry.hpp"

#include <cmath>

#include "horn/constants.hpp"
#include "numerics/checked_math.hpp"

namespace horn {
namespace {

// sin(cone angle) = D / (2 R); arcsin through the arc tangent.
void flare_from_slant_radius(Horn& h) {
  const double k = radians_per_degree;
  const float s = double(h.aperture_diameter) / (2.0 * double(h.slant_radius));
  h.cone_angle = std::atan(double(s) / numerics::checked_sqrt(1.0 - double(s) * double(s))) / k;
}

void flare_from_cone_angle(Horn& h) {
  const double k = radians_per_degree;
  h.slant_radius = double(h.aperture_diameter) / (2.0 * std::sin(double(h.cone_angle) * k));
}

void flare_from_cone_length(Horn& h) {
  const double k = radians_per_degree;
  const double D = h.aperture_diameter;
  const double d = h.waveguide_diameter;
  const double C = h.cone_length;
  h.slant_radius = C * (D / (D - d));
  h.axial_length = numerics::checked_sqrt(C * C - (D - d) * (D - d) / 4.0);
  h.cone_angle = std::atan((D - d) / (2.0 * double(h.axial_length))) / k;
}

void flare_from_axial_length(Horn& h) {
  const double k = radians_per_degree;
  const double D = h.aperture_diameter;
  const double d = h.waveguide_diameter;
  const double L = h.axial_length;
  const double c = numerics::checked_sqrt(L * L + (D - d) * (D - d) / 4.0);  // cone length, unrounded
  h.slant_radius = c * (D / (D - d));
  h.cone_length = ((D - d) / D) * double(h.slant_radius);
  h.cone_angle = std::atan((D - d) / (2.0 * L)) / k;
}

}  // namespace

HornInInches Horn::in_inches() const {
  const float factor = units_per_inch();
  return {static_cast<float>(double(half_aperture) / double(factor)),
          static_cast<float>(double(slant_radius) / double(factor))};
}

void complete_geometry(Horn& h) {
  h.half_aperture = double(h.aperture_diameter) / 2.0;
  switch (h.flare_type) {
    case slant_radius_given: flare_from_slant_radius(h); break;
    case cone_angle_given: flare_from_cone_angle(h); break;
    case cone_length_given: flare_from_cone_length(h); break;
    default: flare_from_axial_length(h); break;
  }
}

}  // namespace horn
