// The horn as the designer describes it: the aperture diameter and one of four
// descriptions of the flare, in a length unit of their choice, completed to
// the full geometry. Lengths stay in the chosen unit; the cone angle is the
// half angle in degrees.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "horn/units.hpp"

namespace horn {

// What the flare description gives besides the aperture diameter.
enum FlareType : std::int32_t {
  slant_radius_given = 1,
  axial_length_given = 2,  // with the waveguide diameter; also every code other than 1, 3, 4
  cone_length_given = 3,   // with the waveguide diameter
  cone_angle_given = 4,
};

// The two lengths that the horn routines take, in inches.
struct HornInInches {
  float aperture_radius;
  float slant_radius;
};

struct Horn {
  std::int32_t unit_code = 0;  // 1 ... 4, see unit_factor
  float aperture_diameter = 0.0f;
  float half_aperture = 0.0f;
  std::int32_t flare_type = 0;  // a FlareType, or any other code (taken as axial_length_given)
  float waveguide_diameter = 0.0f;
  float slant_radius = 0.0f;
  float axial_length = 0.0f;
  float cone_length = 0.0f;
  float cone_angle = 0.0f;

  // Flare types other than 1 and 4 give the waveguide and its lengths.
  bool has_waveguide() const { return flare_type != slant_radius_given && flare_type != cone_angle_given; }
  // unit_code must be 1 ... 4.
  float units_per_inch() const { return unit_factor[static_cast<std::size_t>(unit_code - 1)]; }
  // Aperture radius and slant radius divided by the unit factor.
  HornInInches in_inches() const;
};

// Sets half_aperture from aperture_diameter and completes the geometry:
// slant radius and cone angle always; axial length and cone length too when a
// waveguide diameter was given. An impossible flare (a slant radius below half
// the aperture, a cone length too short for the waveguide) takes the square
// root of a negative number: numerics::DomainError. An aperture as wide as the
// waveguide gives infinite lengths, which travel on.
void complete_geometry(Horn& horn);

}  // namespace horn
