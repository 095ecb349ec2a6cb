// The feed efficiencies against closed forms of the literature, their
// convergence, and the best phase centre against a brute-force search.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "reflector/feed.hpp"
#include "reflector/sources.hpp"

namespace {

using reflector::degree;
using reflector::Feed;
using reflector::Field;
using reflector::PlaneFields;

// A feed whose power pattern is cos^n theta in the forward half-space (field
// cos^(n/2)), zero behind, with no cross-polar field.
reflector::Pattern cos_power(int n) {
  return [n](double theta) {
    const double c = std::cos(theta);
    const double f = c > 0.0 ? std::pow(c, n / 2.0) : 0.0;
    return PlaneFields{f, f};
  };
}

// The aperture efficiency of the cos^n power pattern (directivity 2(n+1)),
// in closed form: A. W. Love / Balanis, "Antenna Theory", eq. 15-55:
//   n = 2: 24 [sin^2(t/2) + ln cos(t/2)]^2 cot^2(t/2)
//   n = 4: 40 [sin^4(t/2) + ln cos(t/2)]^2 cot^2(t/2)
double cos_power_efficiency(int n, double t) {
  const double s = std::sin(t / 2.0), c = std::cos(t / 2.0), cot2 = std::pow(c / s, 2);
  if (n == 2) return 24.0 * std::pow(s * s + std::log(c), 2) * cot2;
  return 40.0 * std::pow(std::pow(s, 4) + std::log(c), 2) * cot2;
}

TEST(FeedEfficiency, CosinePowerFeedsMeetTheClosedForm) {
  for (int n : {2, 4}) {
    Feed feed(cos_power(n), reflector::largest_half_angle + 0.1);
    for (double t : {20.0, 45.0, 66.0, 80.0}) {
      const auto f = feed.figures(t * degree, 0.0);
      EXPECT_NEAR(f.eta.aperture(), cos_power_efficiency(n, t * degree), 1e-9) << "n " << n << " t " << t;
      EXPECT_NEAR(f.eta.phase, 1.0, 1e-12);
      EXPECT_NEAR(f.eta.polarisation, 1.0, 1e-12);
      EXPECT_FALSE(f.peak_cross_polar_db);
    }
  }
  // The textbook optimum of n = 2: theta0 near 66 degrees, efficiency near
  // 0.83 (Balanis, Fig. 15.25); n = 4: near 53 degrees.
  Feed two(cos_power(2));
  const auto best = two.optimum();
  EXPECT_NEAR(best.half_angle / degree, 66.0, 0.5);
  EXPECT_NEAR(best.eta.aperture(), 0.83, 0.005);
  Feed four(cos_power(4));
  EXPECT_NEAR(four.optimum().half_angle / degree, 53.5, 1.0);
}

TEST(FeedEfficiency, LimitsOfTheFactors) {
  // CO ~ sec^2(theta/2) lights the aperture uniformly: illumination 1 at
  // every theta0.
  Feed uniform(
      [](double theta) {
        const double f = 1.0 / std::pow(std::cos(theta / 2.0), 2);
        return PlaneFields{f, f};
      },
      150.0 * degree);
  for (double t : {10.0, 60.0, 120.0})
    EXPECT_NEAR(uniform.figures(t * degree, 0.0).eta.illumination, 1.0, 1e-10);

  // A feed with E and H planes of opposite sign is all cross-polar: no
  // co-polar field, polarisation 0; equal planes: polarisation 1. Equal and
  // opposite halves: |CO| = |XP|, polarisation one half, and the 45-degree
  // plane's cross-polar peak equals the co-polar peak (0 dB).
  const auto mixed = [](double theta) {
    const double c = std::cos(theta) > 0.0 ? std::cos(theta) : 0.0;
    return PlaneFields{Field(c, 0.0), Field(0.0, 0.0)};
  };
  Feed half(mixed);
  const auto f = half.figures(60.0 * degree, 0.0);
  EXPECT_NEAR(f.eta.polarisation, 0.5, 1e-12);
  ASSERT_TRUE(f.peak_cross_polar_db);
  EXPECT_NEAR(*f.peak_cross_polar_db, 0.0, 1e-9);

  // Spillover: the whole pattern within theta0 spills nothing; a feed
  // radiating only beyond 90 degrees lights a 60-degree dish not at all.
  Feed forward(cos_power(2));
  EXPECT_NEAR(forward.figures(90.0 * degree, 0.0).eta.spillover, 1.0, 1e-12);
  EXPECT_NEAR(forward.figures(60.0 * degree, 0.0).eta.spillover, 1.0 - std::pow(0.5, 3), 1e-12);

  // Edge taper and the paraboloid's space attenuation.
  EXPECT_NEAR(forward.figures(60.0 * degree, 0.0).edge_taper_e_db, 20.0 * std::log10(0.5), 1e-12);
  EXPECT_NEAR(reflector::space_attenuation_db(90.0 * degree), 20.0 * std::log10(0.5), 1e-12);
  EXPECT_NEAR(reflector::half_angle_for(0.25), 90.0 * degree, 1e-12);
  EXPECT_NEAR(reflector::f_over_d_for(reflector::half_angle_for(0.4)), 0.4, 1e-12);

  // Outside the domain.
  EXPECT_THROW(forward.figures(0.0, 0.0), reflector::InvalidReflector);
  EXPECT_THROW(forward.figures(175.0 * degree, 0.0), reflector::InvalidReflector);
  Feed dark([](double) { return PlaneFields{0.0, 0.0}; });
  EXPECT_THROW(dark.figures(60.0 * degree, 0.0), reflector::InvalidReflector);
}

// A point source delta0 wavelengths behind the reference point: the best
// phase centre is delta0 exactly and the phase efficiency there is 1.
TEST(FeedPhaseCentre, PointSourceIsFoundExactly) {
  for (double delta0 : {-1.3, 0.0, 0.7, 4.2}) {
    Feed feed([delta0](double theta) {
      const double c = std::cos(theta) > 0.0 ? std::cos(theta) : 0.0;
      const Field f = c * std::polar(1.0, -2.0 * M_PI * delta0 * std::cos(theta));
      return PlaneFields{f, f};
    });
    for (double t : {30.0, 70.0}) {
      EXPECT_NEAR(feed.closed_form_phase_centre(t * degree), delta0, 1e-9);
      const auto f = feed.figures(t * degree);
      EXPECT_NEAR(f.phase_centre, delta0, 1e-6);
      EXPECT_NEAR(f.eta.phase, 1.0, 1e-12);
    }
  }
}

std::shared_ptr<const aperture::Aperture> horn(double ka, double s) {
  const double wavelength = aperture::speed_of_light / 10e9;
  const double a = ka * wavelength / (2.0 * M_PI);
  return std::make_shared<const aperture::Aperture>(
      aperture::Horn{a, aperture::slant_radius_for(a, wavelength, s), 10.0}, aperture::Phase::spherical);
}

// Horns of the aperture engine on reflectors near their 10 dB angle: the
// best centre beats every other position of a fine scan, and Kildal's closed
// form lies close to it.
TEST(FeedPhaseCentre, BestCentreAgainstBruteForce) {
  struct Case {
    double ka, s, half_angle;
  };
  for (const Case c : {Case{6.0, 0.1, 60.0}, {12.0, 0.3, 35.0}, {25.0, 0.5, 20.0}, {40.0, 0.2, 12.0}}) {
    const auto a = horn(c.ka, c.s);
    Feed feed(reflector::engine_pattern(a), M_PI, reflector::panels_for(c.ka));
    const double theta0 = c.half_angle * degree;
    const auto f = feed.figures(theta0);
    const double period = 1.0 / (1.0 - std::cos(theta0));
    double scan_best = -1.0, scan_at = 0.0;
    for (double d = f.phase_centre - 3.0 * period; d <= f.phase_centre + 3.0 * period; d += period / 2000.0) {
      const double eta = feed.phase_efficiency(theta0, d);
      if (eta > scan_best) scan_best = eta, scan_at = d;
    }
    EXPECT_GE(f.eta.phase, scan_best - 1e-12) << "ka " << c.ka << " s " << c.s;
    EXPECT_NEAR(f.phase_centre, scan_at, period / 1000.0);
    // The closed form costs little phase efficiency here.
    const double closed = feed.closed_form_phase_centre(theta0);
    EXPECT_GT(feed.phase_efficiency(theta0, closed), f.eta.phase - 2e-3)
        << "ka " << c.ka << " closed " << closed << " best " << f.phase_centre;
  }
}

// Every figure within 1e-6 of a rule with 16 times the panels, for the
// engine and for the classic model's single-precision pattern.
TEST(FeedEfficiency, ConvergeAgainstAFinerRule) {
  for (const auto& [ka, s] : {std::pair{5.0, 0.05}, {20.0, 0.4}, {60.0, 0.8}}) {
    const auto a = horn(ka, s);
    Feed coarse(reflector::engine_pattern(a), M_PI, reflector::panels_for(ka));
    for (double t : {35.0, 62.0, 90.0}) {
      const auto f = coarse.figures(t * degree, 0.5);
      Feed fine(reflector::engine_pattern(a), M_PI, f.panels * 16, 1.0);  // that rule, taken as it is
      const auto g = fine.figures(t * degree, 0.5);
      for (const auto& [x, y] : {std::pair{f.eta.spillover, g.eta.spillover},
                                 {f.eta.illumination, g.eta.illumination},
                                 {f.eta.phase, g.eta.phase},
                                 {f.eta.polarisation, g.eta.polarisation}})
        EXPECT_NEAR(x, y, 1e-6 * y) << "ka " << ka << " t " << t;
    }
  }
  // The classic model at 10 GHz: a 4.5 in aperture, 12 in slant radius.
  const horn::HornInInches classic{2.25f, 12.0f};
  Feed coarse(reflector::classic_pattern(10.0f, classic), M_PI, 16, reflector::classic_tolerance);
  const auto f = coarse.figures(60.0 * degree);
  Feed fine(reflector::classic_pattern(10.0f, classic), M_PI, f.panels * 16, 1.0);
  const auto g = fine.figures(60.0 * degree, f.phase_centre);
  EXPECT_NEAR(f.eta.aperture(), g.eta.aperture(), 1e-6);
}

// Sampled cuts of a known pattern give the same figures as the pattern.
TEST(FeedEfficiency, SampledCutsFollowThePattern) {
  const auto a = horn(15.0, 0.3);
  std::vector<double> angles;
  std::vector<Field> e, h;
  for (int i = 0; i <= 1800; ++i) {
    const double t = i * 0.1 * degree;
    const auto f = a->far_fields(t);
    angles.push_back(t);
    e.push_back(f.e);
    h.push_back(f.h);
  }
  const reflector::SampledPattern sampled(angles, e, h);
  Feed from_samples(sampled, sampled.reach(), sampled.panels());
  Feed model(reflector::engine_pattern(a), M_PI, reflector::panels_for(15.0));
  const auto x = from_samples.figures(60.0 * degree), y = model.figures(60.0 * degree);
  EXPECT_NEAR(x.eta.aperture(), y.eta.aperture(), 1e-6);
  EXPECT_NEAR(x.phase_centre, y.phase_centre, 1e-4);
  EXPECT_NEAR(*x.peak_cross_polar_db, *y.peak_cross_polar_db, 1e-3);
  EXPECT_THROW(reflector::SampledPattern({0.1, 0.2}, {1.0, 1.0}, {1.0, 1.0}), std::invalid_argument);
  EXPECT_THROW(reflector::SampledPattern({0.0, 0.0}, {1.0, 1.0}, {1.0, 1.0}), std::invalid_argument);
}

}  // namespace
