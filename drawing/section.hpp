// The metal of a horn of revolution in its half cross-section (z along the
// axis, r from it, metres): the inner wall from the input reference plane to
// the aperture, the flat rim face, the outer contour back to the feeding
// guide's outer surface, that surface back to the input plane, and the
// guide's end face there. A thin wall (no outer contour) has no metal: its
// section is the inner wall alone, an open line.
#pragma once

#include <string>
#include <vector>

#include "modal/horn.hpp"

namespace drawing {

struct Point {
  double z, r;  // m
};

// The closed polygon of the metal (its last point joins its first), in
// order along the inner wall first; consecutive equal points dropped.
// Empty `outside`: the inner wall alone (open).
std::vector<Point> metal_section(const std::vector<modal::ProfilePoint>& wall,
                                 const std::vector<modal::ProfilePoint>& outside);

// The volume of the polygon revolved about the axis (m^3), by Pappus'
// theorem: 2 pi times the polygon's first moment about the axis,
// pi / 3 sum (z_i - z_{i+1}) (r_i^2 + r_i r_{i+1} + r_{i+1}^2) taken round
// the polygon (positive for either direction of travel).
double revolved_volume(const std::vector<Point>& polygon);

// The drawing as DXF (AutoCAD R12 ASCII: a HEADER with $INSUNITS, LINE
// entities on the layers WALL and AXIS), x along the axis and y the radius,
// in the unit of `units_per_metre`; `insunits` the DXF code of that unit
// (1 in, 4 mm, 5 cm, 6 m).
std::string dxf(const std::vector<Point>& section, bool closed, double units_per_metre, int insunits);

// The DXF unit code of a unit's name (in, cm, mm, m).
int dxf_units(const std::string& unit);

}  // namespace drawing
