// The design dialogue: the report file name, the length unit, the aperture
// diameter and the flare description, and the horn geometry completed from
// them. Lengths stay in the unit chosen; the cone angle is in degrees.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "console/input.hpp"
#include "console/terminal.hpp"

namespace console {

// Chosen units per inch, for unit codes 1 in, 2 cm, 3 mm, 4 m.
inline constexpr std::array<float, 4> unit_factor = {1.0f, 2.54f, 25.4f, 0.0254f};
inline constexpr float radians_per_degree = 0.01745329f;

struct Horn {
  std::int32_t unit_code = 0;
  float aperture_diameter = 0.0f;
  float half_aperture = 0.0f;
  std::int32_t flare_type = 0;  // 1 slant radius, 2 axial length, 3 cone length, 4 cone angle
  float waveguide_diameter = 0.0f;
  float slant_radius = 0.0f;
  float axial_length = 0.0f;
  float cone_length = 0.0f;
  float cone_angle = 0.0f;

  // Flare types other than 1 and 4 give the waveguide and its lengths.
  bool has_waveguide() const { return flare_type != 1 && flare_type != 4; }
  float units_per_inch() const { return unit_factor[static_cast<std::size_t>(unit_code - 1)]; }
};

// Shows the title, asks for the report file name and returns it trimmed of
// blanks: the first 70 characters of the answer; when blank, the first
// command-line argument; when that is missing or blank, asked for again until
// a name is typed.
std::string ask_report_name(Terminal& terminal, Input& input, std::span<const std::string> arguments);

// Asks for the unit, the aperture and the flare description, and completes the
// geometry. A unit code outside 1 to 4 ends the run (error 64).
Horn ask_horn(Terminal& terminal, Input& input);

// Slant radius and cone angle always; axial length and cone length too when a
// waveguide diameter was given. An impossible flare may take the square root
// of a negative number (numerics::DomainError).
void complete_geometry(Horn& horn);

}  // namespace console
