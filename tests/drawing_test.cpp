// The drawing's section and the STEP solid read back with OpenCASCADE: the
// solid's volume is the section's revolved (Pappus' theorem, and for a tube
// the closed form) and its bounding box the section's extent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>

#include "bor/horn.hpp"
#include "drawing/section.hpp"
#include "drawing/step.hpp"

namespace {

drawing::SolidFigures solid_of(const std::vector<drawing::Point>& section) {
  // One file a test: ctest runs the tests side by side.
  const std::string path =
      testing::TempDir() + "/" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".step";
  {
    std::ofstream out(path);
    out << drawing::step_text(section);
  }
  const drawing::SolidFigures f = drawing::read_step(path);
  std::remove(path.c_str());
  return f;
}

TEST(DrawingSection, TubeIsItsClosedForm) {
  // A guide of 10 mm radius, 40 mm long, its wall 1 mm thick: pi (11^2 - 10^2) 40 mm^3.
  const std::vector<modal::ProfilePoint> wall{{0.0, 0.010}, {0.040, 0.010}};
  const auto outside = bor::thick_wall(wall, 0.001);
  const auto section = drawing::metal_section(wall, outside);
  const double expected = std::numbers::pi * (11.0 * 11.0 - 10.0 * 10.0) * 40.0;  // mm^3
  EXPECT_NEAR(drawing::revolved_volume(section) * 1e9, expected, expected * 1e-12);
  const drawing::SolidFigures f = solid_of(section);
  EXPECT_EQ(f.solids, 1);
  EXPECT_NEAR(f.volume, expected, expected * 1e-6);
  EXPECT_NEAR(f.z_min, 0.0, 1e-6);
  EXPECT_NEAR(f.z_max, 40.0, 1e-6);
  EXPECT_NEAR(f.x_max, 11.0, 1e-6);
  EXPECT_NEAR(f.y_min, -11.0, 1e-6);
}

TEST(DrawingSection, ChokeFeedSolidIsItsSectionRevolved) {
  // The choke-ring example's wall and outer contour (mm).
  const std::vector<modal::ProfilePoint> wall{{0.0, 0.010}, {0.040, 0.010}};
  const std::vector<modal::ProfilePoint> outside{{0.040, 0.011},  {0.037, 0.011},  {0.037, 0.014},
                                                 {0.0305, 0.014}, {0.0305, 0.022}, {0.037, 0.022},
                                                 {0.037, 0.024},  {0.0285, 0.024}, {0.0285, 0.011}};
  const auto section = drawing::metal_section(wall, outside);
  // The closed polygon: the bore, the rim, the contour, the guide's outside back to the input plane.
  EXPECT_EQ(section.size(), wall.size() + outside.size() + 1);
  const double pappus = drawing::revolved_volume(section) * 1e9;
  const drawing::SolidFigures f = solid_of(section);
  EXPECT_EQ(f.solids, 1);
  EXPECT_NEAR(f.volume, pappus, pappus * 1e-6);
  EXPECT_NEAR(f.z_min, 0.0, 1e-6);
  EXPECT_NEAR(f.z_max, 40.0, 1e-6);
  EXPECT_NEAR(f.x_max, 24.0, 1e-6);
  EXPECT_NEAR(f.x_min, -24.0, 1e-6);
}

TEST(DrawingSection, ThinWallIsAnOpenLineAndDxfHoldsEachEdge) {
  const std::vector<modal::ProfilePoint> wall{{0.0, 0.01}, {0.02, 0.01}, {0.02, 0.012}, {0.1, 0.05}};
  const auto line = drawing::metal_section(wall, {});
  EXPECT_EQ(line.size(), wall.size());
  const std::string text = drawing::dxf(line, false, 1000.0, drawing::dxf_units("mm"));
  std::size_t lines = 0;
  for (std::size_t at = text.find("\nLINE\n"); at != std::string::npos; at = text.find("\nLINE\n", at + 1))
    ++lines;
  EXPECT_EQ(lines, wall.size() - 1 + 1);  // the wall's edges and the axis
  EXPECT_NE(text.find("$INSUNITS\n70\n4\n"), std::string::npos);
  EXPECT_THROW(drawing::step_text(std::vector<drawing::Point>(line.begin(), line.begin() + 2)),
               drawing::StepError);
}

}  // namespace
