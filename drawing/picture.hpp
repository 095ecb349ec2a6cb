// A horn's half cross-section as an SVG picture to machine from: the metal
// (or a thin wall's line) above a dash-dot axis, to one scale in both
// directions, with the dimensions a workshop asks first: the length from the
// input plane to the aperture, the input and aperture diameters, the
// outside's largest diameter.
#pragma once

#include <string>
#include <vector>

#include "modal/horn.hpp"

namespace drawing {

std::string section_svg(const std::vector<modal::ProfilePoint>& wall,
                        const std::vector<modal::ProfilePoint>& outside, const std::string& unit,
                        double units_per_metre, const std::string& title);

}  // namespace drawing
