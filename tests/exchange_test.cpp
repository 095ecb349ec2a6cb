// Pattern files written and read back: each format's reader here (GRASP cut
// by the library's own) finds the fields of the body-of-revolution
// expansion, at the scale the format asks.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>

#include "aperture/figures.hpp"
#include "exchange/pattern_files.hpp"
#include "reflector/sources.hpp"

namespace {

using exchange::Field;
using reflector::degree;

struct Fixture {
  std::shared_ptr<const aperture::Aperture> aperture;
  exchange::Source source;
  double directivity;
};

Fixture horn(double frequency) {
  // A 4.5 in aperture with a 12 in slant radius.
  const auto a = std::make_shared<const aperture::Aperture>(aperture::horn_from_inches(2.25, 12.0, frequency),
                                                            aperture::Phase::spherical);
  reflector::Feed feed(reflector::engine_pattern(a), M_PI, reflector::panels_for(a->ka()));
  return {a,
          {frequency, reflector::engine_pattern(a), std::sqrt(2.0 / feed.total_power())},
          aperture::directivity(*a)};
}

std::string written(const std::function<void(const exchange::Sink&)>& write) {
  std::string text;
  write([&](std::string_view part) { text += part; });
  return text;
}

std::vector<std::vector<double>> numeric_lines(std::istream& in, std::size_t count, std::size_t width) {
  std::vector<std::vector<double>> rows;
  for (std::size_t i = 0; i < count; ++i) {
    std::vector<double> row(width);
    for (double& v : row) in >> v;
    rows.push_back(row);
  }
  return rows;
}

void expect_field(Field got, Field expected, double scale) {
  EXPECT_NEAR(got.real(), expected.real(), 2e-9 * scale);
  EXPECT_NEAR(got.imag(), expected.imag(), 2e-9 * scale);
}

// GRASP: the cuts at 0 and 90 degrees read back as the plane patterns, the
// 45-degree cut holds CO and XP, and |co(0)|^2 is the directivity.
TEST(PatternFiles, GraspCutRoundTrip) {
  const auto f10 = horn(10.0), f12 = horn(12.0);
  const std::string text = written([&](const auto& out) {
    exchange::write_grasp_cut(out, {f10.source, f12.source}, 1.0, "test");
  });
  const auto sets = exchange::read_grasp_cut(text);
  ASSERT_EQ(sets.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    const auto& fx = k == 0 ? f10 : f12;
    ASSERT_EQ(sets[k].angles.size(), 181u);
    EXPECT_NEAR(std::norm(sets[k].e[0]), fx.directivity, 1e-7 * fx.directivity);
    for (std::size_t i : {0u, 13u, 90u, 150u}) {
      const auto f = fx.source.pattern(sets[k].angles[i]);
      const double s = fx.source.directivity_scale;
      expect_field(sets[k].e[i], f.e * s, std::abs(sets[k].e[0]));
      expect_field(sets[k].h[i], f.h * s, std::abs(sets[k].e[0]));
    }
  }
  // The 45-degree cut (the second block) at theta = -20 and 20: co = CO,
  // cross = XP, both sides alike.
  std::istringstream in(text);
  std::string line;
  for (int skip = 0; skip < 2 + 361; ++skip) std::getline(in, line);
  std::getline(in, line);
  EXPECT_NE(line.find("phi = 45"), std::string::npos);
  std::getline(in, line);
  const auto rows = numeric_lines(in, 361, 4);
  const auto f = f10.source.pattern(20.0 * degree);
  const double s = f10.source.directivity_scale;
  for (std::size_t i : {160u, 200u}) {
    expect_field({rows[i][0], rows[i][1]}, (f.e + f.h) / 2.0 * s, std::abs(sets[0].e[0]));
    expect_field({rows[i][2], rows[i][3]}, (f.e - f.h) / 2.0 * s, std::abs(sets[0].e[0]));
  }
}

// CST and HFSS: r E in volts for 1 W radiated; the grid's power sums to 1 W
// and E_theta, E_phi follow the expansion.
TEST(PatternFiles, CstAndHfssFields) {
  const auto fx = horn(10.0);
  const double volts = fx.source.directivity_scale * std::sqrt(exchange::free_space_impedance / (2.0 * M_PI));
  const std::string ffs = written([&](const auto& out) { exchange::write_cst_ffs(out, {fx.source}, 1.0); });
  std::istringstream in(ffs);
  std::string line;
  while (std::getline(in, line) && line.rfind("// >> Total #phi", 0) != 0) {
  }
  int phis = 0, thetas = 0;
  in >> phis >> thetas;
  ASSERT_EQ(phis, 361);
  ASSERT_EQ(thetas, 181);
  std::getline(in, line);
  std::getline(in, line);
  std::getline(in, line);
  EXPECT_EQ(line, "// >> Phi, Theta, Re(E_Theta), Im(E_Theta), Re(E_Phi), Im(E_Phi):");
  const auto rows = numeric_lines(in, 361u * 181u, 6);
  // On the axis |r E|^2 / (2 eta0) is the directivity over 4 pi (1 W).
  const double axis = (std::norm(Field(rows[0][2], rows[0][3])) + std::norm(Field(rows[0][4], rows[0][5]))) /
                      (2.0 * exchange::free_space_impedance);
  EXPECT_NEAR(axis * 4.0 * M_PI, fx.directivity, 1e-7 * fx.directivity);
  double power = 0.0;
  for (const auto& r : rows) {
    const double u = (std::norm(Field(r[2], r[3])) + std::norm(Field(r[4], r[5]))) /
                     (2.0 * exchange::free_space_impedance);
    const double t = r[1] * degree, wt = (r[1] == 0.0 || r[1] == 180.0) ? 0.5 : 1.0;
    const double wp = (r[0] == 0.0 || r[0] == 360.0) ? 0.5 : 1.0;
    power += u * std::sin(t) * wt * wp * std::pow(degree, 2);
  }
  EXPECT_NEAR(power, 1.0, 2e-3);        // the trapezoid rule on a 1-degree grid
  const auto& r = rows[60 * 181 + 20];  // phi 60, theta 20: theta changes fastest
  ASSERT_EQ(r[0], 60.0);
  ASSERT_EQ(r[1], 20.0);
  const auto f = fx.source.pattern(20.0 * degree);
  const auto c = exchange::spherical_components(f, 60.0 * degree);
  expect_field({r[2], r[3]}, c.theta * volts, volts * std::abs(f.e));
  expect_field({r[4], r[5]}, c.phi * volts, volts * std::abs(f.e));

  const std::string ffd = written([&](const auto& out) { exchange::write_hfss_ffd(out, {fx.source}, 2.0); });
  std::istringstream hf(ffd);
  double t0 = 0, t1 = 0, tn = 0, p0 = 0, p1 = 0, pn = 0;
  std::string word;
  int frequencies = 0;
  double frequency = 0;
  hf >> t0 >> t1 >> tn >> p0 >> p1 >> pn >> word >> frequencies >> word >> frequency;
  EXPECT_EQ(tn, 91);
  EXPECT_EQ(pn, 181);
  EXPECT_EQ(frequencies, 1);
  EXPECT_EQ(frequency, 1e10);
  const auto lines = numeric_lines(hf, 91u * 181u, 4);
  const auto& q = lines[10 * 181 + 30];  // theta 20, phi 60: phi changes fastest
  expect_field({q[0], q[1]}, c.theta * volts, volts * std::abs(f.e));
  expect_field({q[2], q[3]}, c.phi * volts, volts * std::abs(f.e));
}

// cassbeam: the phi-averaged power in dB from 0 by the step, fewer angles
// than 180 / step.
TEST(PatternFiles, CassbeamPowerPattern) {
  const auto fx = horn(10.0);
  const std::string text = written([&](const auto& out) { exchange::write_cassbeam(out, fx.source, 0.5); });
  std::istringstream in(text);
  const auto rows = numeric_lines(in, 359, 2);
  double extra = 0;
  EXPECT_FALSE(in >> extra);
  EXPECT_EQ(rows[0][0], 0.0);
  EXPECT_EQ(rows[0][1], 0.0);
  EXPECT_EQ(rows[358][0], 179.0);
  const auto power = [&](double t) {
    const auto f = fx.source.pattern(t * degree);
    return std::norm((f.e + f.h) / 2.0) + std::norm((f.e - f.h) / 2.0);
  };
  EXPECT_NEAR(rows[40][1], 10.0 * std::log10(power(20.0) / power(0.0)), 1e-6);
}

TEST(PatternFiles, ReadersRefuseWhatIsNotAPattern) {
  // A spherical-component (ICOMP 1) pair reads as C_E = E_theta(0), C_H =
  // -E_phi(90).
  const std::string spherical =
      "e\n0 10 2 0 1 1 2\n1 0 0 0\n0.5 0 0 0\nh\n0 10 2 90 1 1 2\n0 0 -1 0\n0 0 -0.25 0\n";
  const auto sets = exchange::read_grasp_cut(spherical);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].e[1], Field(0.5, 0.0));
  EXPECT_EQ(sets[0].h[1], Field(0.25, 0.0));
  const char* bad_cuts[] = {
      "",                                           // nothing
      "title\n0 10 2 0 3 2 2\n1 0 0 0\n1 0 0 0\n",  // not a polar cut
      "title\n0 10 3 0 3 1 2\n1 0 0 0\n1 0 0 0\n",  // fewer samples than V_NUM
      "title\n0 10 2 0 3 1 2\n1 0 0 0\n1 0 0 0\n",  // no phi = 90 cut
      "title\n0 10 2 0 2 1 2\n1 0 0 0\n1 0 0 0\n",  // circular components
      "title\n10 10 2 0 3 1 2\n1 0 0 0\n1 0 0 0\nt\n10 10 2 90 3 1 2\n1 0 0 0\n1 0 0 0\n",  // no theta 0
      "title\n0 10 2 0 3 1 2\n1 0 0 nan\n1 0 0 0\n",                                        // not a number
      "title\n0 10 2 0 3 6607181058836966001 2\n1 0 0 0\n1 0 0 0\n",  // a code beyond any integer
      "title\n0 10 2 0 3 1 2\n1e200 0 0 0\n1 0 0 0\n",                // a field whose power overflows
  };
  for (const char* text : bad_cuts)
    EXPECT_THROW(exchange::read_grasp_cut(text), exchange::FormatError) << text;
  const char* bad_tables[] = {
      "angle,e\n0,1\n",
      "angle_deg,e_amplitude_db,h_amplitude_db,e_relative_db,h_relative_db,e_phase_deg_phase_centre,h_phase_"
      "deg_"
      "phase_centre\r\n0,1,1,0,0,0,0\r\n1,1,1,0,0,0,0\r\n",
      "angle_deg,e_amplitude_db,h_amplitude_db,e_relative_db,h_relative_db,e_phase_deg_aperture,h_phase_deg_"
      "aperture\r\n0,1,1,0,0,0,0\r\n",
      "angle_deg,e_amplitude_db,h_amplitude_db,e_relative_db,h_relative_db,e_phase_deg_aperture,h_phase_deg_"
      "aperture\r\n0,1,1,0,0,0,0\r\n1,1,1,0,0,0\r\n",
      "angle_deg,e_amplitude_db,h_amplitude_db,e_relative_db,h_relative_db,e_phase_deg_aperture,h_phase_deg_"
      "aperture\r\n1,1,1,0,0,0,0\r\n0,1,1,0,0,0,0\r\n",
  };
  for (const char* text : bad_tables)
    EXPECT_THROW(exchange::read_pattern_csv(text), exchange::FormatError) << text;
}

}  // namespace
