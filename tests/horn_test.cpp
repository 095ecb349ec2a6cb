#include <gtest/gtest.h>

#include <cmath>

#include "horn/beamwidth.hpp"
#include "horn/gain.hpp"
#include "horn/pattern.hpp"
#include "horn/phase_centre.hpp"
#include "numerics/bessel.hpp"
#include "numerics/quadrature.hpp"
#include "numerics/checked_math.hpp"

namespace {

using horn::CHNGN;
using horn::CHP11;
using horn::CHPCE;
using horn::HCWBW;
using horn::RELA;

// Worked examples of the gain and beamwidth models (values to the digits
// quoted with them).
TEST(CHNGN, WorkedExamples) {
  struct Case { float frequency, radius, slant, gain; };
  const Case cases[] = {{10.0f, 3.0f, 12.0f, 21.93f}, {10.0f, 3.0f, 6.0f, 17.38f}};
  for (const auto& c : cases) {
    float gain = 0.0f;
    CHNGN(c.frequency, c.radius, c.slant, gain);
    EXPECT_NEAR(gain, c.gain, 0.005f) << c.slant;
  }
}

TEST(CHNGN, TableEndsAndExtrapolation) {
  // s = a^2 f / (2 * 11.80285 * R): choose R so that s hits the wanted value.
  auto gain_at = [](double s) {
    const float f = 10.0f, a = 3.0f;
    const float wavelength = double(11.80285f) / double(f);
    const float R = double(a) * double(a) / (2.0 * double(wavelength) * s);
    float gain = 0.0f;
    CHNGN(f, a, R, gain);
    const double first_term = 8.685889 * std::log(double(a) * double(f) / double(1.878482f));
    return first_term - gain;  // the loss
  };
  EXPECT_NEAR(gain_at(1e-9), 0.774, 1e-5);
  EXPECT_NEAR(gain_at(0.80), 10.777, 1e-4);
  EXPECT_NEAR(gain_at(1.0), 17.372, 1e-3);
  EXPECT_NEAR(gain_at(0.31772), 2.134, 1e-3);
}

TEST(CHNGN, NonPositiveInputsStayInsideTheTable) {
  float gain = 0.0f;
  CHNGN(0.0f, 3.0f, 12.0f, gain);  // zero frequency: infinite wavelength, log(0)
  EXPECT_EQ(gain, -INFINITY);
  CHNGN(10.0f, 3.0f, -12.0f, gain);  // negative phase error: window held at the start
  EXPECT_TRUE(std::isfinite(gain));
  CHNGN(NAN, 3.0f, 12.0f, gain);
  EXPECT_TRUE(std::isnan(gain));
  EXPECT_THROW(CHNGN(-10.0f, 3.0f, 12.0f, gain), numerics::DomainError);
}

TEST(HCWBW, WorkedExamples) {
  struct Case { float frequency, radius, slant, e3, h3, e10, h10; };
  const Case cases[] = {
      {10.0f, 3.0f, 12.0f, 12.25f, 14.78f, 25.41f, 26.68f},
      {10.0f, 3.0f, 6.0f, 30.32f, 16.80f, 55.18f, 43.75f},
      {5.0f, 2.0f, 2.0f, 38.47f, 43.97f, 132.00f, 89.93f},
  };
  for (const auto& c : cases) {
    float e3, h3, e10, h10;
    HCWBW(c.frequency, c.radius, c.slant, e3, h3, e10, h10);
    EXPECT_NEAR(e3, c.e3, 0.006f);
    EXPECT_NEAR(h3, c.h3, 0.006f);
    EXPECT_NEAR(e10, c.e10, 0.006f);
    EXPECT_NEAR(h10, c.h10, 0.006f);
  }
}

TEST(HCWBW, SmallApertureIsASquareRootDomainError) {
  float e3, h3, e10, h10;
  EXPECT_THROW(HCWBW(1.0f, 1.0f, 10.0f, e3, h3, e10, h10), numerics::DomainError);
}

// A horn whose phase error is negligible (slant radius 1e30 in) has the closed
// forms I1 = J1(chi) J1(u)/u and I3 = J1(chi) J1'(u) / (1 - (u/chi)^2).
struct Plane { float e_amplitude, h_amplitude, e_phase, h_phase; };

Plane pattern(float frequency, float radius, float slant, float angle) {
  Plane p{};
  CHP11(frequency, radius, slant, angle, p.e_amplitude, p.h_amplitude, p.e_phase, p.h_phase);
  return p;
}

TEST(CHP11, ClosedFormsWithoutPhaseError) {
  const float frequency = 11.80285f;  // one-inch wavelength
  const float radius = 1.0f;
  const float slant = 1e30f;
  const double wavelength = double(static_cast<float>(double(11.80285f) / double(frequency)));
  auto amplitude_db = [&](double integral, double angle) {
    const double F = (std::cos(angle) + 1.0) * 9.869604 * radius / wavelength;
    return 20.0 * std::log10(F * integral);
  };
  const Plane axis = pattern(frequency, radius, slant, 0.0f);
  EXPECT_NEAR(axis.e_amplitude, amplitude_db(0.2909326, 0.0), 2e-5);
  EXPECT_NEAR(axis.h_amplitude, axis.e_amplitude, 1e-5);
  EXPECT_NEAR(axis.e_phase, 0.0f, 1e-20f);

  const float angle = static_cast<float>(std::asin(3.0 * wavelength / (2.0 * M_PI * radius)));
  const Plane off = pattern(frequency, radius, slant, angle);
  EXPECT_NEAR(off.e_amplitude, amplitude_db(0.0657622, angle), 2e-4);
  EXPECT_NEAR(off.h_amplitude, amplitude_db(0.131172, angle), 2e-4);
}

TEST(CHP11, SymmetricInTheAngleAndSilentAtTheBack) {
  for (float angle : {0.1f, 0.4f, 1.2f}) {
    const Plane plus = pattern(10.0f, 3.0f, 12.0f, angle);
    const Plane minus = pattern(10.0f, 3.0f, 12.0f, -angle);
    EXPECT_EQ(plus.e_amplitude, minus.e_amplitude);
    EXPECT_EQ(plus.h_amplitude, minus.h_amplitude);
    EXPECT_EQ(plus.e_phase, minus.e_phase);
    EXPECT_EQ(plus.h_phase, minus.h_phase);
  }
  const Plane back = pattern(10.0f, 3.0f, 12.0f, 3.141593f);
  EXPECT_EQ(back.e_amplitude, -120.0f);
  EXPECT_EQ(back.h_amplitude, -120.0f);
  EXPECT_EQ(back.e_phase, 0.0f);
  EXPECT_EQ(back.h_phase, 0.0f);
}

TEST(CHP11, PhasesStayInRange) {
  for (float angle = 0.0f; angle < 1.5f; angle += 0.05f) {
    const Plane p = pattern(10.0f, 3.0f, 6.0f, angle);
    EXPECT_LE(std::fabs(p.e_phase), 180.0f);
    EXPECT_LE(std::fabs(p.h_phase), 180.0f);
  }
}

TEST(FINTC, LaterComponentsReuseTheFirstCall) {
  horn::FintcShared shared;
  std::array<float, 4> v{0.5f, 1.0f, 1.0f, 0.0f};
  const float c1 = horn::FINTC(v, shared);
  v[1] = 2.0f;
  const float c2 = horn::FINTC(v, shared);
  v[1] = 3.0f;
  const float c3 = horn::FINTC(v, shared);
  // On the axis the E and H kernels agree to rounding.
  EXPECT_NEAR(c1, c3, 1e-7f);
  EXPECT_EQ(c2, static_cast<float>(-std::sin(double(shared.phase)) * double(shared.e_kernel)));
  v[1] = 7.0f;
  EXPECT_EQ(horn::FINTC(v, shared), 0.0f);
}

TEST(RELA, FoldsPhaseDifferences) {
  struct Case { float p, q, expected; };
  const Case cases[] = {
      {-175.0f, 170.0f, 15.0f}, {170.0f, -175.0f, -15.0f}, {-90.0f, 90.0f, 180.0f},
      {90.0f, -90.0f, -180.0f}, {0.0f, -170.0f, 170.0f}, {-170.0f, 0.0f, -170.0f},
      {10.0f, 30.0f, -20.0f}, {-10.0f, -30.0f, 20.0f}, {179.0f, -179.0f, -2.0f},
  };
  for (const auto& c : cases) EXPECT_EQ(RELA(c.p, c.q), c.expected) << c.p << " " << c.q;
}

TEST(CHPCE, LongHornHasItsPhaseCentreNearTheAperture) {
  float e3, h3, e10, h10;
  HCWBW(10.0f, 3.0f, 1e6f, e3, h3, e10, h10);
  float e_centre = 1.0f, h_centre = 1.0f;
  CHPCE(10.0f, 3.0f, 1e6f, e10, e_centre, h10, h_centre);
  EXPECT_NEAR(e_centre, 0.0f, 0.05f);
  EXPECT_NEAR(h_centre, 0.0f, 0.05f);
}

TEST(CHPCE, ZeroBeamwidthGivesNaN) {
  float e_centre = 1.0f, h_centre = 1.0f;
  CHPCE(10.0f, 3.0f, 12.0f, 0.0f, e_centre, 20.0f, h_centre);
  EXPECT_TRUE(std::isnan(e_centre));
}

}  // namespace

namespace {

// FINTC looks the chi rho Bessel values up per abscissa and takes J0(0) = 1,
// J2(0) = 0 on the axis; the results must be those of the plain evaluation.
float plain_fintc_component_1(float rho, float beta, float u) {
  const float chi = 1.84118f;
  const float chi_rho = double(chi) * double(rho);
  const float u_rho = double(rho) * double(u);
  const float a1 = numerics::BESJ(chi_rho, 1.0f), a0 = numerics::BESJ(chi_rho, 0.0f),
              a2 = numerics::BESJ(chi_rho, 2.0f);
  const float b0 = numerics::BESJ(u_rho, 0.0f), b2 = numerics::BESJ(u_rho, 2.0f);
  const float s = (double(b0) + double(b2)) / 2.0;
  const float e = ((double(b0) - double(b2)) * double(a1) + (double(a0) - double(a2)) * double(chi) * double(s) * double(rho)) / 2.0;
  const float phase = double(rho) * double(rho) * double(beta);
  return std::cos(double(phase)) * double(e);
}

TEST(FINTC, ShortcutsKeepEveryBit) {
  for (float u : {0.0f, 0.7f, 3.0f, 9.5f, 40.0f}) {
    std::array<float, 4> vector{0.0f, 0.0f, 2.0f, u};
    std::array<float, 1> integral{};
    horn::FintcShared shared;
    numerics::GLINA(0.0f, 1.0f, vector, [&](std::span<float> v) {
      const float got = horn::FINTC(v, shared);
      EXPECT_EQ(got, plain_fintc_component_1(v[0], v[2], v[3])) << v[0] << " " << u;
      return got;
    }, 16, integral, 1);
    // An abscissa outside the table is computed directly.
    std::array<float, 4> odd{0.123f, 1.0f, 2.0f, u};
    EXPECT_EQ(horn::FINTC(odd, shared), plain_fintc_component_1(0.123f, 2.0f, u));
  }
}

}  // namespace
