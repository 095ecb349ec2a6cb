#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "horn/beamwidth.hpp"
#include "horn/pattern.hpp"
#include "horn/phase_centre.hpp"
#include "numerics/angles.hpp"
#include "pattern/render.hpp"
#include "tables/pattern_table.hpp"

namespace {

using namespace pattern;
using numerics::fold_degrees;

std::vector<std::vector<float>> parse_csv(const std::string& csv, std::string& header) {
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  header = line;
  std::vector<std::vector<float>> rows;
  while (std::getline(in, line)) {
    EXPECT_EQ(line.back(), '\r');
    line.pop_back();
    std::vector<float> row;
    std::size_t start = 0;
    while (start <= line.size()) {
      const std::size_t comma = std::min(line.find(',', start), line.size());
      float value = 0.0f;
      std::from_chars(line.data() + start, line.data() + comma, value);
      row.push_back(value);
      start = comma + 1;
    }
    rows.push_back(row);
  }
  return rows;
}

const horn::HornInInches horn_6_in{3.0f, 24.0f};  // at 10 GHz

TEST(PatternTool, CsvHoldsTheBitsOfCHP11) {
  const std::vector<float> list = angles(0.0, 90.0, 7.5);
  ASSERT_EQ(list.size(), 13u);
  const Pattern p = compute_pattern(10.0f, horn_6_in, list, PhaseReference::aperture, false);
  std::string header;
  const auto rows = parse_csv(to_csv(p), header);
  EXPECT_EQ(header,
            "angle_deg,e_amplitude_db,h_amplitude_db,e_relative_db,h_relative_db,e_phase_deg_aperture,"
            "h_phase_deg_aperture\r");
  ASSERT_EQ(rows.size(), list.size());
  float axis_e, axis_h, axis_pe, axis_ph;
  horn::CHP11(10.0f, horn_6_in.aperture_radius, horn_6_in.slant_radius, 0.0f, axis_e, axis_h, axis_pe,
              axis_ph);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const float radians = double(list[i]) * double(0.01745329f);
    float e, h, pe, ph;
    horn::CHP11(10.0f, horn_6_in.aperture_radius, horn_6_in.slant_radius, radians, e, h, pe, ph);
    EXPECT_EQ(rows[i][0], list[i]);
    EXPECT_EQ(rows[i][1], e);
    EXPECT_EQ(rows[i][2], h);
    EXPECT_EQ(rows[i][3], static_cast<float>(double(e) - double(axis_e)));
    EXPECT_EQ(rows[i][4], static_cast<float>(double(h) - double(axis_h)));
    EXPECT_EQ(rows[i][5], pe);
    EXPECT_EQ(rows[i][6], ph);
  }
}

TEST(PatternTool, PhaseCentreReference) {
  const std::vector<float> list = angles(0.0, 30.0, 1.0);
  const Pattern aperture = compute_pattern(10.0f, horn_6_in, list, PhaseReference::aperture, false);
  const Pattern centre = compute_pattern(10.0f, horn_6_in, list, PhaseReference::phase_centre, false);
  EXPECT_EQ(centre.rows[0].e_phase, 0.0f);
  EXPECT_EQ(centre.rows[0].h_phase, 0.0f);
  float e3, h3, e10, h10, e_centre, h_centre;
  horn::HCWBW(10.0f, horn_6_in.aperture_radius, horn_6_in.slant_radius, e3, h3, e10, h10);
  horn::CHPCE(10.0f, horn_6_in.aperture_radius, horn_6_in.slant_radius, e10, e_centre, h10, h_centre);
  EXPECT_EQ(centre.e_phase_centre, e_centre);
  EXPECT_EQ(centre.h_phase_centre, h_centre);
  for (std::size_t i = 0; i < list.size(); ++i) {
    const double expected = fold_degrees(double(aperture.rows[i].e_phase) - double(aperture.rows[0].e_phase) -
                                         phase_centre_correction(e_centre, list[i]));
    EXPECT_EQ(centre.rows[i].e_phase, static_cast<float>(expected));
  }
  // Referred to its centre, the H-plane phase at the 10 dB half-beamwidth has
  // lost most of the change it shows referred to the aperture.
  const std::size_t edge = static_cast<std::size_t>(h10 / 2.0f);
  EXPECT_LT(std::fabs(centre.rows[edge].h_phase),
            0.3f * std::fabs(aperture.rows[edge].h_phase - aperture.rows[0].h_phase));
}

TEST(PatternTool, Angles) {
  EXPECT_EQ(angles(0.0, 90.0, 0.5).size(), 181u);
  EXPECT_EQ(angles(0.0, 1.0, 0.3).size(), 4u);
  EXPECT_EQ(angles(5.0, 5.0, 1.0).size(), 1u);
  EXPECT_EQ(phase_centre_correction(2.0, 0.0), 0.0);
}

TEST(PatternTool, RoundTripDigits) {
  for (float v : {0.1f, -46.244873f, 1e-30f, 3.4e38f, -0.0f}) {
    const std::string text = round_trip(v);
    float back = 1.0f;
    std::from_chars(text.data(), text.data() + text.size(), back);
    EXPECT_EQ(std::signbit(back), std::signbit(v));
    EXPECT_EQ(back, v);
  }
}

// The engine models tabulate the engine's field, rounded to float, relative
// to its own axis value, and refer phases to the engine's phase centres.
TEST(PatternTool, EngineModelsTabulateTheEngine) {
  const std::vector<float> list = angles(0.0, 20.0, 5.0);
  const aperture::Aperture engine({0.0762, 0.6096, 10.0}, aperture::Phase::spherical);  // 3 in, 24 in
  const Pattern p = compute_pattern(10.0f, horn_6_in, list, PhaseReference::aperture, true, Model::spherical);
  ASSERT_TRUE(p.engine.has_value());
  ASSERT_TRUE(p.has_beamwidths);
  const double axis = 20.0 * std::log10(std::abs(engine.far_field(aperture::Plane::e, 0.0)));
  for (std::size_t i = 0; i < list.size(); ++i) {
    const double theta = double(list[i]) * std::numbers::pi / 180.0;
    const double e_db = 20.0 * std::log10(std::abs(engine.far_field(aperture::Plane::e, theta)));
    EXPECT_FLOAT_EQ(p.rows[i].e_amplitude, static_cast<float>(e_db));
    EXPECT_NEAR(p.rows[i].e_relative, e_db - axis, 1e-5);
  }
  const Pattern centred =
      compute_pattern(10.0f, horn_6_in, list, PhaseReference::phase_centre, false, Model::spherical);
  EXPECT_FLOAT_EQ(centred.e_phase_centre, static_cast<float>(centred.engine->e_phase_centre->wavelengths));
  EXPECT_LT(std::fabs(centred.rows[1].e_phase), 2.0f);  // flat within the beam
}

}  // namespace
