// A horn's metal as a STEP solid (AP214), made with OpenCASCADE: the half
// cross-section (drawing/section.hpp) as a planar face in the x-z plane,
// revolved a full turn about the z axis (BRepPrimAPI_MakeRevol), written in
// millimetres. And the reading back that the tests check it by.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "drawing/section.hpp"

namespace drawing {

struct StepError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The STEP file's text of the closed section revolved; StepError when
// OpenCASCADE cannot make or write the solid.
std::string step_text(const std::vector<Point>& closed_section);

// What a STEP file holds: its solids' volume (mm^3) and bounding box (mm).
struct SolidFigures {
  double volume;
  double x_min, x_max, y_min, y_max, z_min, z_max;
  int solids;
};
SolidFigures read_step(const std::string& path);

}  // namespace drawing
